#pragma once
// Long operations show the hourglass and a status text; these guards put both back on every
// way out of the operation, exceptions included.
#include <QLabel>
#include <QPointer>
#include <QString>

namespace quillon::qtplatform {

// The wait cursor for the guard's lifetime. Guards nest.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Shows `text` in the status label and clears it when the guard goes. A label that was
// destroyed meanwhile is left alone.
class StatusText {
 public:
  StatusText(QLabel* label, const QString& text);
  ~StatusText();
  StatusText(const StatusText&) = delete;
  StatusText& operator=(const StatusText&) = delete;

  void set(const QString& text);  // a later step of the same operation

 private:
  QPointer<QLabel> label_;
};

}  // namespace quillon::qtplatform
