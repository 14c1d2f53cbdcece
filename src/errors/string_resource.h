#pragma once
// Reader of one message table: magic "STR0", a u32 count, entries (u32 id, u32 offset, u32
// length in UTF-16 units) sorted by id, then the UTF-16LE texts. Texts come out in the
// Windows Latin-1 code page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

class TAdStringResource {
 public:
  // Opens a table carried by the program; throws EQvsStringResourceError when it is missing
  // or lacks the "STR0" magic.
  explicit TAdStringResource(std::string_view resourceName, bool raiseOnMissingId = false);
  // Reads a table held in memory (the bytes must outlive the reader).
  TAdStringResource(const unsigned char* data, size_t size, std::string_view name,
                    bool raiseOnMissingId = false);

  // The text of `id`; empty when the table lacks it (or EQvsStringResourceError with
  // "String not found: <id>" when missing ids raise).
  std::string GetString(uint32_t id) const;
  // Converts the text of `id` into `buffer` of `size` bytes with its terminator, dropping
  // UTF-16 units from the end until it fits. Returns the number of characters stored.
  size_t GetAsPChar(uint32_t id, char* buffer, size_t size) const;
  bool Has(uint32_t id) const;
  uint32_t Count() const { return count_; }

 private:
  struct Text {
    const unsigned char* units = nullptr;
    uint32_t length = 0;
  };
  bool find(uint32_t id, Text& text) const;
  void open(std::string_view name);

  const unsigned char* data_;
  size_t size_;
  bool raiseOnMissingId_;
  uint32_t count_ = 0;
};

// One UTF-16 unit in the Windows Latin-1 code page ('?' when it has no place there).
char Utf16UnitToAnsi(char16_t unit);

}  // namespace quillon
