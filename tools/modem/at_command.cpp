#include "at_command.h"

#include <cctype>

namespace quillon::modem {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string readDigits(std::string_view s, std::size_t& i) {
  std::string out;
  while (i < s.size() && isDigit(s[i])) out += s[i++];
  return out;
}
}  // namespace

std::optional<int> parseNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (!isDigit(c)) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::optional<std::vector<AtCommand>> parseAtLine(std::string_view body) {
  std::vector<AtCommand> out;
  std::size_t i = 0;
  while (i < body.size()) {
    char c = upper(body[i]);
    if (c == ' ') {
      ++i;
      continue;
    }
    AtCommand cmd;
    if (c == '+' || c == '#') {
      // Extended command: name, then "=?", "=value", "?" or nothing; ends at ';'.
      std::size_t start = i++;
      while (i < body.size() && (std::isalnum(static_cast<unsigned char>(body[i])) || body[i] == '.' || body[i] == '_'))
        ++i;
      for (std::size_t k = start; k < i; ++k) cmd.name += upper(body[k]);
      if (cmd.name.size() < 2) return std::nullopt;
      if (i < body.size() && body[i] == '=') {
        ++i;
        if (i < body.size() && body[i] == '?') {
          cmd.form = AtCommand::Form::Test;
          ++i;
        } else {
          cmd.form = AtCommand::Form::Set;
          bool quoted = false;
          while (i < body.size() && (quoted || body[i] != ';')) {
            if (body[i] == '"') quoted = !quoted;
            cmd.value += body[i++];
          }
          if (quoted) return std::nullopt;
        }
      } else if (i < body.size() && body[i] == '?') {
        cmd.form = AtCommand::Form::Query;
        ++i;
      }
      while (i < body.size() && body[i] == ' ') ++i;
      if (i < body.size()) {
        if (body[i] != ';') return std::nullopt;
        ++i;
      }
      out.push_back(std::move(cmd));
      continue;
    }
    ++i;
    if (c == 'D') {
      // The dial string runs to the end of the line; a ';' in it means "stay in command mode".
      cmd.name = "D";
      for (; i < body.size(); ++i)
        if (body[i] != ' ') cmd.value += upper(body[i]);
      out.push_back(std::move(cmd));
      break;
    }
    if (c == '&' || c == '\\' || c == '%') {
      if (i >= body.size() || !std::isalpha(static_cast<unsigned char>(body[i]))) return std::nullopt;
      cmd.name = std::string(1, c) + upper(body[i++]);
      cmd.value = readDigits(body, i);
      out.push_back(std::move(cmd));
      continue;
    }
    if (c == 'S') {
      cmd.name = "S";
      std::string reg = readDigits(body, i);
      if (reg.empty() || reg.size() > 3) return std::nullopt;
      cmd.reg = *parseNumber(reg);
      if (i < body.size() && body[i] == '?') {
        cmd.form = AtCommand::Form::Query;
        ++i;
      } else if (i < body.size() && body[i] == '=') {
        ++i;
        cmd.form = AtCommand::Form::Set;
        cmd.value = readDigits(body, i);
        if (cmd.value.empty() || cmd.value.size() > 3) return std::nullopt;
      } else {
        return std::nullopt;
      }
      out.push_back(std::move(cmd));
      continue;
    }
    static const std::string_view kBasic = "AEHILMOPQTVXZ";
    if (kBasic.find(c) == std::string_view::npos) return std::nullopt;
    cmd.name = std::string(1, c);
    cmd.value = readDigits(body, i);
    if (cmd.value.size() > 3) return std::nullopt;
    out.push_back(std::move(cmd));
  }
  return out;
}

std::vector<std::string> splitValues(std::string_view value) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false;
  for (char c : value) {
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == ',' && !quoted) {
      out.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  out.push_back(current);
  return out;
}

}  // namespace quillon::modem
