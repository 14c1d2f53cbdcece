#pragma once
// An INI file held as its own bytes. Reading follows the rules of the Windows profile
// functions (names without regard to case, blanks around names and values dropped, the first
// of duplicate keys wins, ';' starts a comment line); a section written twice reads as one. Writing changes only the
// lines of keys whose values change, so comments, unknown keys, order, Latin-1 bytes and
// line ends stay as they were.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::settings {

class IniDocument {
 public:
  IniDocument() : blocks_(1) {}  // blocks_[0] holds the lines before the first section
  static IniDocument parse(std::string_view bytes);

  // The value of `key` in `section`, or nothing when either is missing. A NUL byte ends it.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Sets a key, keeping its line's spelling and spacing; adds the key at the end of the
  // section, or a new section at the end of the file. Line breaks and NUL bytes in `value`
  // become blanks, so a value can never add lines of its own.
  void setValue(std::string_view section, std::string_view key, std::string_view value);

  // Section names in file order (first spelling of each), and the keys of one section.
  std::vector<std::string> sectionNames() const;
  std::vector<std::string> keyNames(std::string_view section) const;

  std::string serialize() const;

 private:
  struct Line {
    std::string text;
    std::string eol;  // "\r\n", "\n" or "" (last line without an end)
  };
  struct Block {
    std::string name;  // section name; empty for lines before the first section
    bool hasHeader = false;
    std::vector<Line> lines;  // lines[0] is the "[name]" line when hasHeader
  };

  const Block* findBlock(std::string_view section) const;
  Block* findBlock(std::string_view section);
  static std::optional<std::size_t> findKeyLine(const Block& block, std::string_view key);

  std::vector<Block> blocks_;
  std::string newline_ = "\r\n";  // line end for added lines: the file's own, else CR LF
};

}  // namespace quillon::settings
