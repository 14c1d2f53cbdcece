// The viewer window on real fax files, offscreen: initial zoom, zoom steps, pages, rotation,
// dropping files, copying, printing options and export.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QCheckBox>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include "app/modal_answer.h"
#include "compose/fax_viewer_window.h"
#include "compose/letter_fax.h"
#include "compose/pre_print_form.h"
#include "errors/error_codes.h"
#include "faximage/fax_test_support.h"
#include "faximage/viewer/fax_viewer_control.h"
#include "support/temp_dir.h"

namespace quillon::compose {
namespace {

using quillon::test::answerNextMessageBox;

struct ViewerWindow : ::testing::Test {
  quillon::test::StrayMessageBoxGuard guard;
  quillon::test::TempDir dir;
  settings::SettingsStore store{dir.path()};
  std::string fine = dir.file("FINE.APF");
  std::string standard = dir.file("STD.APF");
  void SetUp() override {
    ASSERT_EQ(quillon::test::writeLetterFax(fine, 3, true), 0);
    ASSERT_EQ(quillon::test::writeLetterFax(standard, 1, false), 0);
  }
  // A window whose viewer control is `width` pixels wide, shown on `file`.
  std::unique_ptr<TFaxViewer> open(const std::string& file, int width = 900) {
    auto w = std::make_unique<TFaxViewer>(store);
    w->FileName = file;
    w->HeaderText = "From: ACME SALES";
    w->printersInstalled = [] { return true; };
    w->FaxViewer->setFixedWidth(width);
    w->show();
    QApplication::processEvents();
    return w;
  }
};

TEST(InitialZoom, SnapsToTheMenuSteps) {
  EXPECT_EQ(initialZoom(900, 1728), 75);  // 78.1 -> 78 -> 75
  EXPECT_EQ(initialZoom(900, 864), 100);
  EXPECT_EQ(initialZoom(500, 1728), 50);  // 43.4
  EXPECT_EQ(initialZoom(300, 1728), 25);  // 26
  EXPECT_EQ(initialZoom(2000, 1728), 100);
}

TEST_F(ViewerWindow, AFinePageOpensAtSeventyFivePercentInANineHundredPixelControl) {
  auto w = open(fine);
  EXPECT_EQ(w->zoom(), 75);
  EXPECT_TRUE(w->FaxViewer->Scaling());
  EXPECT_TRUE(w->zoomItems[2]->isChecked());
  // The unpacker trims the page to its widest line.
  EXPECT_EQ(w->FaxViewer->displayImage().width(), w->FaxViewer->PageWidth() * 75 / 100);
  EXPECT_EQ(w->StatusPanel->text(), "Page 1 of 3");
  EXPECT_EQ(w->windowTitle(), "Fax Viewer ");
  for (QToolButton* b : {w->FirstButton, w->PrevButton, w->NextButton, w->LastButton}) EXPECT_FALSE(b->isHidden());
  w->NextButton->click();
  EXPECT_EQ(w->StatusPanel->text(), "Page 2 of 3");
  w->LastButton->click();
  EXPECT_EQ(w->StatusPanel->text(), "Page 3 of 3");
  // Zoom steps: up to 200 (then a beep), down to 25.
  for (int want : {100, 150, 200, 200}) {
    w->ZoomInButtonClick();
    EXPECT_EQ(w->zoom(), want);
  }
  EXPECT_EQ(w->FaxViewer->displayImage().width(), w->FaxViewer->PageWidth() * 2);
  for (int want : {150, 100, 75, 50, 25, 25}) {
    w->ZoomOutButtonClick();
    EXPECT_EQ(w->zoom(), want);
  }
  EXPECT_EQ(w->FaxViewer->displayImage().height(), 2200 / 4);
  w->zoomItems[3]->trigger();
  EXPECT_EQ(w->zoom(), 100);
  EXPECT_FALSE(w->FaxViewer->Scaling());
}

TEST_F(ViewerWindow, ANarrowFaxOpensAtFullSizeWithOnePageAndNoPageButtons) {
  auto w = open(standard);
  // Half width for standard pages: 864 pixels fit into 900.
  EXPECT_EQ(w->zoom(), 100);
  EXPECT_FALSE(w->FaxViewer->Scaling());
  EXPECT_LE(w->FaxViewer->PageWidth(), 864);
  for (QToolButton* b : {w->FirstButton, w->PrevButton, w->NextButton, w->LastButton}) EXPECT_TRUE(b->isHidden());
  EXPECT_EQ(w->StatusPanel->text(), "Page 1 of 1");
}

TEST_F(ViewerWindow, RotationMenuTurnsThePageAndCopyGivesItsPixels) {
  auto w = open(fine);
  w->applyZoom(100);
  w->rotationItems[1]->trigger();
  EXPECT_EQ(w->FaxViewer->Rotation(), 1);
  EXPECT_EQ(w->FaxViewer->PageWidth(), 2200);
  EXPECT_TRUE(w->rotationItems[1]->isChecked());
  w->rotationItems[0]->trigger();
  EXPECT_GT(w->FaxViewer->PageWidth(), 1600);
  ASSERT_EQ(w->FaxViewer->SelectRect({100, 50, 399, 149}), ecOK);
  ASSERT_EQ(w->FaxViewer->CopyToClipboard(), ecOK);
  QImage copied = QApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(300, 100));
  faximage::TApdFaxUnpacker u;
  u.SetInFileName(fine);
  faximage::MonoBitmap page;
  ASSERT_EQ(u.DecodePageToBitmap(1, page), ecOK);
  int wrong = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) wrong += (qGray(copied.pixel(x, y)) > 128) != faximage::test::pixelWhite(page, 100 + x, 50 + y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(ViewerWindow, KeysPageAndScrollAndPrinterButtonsFollowTheInstalledPrinters) {
  auto w = std::make_unique<TFaxViewer>(store);
  w->FileName = fine;
  w->printersInstalled = [] { return false; };
  w->show();
  QApplication::processEvents();
  EXPECT_FALSE(w->Printbutton->isEnabled());
  EXPECT_FALSE(w->PrinterSetupButton->isEnabled());
  EXPECT_TRUE(w->ExplorerButton1->isEnabled());
  faximage::TApdFaxViewer* v = w->FaxViewer;
  QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(v, &pageDown);
  EXPECT_EQ(w->StatusPanel->text(), "Page 2 of 3");
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ControlModifier);
  QApplication::sendEvent(v, &down);
  EXPECT_EQ(v->engine().vPos(), 80);
  EXPECT_EQ(v->verticalScrollBar()->value(), 80);  // the scroll bar follows
  v->verticalScrollBar()->setValue(200);             // and the page follows the scroll bar
  EXPECT_EQ(v->engine().vPos(), 200);
  QKeyEvent first(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
  QApplication::sendEvent(v, &first);
  EXPECT_EQ(w->StatusPanel->text(), "Page 1 of 3");
}

TEST_F(ViewerWindow, ABadFileShowsTheErrorBoxAndNoFile) {
  dir.write("BAD.APF", "APF10 but not really a fax file");
  auto box = answerNextMessageBox(QMessageBox::Ok);
  auto w = open(dir.file("BAD.APF"));
  EXPECT_TRUE(box->seen);
  EXPECT_EQ(box->text, "Error opening fax file");
  EXPECT_EQ(w->StatusPanel->text(), "No file loaded");
  EXPECT_EQ(w->FaxViewer->FileName(), "");
  w->PrintbuttonClick();  // nothing to print, no dialog
  w->exportClick("Export Page as BMP");
}

TEST_F(ViewerWindow, AFileDeletedWhileOpenGivesAViewerError) {
  auto w = open(fine);
  std::filesystem::remove(fine);
  auto box = answerNextMessageBox(QMessageBox::Ok);
  w->NextButton->click();
  EXPECT_TRUE(box->seen);
  EXPECT_TRUE(box->text.startsWith("Viewer error -")) << box->text.toStdString();
  EXPECT_EQ(w->StatusPanel->text(), "No file loaded");
}

TEST_F(ViewerWindow, DroppingTwoFilesLoadsTheFirst) {
  auto w = open(fine);
  std::string dropped;
  w->FaxViewer->OnDropFile = [&](faximage::TApdFaxViewer&, const std::string& name) { dropped = name; };
  EXPECT_TRUE(w->FaxViewer->DropFiles(
      {QUrl::fromLocalFile(QString::fromStdString(standard)), QUrl::fromLocalFile(QString::fromStdString(fine))}));
  EXPECT_EQ(dropped, standard);
  EXPECT_EQ(w->FaxViewer->FileName(), standard);
  EXPECT_EQ(w->FaxViewer->PageCount(), 1u);
  EXPECT_EQ(w->StatusPanel->text(), "Page 1 of 1");
  EXPECT_FALSE(w->FaxViewer->DropFiles({QUrl(QStringLiteral("https://example.org/fax.apf"))}));
  // A dropped file that is no fax: the viewer error, and no file.
  dir.write("NOTE.TXT", "hello");
  auto box = answerNextMessageBox(QMessageBox::Ok);
  w->FaxViewer->DropFiles({QUrl::fromLocalFile(QString::fromStdString(dir.file("NOTE.TXT")))});
  EXPECT_EQ(box->text, "Viewer error -8001");
}

TEST_F(ViewerWindow, PrintOptionsAreSavedAlsoWhenThePrintIsCancelled) {
  auto w = open(fine);
  bool asked = false;
  w->runPrePrint = [&](TPrePrintForm& form) {
    asked = true;
    EXPECT_EQ(form.windowTitle(), "Print");
    EXPECT_EQ(form.FromPage->value(), 1);
    EXPECT_EQ(form.ToPage->value(), 3);
    EXPECT_EQ(form.ToPage->maximum(), 3);
    form.PrintMultiPage->setChecked(true);
    form.PrintFooter->setChecked(false);
    return false;
  };
  w->PrintbuttonClick();
  EXPECT_TRUE(asked);
  settings::PrintOptions saved = store.loadPrintOptions();
  EXPECT_TRUE(saved.multiPage);
  EXPECT_TRUE(saved.header);
  EXPECT_FALSE(saved.footer);
}

TEST_F(ViewerWindow, PrintCurrentPageNeverPutsSeveralPagesOnASheet) {
  if (!faximage::test::haveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
  store.savePrintOptions({true, true, true});
  auto w = open(fine);
  w->NextButton->click();
  w->FaxPrinter.printer().setOutputFormat(QPrinter::PdfFormat);
  std::string pdf = dir.file("current.pdf");
  w->FaxPrinter.printer().setOutputFileName(QString::fromStdString(pdf));
  w->runPrePrint = [](TPrePrintForm& form) {
    EXPECT_FALSE(form.FromPage->isEnabled());
    EXPECT_FALSE(form.PrintMultiPage->isEnabled());
    EXPECT_EQ(form.FromPage->value(), 2);
    return true;
  };
  w->ExplorerButton1Click();
  EXPECT_FALSE(w->FaxPrinter.MultiPage);
  EXPECT_EQ(w->FaxPrinter.FirstPageToPrint, 1);  // the range is back to the whole fax
  EXPECT_EQ(w->FaxPrinter.LastPageToPrint, 3);
  std::string info, text;
  ASSERT_TRUE(faximage::test::runCommand("pdfinfo " + pdf, &info));
  EXPECT_EQ(std::atoi(info.c_str() + info.find("Pages:") + 6), 1) << info;
  faximage::test::runCommand("pdftotext " + pdf + " -", &text);
  EXPECT_NE(text.find("From: ACME SALES"), std::string::npos) << text;
  EXPECT_NE(text.find("Page: 2 of 3"), std::string::npos) << text;
  // The pre-print form refuses an inverted range.
  TPrePrintForm form;
  form.FromPage->setRange(1, 5);
  form.ToPage->setRange(1, 5);
  form.FromPage->setValue(4);
  form.ToPage->setValue(2);
  form.OkClick();
  EXPECT_EQ(form.result(), 0);
}

TEST_F(ViewerWindow, ExportWritesThePageOrTheWholeFax) {
  auto w = open(fine);
  w->NextButton->click();
  QString asked;
  std::string target;
  w->chooseSaveFile = [&](const QString& name, const QString& filter) {
    asked = name + "|" + filter;
    return QString::fromStdString(target);
  };
  for (auto [caption, file] : {std::pair{"Export Page as BMP", "page.bmp"}, {"Export Page as PCX", "page.pcx"},
                               {"Export Page as DCX", "page.dcx"}, {"Export Fax as PDF", "fax.pdf"},
                               {"Export Fax as TIFF", "fax.tif"}}) {
    target = dir.file(file);
    w->exportClick(caption);
    EXPECT_TRUE(std::filesystem::exists(target)) << caption;
  }
  EXPECT_EQ(asked, "*.TIF|TIFF File (*.TIF)");
  std::string info;
  if (faximage::test::haveTool("tiffinfo")) {
    faximage::test::runCommand("tiffinfo " + dir.file("fax.tif") + " 2>/dev/null | grep -c 'Image Width'", &info);
    EXPECT_EQ(std::atoi(info.c_str()), 3);
  }
  // The BMP holds page 2 at the fax's own size.
  QImage bmp(QString::fromStdString(dir.file("page.bmp")));
  EXPECT_GT(bmp.width(), 1600);  // trimmed to its widest line
  EXPECT_LE(bmp.width(), 1728);
  EXPECT_EQ(bmp.height(), 2200);
  // A place that cannot be written: the error box, nothing else.
  target = dir.file("no/such/folder/x.pdf");
  auto box = answerNextMessageBox(QMessageBox::Ok);
  w->exportClick("Export Fax as PDF");
  EXPECT_TRUE(box->seen);
}

}  // namespace
}  // namespace quillon::compose
