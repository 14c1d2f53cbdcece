// Reading, laying out and painting a 10-page RTF document into ten 1664 x 2156 monochrome fax
// bitmaps at about 200 dpi (zoom 208 on a 96 dpi screen), as a fax is rendered before it is
// sent; beside it LibreOffice Writer converting the same RTF to PDF and to PNG (when soffice is
// there), and LibreOffice's start-up alone so its net conversion time can be read off.
// Items per second = documents per second.
#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_reader.h"
#include "richtext/sample_documents.h"

namespace {

using namespace quillon::richtext;

// Ten US Letter pages (eleven in LibreOffice) of 12-point justified text with headings.
std::string tenPages() { return quillon::test::runningText(105, 15, "\\b bold\\b0  and \\i italic\\i0  words."); }

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

// Ours with the pages written out as files too (PNG), the work a converter's output costs.
void BM_ReadLayOutPaintAndWriteTenPngs(benchmark::State& state) {
  const std::string rtf = tenPages();
  const int zoom = static_cast<int>(200.0 / layoutDpi() * 100.0);
  const auto folder = std::filesystem::temp_directory_path() / "quillon-bench-richtext-png";
  std::filesystem::create_directories(folder);
  for (auto _ : state) {
    QTextDocument document;
    document.setUseDesignMetrics(true);
    readRtf(rtf, document);
    applyPageLayout(document, PageLayout{}, true);
    int position = 0, page = 0;
    do {
      QImage image = paintMonochromePage(document, position, zoom / 100.0, QSize(1664, 2156),
                                         QRectF(49, 49, 1664 - 98, 2156 - 98), &position);
      image.save(QString::fromStdString((folder / ("page" + std::to_string(++page) + ".png")).string()));
    } while (position > 0);
  }
  state.SetItemsProcessed(state.iterations());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReadLayOutPaintAndWriteTenPngs)->Unit(benchmark::kMillisecond);

// LibreOffice Writer as a whole process (soffice --headless --convert-to), on its own profile
// made before the timing starts. The PDF's pages are counted, so both sides do the same pages.
class LibreOffice {
 public:
  LibreOffice() : folder_(std::filesystem::temp_directory_path() / "quillon-bench-soffice") {
    std::filesystem::create_directories(folder_);
  }
  ~LibreOffice() { std::filesystem::remove_all(folder_); }
  static bool installed() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }
  // Writes `rtf` as NAME.rtf and converts it to `format`; returns the output's path.
  std::filesystem::path convert(const std::string& name, const std::string& rtf, const std::string& format) {
    const auto input = folder_ / (name + ".rtf");
    if (!std::filesystem::exists(input)) std::ofstream(input) << rtf;
    const std::string command = "soffice -env:UserInstallation=file://" + (folder_ / "profile").string() +
                                " --headless --norestore --convert-to " + format + " --outdir " + folder_.string() +
                                " " + input.string() + " >/dev/null 2>&1";
    std::system(command.c_str());
    return folder_ / (name + "." + format);
  }

 private:
  std::filesystem::path folder_;
};

int pdfPages(const std::filesystem::path& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int pages = 0;
  for (std::size_t at = bytes.find("/Type/Page"); at != std::string::npos; at = bytes.find("/Type/Page", at + 1))
    if (bytes.compare(at, 11, "/Type/Pages") != 0) ++pages;
  return pages;
}

double childCpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void runLibreOffice(benchmark::State& state, const std::string& rtf, const std::string& format) {
  if (!LibreOffice::installed()) {
    state.SkipWithError("soffice (LibreOffice Writer) is not installed");
    return;
  }
  LibreOffice office;
  std::filesystem::path out = office.convert("doc", rtf, format);  // the first start makes the profile
  const double before = childCpuMilliseconds();
  for (auto _ : state) out = office.convert("doc", rtf, format);
  // soffice's own processor time per run: the figure to set beside our CPU column on a busy machine.
  state.counters["soffice_cpu_ms"] = (childCpuMilliseconds() - before) / static_cast<double>(state.iterations());
  if (format == "pdf") state.counters["pages"] = pdfPages(out);
  state.SetItemsProcessed(state.iterations());
}

void BM_LibreOfficeRtfToPdf(benchmark::State& state) { runLibreOffice(state, tenPages(), "pdf"); }
BENCHMARK(BM_LibreOfficeRtfToPdf)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// LibreOffice's PNG export renders the first page only; it shows the cost of one page's raster.
void BM_LibreOfficeRtfToPngFirstPage(benchmark::State& state) { runLibreOffice(state, tenPages(), "png"); }
BENCHMARK(BM_LibreOfficeRtfToPngFirstPage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Start and shut-down alone: a one-line document. Subtracted from the lines above it gives
// LibreOffice's own reading, layout and export of the ten pages.
void BM_LibreOfficeStartOnly(benchmark::State& state) {
  runLibreOffice(state, "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0 x\\par}", "pdf");
}
BENCHMARK(BM_LibreOfficeStartOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
