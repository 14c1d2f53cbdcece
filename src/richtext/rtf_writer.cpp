#include "richtext/rtf_writer.h"

#include <QTextBlock>
#include <QTextDocument>

#include <cmath>
#include <vector>

#include "richtext/code_page_1252.h"
#include "richtext/field_object.h"
#include "richtext/rtf_reader.h"

namespace quillon::richtext {
namespace {

// What one run of text looks like in RTF terms.
struct RunFormat {
  int font = 0;
  int halfPoints = 24;
  bool bold = false, italic = false, underline = false, strike = false;
  int colour = 0;  // 0 = automatic
  bool operator==(const RunFormat&) const = default;
};

class Writer {
 public:
  Writer(const QTextDocument& document, const PageLayout& layout) : document_(document), layout_(layout) {}
  std::string run();

 private:
  void collectTables();
  int fontIndex(const QTextCharFormat& format) const;
  int colourIndex(const QTextCharFormat& format) const;
  RunFormat runFormat(const QTextCharFormat& format) const;
  void paragraphProperties(const QTextBlock& block);
  void changeRun(const RunFormat& from, const RunFormat& to, bool all);
  void textOf(const QString& text);
  void word(const char* name, int value);
  void word(const char* name) { out_ += '\\'; out_ += name; needsDelimiter_ = true; }
  void raw(const std::string& text) { out_ += text; needsDelimiter_ = false; }
  static int twips(double pixels) { return pixelsToTwips(pixels); }
  QString familyOf(const QTextCharFormat& format) const;

  const QTextDocument& document_;
  PageLayout layout_;
  std::vector<QString> fonts_;
  std::vector<QColor> colours_;  // index 0 of the table is "auto" and not in here
  int fieldColour_ = 0;
  std::string out_;
  bool needsDelimiter_ = false;
};

QString Writer::familyOf(const QTextCharFormat& format) const {
  const QStringList families = format.fontFamilies().toStringList();
  if (!families.isEmpty() && !families.front().isEmpty()) return families.front();
  return document_.defaultFont().family();
}

void Writer::collectTables() {
  fonts_.push_back(document_.defaultFont().family());
  auto addFont = [this](const QString& family) {
    for (const QString& f : fonts_)
      if (f == family) return;
    fonts_.push_back(family);
  };
  auto addColour = [this](const QColor& colour) {
    for (const QColor& c : colours_)
      if (c.rgb() == colour.rgb()) return;
    colours_.push_back(colour);
  };
  colours_.push_back(insertPointColour());  // fields' shown text is written in red
  fieldColour_ = 1;
  for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
    if (block.begin() == block.end()) addFont(familyOf(block.charFormat()));  // an empty paragraph's font
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      addFont(familyOf(format));
      if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        addColour(format.foreground().color());
    }
  }
}

int Writer::fontIndex(const QTextCharFormat& format) const {
  const QString family = familyOf(format);
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == family) return static_cast<int>(i);
  return 0;
}

int Writer::colourIndex(const QTextCharFormat& format) const {
  if (!format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().style() == Qt::NoBrush) return 0;
  const QRgb rgb = format.foreground().color().rgb();
  for (std::size_t i = 0; i < colours_.size(); ++i)
    if (colours_[i].rgb() == rgb) return static_cast<int>(i) + 1;
  return 0;
}

RunFormat Writer::runFormat(const QTextCharFormat& format) const {
  RunFormat run;
  run.font = fontIndex(format);
  double points = format.fontPointSize();
  if (points <= 0) points = document_.defaultFont().pointSizeF();
  if (points <= 0) points = 12;
  run.halfPoints = static_cast<int>(std::lround(points * 2));
  run.bold = format.fontWeight() >= QFont::DemiBold;
  run.italic = format.fontItalic();
  run.underline = format.fontUnderline();
  run.strike = format.fontStrikeOut();
  run.colour = colourIndex(format);
  return run;
}

void Writer::word(const char* name, int value) {
  out_ += '\\';
  out_ += name;
  out_ += std::to_string(value);
  needsDelimiter_ = true;
}

void Writer::changeRun(const RunFormat& from, const RunFormat& to, bool all) {
  if (all || from.font != to.font) word("f", to.font);
  if (all || from.halfPoints != to.halfPoints) word("fs", to.halfPoints);
  auto toggle = [this, all](const char* on, const char* off, bool was, bool is) {
    if (is && (all || !was)) word(on);
    else if (!is && was && !all) word(off);
  };
  toggle("b", "b0", from.bold, to.bold);
  toggle("i", "i0", from.italic, to.italic);
  toggle("ul", "ulnone", from.underline, to.underline);
  toggle("strike", "strike0", from.strike, to.strike);
  if ((all && to.colour) || (!all && from.colour != to.colour)) word("cf", to.colour);
}

void Writer::paragraphProperties(const QTextBlock& block) {
  const QTextBlockFormat p = block.blockFormat();
  word("pard");
  const Qt::Alignment align = p.alignment() & Qt::AlignHorizontal_Mask;
  if (align & Qt::AlignHCenter) word("qc");
  else if (align & Qt::AlignRight) word("qr");
  else if (align & Qt::AlignJustify) word("qj");
  if (p.leftMargin() != 0) word("li", twips(p.leftMargin()));
  if (p.rightMargin() != 0) word("ri", twips(p.rightMargin()));
  if (p.textIndent() != 0) word("fi", twips(p.textIndent()));
  if (p.topMargin() != 0) word("sb", twips(p.topMargin()));
  if (p.bottomMargin() != 0) word("sa", twips(p.bottomMargin()));
  if (p.hasProperty(QTextFormat::LineHeightType)) {
    switch (p.lineHeightType()) {
      case QTextBlockFormat::ProportionalHeight:
        word("sl", static_cast<int>(std::lround(p.lineHeight() * 240.0 / 100.0)));
        word("slmult", 1);
        break;
      case QTextBlockFormat::MinimumHeight:
        word("sl", twips(p.lineHeight()));
        word("slmult", 0);
        break;
      case QTextBlockFormat::FixedHeight:
        word("sl", -twips(p.lineHeight()));
        word("slmult", 0);
        break;
      default: break;
    }
  }
  for (const QTextOption::Tab& tab : p.tabPositions()) {
    if (tab.type == QTextOption::RightTab) word("tqr");
    else if (tab.type == QTextOption::CenterTab) word("tqc");
    else if (tab.type == QTextOption::DelimiterTab) word("tqdec");
    word("tx", twips(tab.position));
  }
  if (p.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) word("pagebb");
}

void Writer::textOf(const QString& text) {
  auto plainChar = [this](char c) {
    if (needsDelimiter_) out_ += ' ';
    needsDelimiter_ = false;
    out_ += c;
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const char16_t u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      out_ += '\\';
      out_ += static_cast<char>(u);
      needsDelimiter_ = false;
    } else if (u == '\t') word("tab");
    else if (u == QChar::LineSeparator || u == '\n' || u == '\r') word("line");
    else if (u == 0x00A0) raw("\\~");
    else if (u == 0x00AD) raw("\\-");
    else if (u == 0x2011) raw("\\_");
    else if (u == QChar::ObjectReplacementCharacter || u == QChar::ParagraphSeparator || u < 0x20) continue;
    else if (u >= 0x20 && u < 0x80) plainChar(static_cast<char>(u));
    else if (int byte = unicodeToCp1252(u); byte >= 0) {
      static const char* hex = "0123456789abcdef";
      raw(std::string("\\'") + hex[byte >> 4] + hex[byte & 15]);
    } else {
      // \uN takes a signed 16-bit number; characters beyond 16 bits go as their two halves.
      word("u", static_cast<int16_t>(u));
      raw("?");
    }
  }
}

std::string Writer::run() {
  collectTables();
  const PageLayout l = layout_.sane();
  raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl");
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    raw("{");
    word("f", static_cast<int>(i));
    word("fnil");
    word("fcharset", 0);
    textOf(fonts_[i]);
    raw(";}");
  }
  raw("}\n{\\colortbl;");
  for (const QColor& c : colours_) {
    word("red", c.red());
    word("green", c.green());
    word("blue", c.blue());
    raw(";");
  }
  raw("}\n");
  word("paperw", l.pageWidth);
  word("paperh", l.pageHeight);
  word("margl", l.marginLeft);
  word("margr", l.marginRight);
  word("margt", l.marginTop);
  word("margb", l.marginBottom);
  raw("\n");
  for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
    paragraphProperties(block);
    word("plain");
    RunFormat current;  // what \plain leaves
    current.font = 0;
    QTextCharFormat first = block.charFormat();
    if (block.begin() != block.end()) first = block.begin().fragment().charFormat();
    const RunFormat opening = runFormat(first);
    changeRun(current, opening, true);
    current = opening;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      const RunFormat next = runFormat(format);
      if (!(next == current)) changeRun(current, next, false);
      current = next;
      if (isField(format)) {
        const QString text = fragment.text();
        for (qsizetype i = 0; i < text.size(); ++i) {
          raw("{\\field{\\*\\fldinst ");
          raw(std::string(kFieldInstruction) + " " + std::to_string(fieldNumber(format)));
          raw("}{\\fldrslt");
          word("cf", fieldColour_);
          textOf(fieldText(format));
          raw("}}");
        }
      } else {
        textOf(fragment.text());
      }
    }
    raw("\\par\n");
  }
  raw("}\n");
  return out_;
}

}  // namespace

std::string writeRtf(const QTextDocument& document, const PageLayout& layout) {
  return Writer(document, layout).run();
}

}  // namespace quillon::richtext
