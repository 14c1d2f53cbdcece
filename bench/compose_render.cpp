// Rendering a stored fax: a one-page cover and a ten-page document laid out, painted into
// 1664 x 2156 bitmaps, converted page by page and joined into one fax file, as Send and View
// do before they start. Beside it Ghostscript (Debian ghostscript) writing the same text,
// printed to PDF by Qt, as a G3 fax TIFF at fax resolution. Items per second = faxes.
#include <QApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "compose/fax_rendering.h"
#include "richtext/rich_text_control.h"

namespace {

namespace fs = std::filesystem;
using quillon::richtext::TWPRichText;

// Ten US Letter pages of 12-point text, one page break before each section.
std::string tenPages() {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}{\\f1 DejaVu Serif;}}\n";
  const std::string sentence = "The quick brown fox jumps over the lazy dog while the fax machine hums along. ";
  for (int page = 0; page < 10; ++page) {
    rtf += std::string(page ? "\\page " : "") + "\\pard\\sa120\\plain\\f0\\fs28\\b Section " + std::to_string(page + 1) + "\\par\n";
    for (int paragraph = 0; paragraph < 7; ++paragraph) {
      rtf += "\\pard\\qj\\sa120\\plain\\f1\\fs24 ";
      for (int s = 0; s < 5; ++s) rtf += sentence;
      rtf += "\\par\n";
    }
  }
  return rtf + "}";
}

const char* kCover = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs56\\b FAX\\b0\\fs26\\par To: Harbour Freight Ltd\\par "
                     "Re: Revised drawings\\par}";

fs::path scratch() {
  fs::path folder = fs::temp_directory_path() / "quillon-bench-compose";
  fs::create_directories(folder);
  return folder;
}

void BM_CreateFaxFileCoverAndTenPages(benchmark::State& state) {
  const std::string folder = scratch().string() + "/";
  TWPRichText cover, document;
  cover.loadRtf(kCover);
  document.loadRtf(tenPages());
  int pages = 0;
  for (auto _ : state) {
    std::string file = quillon::compose::renderFaxFile(cover, document, folder, pages);
    state.PauseTiming();
    fs::remove(file);
    state.ResumeTiming();
  }
  state.counters["pages"] = pages;
  state.SetItemsProcessed(state.iterations());
  fs::remove_all(folder);
}
BENCHMARK(BM_CreateFaxFileCoverAndTenPages)->Unit(benchmark::kMillisecond);

void BM_GhostscriptTiffG3SameText(benchmark::State& state) {
  if (std::system("command -v gs >/dev/null 2>&1") != 0) {
    state.SkipWithError("gs (Ghostscript) is not installed");
    return;
  }
  const fs::path folder = scratch();
  const fs::path pdf = folder / "fax.pdf";
  {
    TWPRichText cover, document;
    cover.loadRtf(kCover);
    document.loadRtf(tenPages());
    QPdfWriter writer(QString::fromStdString(pdf.string()));
    writer.setPageSize(QPageSize(QPageSize::Letter));
    QTextDocument whole;
    whole.setHtml(cover.document()->toHtml() + document.document()->toHtml());
    whole.print(&writer);
  }
  const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=tiffg3 -r204x196 -sOutputFile=" +
                              (folder / "fax.tif").string() + " " + pdf.string() + " >/dev/null 2>&1";
  for (auto _ : state) std::system(command.c_str());
  state.SetItemsProcessed(state.iterations());
  fs::remove_all(folder);
}
BENCHMARK(BM_GhostscriptTiffG3SameText)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
