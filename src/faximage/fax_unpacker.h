#pragma once
// TApdFaxUnpacker: decodes pages of a fax file into raster lines, a monochrome bitmap
// (1 = white, as the display expects) or a PCX, DCX or BMP file. Failures come back as the
// exception mapped from the status code (nothing is raised while loading from a stored form).
#include <cstdint>
#include <functional>
#include <string>

#include "faximage/fax_page_reader.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

// TUnpackerOptions as set bits.
inline constexpr unsigned uoYield = 1;
inline constexpr unsigned uoAbort = 2;

enum TAutoScaleMode { asNone, asDoubleHeight, asHalfWidth };

class TApdFaxUnpacker {
 public:
  using TUnpackOutputLineEvent = std::function<void(TApdFaxUnpacker& sender, bool starting, bool ending,
                                                    const uint8_t* data, int len, int pageNum)>;
  using TUnpackStatusEvent = std::function<void(TApdFaxUnpacker& sender, const std::string& fileName,
                                                int pageNum, int64_t bytesUnpacked, int64_t bytesToUnpack)>;
  using YieldHook = std::function<bool()>;  // true when a quit message arrived

  unsigned Options() const { return options_; }
  void SetOptions(unsigned options) { options_ = options; }  // uoAbort stops a running decode
  bool WhitespaceCompression = false;
  unsigned WhitespaceFrom = 0;
  unsigned WhitespaceTo = 0;
  bool Scaling = false;
  unsigned HorizMult() const { return hMult_; }
  void SetHorizMult(unsigned v) { if (v) hMult_ = v; }
  unsigned HorizDiv() const { return hDiv_; }
  void SetHorizDiv(unsigned v) { if (v) hDiv_ = v; }
  unsigned VertMult() const { return vMult_; }
  void SetVertMult(unsigned v) { if (v) vMult_ = v; }
  unsigned VertDiv() const { return vDiv_; }
  void SetVertDiv(unsigned v) { if (v) vDiv_ = v; }
  TAutoScaleMode AutoScaleMode = asDoubleHeight;
  const std::string& InFileName() const { return inFileName_; }
  void SetInFileName(const std::string& name);  // a new name sets OutFileName to it sans extension
  const std::string& OutFileName() const { return outFileName_; }
  void SetOutFileName(const std::string& name) { outFileName_ = name; }
  bool Loading = false;

  TUnpackOutputLineEvent OnOutputLine;
  TUnpackStatusEvent OnStatus;
  YieldHook OnYield;

  virtual ~TApdFaxUnpacker() = default;

  // Each returns 0 or raises; with Loading set the negative status is returned instead.
  int DecodePageToBitmap(unsigned page, MonoBitmap& bitmap);
  int DecodePageToPcx(unsigned page);
  int DecodePageToDcx(unsigned page);
  int DecodePageToBmp(unsigned page);
  // Delivers the page's lines to OnOutputLine only.
  int UnpackPage(unsigned page);
  int FilePageCount();
  bool FileIsHighRes();
  bool FileIsWide();

  // The output name for an extension: OutFileName if it has one, else OutFileName or
  // InFileName with `ext`.
  std::string OutputFileName(const std::string& ext) const;

 protected:
  virtual void OutputLine(bool starting, bool ending, const uint8_t* data, int len, int pageNum);
  virtual void Status(const std::string& fileName, int pageNum, int64_t done, int64_t total);

 private:
  enum class Target { Lines, Bitmap, File };
  int decode(unsigned page, Target target, MonoBitmap* result);
  int toFile(unsigned page, const std::string& ext, int (*write)(const std::string&, const MonoBitmap&));
  int finish(int status);
  int firstPageFlags(uint16_t& flags);

  unsigned options_ = uoYield;
  unsigned hMult_ = 1, hDiv_ = 1, vMult_ = 1, vDiv_ = 1;
  std::string inFileName_, outFileName_;
  PageChainMark chain_;  // the last page located, so decoding page after page walks once
};

// Stretches a bitmap by copying the nearest source pixel (rows keep their bit order).
// -8005 when the result would be empty or larger than the limit.
int stretchBitmap(const MonoBitmap& src, int width, int height, bool whiteIsOne, MonoBitmap& dst);

}  // namespace quillon::faximage
