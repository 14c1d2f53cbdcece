#pragma once
// JSON output of engine text: Latin-1 bytes become a quoted, escaped UTF-8 JSON string.
#include <string>
#include <string_view>

namespace quillon::platform {

std::string jsonString(std::string_view latin1);

}  // namespace quillon::platform
