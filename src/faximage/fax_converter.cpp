#include "faximage/fax_converter.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "faximage/bitmap_reader.h"
#include "faximage/fax_file.h"
#include "faximage/fax_file_writer.h"
#include "faximage/image_input.h"
#include "faximage/mh_encoder.h"
#include "faximage/text_input.h"
#include "platform/message_pump.h"
#include "errors/error_codes.h"
#include "errors/raise_on_error.h"

namespace quillon::faximage {
namespace {

// Lines from the caller's events (idUser).
class UserInput : public FaxInput {
 public:
  UserInput(std::function<void(const std::string&)> open,
                     std::function<void()> close,
                     std::function<void(uint8_t*, int&, bool&, bool&)> read)
      : open_(std::move(open)), close_(std::move(close)), read_(std::move(read)) {}
  int open(const std::string& path) override {
    open_(path);
    return ecOK;
  }
  int readLine(uint8_t* line, LineResult& result) override {
    int len = 0;
    bool eop = false, more = false;
    read_(line, len, eop, more);
    result.bytes = size_t(std::clamp(len, 0, int(kLineBufferSize)));
    result.endOfPage = eop;
    result.morePages = more;
    return ecOK;
  }
  void close() override { close_(); }
  uint64_t bytesRead() const override { return 0; }
  uint64_t bytesToRead() const override { return 0; }

 private:
  std::function<void(const std::string&)> open_;
  std::function<void()> close_;
  std::function<void(uint8_t*, int&, bool&, bool&)> read_;
};

ConversionGeometry geometryOf(const TApdFaxConverter& c) {
  ConversionGeometry g;
  g.pageWidth = c.Width() == fwWide ? 2048 : 1728;
  g.leftMargin = int(std::min<unsigned>(c.LeftMargin(), unsigned(g.pageWidth)));
  g.highRes = c.Resolution() == frHigh;
  g.options = c.Options() & 0x1F;
  return g;
}

}  // namespace

bool hasExtension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot + 1 < path.size();
}

std::string withExtension(const std::string& path, const std::string& ext) {
  std::string base = path;
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
  return ext.empty() ? base : base + "." + ext;
}

std::string defaultExtension(TFaxInputDocumentType type, const std::string& userExtension) {
  switch (type) {
    case idText: case idTextEx: return "TXT";
    case idTiff: return "TIF";
    case idPcx: return "PCX";
    case idDcx: return "DCX";
    case idBmp: return "BMP";
    case idUser: return userExtension;
    default: return "";
  }
}

TApdFaxConverter::TApdFaxConverter() = default;
TApdFaxConverter::~TApdFaxConverter() = default;

void TApdFaxConverter::SetOptions(unsigned options) {
  if (options & coYieldOften) options |= coYield;
  options_ = options;
}

void TApdFaxConverter::SetDocumentFile(const std::string& name) {
  documentFile_ = name;
  if (!Loading) outFileName_ = withExtension(name, "APF");
}

std::string TApdFaxConverter::InputFileName() const {
  std::string ext = defaultExtension(inputType_, defUserExtension_);
  if (documentFile_.empty() || hasExtension(documentFile_) || ext.empty()) return documentFile_;
  return documentFile_ + "." + ext;
}

std::string TApdFaxConverter::OutputFileName() const {
  if (outFileName_.empty()) return withExtension(InputFileName(), "APF");
  return hasExtension(outFileName_) ? outFileName_ : outFileName_ + ".APF";
}

void TApdFaxConverter::Status(bool starting, bool ending, int pages, int lines, int64_t done,
                              int64_t total, bool& abort) {
  if (OnStatus) OnStatus(*this, starting, ending, pages, lines, done, total, abort);
}
void TApdFaxConverter::OpenUserFile(const std::string& fileName) {
  if (OnOpenUserFile) OnOpenUserFile(*this, fileName);
}
void TApdFaxConverter::CloseUserFile() {
  if (OnCloseUserFile) OnCloseUserFile(*this);
}
void TApdFaxConverter::ReadUserLine(uint8_t* data, int& len, bool& endOfPage, bool& morePages) {
  if (OnReadUserLine) OnReadUserLine(*this, data, len, endOfPage, morePages);
  else endOfPage = true;  // without a handler there are no lines
}

bool TApdFaxConverter::yieldQuit() {
  if (OnYield) return OnYield();
  platform::pumpMessages();
  return false;
}

std::unique_ptr<FaxInput> TApdFaxConverter::makeInput(int& status) {
  status = ecOK;
  const ConversionGeometry g = geometryOf(*this);
  switch (inputType_) {
    case idText:
      return std::make_unique<TextInput>(makeBuiltinTextRenderer(fontType_, g.highRes, g.pageWidth, g.leftMargin),
                                         tabStop_, linesPerPage_);
    case idTextEx: {
      auto renderer = makeFontTextRenderer(enhFont_, g.highRes, g.pageWidth, g.leftMargin, status);
      if (!renderer) return nullptr;
      return std::make_unique<TextInput>(std::move(renderer), tabStop_, linesPerPage_);
    }
    case idTiff: return std::make_unique<ImageInput>(makeTiffReader(), g, false);
    case idPcx: return std::make_unique<ImageInput>(makePcxReader(), g, true);
    case idDcx: return std::make_unique<ImageInput>(makeDcxReader(), g, true);
    case idBmp: return std::make_unique<ImageInput>(makeBmpReader(), g, false);
    case idUser:
      return std::make_unique<UserInput>(
          [this](const std::string& n) { OpenUserFile(n); }, [this] { CloseUserFile(); },
          [this](uint8_t* d, int& l, bool& e, bool& m) { ReadUserLine(d, l, e, m); });
    default:
      status = ecBadArgument;
      return nullptr;
  }
}

int TApdFaxConverter::finish(int status) { return Loading ? status : RaiseOnError(status); }

int TApdFaxConverter::ConvertDocument() {
  int status = ecOK;
  auto input = makeInput(status);
  if (!input) return finish(status);
  return finish(run(*input, InputFileName(), OutputFileName()));
}

int TApdFaxConverter::ConvertBitmapToFile(const MonoBitmap& bitmap) {
  ImageInput input(makeBitmapReader(bitmap), geometryOf(*this), false);
  if (outFileName_.empty()) return finish(ecBadArgument);
  return finish(run(input, "", OutputFileName()));
}

int TApdFaxConverter::ConvertBitmapToFile(const ColourBitmap& bitmap) {
  ImageInput input(makeBitmapReader(bitmap), geometryOf(*this), false);
  if (outFileName_.empty()) return finish(ecBadArgument);
  return finish(run(input, "", OutputFileName()));
}

int TApdFaxConverter::run(FaxInput& input, const std::string& inName, const std::string& outName) {
  const ConversionGeometry g = geometryOf(*this);
  FaxFileWriter writer;
  int status = writer.create(outName);
  if (status != ecOK) return status;
  bool abort = false;
  int page = 0, line = 0;
  auto report = [&](bool starting, bool ending) {
    Status(starting, ending, page, line, int64_t(input.bytesRead()), int64_t(input.bytesToRead()), abort);
    return abort ? ecConvertAbort : ecOK;
  };
  if ((status = report(true, false)) != ecOK) return status;
  if ((status = input.open(inName)) != ecOK) {
    input.close();
    return status;
  }
  const LineGeometry lineGeometry{g.pageWidth, g.leftMargin, false};
  const uint16_t flags = uint16_t(PageFlagLengthWords | (g.highRes ? PageFlagHighRes : 0) |
                                  (g.pageWidth == 2048 ? PageFlagWide : 0));
  auto lineBuffer = std::make_unique<uint8_t[]>(kLineBufferSize);
  auto code = std::make_unique<uint8_t[]>(kCodeBufferSize);
  uint8_t* buf = lineBuffer.get();
  size_t used = kLineBufferSize;  // bytes to clear before the next read
  // Top margin lines are blank lines of the page's own width: a 1728-pixel line on a wide
  // page is a line of the wrong length, which receivers and other readers drop or count as
  // an error.
  uint8_t wideBlank[kCodeBufferSize];
  const uint8_t* blankRecord = kBlankLineRecord;
  size_t blankLength = sizeof kBlankLineRecord;
  if (g.pageWidth != 1728) {
    std::memset(buf, 0, size_t(g.pageWidth) / 8);
    blankLength = encodeRasterLine({g.pageWidth, 0, false}, buf, wideBlank);
    blankRecord = wideBlank;
  }

  auto body = [&]() -> int {
    bool more = true;
    while (more) {
      ++page;
      line = 0;
      int s = writer.beginPage(flags);
      for (unsigned i = 0; s == ecOK && i < topMargin_; ++i) s = writer.writeRecord(blankRecord, blankLength);
      if (s != ecOK) return s;
      LineResult r;
      auto readNext = [&]() -> int {
        std::memset(buf, 0, std::max(used, size_t(g.pageWidth) / 8));
        int rs = input.readLine(buf, r);
        used = std::min(std::max(r.bytes, size_t(g.pageWidth) / 8), kLineBufferSize);
        ++line;
        if (rs != ecOK) return rs;
        return report(false, false);
      };
      if ((s = readNext()) != ecOK) return s;
      while (!r.endOfPage) {
        if (!(input.halfHeight() && line % 2 == 0)) {
          LineGeometry lg = lineGeometry;
          lg.doubleWidth = input.doubleWidth();
          size_t n = encodeRasterLine(lg, buf, code.get());
          if ((s = writer.writeRecord(code.get(), n)) != ecOK) return s;
        }
        if ((s = readNext()) != ecOK) return s;
        if ((options_ & coYield) && (options_ & coYieldOften) && line % 16 == 0 && yieldQuit())
          return ecGotQuitMsg;
      }
      if ((s = writer.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord)) != ecOK) return s;
      if ((s = writer.endPage()) != ecOK) return s;
      if ((options_ & coYield) && yieldQuit()) return ecGotQuitMsg;
      more = r.morePages;
    }
    return report(false, true);
  };
  status = body();
  input.close();
  if (status != ecOK) return status;  // the writer deletes the unfinished file
  return writer.finish(StationID, std::time(nullptr));
}

}  // namespace quillon::faximage
