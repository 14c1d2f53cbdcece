#include "richtext/rtf_reader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <unordered_set>
#include <vector>

#include "richtext/code_page_1252.h"
#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/rtf_tokenizer.h"

namespace quillon::richtext {
namespace {

// Groups deeper than this still nest and close correctly but share their parent's state,
// so a hostile document cannot make the reader's stack grow without bound.
constexpr std::size_t kMaxStateDepth = 4096;

enum class Destination { Text, Skip, FontTable, ColourTable, FieldInstruction, FieldResult };

// Destinations whose content is not text of the document.
const std::unordered_set<std::string_view>& skippedDestinations() {
  static const std::unordered_set<std::string_view> names = {
      "info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
      "footerf", "pict", "object", "footnote", "annotation", "xe", "tc", "rxe", "txe", "filetbl",
      "revtbl", "listtable", "listoverridetable", "rsidtbl", "pgdsctbl", "mmathPr", "themedata",
      "colorschememapping", "datastore", "latentstyles", "ftnsep", "ftnsepc", "aftnsep", "aftnsepc",
      "shp", "shpinst", "nonshppict", "xmlnstbl", "template", "docvar", "printim", "generator",
      "userprops", "background", "bkmkstart", "bkmkend", "atnid", "atnauthor", "fldtype", "falt",
      "panose", "keycode", "do", "objdata", "result"};
  return names;
}

// A font name as it can be written again: no control characters, single inner blanks.
QString cleanFontName(const QString& name) {
  QString clean;
  for (QChar c : name)
    if (c.unicode() >= 0x20 && c != QChar::ObjectReplacementCharacter) clean.append(c);
  return clean.simplified();
}

struct GroupState {
  Destination destination = Destination::Text;
  QTextCharFormat chars;
  QTextBlockFormat paragraph;
  QTextOption::TabType nextTabType = QTextOption::LeftTab;
  int unicodeFallback = 1;  // \ucN
};

struct OpenField {
  std::size_t depth;        // the group the \field word stands in
  std::string instruction;
  QString result;
  QTextCharFormat format;   // the format the field was started in
  bool ours = false;
  int number = 0;
};

class Reader {
 public:
  Reader(std::string_view bytes, QTextDocument& document)
      : tokens_(bytes), document_(document), cursor_(&document) {}

  RtfReadResult run();

 private:
  GroupState& state() { return stack_.back(); }
  void openGroup();
  void closeGroup();
  void controlWord(const RtfToken& token);
  bool characterWord(std::string_view word, bool on, int value, bool hasValue);
  bool paragraphWord(std::string_view word, int value, bool hasValue);
  void controlSymbol(char symbol);
  void text(std::string_view bytes);
  void put(const QString& text);
  void unicode(int value);
  void flush();
  void startParagraphIfPending();
  void applyParagraph();
  void endParagraph();
  void pageBreak();
  void finishField();
  QTextCharFormat plainFormat() const;

  RtfTokenizer tokens_;
  QTextDocument& document_;
  QTextCursor cursor_;
  std::vector<GroupState> stack_;
  std::size_t overflowDepth_ = 0;
  std::size_t depth_ = 0;  // groups open, including those beyond kMaxStateDepth
  bool pendingDestination_ = false;  // a \* was seen
  int skipFallback_ = 0;   // fall-back characters of a \uN still to skip
  char16_t highSurrogate_ = 0;

  QString pendingText_;
  QTextCharFormat pendingFormat_;
  QTextBlockFormat appliedParagraph_;
  bool paragraphApplied_ = false;
  bool paragraphBreakPending_ = false;
  bool pageBreakPending_ = false;
  bool blockHasContent_ = false;

  std::map<int, QString> fonts_;
  int fontBeingNamed_ = 0;
  QString fontName_;
  int defaultFont_ = 0;
  std::vector<QColor> colours_;  // index 0 is "auto" (invalid colour)
  int red_ = -1, green_ = -1, blue_ = -1;
  std::vector<OpenField> fields_;
  RtfReadResult result_;
};

QTextCharFormat Reader::plainFormat() const {
  QTextCharFormat format;
  auto font = fonts_.find(defaultFont_);
  format.setFontFamilies(QStringList{font != fonts_.end() ? font->second : document_.defaultFont().family()});
  format.setFontPointSize(12);
  return format;
}

RtfReadResult Reader::run() {
  document_.clear();
  installFieldHandler(document_);
  cursor_ = QTextCursor(&document_);
  stack_.push_back(GroupState{});
  state().chars = plainFormat();
  bool started = false;
  for (RtfToken token = tokens_.next(); token.kind != RtfToken::End; token = tokens_.next()) {
    if (token.kind != RtfToken::Text && token.kind != RtfToken::HexByte &&
        !(token.kind == RtfToken::ControlWord && token.word == "u"))
      skipFallback_ = 0;
    switch (token.kind) {
      case RtfToken::GroupOpen:
        openGroup();
        started = true;
        break;
      case RtfToken::GroupClose:
        closeGroup();
        if (depth_ == 0 && started) return result_;
        break;
      case RtfToken::ControlWord: controlWord(token); break;
      case RtfToken::ControlSymbol: controlSymbol(token.symbol); break;
      case RtfToken::HexByte:
        if (skipFallback_ > 0) {
          --skipFallback_;
          break;
        }
        put(QString(QChar(cp1252ToUnicode(token.byte))));
        break;
      case RtfToken::Text: text(token.word); break;
      case RtfToken::Binary: break;  // pictures and objects: not shown
      case RtfToken::End: break;
    }
  }
  flush();
  if (!paragraphBreakPending_) applyParagraph();
  while (!fields_.empty()) finishField();
  result_.complete = false;
  result_.message = QStringLiteral("The RTF text ends before all its groups are closed; it may be cut short.");
  return result_;
}

void Reader::openGroup() {
  flush();
  ++depth_;
  if (stack_.size() >= kMaxStateDepth) {
    ++overflowDepth_;
    return;
  }
  stack_.push_back(stack_.back());
}

void Reader::closeGroup() {
  flush();
  // The last paragraph takes its properties before the document's group ends.
  if (depth_ == 1 && !paragraphBreakPending_) applyParagraph();
  pendingDestination_ = false;
  if (depth_ == 0) return;  // a closing brace too many: ignored
  --depth_;
  if (overflowDepth_ > 0) {
    --overflowDepth_;
  } else {
    const GroupState closing = stack_.back();
    if (stack_.size() > 1) stack_.pop_back();
    if (closing.destination == Destination::FontTable && !fontName_.isEmpty()) {
      fonts_[fontBeingNamed_] = cleanFontName(fontName_);
      fontName_.clear();
    }
  }
  while (!fields_.empty() && fields_.back().depth > depth_) finishField();
}

void Reader::text(std::string_view bytes) {
  if (skipFallback_ > 0) {
    const std::size_t skip = std::min<std::size_t>(skipFallback_, bytes.size());
    bytes.remove_prefix(skip);
    skipFallback_ -= static_cast<int>(skip);
  }
  if (bytes.empty()) return;
  QString decoded;
  decoded.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) decoded.append(QChar(cp1252ToUnicode(static_cast<std::uint8_t>(c))));
  put(decoded);
}

void Reader::put(const QString& text) {
  switch (state().destination) {
    case Destination::Skip: return;
    case Destination::FieldInstruction:
      if (!fields_.empty()) fields_.back().instruction += text.toLatin1().toStdString();
      return;
    case Destination::FieldResult:
      if (!fields_.empty()) fields_.back().result += text;
      return;
    case Destination::FontTable:
      for (QChar c : text) {
        if (c == u';') {
          fonts_[fontBeingNamed_] = cleanFontName(fontName_);
          fontName_.clear();
        } else {
          fontName_.append(c);
        }
      }
      return;
    case Destination::ColourTable:
      for (QChar c : text)
        if (c == u';') {
          colours_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                                 ? QColor()
                                 : QColor(std::clamp(red_, 0, 255), std::clamp(green_, 0, 255), std::clamp(blue_, 0, 255)));
          red_ = green_ = blue_ = -1;
        }
      return;
    case Destination::Text: break;
  }
  // Control characters, stray object and paragraph marks have no place inside a paragraph.
  QString clean;
  clean.reserve(text.size());
  for (QChar c : text)
    if ((c.unicode() >= 0x20 || c == u'\t') && c != QChar::ObjectReplacementCharacter && c != QChar::ParagraphSeparator &&
        c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
      clean.append(c);
  if (clean.isEmpty()) return;
  startParagraphIfPending();
  if (!pendingText_.isEmpty() && pendingFormat_ != state().chars) flush();
  if (pendingText_.isEmpty()) pendingFormat_ = state().chars;
  pendingText_ += clean;
}

void Reader::flush() {
  if (pendingText_.isEmpty()) return;
  applyParagraph();
  cursor_.insertText(pendingText_, pendingFormat_);
  blockHasContent_ = true;
  pendingText_.clear();
}

void Reader::applyParagraph() {
  QTextBlockFormat format = state().paragraph;
  if (pageBreakPending_) format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  if (!paragraphApplied_ || format != appliedParagraph_) {
    cursor_.setBlockFormat(format);
    appliedParagraph_ = format;
    paragraphApplied_ = true;
  }
  if (!blockHasContent_) cursor_.setBlockCharFormat(state().chars);
}

void Reader::startParagraphIfPending() {
  if (!paragraphBreakPending_) return;
  paragraphBreakPending_ = false;
  pageBreakPending_ = false;
  cursor_.insertBlock(state().paragraph, state().chars);
  appliedParagraph_ = state().paragraph;
  paragraphApplied_ = true;
  blockHasContent_ = false;
}

void Reader::endParagraph() {
  flush();
  startParagraphIfPending();  // an empty paragraph before this one
  applyParagraph();
  paragraphBreakPending_ = true;
}

void Reader::pageBreak() {
  flush();
  if (paragraphBreakPending_ || blockHasContent_) {
    if (!paragraphBreakPending_) endParagraph();
    startParagraphIfPending();
  }
  pageBreakPending_ = true;
  applyParagraph();
}

void Reader::finishField() {
  OpenField field = fields_.back();
  fields_.pop_back();
  if (!field.ours || state().destination != Destination::Text) {
    if (field.ours) put(field.result);  // a field inside another field's result
    return;
  }
  startParagraphIfPending();
  flush();
  applyParagraph();
  cursor_.insertText(QString(QChar::ObjectReplacementCharacter), fieldFormat(field.format, field.number, field.result));
  blockHasContent_ = true;
}

void Reader::unicode(int value) {
  if (value < 0) value += 65536;
  const char16_t unit = static_cast<char16_t>(value & 0xFFFF);
  skipFallback_ = state().unicodeFallback;
  if (QChar::isHighSurrogate(unit)) {
    highSurrogate_ = unit;
    return;
  }
  if (QChar::isLowSurrogate(unit) && highSurrogate_) {
    const QChar pair[2] = {QChar(highSurrogate_), QChar(unit)};
    highSurrogate_ = 0;
    put(QString(pair, 2));
    return;
  }
  highSurrogate_ = 0;
  if (QChar::isSurrogate(unit)) return;  // a lone half of a pair carries no character
  put(QString(QChar(unit)));
}

void Reader::controlSymbol(char symbol) {
  switch (symbol) {
    case '\\': case '{': case '}': put(QString(QChar(symbol))); break;
    case '~': put(QString(QChar(0x00A0))); break;
    case '_': put(QString(QChar(0x2011))); break;
    case '-': put(QString(QChar(0x00AD))); break;
    case '\t': put(QStringLiteral("\t")); break;
    case '\n': if (state().destination == Destination::Text) endParagraph(); break;
    case '*': pendingDestination_ = true; return;
    default: break;
  }
  pendingDestination_ = false;
}

bool Reader::characterWord(std::string_view w, bool on, int value, bool hasValue) {
  QTextCharFormat& f = state().chars;
  if (w == "plain") f = plainFormat();
  else if (w == "b") f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  else if (w == "i") f.setFontItalic(on);
  else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth" || w == "ulwave")
    f.setFontUnderline(on);
  else if (w == "ulnone") f.setFontUnderline(false);
  else if (w == "strike") f.setFontStrikeOut(on);
  else if (w == "f") {
    auto font = fonts_.find(value);
    if (font != fonts_.end() && !font->second.isEmpty()) f.setFontFamilies(QStringList{font->second});
  } else if (w == "fs") f.setFontPointSize(std::clamp(hasValue ? value : 24, 2, 3276) / 2.0);
  else if (w == "cf") {
    if (value > 0 && static_cast<std::size_t>(value) < colours_.size() && colours_[value].isValid())
      f.setForeground(colours_[value]);
    else
      f.clearForeground();
  } else return false;
  return true;
}

bool Reader::paragraphWord(std::string_view w, int value, bool hasValue) {
  QTextBlockFormat& p = state().paragraph;
  const double px = twipsToPixels(std::clamp(value, -288000, 288000));
  if (w == "pard") {
    p = QTextBlockFormat();
    state().nextTabType = QTextOption::LeftTab;
  } else if (w == "ql") p.clearProperty(QTextFormat::BlockAlignment);
  else if (w == "qc") p.setAlignment(Qt::AlignHCenter);
  else if (w == "qr") p.setAlignment(Qt::AlignRight);
  else if (w == "qj") p.setAlignment(Qt::AlignJustify);
  else if (w == "li") p.setLeftMargin(px);
  else if (w == "ri") p.setRightMargin(px);
  else if (w == "fi") p.setTextIndent(px);
  else if (w == "sb") p.setTopMargin(std::max(0.0, px));
  else if (w == "sa") p.setBottomMargin(std::max(0.0, px));
  else if (w == "sl") {
    if (!hasValue || value == 0) p.clearProperty(QTextFormat::LineHeight), p.clearProperty(QTextFormat::LineHeightType);
    else if (value < 0) p.setLineHeight(twipsToPixels(std::min(-static_cast<long long>(value), 288000LL)), QTextBlockFormat::FixedHeight);
    else p.setLineHeight(px, QTextBlockFormat::MinimumHeight);
  } else if (w == "slmult") {
    if (value != 0 && p.lineHeightType() == QTextBlockFormat::MinimumHeight)
      p.setLineHeight(p.lineHeight() * 1440.0 / layoutDpi() * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
  } else if (w == "tqr") state().nextTabType = QTextOption::RightTab;
  else if (w == "tqc") state().nextTabType = QTextOption::CenterTab;
  else if (w == "tqdec") state().nextTabType = QTextOption::DelimiterTab;
  else if (w == "tx") {
    QList<QTextOption::Tab> tabs = p.tabPositions();
    if (tabs.size() < 256 && value >= 0)
      tabs.append(QTextOption::Tab(px, state().nextTabType, state().nextTabType == QTextOption::DelimiterTab ? QChar('.') : QChar()));
    p.setTabPositions(tabs);
    state().nextTabType = QTextOption::LeftTab;
  } else if (w == "pagebb") {
    if (!hasValue || value != 0) p.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    else p.clearProperty(QTextFormat::PageBreakPolicy);
  } else return false;
  return true;
}

void Reader::controlWord(const RtfToken& token) {
  const std::string_view w = token.word;
  const int value = token.parameter;
  const bool on = !token.hasParameter || value != 0;
  const bool destinationMarked = pendingDestination_;
  pendingDestination_ = false;
  GroupState& s = state();

  // Destinations.
  if (w == "fonttbl") { s.destination = Destination::FontTable; return; }
  if (w == "colortbl") { s.destination = Destination::ColourTable; red_ = green_ = blue_ = -1; return; }
  if (w == "field") {
    flush();
    fields_.push_back(OpenField{depth_, {}, {}, s.chars, false, 0});
    return;
  }
  if (w == "fldinst") {
    s.destination = fields_.empty() ? Destination::Skip : Destination::FieldInstruction;
    return;
  }
  if (w == "fldrslt") {
    if (fields_.empty()) return;
    OpenField& field = fields_.back();
    const QStringList words = QString::fromLatin1(field.instruction.c_str()).simplified().split(u' ');
    bool isNumber = false;
    const int number = words.size() >= 2 ? words[1].toInt(&isNumber) : 0;
    field.ours = words.size() >= 2 && words[0].compare(QLatin1String(kFieldInstruction), Qt::CaseInsensitive) == 0 && isNumber;
    field.number = number;
    if (field.ours && s.destination == Destination::Text) s.destination = Destination::FieldResult;
    return;
  }
  if (destinationMarked || skippedDestinations().count(w)) {
    s.destination = Destination::Skip;
    return;
  }

  if (s.destination == Destination::FontTable) {
    if (w == "f") {
      if (!fontName_.isEmpty()) fonts_[fontBeingNamed_] = cleanFontName(fontName_);
      fontName_.clear();
      fontBeingNamed_ = value;
    }
    return;
  }
  if (s.destination == Destination::ColourTable) {
    if (w == "red") red_ = value;
    else if (w == "green") green_ = value;
    else if (w == "blue") blue_ = value;
    return;
  }

  // Document settings.
  if (w == "deff") { defaultFont_ = value; return; }
  if (w == "uc") { s.unicodeFallback = std::clamp(value, 0, 16); return; }
  if (w == "u") { unicode(value); return; }
  PageLayout& layout = result_.pageLayout;
  int* pageValue = w == "paperw" ? &layout.pageWidth : w == "paperh" ? &layout.pageHeight
                 : w == "margl" ? &layout.marginLeft : w == "margr" ? &layout.marginRight
                 : w == "margt" ? &layout.marginTop : w == "margb" ? &layout.marginBottom : nullptr;
  if (pageValue) {
    *pageValue = value;
    result_.hasPageLayout = true;
    return;
  }

  // Text.
  if (w == "par" || w == "sect" || w == "row") {
    if (s.destination == Destination::Text) endParagraph();
    return;
  }
  if (w == "page") {
    if (s.destination == Destination::Text) pageBreak();
    return;
  }
  static const std::map<std::string_view, char16_t> specials = {
      {"tab", u'\t'}, {"cell", u'\t'}, {"line", QChar::LineSeparator}, {"emdash", 0x2014}, {"endash", 0x2013},
      {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
      {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}};
  if (auto special = specials.find(w); special != specials.end()) {
    put(QString(QChar(special->second)));
    return;
  }
  flush();
  if (characterWord(w, on, value, token.hasParameter)) return;
  paragraphWord(w, value, token.hasParameter);
}

RtfReadResult readPlainText(std::string_view bytes, QTextDocument& document) {
  RtfReadResult result;
  result.isRtf = false;
  result.message = QStringLiteral("The text is not RTF (it does not begin with {\\rtf); it was read as plain text.");
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(bytes[i]);
    if (c == '\r') {
      text.append(u'\n');
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == 0) {
      continue;
    } else {
      text.append(QChar(cp1252ToUnicode(c)));
    }
  }
  document.clear();
  installFieldHandler(document);
  document.setPlainText(text);
  return result;
}

}  // namespace

RtfReadResult readRtf(std::string_view bytes, QTextDocument& document) {
  std::string_view start = bytes;
  while (!start.empty() && (start.front() == ' ' || start.front() == '\t' || start.front() == '\r' || start.front() == '\n'))
    start.remove_prefix(1);
  if (start.substr(0, 5) != "{\\rtf") return readPlainText(bytes, document);
  Reader reader(start, document);
  return reader.run();
}

}  // namespace quillon::richtext
