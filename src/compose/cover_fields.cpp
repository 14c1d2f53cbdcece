#include "compose/cover_fields.h"

#include <QLocale>

namespace quillon::compose {

std::optional<QString> coverFieldText(int kind, const CoverFieldValues& values) {
  QString text;
  switch (kind) {
    case 1: text = values.recipient; break;
    case 2: text = values.faxNumber; break;
    case 3: text = values.subject; break;
    case 4: text = QLocale::system().toString(values.now.date(), QLocale::ShortFormat); break;
    case 5: text = QLocale::system().toString(values.now.time(), QLocale::LongFormat); break;
    default: return std::nullopt;
  }
  return text.left(kFieldTextLimit);
}

}  // namespace quillon::compose
