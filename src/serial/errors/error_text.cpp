#include "serial/errors/error_text.h"

#include <cstring>

namespace quillon {

// Interim: the operating system's texts only, until the message tables are generated.
std::string ErrorText(int code) {
  if (code == 0) return "OK";
  int number = code < 0 ? -code : code;
  return std::strerror(number);
}

std::string FaxStatusText(int) { return {}; }

}  // namespace quillon
