#pragma once
// TApdFaxConverter: turns text, images, bitmaps or caller-supplied lines into a fax file of
// Modified Huffman coded pages. Failures come back as the exception mapped from the status
// code (nothing is raised while the component is being loaded from a stored form).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "faximage/fax_converter_options.h"
#include "faximage/font_rasteriser.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

class FaxInput;

class TApdFaxConverter {
 public:
  // (Starting, Ending, PagesConverted, LinesConverted, BytesConverted, BytesToConvert, Abort)
  using TFaxStatusEvent = std::function<void(TApdFaxConverter& sender, bool starting, bool ending,
                                             int pages, int lines, int64_t bytesConverted,
                                             int64_t bytesToConvert, bool& abort)>;
  using TFaxOpenFileEvent = std::function<void(TApdFaxConverter& sender, const std::string& fileName)>;
  using TFaxCloseFileEvent = std::function<void(TApdFaxConverter& sender)>;
  // Fills Data (4096 bytes, cleared) and sets Len, EndOfPage, MorePages.
  using TFaxReadLineEvent = std::function<void(TApdFaxConverter& sender, uint8_t* data, int& len,
                                               bool& endOfPage, bool& morePages)>;
  // Services the message queue once; returns true when a quit message arrived.
  using YieldHook = std::function<bool()>;

  TApdFaxConverter();
  virtual ~TApdFaxConverter();

  TFaxInputDocumentType InputDocumentType() const { return inputType_; }
  void SetInputDocumentType(TFaxInputDocumentType t) { inputType_ = t; }
  unsigned Options() const { return options_; }
  void SetOptions(unsigned options);  // coYieldOften brings coYield with it
  TFaxResolution Resolution() const { return resolution_; }
  void SetResolution(TFaxResolution r) { resolution_ = r; }
  TFaxWidth Width() const { return width_; }
  void SetWidth(TFaxWidth w) { width_ = w; }
  unsigned TopMargin() const { return topMargin_; }
  void SetTopMargin(unsigned lines) { topMargin_ = lines; }
  unsigned LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(unsigned pixels) { leftMargin_ = pixels; }
  unsigned LinesPerPage() const { return linesPerPage_; }
  void SetLinesPerPage(unsigned lines) { linesPerPage_ = lines; }
  unsigned TabStop() const { return tabStop_; }
  void SetTabStop(unsigned stop) { if (stop) tabStop_ = stop; }  // 0 keeps the previous value
  const FontChoice& EnhFont() const { return enhFont_; }
  void SetEnhFont(const FontChoice& font) { enhFont_ = font; }
  const std::string& FontFile() const { return fontFile_; }
  void SetFontFile(const std::string& name) { fontFile_ = name; }
  TFaxFont FontType() const { return fontType_; }
  void SetFontType(TFaxFont f) { fontType_ = f; }
  const std::string& DocumentFile() const { return documentFile_; }
  void SetDocumentFile(const std::string& name);  // also sets OutFileName to NAME.APF
  const std::string& OutFileName() const { return outFileName_; }
  void SetOutFileName(const std::string& name) { outFileName_ = name; }
  const std::string& DefUserExtension() const { return defUserExtension_; }
  void SetDefUserExtension(const std::string& ext) { defUserExtension_ = ext; }
  std::string StationID;  // up to 20 characters go into the file header
  bool Loading = false;   // being loaded from a stored form: no exceptions, no side effects

  TFaxStatusEvent OnStatus;
  TFaxOpenFileEvent OnOpenUserFile;
  TFaxCloseFileEvent OnCloseUserFile;
  TFaxReadLineEvent OnReadUserLine;
  YieldHook OnYield;  // default: platform message pump, never a quit

  // Converts DocumentFile into the output file. -1002 for idNone and idBitmap.
  int ConvertDocument();
  // Converts a bitmap (idBitmap) into OutFileName.
  int ConvertBitmapToFile(const MonoBitmap& bitmap);
  int ConvertBitmapToFile(const ColourBitmap& bitmap);

  // The names a conversion uses: the input with its type's default extension when it has
  // none; the output as given (".APF" added when it has no extension) or the input's name
  // with ".APF".
  std::string InputFileName() const;
  std::string OutputFileName() const;

 protected:
  virtual void Status(bool starting, bool ending, int pages, int lines, int64_t done, int64_t total,
                      bool& abort);
  virtual void OpenUserFile(const std::string& fileName);
  virtual void CloseUserFile();
  virtual void ReadUserLine(uint8_t* data, int& len, bool& endOfPage, bool& morePages);

 private:
  int run(FaxInput& input, const std::string& inName, const std::string& outName);
  int finish(int status);
  std::unique_ptr<FaxInput> makeInput(int& status);
  bool yieldQuit();

  TFaxInputDocumentType inputType_ = idNone;
  unsigned options_ = coDoubleWidth | coCenterImage | coYield;
  TFaxResolution resolution_ = frNormal;
  TFaxWidth width_ = fwNormal;
  unsigned topMargin_ = 0;
  unsigned leftMargin_ = 50;
  unsigned linesPerPage_ = 60;
  unsigned tabStop_ = 4;
  FontChoice enhFont_;
  std::string fontFile_ = "APFAX.FNT";
  TFaxFont fontType_ = ffStandard;
  std::string documentFile_, outFileName_, defUserExtension_;
};

// Default input extensions: TXT, TXT, TIF, PCX, DCX, BMP, none, DefUserExtension.
std::string defaultExtension(TFaxInputDocumentType type, const std::string& userExtension);
// True when the last path component has a '.' extension.
bool hasExtension(const std::string& path);
// The path with its extension (if any) replaced by `ext` (without the dot).
std::string withExtension(const std::string& path, const std::string& ext);

}  // namespace quillon::faximage
