#pragma once
// How settings values are read from and written to their text form.
#include <optional>
#include <string>
#include <string_view>

namespace quillon::settings {

// Strings are read through a 1024-character buffer that holds the terminating NUL as well,
// so at most 1023 characters of a value are kept.
constexpr std::size_t kStringBufferSize = 1024;

// Decimal with an optional sign; a value starting "0x"/"0X" with more characters after it is
// hexadecimal (up to 8 digits, taken as a 32-bit pattern). Anything else is not an integer.
std::optional<int> parseInteger(std::string_view text);

int readInteger(const std::optional<std::string>& text, int fallback);
bool readBoolean(const std::optional<std::string>& text, bool fallback);  // any non-zero is true
std::string readString(const std::optional<std::string>& text, std::string_view fallback);

inline std::string writeInteger(int value) { return std::to_string(value); }
inline std::string writeBoolean(bool value) { return value ? "1" : "0"; }

}  // namespace quillon::settings
