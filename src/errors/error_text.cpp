#include "errors/error_text.h"

#include <cstring>

#include "errors/error_codes.h"
#include "errors/message_resources.h"
#include "errors/string_resource.h"

namespace quillon {
namespace {

constexpr size_t kMaxTextLength = 255;

const TAdStringResource& errorStrings() {
  static const TAdStringResource table(kErrorStringsResource);
  return table;
}

const TAdStringResource& faxStrings() {
  static const TAdStringResource table(kFaxStringsResource);
  return table;
}

// The operating system's description, or empty when it has none for the number.
std::string systemText(int number) {
  char buffer[256] = {};
  // The GNU variant returns a pointer that may or may not be `buffer`.
  const char* text = strerror_r(number, buffer, sizeof buffer);
  std::string s = text ? text : "";
  if (s.rfind("Unknown error", 0) == 0) return {};
  return s;
}

}  // namespace

std::string TidyText(std::string_view text) {
  std::string out;
  for (char c : text) {
    char d = static_cast<unsigned char>(c) < 32 || c == 127 ? ' ' : c;
    if (d == ' ' && !out.empty() && out.back() == ' ') continue;
    out += d;
  }
  return out;
}

std::string ErrorTextFrom(const TAdStringResource& table, int code) {
  uint32_t number = code < 0 ? uint32_t(-(int64_t)code) : uint32_t(code);
  std::string text;
  if (table.Has(number))
    text = table.GetString(number);
  else if (code < ecSystemErrorBase && code >= ecSystemErrorLast)
    text = TidyText(systemText(ecSystemErrorBase - code));
  else
    text = TidyText(systemText(int(number)));
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
  return text;
}

std::string ErrorText(int code) { return ErrorTextFrom(errorStrings(), code); }

std::string FaxStatusText(int code) { return code < 0 ? std::string() : faxStrings().GetString(uint32_t(code)); }

}  // namespace quillon
