#pragma once
// The message tables carried by the program, generated at build time from resources/messages.
#include <cstddef>

namespace quillon {

struct MessageResource {
  const char* name;  // "VELD_ERROR_STRINGS_ENGLISH", "VELD_FAX_STRINGS_ENGLISH", "ZAVUDUV_STRINGS"
  const unsigned char* data;
  size_t size;
};

extern const MessageResource kMessageResources[];
extern const size_t kMessageResourceCount;

inline constexpr const char* kErrorStringsResource = "VELD_ERROR_STRINGS_ENGLISH";
inline constexpr const char* kFaxStringsResource = "VELD_FAX_STRINGS_ENGLISH";
inline constexpr const char* kTableReaderStringsResource = "ZAVUDUV_STRINGS";

}  // namespace quillon
