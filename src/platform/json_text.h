#pragma once
// JSON output of engine text: code page 1252 bytes become a quoted, escaped UTF-8 JSON string.
#include <string>
#include <string_view>

namespace quillon::platform {

std::string jsonString(std::string_view text);

}  // namespace quillon::platform
