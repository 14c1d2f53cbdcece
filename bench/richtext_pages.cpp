// Reading, laying out and painting a 10-page RTF document into ten 1664 x 2156 monochrome fax
// bitmaps at about 200 dpi (zoom 208 on a 96 dpi screen), as a fax is rendered before it is
// sent; beside it LibreOffice Writer converting the same RTF to PDF (when soffice is there).
// Items per second = documents per second.
#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_reader.h"

namespace {

using namespace quillon::richtext;

// About ten US Letter pages of 12-point justified text with headings.
std::string tenPages() {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}{\\f1 DejaVu Serif;}}\n";
  const std::string sentence = "The quick brown fox jumps over the lazy dog while the fax machine hums along. ";
  for (int paragraph = 0; paragraph < 150; ++paragraph) {
    if (paragraph % 15 == 0) rtf += "\\pard\\sb240\\sa120\\plain\\f0\\fs28\\b Section " + std::to_string(paragraph / 15 + 1) + "\\par\n";
    rtf += "\\pard\\qj\\sa120\\plain\\f1\\fs24 ";
    for (int s = 0; s < 3; ++s) rtf += sentence;
    rtf += "\\b bold\\b0  and \\i italic\\i0  words.\\par\n";
  }
  return rtf + "}";
}

void BM_ReadLayOutPaintTenPages(benchmark::State& state) {
  const std::string rtf = tenPages();
  const int zoom = static_cast<int>(200.0 / layoutDpi() * 100.0);
  int pages = 0;
  for (auto _ : state) {
    QTextDocument document;
    document.setUseDesignMetrics(true);
    readRtf(rtf, document);
    applyPageLayout(document, PageLayout{}, true);
    int position = 0;
    pages = 0;
    do {
      QImage page = paintMonochromePage(document, position, zoom / 100.0, QSize(1664, 2156),
                                        QRectF(49, 49, 1664 - 98, 2156 - 98), &position);
      benchmark::DoNotOptimize(page.constBits());
      ++pages;
    } while (position > 0);
  }
  state.counters["pages"] = pages;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadLayOutPaintTenPages)->Unit(benchmark::kMillisecond);

void BM_LibreOfficeRtfToPdf(benchmark::State& state) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    state.SkipWithError("soffice (LibreOffice Writer) is not installed");
    return;
  }
  const auto folder = std::filesystem::temp_directory_path() / "quillon-bench-richtext";
  std::filesystem::create_directories(folder);
  const auto input = folder / "ten_pages.rtf";
  std::ofstream(input) << tenPages();
  const std::string command = "soffice -env:UserInstallation=file://" + (folder / "profile").string() +
                              " --headless --norestore --convert-to pdf --outdir " + folder.string() + " " +
                              input.string() + " >/dev/null 2>&1";
  std::system(command.c_str());  // the first start creates the profile: not measured
  for (auto _ : state) std::system(command.c_str());
  state.SetItemsProcessed(state.iterations());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LibreOfficeRtfToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
