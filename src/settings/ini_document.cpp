#include "settings/ini_document.h"

#include <algorithm>
#include <utility>

namespace quillon::settings {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// "[name]" (a missing ']' takes the rest of the line) -> name.
std::optional<std::string_view> sectionHeader(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  auto close = line.find(']');
  return trim(line.substr(0, close));
}

struct KeyLine {
  std::string_view key;
  std::size_t valueStart;  // offset of the value's first character in the line
};

std::optional<KeyLine> keyLine(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::size_t start = eq + 1;
  while (start < line.size() && isBlank(line[start])) ++start;
  return KeyLine{trim(line.substr(0, eq)), start};
}

std::string valueOf(std::string_view line, std::size_t start) {
  std::string_view v = trim(line.substr(start));
  v = v.substr(0, v.find('\0'));
  v = trim(v);
  // The profile functions drop one pair of matching quotes around a value.
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string sanitized(std::string_view value) {
  std::string out(value);
  for (char& c : out)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return out;
}

// Reading drops outer blanks and one pair of matching quotes; a value that would lose
// something that way is written inside double quotes, so it reads back as it was.
std::string quotedIfNeeded(const std::string& value) {
  if (value.empty()) return value;
  bool outerBlank = isBlank(value.front()) || isBlank(value.back());
  bool outerQuotes = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                     value.back() == value.front();
  return outerBlank || outerQuotes ? "\"" + value + "\"" : value;
}

}  // namespace

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  std::size_t crlf = 0, lf = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t nl = bytes.find('\n', pos);
    Line line;
    if (nl == std::string_view::npos) {
      line.text = std::string(bytes.substr(pos));
      pos = bytes.size();
    } else {
      std::size_t end = nl;
      if (end > pos && bytes[end - 1] == '\r') {
        --end;
        line.eol = "\r\n";
        ++crlf;
      } else {
        line.eol = "\n";
        ++lf;
      }
      line.text = std::string(bytes.substr(pos, end - pos));
      pos = nl + 1;
    }
    if (auto name = sectionHeader(line.text)) {
      Block block;
      block.name = std::string(*name);
      block.hasHeader = true;
      doc.blocks_.push_back(std::move(block));
    }
    doc.blocks_.back().lines.push_back(std::move(line));
  }
  if (lf > crlf) doc.newline_ = "\n";
  return doc;
}

const IniDocument::Block* IniDocument::findBlock(std::string_view section) const {
  for (const Block& b : blocks_)
    if (b.hasHeader && sameName(b.name, section)) return &b;
  return nullptr;
}

IniDocument::Block* IniDocument::findBlock(std::string_view section) {
  return const_cast<Block*>(std::as_const(*this).findBlock(section));
}

std::optional<std::size_t> IniDocument::findKeyLine(const Block& block, std::string_view key) {
  for (std::size_t i = block.hasHeader ? 1 : 0; i < block.lines.size(); ++i) {
    auto k = keyLine(block.lines[i].text);
    if (k && sameName(k->key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const {
  section = trim(section);
  key = trim(key);
  for (const Block& block : blocks_) {
    if (!block.hasHeader || !sameName(block.name, section)) continue;
    if (auto index = findKeyLine(block, key)) {
      const std::string& text = block.lines[*index].text;
      return valueOf(text, keyLine(text)->valueStart);
    }
  }
  return std::nullopt;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string clean = sanitized(value);
  std::string cleanSection = sanitized(trim(section));
  std::string cleanKey = sanitized(trim(key));
  // A section written twice reads as one: the key is looked for in each, first one first.
  for (Block& b : blocks_) {
    if (!b.hasHeader || !sameName(b.name, cleanSection)) continue;
    if (auto index = findKeyLine(b, cleanKey)) {
      Line& line = b.lines[*index];
      auto k = keyLine(line.text);
      if (valueOf(line.text, k->valueStart) == clean) return;  // unchanged: keep the bytes
      line.text = line.text.substr(0, k->valueStart) + quotedIfNeeded(clean);
      return;
    }
  }
  Block* block = findBlock(cleanSection);
  if (!block) {
    // A new section goes at the end, after a blank line when the file has content.
    Block& last = blocks_.back();
    if (!last.lines.empty()) {
      if (last.lines.back().eol.empty()) last.lines.back().eol = newline_;
      if (!trim(last.lines.back().text).empty()) last.lines.push_back(Line{"", newline_});
    }
    Block fresh;
    fresh.name = cleanSection;
    fresh.hasHeader = true;
    fresh.lines.push_back(Line{"[" + cleanSection + "]", newline_});
    blocks_.push_back(std::move(fresh));
    block = &blocks_.back();
  }
  // Add the key after the section's last non-blank line.
  std::size_t at = block->lines.size();
  while (at > 1 && trim(block->lines[at - 1].text).empty()) --at;
  if (at > 0 && block->lines[at - 1].eol.empty()) block->lines[at - 1].eol = newline_;
  Line added{cleanKey + "=" + quotedIfNeeded(clean), newline_};
  block->lines.insert(block->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(added));
}

std::vector<std::string> IniDocument::sectionNames() const {
  std::vector<std::string> names;
  for (const Block& b : blocks_) {
    if (!b.hasHeader) continue;
    bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, b.name); });
    if (!seen) names.push_back(b.name);
  }
  return names;
}

std::vector<std::string> IniDocument::keyNames(std::string_view section) const {
  std::vector<std::string> names;
  section = trim(section);
  for (const Block& block : blocks_) {
    if (!block.hasHeader || !sameName(block.name, section)) continue;
    for (std::size_t i = 1; i < block.lines.size(); ++i) {
      auto k = keyLine(block.lines[i].text);
      if (!k) continue;
      bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, k->key); });
      if (!seen) names.emplace_back(k->key);
    }
  }
  return names;
}

std::string IniDocument::serialize() const {
  std::string out;
  for (const Block& b : blocks_)
    for (const Line& l : b.lines) {
      out += l.text;
      out += l.eol;
    }
  return out;
}

}  // namespace quillon::settings
