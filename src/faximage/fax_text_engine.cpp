#include "faximage/fax_text_engine.h"

#include <cstring>

#include "faximage/fax_input.h"
#include "faximage/text_input.h"
#include "errors/error_codes.h"

namespace quillon::faximage {

namespace {
constexpr int kPageWidth = 1728;
constexpr int kLeftMargin = 50;
}  // namespace

FaxTextEngine::FaxTextEngine() : renderer_(makeBuiltinTextRenderer(ffStandard, false, kPageWidth, kLeftMargin)) {}
FaxTextEngine::~FaxTextEngine() = default;

int FaxTextEngine::LoadFaxFont(int bytesPerGlyph, bool fine) {
  if (bytesPerGlyph != 16 && bytesPerGlyph != 48) return ecFontFileNotFound;
  renderer_ = makeBuiltinTextRenderer(bytesPerGlyph == 16 ? ffSmall : ffStandard, fine, kPageWidth, kLeftMargin);
  return ecOK;
}

int FaxTextEngine::SetEnhancedFont(const FontChoice& font, bool fine) {
  int status = ecOK;
  auto renderer = makeFontTextRenderer(font, fine, kPageWidth, kLeftMargin, status);
  if (renderer) renderer_ = std::move(renderer);
  return status;
}

int FaxTextEngine::rows() const { return renderer_->rows(); }

void FaxTextEngine::RenderTextRow(const std::string& text, int row, uint8_t* line) {
  std::memset(line, 0, kLineBufferSize);
  if (row >= 1 && row <= renderer_->rows()) renderer_->renderRow(text, row - 1, line);
}

void FaxTextEngine::EncodeRasterLine(const uint8_t* line) {
  codeLength_ = encodeRasterLine({kPageWidth, kLeftMargin, false}, line, code_.data());
}

}  // namespace quillon::faximage
