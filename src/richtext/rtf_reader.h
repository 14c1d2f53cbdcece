#pragma once
// Reads RTF into a QTextDocument: fonts from the font table, sizes, bold, italic, underline,
// strike-out, colours from the colour table; alignment, indents, space before and after, line
// spacing, tab stops and the new-page flag (\pagebb, and \page for a break inside the text);
// \'xx (code page 1252), \uN with its fall-back, tabs, line breaks, our field objects, the
// page size and margins. Unknown destinations are skipped; fields of other programs show
// their result text. Bad input yields a partial document and a message, never a crash.
#include <QString>

#include <string_view>

#include "richtext/page_layout.h"

class QTextDocument;

namespace quillon::richtext {

struct RtfReadResult {
  bool isRtf = true;       // false: the bytes did not begin with "{\rtf" and were read as plain text
  bool complete = true;    // false: the data ended inside a group (a truncated document)
  bool hasPageLayout = false;
  PageLayout pageLayout;   // from \paperw, \paperh and \margl ... \margb when present
  QString message;         // what was wrong, empty when nothing was

  bool ok() const { return isRtf && complete; }
};

// Replaces the document's content with what `bytes` hold.
RtfReadResult readRtf(std::string_view bytes, QTextDocument& document);

// The instruction our field objects carry in RTF: "QUILLONFIELD <number>".
inline constexpr const char* kFieldInstruction = "QUILLONFIELD";

}  // namespace quillon::richtext
