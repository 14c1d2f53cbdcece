#pragma once
// Texts of status codes.
#include <string>
#include <string_view>

namespace quillon {

class TAdStringResource;

// The text for message number |code| from the error-strings table, or, when the table lacks
// it, the operating system's description of that number with control characters turned into
// blanks and runs of blanks reduced to one. At most 255 characters; may be empty.
std::string ErrorText(int code);
// The same rule over another table.
std::string ErrorTextFrom(const TAdStringResource& table, int code);

// The fax session status text for a status code (empty when there is none).
std::string FaxStatusText(int code);

// Control characters become blanks and runs of blanks become one.
std::string TidyText(std::string_view text);

}  // namespace quillon
