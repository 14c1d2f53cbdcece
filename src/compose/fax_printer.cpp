#include "compose/fax_printer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>

#include <fstream>

#include "faximage/viewer/page_render.h"
#include "compose/print_tags.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::compose {
namespace {

void letMessagesRun() { QCoreApplication::processEvents(); }

std::string shortDate() { return qtplatform::toCp1252(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)); }
std::string longTime() { return qtplatform::toCp1252(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat)); }

}  // namespace

const char* FaxPrintStatusText(int status) {
  switch (status) {
    case ppIdle: return "Idle";
    case ppComposing: return "Composing";
    case ppRendering: return "Rendering";
    case ppSubmitting: return "Submitting";
    case ppConverting: return "Converting";
    default: return "";
  }
}

void TApdFaxPrinterLog::UpdateLog(TApdFaxPrinter& printer, int code) {
  if (LogFileName.empty()) return;
  static const char* const verbs[] = {" started at ", " finished at ", " aborted at ", " failed at "};
  if (code < 0 || code > 3) return;
  std::ofstream out(LogFileName, std::ios::binary | std::ios::app);
  out << "Printing " << printer.FileName() << verbs[code] << shortDate() << ' ' << longTime();
  if (code != lcStart) out << "\r\n";  // an empty line after each job's end
  out << "\r\n";
}

TApdFaxPrinter::TApdFaxPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  unpacker_.Loading = true;
  unpacker_.OnYield = [] {
    letMessagesRun();
    return false;
  };
}

TApdFaxPrinter::~TApdFaxPrinter() = default;

void TApdFaxPrinter::SetFileName(const std::string& name) {
  fileName_ = name;
  unpacker_.SetInFileName(name);
  int count = unpacker_.FilePageCount();
  totalPages_ = count > 0 ? unsigned(count) : 0;
  highRes_ = totalPages_ && unpacker_.FileIsHighRes();
  wide_ = totalPages_ && unpacker_.FileIsWide();
  FirstPageToPrint = totalPages_ ? 1 : 0;
  LastPageToPrint = uint16_t(std::min(totalPages_, 65535u));
  printer_->setFromTo(totalPages_ ? 1 : 0, int(LastPageToPrint));
  printer_->setDocName(QString::fromStdString(Caption));
}

bool TApdFaxPrinter::PrintSetup(QWidget* parent) {
  QPrintDialog dialog(printer_.get(), parent);
  dialog.setMinMax(totalPages_ ? 1 : 0, int(totalPages_));
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, totalPages_ > 0);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (printer_->printRange() == QPrinter::PageRange && printer_->fromPage() > 0) {
    FirstPageToPrint = uint16_t(printer_->fromPage());
    LastPageToPrint = uint16_t(printer_->toPage());
  }
  return true;
}

void TApdFaxPrinter::NextPage(unsigned current, unsigned total) {
  if (OnNextPage) OnNextPage(*this, current, total);
}

void TApdFaxPrinter::FaxPrintLog(int code) {
  if (OnFaxPrintLog) OnFaxPrintLog(*this, code);
}

void TApdFaxPrinter::FaxPrintStatus(int status) {
  if (OnFaxPrintStatus) OnFaxPrintStatus(*this, status);
}

void TApdFaxPrinter::setStatus(int status) {
  if (status != status_) {
    status_ = status;
    FaxPrintStatus(status);
    if (StatusDisplay && jobRunning_) {
      try {
        StatusDisplay->UpdateDisplay(*this, false, false);
      } catch (...) {  // a status window that fails to refresh does not stop the job
      }
    }
  }
  letMessagesRun();
}

void TApdFaxPrinter::log(int code) {
  FaxPrintLog(code);
  if (FaxPrinterLog) FaxPrinterLog->UpdateLog(*this, code);
}

std::string TApdFaxPrinter::expand(const std::string& caption, unsigned page) const {
  return ExpandPrintTags(caption, {shortDate(), fileName_, std::to_string(totalPages_), std::to_string(page), longTime()});
}

void TApdFaxPrinter::drawMargin(QPainter& painter, TApdFaxPrinterMargin& margin, bool header, int& left, int& top,
                                int& right, int& bottom, unsigned page) {
  QFont font = margin.Font;
  if (MultiPage) font.setPointSizeF(std::max(1, font.pointSize() / 2));
  painter.setFont(font);
  QFontMetrics metrics(font, printer_.get());
  int h = metrics.height();
  margin.Height = h;
  QString text = qtplatform::fromCp1252(expand(margin.Caption, page));
  QRect box = header ? QRect(QPoint(left, top), QPoint(right, top + h)) : QRect(QPoint(left, bottom - h), QPoint(right, bottom));
  painter.save();
  painter.setClipRect(box);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  painter.restore();
  if (header) {
    top += h + 2;
    painter.drawLine(left, top, right, top);
    top += 1;
  } else {
    bottom -= h + 2;
    painter.drawLine(left, bottom, right, bottom);
    bottom -= 1;
  }
}

bool TApdFaxPrinter::printPage(QPainter& painter, unsigned page) {
  faximage::MonoBitmap bitmap;
  NextPage(page, totalPages_);
  setStatus(ppConverting);
  int status = unpacker_.DecodePageToBitmap(page, bitmap);
  letMessagesRun();
  if (!jobRunning_) return false;
  setStatus(ppComposing);
  if (status < 0 || bitmap.empty()) {
    log(lcFailed);
    return true;
  }
  int left = 0, top = 0, right = printer_->width(), bottom = printer_->height();
  if (MultiPage) {
    bool portrait = printer_->pageLayout().orientation() == QPageLayout::Portrait;
    right /= 2;
    if (portrait) bottom /= 2;
    unsigned q = (page - FirstPageToPrint) % 4;
    int w = right, h = bottom;
    if (q == 1 || q == 3) left += w, right += w;
    if (portrait && (q == 2 || q == 3)) top += h, bottom += h;
  }
  left += 2, top += 2, right -= 2, bottom -= 2;
  if (jobRunning_ && FaxHeader.Enabled) drawMargin(painter, FaxHeader, true, left, top, right, bottom, page);
  if (jobRunning_ && FaxFooter.Enabled) drawMargin(painter, FaxFooter, false, left, top, right, bottom, page);
  int width, height;
  int room = std::max(0, bottom - top);
  if (PrintScale == psFitToPage) {
    width = int((right - left) * 0.93);
    // Up to 1728 pixels the height follows the width; a wider page keeps its proportion to a
    // normal one, so it stays inside the rectangle.
    height = bitmap.width <= 1728 ? int(int64_t(room) * bitmap.width / 1728) : int(int64_t(room) * 1728 / bitmap.width);
  } else {
    int dpi = printer_->resolution();
    width = int(int64_t(bitmap.width) * dpi / 200);
    height = std::min(room, int(int64_t(bitmap.height) * dpi / 200));
  }
  setStatus(ppRendering);
  if (jobRunning_ && width > 0 && height > 0) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);  // a plain copy of the fax's pixels
    painter.drawImage(QRect(left, top, width, height), faximage::monoImage(bitmap));
  }
  setStatus(ppSubmitting);
  return true;
}

void TApdFaxPrinter::PrintFax() {
  if (totalPages_ == 0) {
    currentPage_ = 0;
    return;
  }
  jobRunning_ = true;
  aborted_ = false;
  setStatus(ppIdle);
  if (StatusDisplay) StatusDisplay->UpdateDisplay(*this, true, false);
  log(lcStart);
  printer_->setDocName(QString::fromStdString(Caption));
  QPainter painter;
  if (!painter.begin(printer_.get())) {
    jobRunning_ = false;
    log(lcFailed);
    if (StatusDisplay) StatusDisplay->UpdateDisplay(*this, false, true);
    return;
  }
  unsigned first = std::max<unsigned>(1, FirstPageToPrint), last = std::min<unsigned>(LastPageToPrint, totalPages_);
  for (unsigned i = first; i <= last; ++i) {
    currentPage_ = i;
    letMessagesRun();
    if (i != first && jobRunning_) {
      bool portrait = printer_->pageLayout().orientation() == QPageLayout::Portrait;
      unsigned perSheet = portrait ? 4 : 2;
      if (!MultiPage || (i - first) % perSheet == 0) printer_->newPage();
    }
    letMessagesRun();
    if (!jobRunning_) break;
    if (!printPage(painter, i)) break;
  }
  letMessagesRun();
  if (aborted_) {
    painter.end();
    // A PDF file that was being written is not left half done.
    if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty())
      QFile::remove(printer_->outputFileName());
    return;
  }
  painter.end();
  jobRunning_ = false;
  log(lcFinish);
  setStatus(ppIdle);
  if (StatusDisplay) StatusDisplay->UpdateDisplay(*this, false, true);
  currentPage_ = 0;
}

void TApdFaxPrinter::PrintAbort() {
  if (!jobRunning_) return;
  unpacker_.SetOptions(unpacker_.Options() | faximage::uoAbort);
  printer_->abort();
  jobRunning_ = false;
  aborted_ = true;
  currentPage_ = 0;
  log(lcAborted);
  if (StatusDisplay) StatusDisplay->UpdateDisplay(*this, false, true);
  letMessagesRun();
}

}  // namespace quillon::compose
