#include "compose/fax_rendering.h"

#include <QImage>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "errors/raise_on_error.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_file_join.h"
#include "faximage/image_writers.h"
#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rich_text_control.h"

namespace quillon::compose {

namespace fs = std::filesystem;

int renderingZoom(double pixelsPerInch) {
  if (!(pixelsPerInch > 0)) pixelsPerInch = 96;
  return static_cast<int>(std::trunc(200.0 / pixelsPerInch * 100.0));
}

std::string resultFaxFileName(const std::string& folder) {
  std::error_code ec;
  for (int n = 1; n <= 1000; ++n) {
    std::string name = folder + "QLN_" + std::to_string(n) + ".APF";
    if (!fs::exists(name, ec)) return name;
  }
  return folder + "QLN1.APF";
}

std::string pageFileName(const std::string& folder, const std::string& resultFile, int k) {
  return k == 1 ? resultFile : folder + "QLNAX" + std::to_string(k) + ".APF";
}

namespace {
void tell(const RenderHooks& hooks, const char* text) {
  if (hooks.status) hooks.status(QString::fromLatin1(text));
  if (hooks.letMessagesRun) hooks.letMessagesRun();
}

// The painted page (Format_Mono) as the image writers take it: 1 = black.
faximage::MonoBitmap monoBitmap(const QImage& page) {
  faximage::MonoBitmap bitmap;
  bitmap.width = page.width();
  bitmap.height = page.height();
  bitmap.stride = size_t(page.width() + 7) / 8;
  bitmap.bits.resize(bitmap.stride * size_t(bitmap.height));
  const bool indexOneIsBlack = page.colorCount() >= 2 && qGray(page.color(1)) < 128;
  for (int y = 0; y < bitmap.height; ++y) {
    const uchar* from = page.constScanLine(y);
    uint8_t* to = bitmap.row(y);
    for (size_t i = 0; i < bitmap.stride; ++i) to[i] = indexOneIsBlack ? from[i] : uint8_t(~from[i]);
  }
  return bitmap;
}

void setBlack(faximage::MonoBitmap& bitmap, int x, int y) {
  bitmap.row(y)[x / 8] |= uint8_t(0x80 >> (x % 8));
}

// Deletes a file, ignoring failures (it may never have been made).
void removeFile(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

struct BitmapFileGuard {
  std::string path;
  ~BitmapFileGuard() { removeFile(path); }
};
}  // namespace

void renderPass(richtext::TWPRichText& editor, const std::string& folder, std::vector<std::string>& pages,
                const RenderHooks& hooks) {
  const std::string result = resultFaxFileName(folder);
  int k = static_cast<int>(pages.size());
  BitmapFileGuard bitmapFile{folder + kPageBitmapFile};
  editor.setZoom(renderingZoom(richtext::layoutDpi()));
  const double scale = editor.zoom() / 100.0;
  const QSize size(kPageBitmapWidth, kPageBitmapHeight);
  const QRectF textRect(kPageBorder, kPageBorder, kPageBitmapWidth - 2 * kPageBorder,
                        kPageBitmapHeight - 2 * kPageBorder);

  faximage::TApdFaxConverter converter;
  converter.SetOptions(faximage::coYield);
  converter.SetResolution(faximage::frHigh);
  int position = 0;
  do {
    int next = 0;
    QImage page = richtext::paintMonochromePage(*editor.document(), position, scale, size, textRect, &next);
    ++k;
    const std::string pageFile = pageFileName(folder, result, k);
    faximage::MonoBitmap bitmap = monoBitmap(page);
    setBlack(bitmap, kPageBitmapWidth - 1, kPageBitmapHeight - 1);
    RaiseOnError(faximage::writeBmp(bitmapFile.path, bitmap));
    if (hooks.letMessagesRun) hooks.letMessagesRun();
    converter.SetInputDocumentType(faximage::idBmp);
    converter.SetDocumentFile(bitmapFile.path);
    converter.SetOutFileName(pageFile);
    pages.push_back(pageFile);  // listed before converting, so a failure cleans it up too
    RaiseOnError(converter.ConvertDocument());
    position = next;
  } while (position > 0);
}

std::string joinPageFiles(const std::vector<std::string>& pages) {
  if (pages.empty()) return {};
  for (size_t i = 1; i < pages.size(); ++i) RaiseOnError(faximage::AppendFaxFile(pages[0], pages[i]));
  for (size_t i = 1; i < pages.size(); ++i) removeFile(pages[i]);
  return pages[0];
}

std::string renderFaxFile(richtext::TWPRichText& cover, richtext::TWPRichText& document, const std::string& folder,
                          int& pageCount, const RenderHooks& hooks) {
  pageCount = 0;
  const bool coverEmpty = cover.isEmpty();
  const bool documentEmpty = document.isEmpty();
  if (coverEmpty && documentEmpty) return {};
  std::vector<std::string> pages;
  tell(hooks, "Creating fax file....");
  try {
    if (!coverEmpty) renderPass(cover, folder, pages, hooks);
    if (!documentEmpty) renderPass(document, folder, pages, hooks);
    pageCount = static_cast<int>(pages.size());
    tell(hooks, "Creating fax file........");
    return joinPageFiles(pages);
  } catch (...) {
    // No half-made fax file stays behind.
    for (const std::string& page : pages) removeFile(page);
    pageCount = 0;
    throw;
  }
}

}  // namespace quillon::compose
