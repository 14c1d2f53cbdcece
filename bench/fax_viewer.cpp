// The viewer control on a 20-page fine fax at 75 %: opening it with page 1 painted, and moving
// to the next page painted. Peers on the same pages: libtiff decoding a page of the fax's
// TIFF export in-process, and pdftoppm rendering a page of its PDF export at the same size
// (a whole process each time, as a viewer built on it would pay). Targets: first page < 100 ms,
// next page < 30 ms.
#include <QApplication>

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "compose/letter_fax.h"
#include "faximage/pdf_fax/pdf_fax.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "faximage/viewer/fax_viewer_control.h"
#include "support/temp_dir.h"

namespace {

using quillon::faximage::TApdFaxViewer;

struct Files {
  quillon::test::TempDir dir;
  std::string fax = dir.file("FAX20.APF"), tiff = dir.file("fax20.tif"), pdf = dir.file("fax20.pdf");
  Files() {
    if (quillon::test::writeLetterFax(fax, 20, true) != 0 || quillon::faximage::ExportFaxToTiff(fax, tiff) != 0 ||
        quillon::faximage::ExportFaxToPdf(fax, pdf) != 0)
      std::abort();
  }
};

Files& files() {
  static Files f;
  return f;
}

TApdFaxViewer* shownViewer() {
  auto* v = new TApdFaxViewer;
  v->resize(900, 700);
  v->SetScaling(true);
  v->SetHorizMult(75);
  v->SetVertMult(75);
  v->SetHorizDiv(100);
  v->SetVertDiv(100);
  v->show();
  return v;
}

void BM_Viewer_OpenAndShowPage1(benchmark::State& state) {
  TApdFaxViewer* v = shownViewer();
  for (auto _ : state) {
    v->SetFileName(files().fax);
    v->viewport()->repaint();
    state.PauseTiming();
    v->SetFileName("");
    state.ResumeTiming();
  }
  delete v;
}
BENCHMARK(BM_Viewer_OpenAndShowPage1)->Unit(benchmark::kMillisecond);

void BM_Viewer_NextPageShown(benchmark::State& state) {
  TApdFaxViewer* v = shownViewer();
  v->SetFileName(files().fax);
  for (auto _ : state) {
    if (v->CurrentPage() == v->PageCount()) v->FirstPage();
    else v->NextPage();
    v->viewport()->repaint();
  }
  delete v;
}
BENCHMARK(BM_Viewer_NextPageShown)->Unit(benchmark::kMillisecond);

void BM_Peer_Libtiff_DecodePage(benchmark::State& state) {
  TIFF* tif = TIFFOpen(files().tiff.c_str(), "r");
  uint32_t width = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  std::vector<uint8_t> row(size_t(TIFFScanlineSize(tif)));
  tdir_t page = 0;
  for (auto _ : state) {
    TIFFSetDirectory(tif, page);
    uint32_t rows = 0;
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &rows);
    for (uint32_t y = 0; y < rows; ++y) TIFFReadScanline(tif, row.data(), y, 0);
    benchmark::DoNotOptimize(row.data());
    page = tdir_t((page + 1) % 20);
  }
  TIFFClose(tif);
}
BENCHMARK(BM_Peer_Libtiff_DecodePage)->Unit(benchmark::kMillisecond);

void BM_Peer_Pdftoppm_RenderPage(benchmark::State& state) {
  // 204 pixels per inch at 75 %: 153 per inch across and down (the PDF page is the fax's size).
  std::string command = "pdftoppm -gray -r 153 -f 2 -l 2 " + files().pdf + " " + files().dir.file("peer") + " >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("pdftoppm failed (poppler-utils)");
}
BENCHMARK(BM_Peer_Pdftoppm_RenderPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
