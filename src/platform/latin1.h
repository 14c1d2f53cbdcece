#pragma once
// Text inside the engines is single-byte Latin-1; terminals and JSON want UTF-8.
#include <string>
#include <string_view>

namespace quillon::platform {

std::string latin1ToUtf8(std::string_view latin1);
// Characters outside Latin-1 (and malformed sequences) become '?'.
std::string utf8ToLatin1(std::string_view utf8);

}  // namespace quillon::platform
