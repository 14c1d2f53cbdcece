#pragma once
// RTF documents the rich-text tests share: each exercises one part of the format, and one
// is 200 pages of running text.
#include <QTextDocument>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

inline std::string richTextData(const std::string& name) {
  const char* root = std::getenv("QUILLON_TEST_DATA");
  std::ifstream in(std::string(root ? root : "tests/data") + "/../richtext/data/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string rtfHead() {
  return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}{\\f1\\froman DejaVu Serif;}}"
         "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}\n";
}

// Justified running text: `paragraphs` paragraphs of three sentences each ending in `tail`, and
// a heading before every `headingEvery`-th.
inline std::string runningText(int paragraphs, int headingEvery, const std::string& tail = "") {
  std::string rtf = rtfHead();
  const std::string sentence =
      "The quick brown fox jumps over the lazy dog while the fax machine hums along quietly. ";
  for (int paragraph = 0; paragraph < paragraphs; ++paragraph) {
    if (paragraph % headingEvery == 0)
      rtf += "\\pard\\sb240\\sa120\\plain\\f0\\fs28\\b Section " + std::to_string(paragraph / headingEvery + 1) + "\\par\n";
    rtf += "\\pard\\qj\\sa120\\plain\\f1\\fs24 ";
    for (int s = 0; s < 3; ++s) rtf += sentence;
    rtf += tail + "\\par\n";
  }
  return rtf + "}";
}

// Two hundred pages of justified running text with a heading now and then.
inline std::string longDocument() { return runningText(2900, 60); }

inline std::vector<std::pair<std::string, std::string>> sampleDocuments() {
  const std::string h = rtfHead();
  return {
      {"empty", "{\\rtf1\\ansi}"},
      {"characters", h + "\\pard\\plain\\f0\\fs24 plain \\b bold\\b0  \\i italic\\i0  \\ul underlined\\ulnone  "
                         "\\strike struck\\strike0  {\\cf1 red} {\\cf2 green} \\f1\\fs40 big serif\\par}"},
      {"paragraphs", h + "\\pard\\qc centred\\par\\pard\\qr right\\par\\pard\\qj justified text that runs on and on "
                         "until it wraps at the right margin of the page and is spread out to both margins\\par"
                         "\\pard\\li1440\\ri720\\fi-360 indented\\par\\pard\\sb480\\sa240 spaced\\par"
                         "\\pard\\sl480\\slmult1 double\\line spaced\\par\\pard\\sl-600\\slmult0 exactly 30 points\\par"
                         "\\pard\\sl400\\slmult0 at least 20 points\\par}"},
      {"tabs", h + "\\pard\\tx1440\\tqc\\tx5040\\tqr\\tx9000\\tqdec\\tx10000 a\\tab b\\tab c\\tab 3.14\\par}"},
      {"fields", h + "\\pard\\plain\\f0\\fs24 To: {\\field{\\*\\fldinst QUILLONFIELD 1}{\\fldrslt\\cf1 [RECIPIENT]}}\\par"
                     "\\pard\\b Date: {\\field{\\*\\fldinst QUILLONFIELD 4}{\\fldrslt [DATE]}} and "
                     "{\\field{\\*\\fldinst { PAGE }}{\\fldrslt 7}}\\par}"},
      {"page breaks", h + "\\pard one\\par\\pard\\pagebb two\\par\\pard three\\page four\\par\\pard\\par\\pard\\pagebb\\par}"},
      {"latin-1 and beyond", h + "\\pard caf\\'e9 na\\'efve \\'80 \\'93quoted\\'94 \\u8364? \\u-3913? "
                                 "\\uc2\\u945\\'61\\'62 \\uc1 \\u-10179\\u-8704? \\{braces\\} back\\\\slash\\~nbsp\\par}"},
      {"cover letter", richTextData("cover_letter.rtf")},
      {"200 pages", longDocument()},
  };
}

}  // namespace quillon::test
