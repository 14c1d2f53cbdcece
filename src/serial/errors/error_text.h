#pragma once
// Texts of status codes.
#include <string>

namespace quillon {

// The text for message number |code| from the error-strings table, or, when the table lacks
// it, the operating system's description of that number with control characters turned into
// blanks and runs of blanks reduced to one. At most 255 characters; may be empty.
std::string ErrorText(int code);

// The fax session status text for a status code (empty when unknown).
std::string FaxStatusText(int code);

}  // namespace quillon
