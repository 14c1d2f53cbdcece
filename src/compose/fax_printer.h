#pragma once
// TApdFaxPrinter: prints a range of pages of a fax file through Qt Print Support (any CUPS
// printer, or a PDF file), one or several fax pages a sheet, with header and footer lines.
// Progress goes to a status display and, when one is set, to a print log file.
#include <QFont>
#include <QPrinter>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "faximage/fax_unpacker.h"

class QWidget;

namespace quillon::compose {

class TApdFaxPrinter;

enum TFaxPrintScale { psNone, psFitToPage };

// Print status codes and their texts.
enum TFaxPrintProgress { ppIdle = 0, ppComposing = 1, ppRendering = 2, ppSubmitting = 3, ppConverting = 4 };
const char* FaxPrintStatusText(int status);
// Print log codes.
enum TFaxPLCode { lcStart = 0, lcFinish = 1, lcAborted = 2, lcFailed = 3 };

struct TApdFaxPrinterMargin {
  std::string Caption;
  bool Enabled = false;
  QFont Font = QFont(QStringLiteral("Sans Serif"), 10);
  int Height = 0;  // of the text drawn last, in printer pixels
};

class TApdAbstractFaxPrinterStatus {
 public:
  virtual ~TApdAbstractFaxPrinterStatus() = default;
  // First: printing starts (show); last: it ended (hide); neither: the status changed.
  virtual void UpdateDisplay(TApdFaxPrinter& printer, bool first, bool last) = 0;
};

// Appends a line to LogFileName for each log code (nothing when the name is empty).
class TApdFaxPrinterLog {
 public:
  std::string LogFileName = "FAXPRINT.LOG";
  virtual ~TApdFaxPrinterLog() = default;
  virtual void UpdateLog(TApdFaxPrinter& printer, int code);
};

class TApdFaxPrinter {
 public:
  TApdFaxPrinter();
  ~TApdFaxPrinter();
  TApdFaxPrinter(const TApdFaxPrinter&) = delete;
  TApdFaxPrinter& operator=(const TApdFaxPrinter&) = delete;

  std::string Caption = "Quillon fax";
  TApdFaxPrinterMargin FaxFooter{"PAGE: $P of $N", true};
  TApdFaxPrinterMargin FaxHeader{"FILE: $F", true};
  TApdFaxPrinterLog* FaxPrinterLog = nullptr;
  bool MultiPage = false;
  TFaxPrintScale PrintScale = psFitToPage;
  TApdAbstractFaxPrinterStatus* StatusDisplay = nullptr;
  std::function<void(TApdFaxPrinter& sender, unsigned current, unsigned total)> OnNextPage;
  std::function<void(TApdFaxPrinter& sender, int logCode)> OnFaxPrintLog;
  std::function<void(TApdFaxPrinter& sender, int status)> OnFaxPrintStatus;

  const std::string& FileName() const { return fileName_; }
  // Reads the page count, resolution and width; the range becomes 1 .. total (0 .. 0 for a
  // fax without pages or a file that cannot be read).
  void SetFileName(const std::string& name);
  unsigned TotalPages() const { return totalPages_; }
  uint16_t FirstPageToPrint = 0;
  uint16_t LastPageToPrint = 0;
  unsigned CurrentPage() const { return currentPage_; }
  bool HighRes() const { return highRes_; }
  bool Wide() const { return wide_; }
  int LastStatus() const { return status_; }
  bool Printing() const { return jobRunning_; }

  QPrinter& printer() { return *printer_; }
  // The standard print dialog; on OK its page range becomes the range printed.
  bool PrintSetup(QWidget* parent = nullptr);
  void PrintFax();
  void PrintAbort();

 protected:
  virtual void NextPage(unsigned current, unsigned total);
  virtual void FaxPrintLog(int code);
  virtual void FaxPrintStatus(int status);

 private:
  void setStatus(int status);
  void log(int code);
  bool printPage(class QPainter& painter, unsigned page);
  void drawMargin(class QPainter& painter, TApdFaxPrinterMargin& margin, bool header, int& left, int& top,
                  int& right, int& bottom, unsigned page);
  std::string expand(const std::string& caption, unsigned page) const;

  std::unique_ptr<QPrinter> printer_;
  faximage::TApdFaxUnpacker unpacker_;
  std::string fileName_;
  unsigned totalPages_ = 0;
  unsigned currentPage_ = 0;
  bool highRes_ = false, wide_ = false;
  int status_ = ppIdle;
  bool jobRunning_ = false;
  bool aborted_ = false;
};

}  // namespace quillon::compose
