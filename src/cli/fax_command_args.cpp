#include "cli/fax_command_args.h"

#include <algorithm>
#include <exception>

#include "errors/error_text.h"
#include "errors/raise_on_error.h"

namespace quillon::cli {

bool FaxArgs::parse(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                    const std::vector<std::string>& switches, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      positional.push_back(a);
    } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
      if (i + 1 >= args.size()) {
        err << "quillon: " << a << " needs a value\n";
        return false;
      }
      options.emplace_back(a, args[++i]);
    } else if (std::find(switches.begin(), switches.end(), a) != switches.end()) {
      flags.push_back(a);
    } else {
      err << "quillon: unknown option " << a << "\n";
      return false;
    }
  }
  return true;
}

std::optional<std::string> FaxArgs::value(const std::string& name) const {
  for (const auto& [n, v] : options)
    if (n == name) return v;
  return std::nullopt;
}

bool FaxArgs::flag(const std::string& name) const {
  return std::find(flags.begin(), flags.end(), name) != flags.end();
}

int reportStatus(std::ostream& err, const std::string& what, int status) {
  std::string text = ErrorText(status);
  err << "quillon: " << what << ": " << (text.empty() ? "error " + std::to_string(status) : text) << "\n";
  return 1;
}

int guardFaxCommand(std::ostream& err, const std::string& what, int (*body)(CommandContext&), CommandContext& c) {
  try {
    return body(c);
  } catch (const std::exception& e) {
    int code = CodeOfException(e);
    return reportStatus(err, what, code == -9999 ? -1002 : code);  // e.g. a number that is none
  }
}

}  // namespace quillon::cli
