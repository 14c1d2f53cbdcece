#pragma once
// Turning status codes into exceptions at component boundaries, and back.
#include <exception>
#include <string>

#include "errors/exceptions.h"

namespace quillon {

// Returns `code` unchanged when it is 0 or positive, or when the component is being loaded
// from a stored form; otherwise throws:
//   the tree's class for the code (message = the code's text, code() = the code);
//   EInOutError for -2 ... -162 (errorNumber() = the positive number), EOutOfMemory for -8;
//   EAPDException "Veld exception" with code 0 for anything else.
int RaiseOnError(int code);
int RaiseOnError(bool loadingFromStoredForm, int code);
// The same, with `detail` (what the code's text cannot say, such as who holds a port) after
// the message in brackets when it is not empty.
int RaiseOnError(bool loadingFromStoredForm, int code, const std::string& detail);

// The status code an exception stands for: EAPDException its code, EInOutError its number
// negated, out of memory -8, anything else -9999.
int CodeOfException(const std::exception& e);

}  // namespace quillon
