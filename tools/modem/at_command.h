#pragma once
// Splits the body of one AT command line (the text after "AT") into its commands, the way a
// Hayes modem reads it: basic commands (a letter or "&" letter with an optional number),
// S registers ("S7=60", "S0?"), the dial command (the rest of the line up to ";"), and
// extended commands ("+FCLASS=?", "+FLID=\"QUILLON\"", "+FDT") separated by ";".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::modem {

struct AtCommand {
  enum class Form { Action, Set, Query, Test };
  std::string name;  // upper case: "E", "&F", "S", "D", "+FCLASS"
  Form form = Form::Action;
  std::string value;  // the number, the dial string, or the text after '='
  int reg = -1;       // S register number
};

// Nothing when the line cannot be read: the modem answers ERROR and runs none of it.
std::optional<std::vector<AtCommand>> parseAtLine(std::string_view body);

// Comma-separated values of an extended command; quotes around a value are removed.
std::vector<std::string> splitValues(std::string_view value);
// A whole non-negative number, or nothing.
std::optional<int> parseNumber(std::string_view text);

}  // namespace quillon::modem
