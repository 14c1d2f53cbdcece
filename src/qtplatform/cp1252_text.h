#pragma once
// Engine text (code page 1252 bytes) to and from QString, through the one conversion table
// in platform/cp1252.h. Never QString::fromLatin1 for table fields, settings or modem
// strings: that would turn the euro sign, dashes and curly quotes into control characters.
#include <QString>

#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace quillon::qtplatform {

inline QString fromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char c : bytes) out.append(QChar(static_cast<char16_t>(platform::cp1252ToUnicode(c))));
  return out;
}

// Characters code page 1252 cannot hold become '?'.
inline std::string toCp1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    int byte = c.isSurrogate() ? -1 : platform::unicodeToCp1252(c.unicode());
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

}  // namespace quillon::qtplatform
