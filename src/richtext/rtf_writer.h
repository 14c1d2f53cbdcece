#pragma once
// Writes a QTextDocument as plain, readable RTF 1.x: a font table and a colour table, the page
// size and margins, then one \pard line per paragraph. Characters of code page 1252 are
// written as \'xx, others as \uN with '?' as fall-back; fields as
// {\field{\*\fldinst QUILLONFIELD n}{\fldrslt shown text}} so other word processors show their
// text. Reading what this writes and writing it again gives the same bytes.
#include <string>

#include "richtext/page_layout.h"

class QTextDocument;

namespace quillon::richtext {

std::string writeRtf(const QTextDocument& document, const PageLayout& layout);

}  // namespace quillon::richtext
