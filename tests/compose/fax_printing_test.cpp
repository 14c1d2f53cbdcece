// Printing faxes for real: through Qt Print Support into PDF files that poppler's tools read
// back (sheet count, where the quarters are, header and footer text, the printed scale),
// and through a CUPS queue when the machine has one.
#include <QImage>
#include <QPrinter>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "compose/fax_printer.h"
#include "compose/print_tags.h"
#include "faximage/fax_unpacker.h"
#include "faximage/fax_test_support.h"
#include "support/temp_dir.h"
#include "compose/letter_fax.h"

namespace quillon::compose {
namespace {

using faximage::test::haveTool;
using faximage::test::runCommand;

int pdfPages(const std::string& pdf) {
  std::string info;
  if (!runCommand("pdfinfo '" + pdf + "' 2>/dev/null", &info)) return -1;
  size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

std::string pdfText(const std::string& pdf) {
  std::string text;
  runCommand("pdftotext -layout '" + pdf + "' -", &text);
  return text;
}

// A sheet rendered in grey at 50 dots per inch.
QImage sheet(const std::string& pdf, int page, const std::string& work) {
  runCommand("pdftoppm -gray -r 50 -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' '" +
             work + "'");
  QImage image;
  for (const char* suffix : {"-1.pgm", "-01.pgm", "-001.pgm", "-2.pgm", "-02.pgm", "-3.pgm", "-03.pgm"}) {
    if (image.load(QString::fromStdString(work + suffix))) break;
  }
  return image;
}

// Dark pixels in a part of a sheet (x, y, w, h as fractions of the sheet).
int darkPixels(const QImage& img, double x, double y, double w, double h) {
  int x0 = int(x * img.width()), y0 = int(y * img.height());
  int x1 = int((x + w) * img.width()), y1 = int((y + h) * img.height());
  int dark = 0;
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px) dark += qGray(img.pixel(px, py)) < 160;
  return dark;
}

// The box around the dark pixels of a band of rows (fractions of the sheet).
QRectF darkBox(const QImage& img, double top, double bottom) {
  int left = img.width(), right = -1, first = img.height(), last = -1;
  for (int y = int(top * img.height()); y < int(bottom * img.height()); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 160) {
        left = std::min(left, x), right = std::max(right, x);
        first = std::min(first, y), last = std::max(last, y);
      }
  return QRectF(double(left) / img.width(), double(first) / img.height(), double(right - left + 1) / img.width(),
                double(last - first + 1) / img.height());
}

// The width of a page's bitmap as the printer decodes it (trimmed to its widest line).
int bitmapWidth(const std::string& fax, unsigned page) {
  faximage::TApdFaxUnpacker u;
  u.SetInFileName(fax);
  faximage::MonoBitmap b;
  u.DecodePageToBitmap(page, b);
  return b.width;
}

struct Printing : ::testing::Test {
  quillon::test::TempDir dir;
  std::string fax = dir.file("FAX0042.APF");
  TApdFaxPrinter printer;
  void SetUp() override {
    if (!haveTool("pdfinfo") || !haveTool("pdftoppm") || !haveTool("pdftotext"))
      GTEST_SKIP() << "poppler-utils is not installed";
    ASSERT_EQ(quillon::test::writeLetterFax(fax, 5, true), 0);
    printer.SetFileName(fax);
  }
  std::string printTo(const std::string& name) {
    std::string pdf = dir.file(name);
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(QString::fromStdString(pdf));
    printer.PrintFax();
    return pdf;
  }
};

TEST(PrintTags, TagsExpandAndUnknownOnesGoWithTheirLetters) {
  PrintTagValues v{"12/09/26", "FAX0001.APF", "5", "3", "10:15:00"};
  EXPECT_EQ(ExpandPrintTags("FILE: $F", v), "FILE: FAX0001.APF");
  EXPECT_EQ(ExpandPrintTags("Page: $p of $N", v), "Page: 3 of 5");
  EXPECT_EQ(ExpandPrintTags("a $Xyz b", v), "a  b");  // the blanks on both sides stay
  EXPECT_EQ(ExpandPrintTags("$D $T$", v), "12/09/26 10:15:00");  // "$T$" is one tag
  EXPECT_EQ(ExpandPrintTags("end $", v), "end ");
  PrintTagValues dollar{"", "$F.APF", "", "", ""};
  EXPECT_EQ(ExpandPrintTags("$F and $F", dollar), "$F.APF and $F.APF");  // inserted text is not expanded again
}

TEST_F(Printing, FivePagesOnePerSheetWithHeaderAndFooter) {
  EXPECT_EQ(printer.TotalPages(), 5u);
  EXPECT_TRUE(printer.HighRes());
  EXPECT_FALSE(printer.Wide());
  std::vector<int> statuses, logs;
  std::vector<unsigned> pages;
  printer.OnFaxPrintStatus = [&](TApdFaxPrinter&, int s) { statuses.push_back(s); };
  printer.OnFaxPrintLog = [&](TApdFaxPrinter&, int c) { logs.push_back(c); };
  printer.OnNextPage = [&](TApdFaxPrinter&, unsigned p, unsigned) { pages.push_back(p); };
  TApdFaxPrinterLog log;
  log.LogFileName = dir.file("FAXPRINT.LOG");
  printer.FaxPrinterLog = &log;
  std::string pdf = printTo("single.pdf");
  EXPECT_EQ(pdfPages(pdf), 5);
  std::string text = pdfText(pdf);
  EXPECT_NE(text.find("FILE: " + fax), std::string::npos) << text;
  EXPECT_NE(text.find("PAGE: 4 of 5"), std::string::npos) << text;
  EXPECT_EQ(pages, (std::vector<unsigned>{1, 2, 3, 4, 5}));
  EXPECT_EQ(logs, (std::vector<int>{lcStart, lcFinish}));
  EXPECT_EQ(std::vector<int>(statuses.begin(), statuses.begin() + 4),
            (std::vector<int>{ppConverting, ppComposing, ppRendering, ppSubmitting}));
  EXPECT_EQ(printer.CurrentPage(), 0u);
  std::ifstream in(log.LogFileName, std::ios::binary);
  std::string logText((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(logText.rfind("Printing " + fax + " started at ", 0), 0u) << logText;
  EXPECT_NE(logText.find("\r\nPrinting " + fax + " finished at "), std::string::npos);
  EXPECT_EQ(logText.substr(logText.size() - 4), "\r\n\r\n");

  // Fit to page: the page's bitmap fills 93 % of the printable width, so its frame (pixels
  // 40 to 1688) stands at those shares of it.
  double bw = bitmapWidth(fax, 1);
  QImage first = sheet(pdf, 1, dir.file("s"));
  ASSERT_FALSE(first.isNull());
  QRectF frame = darkBox(first, 0.3, 0.7);
  double printable = double(printer.printer().pageLayout().paintRectPoints().width()) /
                     printer.printer().pageLayout().fullRectPoints().width();
  double margin = (1 - printable) / 2;
  EXPECT_NEAR(frame.left(), margin + printable * 0.93 * 40 / bw, 0.01);
  EXPECT_NEAR(frame.right(), margin + printable * 0.93 * 1689 / bw, 0.01);
}

TEST_F(Printing, FourPagesASheetInPortraitTwoInLandscape) {
  printer.MultiPage = true;
  std::string portrait = printTo("portrait.pdf");
  EXPECT_EQ(pdfPages(portrait), 2);
  QImage one = sheet(portrait, 1, dir.file("p1")), two = sheet(portrait, 2, dir.file("p2"));
  ASSERT_FALSE(one.isNull());
  ASSERT_FALSE(two.isNull());
  for (auto [x, y] : {std::pair{0.0, 0.0}, {0.5, 0.0}, {0.0, 0.5}, {0.5, 0.5}})
    EXPECT_GT(darkPixels(one, x + 0.05, y + 0.1, 0.35, 0.3), 200) << x << "," << y;
  // Page 5 alone, in the top-left quarter of the second sheet.
  EXPECT_GT(darkPixels(two, 0.05, 0.1, 0.35, 0.3), 200);
  EXPECT_EQ(darkPixels(two, 0.55, 0.05, 0.4, 0.9), 0);
  EXPECT_EQ(darkPixels(two, 0.05, 0.55, 0.4, 0.4), 0);
  std::string text = pdfText(portrait);
  EXPECT_NE(text.find("PAGE: 3 of 5"), std::string::npos);

  printer.printer().setPageOrientation(QPageLayout::Landscape);
  std::string landscape = printTo("landscape.pdf");
  EXPECT_EQ(pdfPages(landscape), 3);
  QImage last = sheet(landscape, 3, dir.file("l3"));
  ASSERT_FALSE(last.isNull());
  EXPECT_GT(last.width(), last.height());
  EXPECT_GT(darkPixels(last, 0.05, 0.1, 0.4, 0.8), 200);
  EXPECT_EQ(darkPixels(last, 0.55, 0.05, 0.4, 0.9), 0);
}

TEST_F(Printing, WithoutHeaderAndFooterOnlyTheFaxIsPrinted) {
  printer.FaxHeader.Enabled = false;
  printer.FaxFooter.Enabled = false;
  printer.FirstPageToPrint = 2;
  printer.LastPageToPrint = 3;
  std::string pdf = printTo("plain.pdf");
  EXPECT_EQ(pdfPages(pdf), 2);
  std::string text = pdfText(pdf);
  EXPECT_EQ(text.find("FILE:"), std::string::npos);
  EXPECT_EQ(text.find("PAGE:"), std::string::npos);
  // Without margins the image starts at the top; its height is the printable height times
  // the bitmap's width / 1728 (the page keeps its proportion), the frame at lines 40 to 2160.
  double share = bitmapWidth(fax, 2) / 1728.0;
  QImage first = sheet(pdf, 1, dir.file("n"));
  QRectF frame = darkBox(first, 0.0, 1.0);
  double printable = double(printer.printer().pageLayout().paintRectPoints().height()) /
                     printer.printer().pageLayout().fullRectPoints().height();
  double margin = (1 - printable) / 2;
  EXPECT_NEAR(frame.top(), margin + printable * share * 40 / 2200, 0.01);
  EXPECT_NEAR(frame.bottom(), margin + printable * share * 2161 / 2200, 0.01);
}

TEST_F(Printing, AbortStopsTheJobLogsItAndLeavesNoHalfFile) {
  std::vector<int> logs;
  printer.OnFaxPrintLog = [&](TApdFaxPrinter&, int c) { logs.push_back(c); };
  printer.OnNextPage = [&](TApdFaxPrinter& p, unsigned page, unsigned) {
    if (page == 2) p.PrintAbort();
  };
  std::string pdf = printTo("aborted.pdf");
  EXPECT_EQ(logs, (std::vector<int>{lcStart, lcAborted}));
  EXPECT_EQ(printer.CurrentPage(), 0u);
  EXPECT_FALSE(printer.Printing());
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(Printing, AFileThatIsNoFaxPrintsNothing) {
  dir.write("junk.APF", "no fax here");
  printer.SetFileName(dir.file("junk.APF"));
  EXPECT_EQ(printer.TotalPages(), 0u);
  EXPECT_EQ(printer.FirstPageToPrint, 0);
  std::string pdf = printTo("none.pdf");
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

// Through a real CUPS queue with the cups-pdf back end, when the machine has one (cups and
// printer-driver-cups-pdf with a queue named PDF; cups-pdf writes into ~/PDF, named after
// the job's title).
TEST_F(Printing, ThroughACupsPdfQueue) {
  std::string queues;
  if (!haveTool("lpstat") || !runCommand("lpstat -p PDF 2>/dev/null", &queues) || queues.empty())
    GTEST_SKIP() << "no CUPS queue named PDF on this machine (install cups and printer-driver-cups-pdf, "
                    "then: lpadmin -p PDF -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E)";
  const char* home = std::getenv("HOME");
  std::filesystem::path outDir = std::filesystem::path(home ? home : "/root") / "PDF";
  std::string title = "quillon-cups-test-" + std::to_string(::getpid());
  printer.printer().setOutputFormat(QPrinter::NativeFormat);
  printer.printer().setPrinterName(QStringLiteral("PDF"));
  printer.Caption = title;
  printer.MultiPage = true;
  printer.PrintFax();
  // The queue finishes the job in its own time (at most 20 s here).
  std::string found;
  for (int i = 0; i < 200 && found.empty(); ++i) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(outDir, ec))
      if (entry.path().filename().string().rfind(title, 0) == 0) found = entry.path().string();
    if (found.empty()) runCommand("sleep 0.1");
  }
  ASSERT_FALSE(found.empty()) << "no PDF from the queue in " << outDir;
  int pages = -1;  // the back end may still be writing it
  for (int i = 0; i < 100 && pages < 0; ++i) {
    pages = pdfPages(found);
    if (pages < 0) runCommand("sleep 0.1");
  }
  EXPECT_EQ(pages, 2);  // five pages, four a sheet
  std::filesystem::remove(found);
}

}  // namespace
}  // namespace quillon::compose
