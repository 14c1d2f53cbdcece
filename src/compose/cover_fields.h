#pragma once
// The merge fields of cover sheets: what the cover editor's Insert menu offers, and the text
// the fax editor puts in their place when a template becomes a fax's cover.
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace quillon::compose {

struct MergeField {
  const char* menuText;   // the Insert menu's item
  int number;             // the field's kind
  const char* shownText;  // what the template shows
};

inline constexpr std::array<MergeField, 5> kMergeFields{{
    {"Recipient", 1, "[RECIPIENT]"},
    {"Fax Number", 2, "[FAX#]"},
    {"Subject", 3, "[SUBJECT]"},
    {"Date", 4, "[DATE]"},
    {"Time", 5, "[TIME]"},
}};

// A supplied text never passes this many characters.
inline constexpr int kFieldTextLimit = 100;

struct CoverFieldValues {
  QString recipient, faxNumber, subject;
  QDateTime now;
};

// The text for a field of kind `kind` (1-5), cut to 100 characters; nothing for other kinds,
// which then stay fields.
std::optional<QString> coverFieldText(int kind, const CoverFieldValues& values);

}  // namespace quillon::compose
