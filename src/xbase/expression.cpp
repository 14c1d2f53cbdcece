#include "xbase/expression.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "xbase/environment.h"

namespace quillon::xbase {

namespace {

const char* typeName(ValueType t) {
  switch (t) {
    case ValueType::Character: return "character";
    case ValueType::Numeric: return "numeric";
    case ValueType::Date: return "date";
    case ValueType::Logical: return "logical";
  }
  return "?";
}

unsigned char upperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0x9A || c == 0x9C || c == 0x9E) return c - 16;  // s, oe, z with caron (cp1252)
  if (c == 0xFF) return 0x9F;
  return c;
}
unsigned char lowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x8A || c == 0x8C || c == 0x8E) return c + 16;
  if (c == 0x9F) return 0xFF;
  return c;
}

std::string rtrim(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}
std::string ltrim(std::string s) {
  s.erase(0, std::min(s.size(), s.find_first_not_of(' ')));
  return s;
}

// xBase "=" with EXACT off: true when `left` begins with `right` (compared up to the right
// operand's length, the left padded with blanks).
int compareUpToRight(const std::string& left, const std::string& right) {
  for (size_t i = 0; i < right.size(); ++i) {
    unsigned char l = i < left.size() ? static_cast<unsigned char>(left[i]) : ' ';
    unsigned char r = static_cast<unsigned char>(right[i]);
    if (l != r) return l < r ? -1 : 1;
  }
  return 0;
}
// Ordering comparison: both padded with blanks to the longer length.
int comparePadded(const std::string& a, const std::string& b) {
  size_t n = std::max(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char l = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    unsigned char r = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (l != r) return l < r ? -1 : 1;
  }
  return 0;
}

}  // namespace

std::string upperLatin1(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(upperByte(static_cast<unsigned char>(c)));
  return out;
}
std::string lowerLatin1(std::string_view text) {
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(lowerByte(static_cast<unsigned char>(c)));
  return out;
}

Date ctod(std::string_view text, const Environment& environment) {
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      if (digits[part] >= 4) return {};
      parts[part] = parts[part] * 10 + (c - '0');
      ++digits[part];
    } else if ((c == '/' || c == '-' || c == '.') && part < 2) {
      ++part;
    } else if (c == ' ') {
      break;
    } else {
      return {};
    }
  }
  if (part != 2 || digits[0] == 0 || digits[1] == 0 || digits[2] == 0) return {};
  int year = parts[2];
  if (digits[2] <= 2) year = environment.expandTwoDigitYear(year);
  Date d{year, parts[0], parts[1]};
  return d.valid() ? d : Date{};
}

std::string formatNumber(double value, int width, int decimals) {
  if (width <= 0) return "";
  if (decimals < 0) decimals = 0;
  if (!std::isfinite(value)) return std::string(width, '*');
  // xBase rounds halves away from zero (printf rounds them to even: 2.5 -> "2").
  if (decimals <= 15 && std::fabs(value) < 1e15) {
    double scale = std::pow(10.0, decimals);
    double scaled = std::round(value * scale);
    if (std::fabs(scaled) < 9e15) value = scaled / scale;
  }
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, value);
  if (n < 0 || n > width) return std::string(width, '*');
  return buf;
}

struct Expression::Node {
  ValueType type = ValueType::Logical;
  virtual ~Node() = default;
  virtual Value eval(const EvalContext& c) const = 0;
};

namespace {

using NodePtr = std::unique_ptr<Expression::Node>;

struct Literal : Expression::Node {
  Value value;
  explicit Literal(Value v) : value(std::move(v)) { type = value.type; }
  Value eval(const EvalContext&) const override { return value; }
};

struct FieldRef : Expression::Node {
  int index;
  FieldRef(int i, ValueType t) : index(i) { type = t; }
  Value eval(const EvalContext& c) const override { return c.field(index); }
};

struct Unary : Expression::Node {
  char op;  // '!' not, '-' negate
  NodePtr operand;
  Value eval(const EvalContext& c) const override {
    Value v = operand->eval(c);
    if (op == '!') return Value::ofLogical(!v.logical);
    return Value::ofNumber(-v.number);
  }
};

enum class Op { And, Or, Eq, ExactEq, Ne, Lt, Le, Gt, Ge, Contains, Add, Sub, Mul, Div, Mod };

struct Binary : Expression::Node {
  Op op;
  NodePtr left, right;
  Value eval(const EvalContext& c) const override {
    if (op == Op::And) {
      if (!left->eval(c).logical) return Value::ofLogical(false);
      return Value::ofLogical(right->eval(c).logical);
    }
    if (op == Op::Or) {
      if (left->eval(c).logical) return Value::ofLogical(true);
      return Value::ofLogical(right->eval(c).logical);
    }
    Value a = left->eval(c), b = right->eval(c);
    switch (op) {
      case Op::Contains:
        return Value::ofLogical(!a.text.empty() && b.text.find(a.text) != std::string::npos);
      case Op::Add:
        if (a.type == ValueType::Character) return Value::ofText(a.text + b.text);
        if (a.type == ValueType::Date) return Value::ofDate(shift(a.date, b.number));
        if (b.type == ValueType::Date) return Value::ofDate(shift(b.date, a.number));
        return Value::ofNumber(a.number + b.number);
      case Op::Sub:
        if (a.type == ValueType::Character) {
          // Trailing blanks of the left operand move to the end of the result.
          std::string t = rtrim(a.text);
          return Value::ofText(t + b.text + std::string(a.text.size() - t.size(), ' '));
        }
        if (a.type == ValueType::Date && b.type == ValueType::Date)
          return Value::ofNumber(static_cast<double>(a.date.julian() - b.date.julian()));
        if (a.type == ValueType::Date) return Value::ofDate(shift(a.date, -b.number));
        return Value::ofNumber(a.number - b.number);
      case Op::Mul: return Value::ofNumber(a.number * b.number);
      case Op::Div:
        if (b.number == 0) throw ExpressionError("division by zero");
        return Value::ofNumber(a.number / b.number);
      case Op::Mod:
        if (b.number == 0) throw ExpressionError("division by zero");
        return Value::ofNumber(a.number - b.number * std::floor(a.number / b.number));
      default: break;
    }
    int cmp = 0;
    switch (a.type) {
      case ValueType::Character:
        if (op == Op::ExactEq) return Value::ofLogical(a.text == b.text);
        if (op == Op::Eq || op == Op::Ne) cmp = compareUpToRight(a.text, b.text);
        else cmp = comparePadded(a.text, b.text);
        break;
      case ValueType::Numeric: cmp = a.number < b.number ? -1 : a.number > b.number ? 1 : 0; break;
      case ValueType::Date: {
        long x = a.date.julian(), y = b.date.julian();
        cmp = x < y ? -1 : x > y ? 1 : 0;
        break;
      }
      case ValueType::Logical: cmp = int(a.logical) - int(b.logical); break;
    }
    switch (op) {
      case Op::Eq:
      case Op::ExactEq: return Value::ofLogical(cmp == 0);
      case Op::Ne: return Value::ofLogical(cmp != 0);
      case Op::Lt: return Value::ofLogical(cmp < 0);
      case Op::Le: return Value::ofLogical(cmp <= 0);
      case Op::Gt: return Value::ofLogical(cmp > 0);
      case Op::Ge: return Value::ofLogical(cmp >= 0);
      default: return Value::ofLogical(false);
    }
  }
  static Date shift(const Date& d, double days) {
    if (d.empty()) return d;
    // Beyond 10,000,000 days every result is outside the calendar (the empty date); the
    // clamp keeps the sum from overflowing.
    if (!(std::fabs(days) < 1e7)) return Date{};
    return Date::fromJulian(d.julian() + static_cast<long>(std::llround(days)));
  }
};

struct Call : Expression::Node {
  std::vector<NodePtr> args;
  std::function<Value(const EvalContext&, const std::vector<Value>&)> fn;
  Value eval(const EvalContext& c) const override {
    std::vector<Value> values;
    values.reserve(args.size());
    for (const auto& a : args) values.push_back(a->eval(c));
    return fn(c, values);
  }
};

// Lazy IIF: evaluates only the branch taken.
struct Iif : Expression::Node {
  NodePtr cond, then, otherwise;
  Value eval(const EvalContext& c) const override {
    return cond->eval(c).logical ? then->eval(c) : otherwise->eval(c);
  }
};

ValueType fieldValueType(char t) {
  switch (t) {
    case 'N': case 'F': case 'I': case 'B': case 'Y': return ValueType::Numeric;
    case 'D': return ValueType::Date;
    case 'L': return ValueType::Logical;
    default: return ValueType::Character;
  }
}

// VAL(): leading blanks, a sign, decimal digits with one point and an exponent; the rest is
// ignored. Never hexadecimal, an infinity or NaN (strtod alone takes "0x1A" and "nan").
double valOf(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  std::string number;
  if (text[i] == '-' || text[i] == '+') number += text[i++];
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') number += c;
    else if (c == '.' && !point) { point = true; number += c; }
    else break;
  }
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (text[j] == '-' || text[j] == '+') exponent += text[j++];
    size_t digits = 0;
    for (; j < text.size() && text[j] >= '0' && text[j] <= '9'; ++j, ++digits) exponent += text[j];
    if (digits) number += exponent;
  }
  double v = std::strtod(number.c_str(), nullptr);
  return std::isfinite(v) ? v : 0;
}

int toInt(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return static_cast<int>(v);
}

class Parser {
 public:
  Parser(std::string_view text, const std::vector<FieldDef>& fields) : s_(text), fields_(fields) {}

  NodePtr parse() {
    skipBlanks();
    if (pos_ >= s_.size()) fail("empty expression");
    NodePtr n = parseOr();
    skipBlanks();
    if (pos_ < s_.size()) fail("unexpected '" + std::string(1, s_[pos_]) + "'");
    return n;
  }

 private:
  std::string_view s_;
  const std::vector<FieldDef>& fields_;
  size_t pos_ = 0;
  int depth_ = 0;

  [[noreturn]] void fail(const std::string& why) const {
    throw ExpressionError("expression error at position " + std::to_string(pos_ + 1) + ": " + why);
  }
  void skipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' ||
                                s_[pos_] == '\n'))
      ++pos_;
  }
  // Matches a dotted keyword such as ".AND." (any case) at the current position.
  bool dotted(const char* word) {
    skipBlanks();
    size_t n = std::char_traits<char>::length(word);
    if (pos_ + n > s_.size()) return false;
    for (size_t i = 0; i < n; ++i)
      if (std::toupper(static_cast<unsigned char>(s_[pos_ + i])) != word[i]) return false;
    pos_ += n;
    return true;
  }
  bool symbol(std::string_view sym) {
    skipBlanks();
    if (s_.substr(pos_, sym.size()) != sym) return false;
    pos_ += sym.size();
    return true;
  }
  void expectType(const NodePtr& n, ValueType t, const char* what) const {
    if (n->type != t)
      fail(std::string(what) + " needs a " + typeName(t) + " value, not " + typeName(n->type));
  }
  struct DepthGuard {
    Parser& p;
    explicit DepthGuard(Parser& parser) : p(parser) {
      if (++p.depth_ > 100) p.fail("expression nested too deeply");
    }
    ~DepthGuard() { --p.depth_; }
  };

  NodePtr binary(Op op, NodePtr l, NodePtr r, ValueType type) {
    auto b = std::make_unique<Binary>();
    b->op = op;
    b->left = std::move(l);
    b->right = std::move(r);
    b->type = type;
    return b;
  }

  NodePtr parseOr() {
    DepthGuard guard(*this);
    return parseLogical(".OR.", Op::Or, &Parser::parseAnd);
  }
  NodePtr parseAnd() { return parseLogical(".AND.", Op::And, &Parser::parseNot); }
  // operand { word operand }, both sides logical.
  NodePtr parseLogical(const char* word, Op op, NodePtr (Parser::*operand)()) {
    NodePtr l = (this->*operand)();
    while (dotted(word)) {
      NodePtr r = (this->*operand)();
      expectType(l, ValueType::Logical, word);
      expectType(r, ValueType::Logical, word);
      l = binary(op, std::move(l), std::move(r), ValueType::Logical);
    }
    return l;
  }
  NodePtr parseNot() {
    DepthGuard guard(*this);
    if (dotted(".NOT.") || (peekBang() && symbol("!"))) {
      NodePtr operand = parseNot();
      expectType(operand, ValueType::Logical, ".NOT.");
      auto u = std::make_unique<Unary>();
      u->op = '!';
      u->operand = std::move(operand);
      u->type = ValueType::Logical;
      return u;
    }
    return parseComparison();
  }
  bool peekBang() {
    skipBlanks();
    return pos_ < s_.size() && s_[pos_] == '!' && (pos_ + 1 >= s_.size() || s_[pos_ + 1] != '=');
  }
  NodePtr parseComparison() {
    NodePtr l = parseAdditive();
    Op op;
    if (symbol("==")) op = Op::ExactEq;
    else if (symbol("<>") || symbol("!=") || symbol("#")) op = Op::Ne;
    else if (symbol("<=")) op = Op::Le;
    else if (symbol(">=")) op = Op::Ge;
    else if (symbol("=")) op = Op::Eq;
    else if (symbol("<")) op = Op::Lt;
    else if (symbol(">")) op = Op::Gt;
    else if (symbol("$")) op = Op::Contains;
    else return l;
    NodePtr r = parseAdditive();
    if (op == Op::Contains) {
      expectType(l, ValueType::Character, "$");
      expectType(r, ValueType::Character, "$");
    } else if (l->type != r->type) {
      fail(std::string("cannot compare ") + typeName(l->type) + " with " + typeName(r->type));
    }
    return binary(op, std::move(l), std::move(r), ValueType::Logical);
  }
  NodePtr parseAdditive() {
    NodePtr l = parseMultiplicative();
    for (;;) {
      Op op;
      if (symbol("+")) op = Op::Add;
      else if (symbol("-")) op = Op::Sub;
      else return l;
      NodePtr r = parseMultiplicative();
      ValueType a = l->type, b = r->type, result;
      if (a == ValueType::Character && b == ValueType::Character) result = a;
      else if (a == ValueType::Numeric && b == ValueType::Numeric) result = a;
      else if (a == ValueType::Date && b == ValueType::Numeric) result = a;
      else if (op == Op::Add && a == ValueType::Numeric && b == ValueType::Date) result = b;
      else if (op == Op::Sub && a == ValueType::Date && b == ValueType::Date) result = ValueType::Numeric;
      else fail(std::string("cannot combine ") + typeName(a) + " and " + typeName(b));
      l = binary(op, std::move(l), std::move(r), result);
    }
  }
  NodePtr parseMultiplicative() {
    NodePtr l = parseUnary();
    for (;;) {
      Op op;
      if (symbol("*")) op = Op::Mul;
      else if (symbol("/")) op = Op::Div;
      else if (symbol("%")) op = Op::Mod;
      else return l;
      NodePtr r = parseUnary();
      expectType(l, ValueType::Numeric, "arithmetic");
      expectType(r, ValueType::Numeric, "arithmetic");
      l = binary(op, std::move(l), std::move(r), ValueType::Numeric);
    }
  }
  NodePtr parseUnary() {
    DepthGuard guard(*this);
    if (symbol("-")) {
      NodePtr operand = parseUnary();
      expectType(operand, ValueType::Numeric, "minus");
      auto u = std::make_unique<Unary>();
      u->op = '-';
      u->operand = std::move(operand);
      u->type = ValueType::Numeric;
      return u;
    }
    if (symbol("+")) return parseUnary();
    return parsePrimary();
  }

  NodePtr parsePrimary() {
    skipBlanks();
    if (pos_ >= s_.size()) fail("expression ends too early");
    char c = s_[pos_];
    if (c == '(') {
      ++pos_;
      NodePtr n = parseOr();
      if (!symbol(")")) fail("missing ')'");
      return n;
    }
    if (c == '"' || c == '\'' || c == '[') {
      char close = c == '[' ? ']' : c;
      size_t end = s_.find(close, pos_ + 1);
      if (end == std::string_view::npos) fail("unterminated text literal");
      std::string text(s_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
      return std::make_unique<Literal>(Value::ofText(std::move(text)));
    }
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
      size_t start = pos_;
      // A point followed by a letter starts a dotted word (PAGES=3.AND.SENT), not a fraction.
      while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) ||
                                  (s_[pos_] == '.' && !(pos_ + 1 < s_.size() &&
                                                        std::isalpha(static_cast<unsigned char>(s_[pos_ + 1]))))))
        ++pos_;
      std::string number(s_.substr(start, pos_ - start));
      char* end = nullptr;
      double v = std::strtod(number.c_str(), &end);
      if (*end) fail("bad number '" + number + "'");
      return std::make_unique<Literal>(Value::ofNumber(v));
    }
    if (c == '.') {
      for (const char* t : {".TRUE.", ".T.", ".Y."})
        if (dotted(t)) return std::make_unique<Literal>(Value::ofLogical(true));
      for (const char* f : {".FALSE.", ".F.", ".N."})
        if (dotted(f)) return std::make_unique<Literal>(Value::ofLogical(false));
      fail("unknown dotted word");
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_;
      while (pos_ < s_.size() &&
             (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
        ++pos_;
      std::string name = upperLatin1(s_.substr(start, pos_ - start));
      // alias->FIELD: the alias is this table's; only the field name counts.
      if (s_.substr(pos_, 2) == "->") {
        pos_ += 2;
        size_t fstart = pos_;
        while (pos_ < s_.size() &&
               (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
          ++pos_;
        name = upperLatin1(s_.substr(fstart, pos_ - fstart));
        return fieldRef(name, fstart);
      }
      skipBlanks();
      if (pos_ < s_.size() && s_[pos_] == '(') {
        ++pos_;
        return call(name);
      }
      return fieldRef(name, start);
    }
    fail("unexpected '" + std::string(1, c) + "'");
  }

  NodePtr fieldRef(const std::string& name, size_t start) {
    for (size_t i = 0; i < fields_.size(); ++i)
      if (fields_[i].name == name)
        return std::make_unique<FieldRef>(static_cast<int>(i), fieldValueType(fields_[i].type));
    pos_ = start;  // the error points at the name
    fail("unknown field '" + name + "'");
  }

  std::vector<NodePtr> arguments() {
    std::vector<NodePtr> args;
    if (symbol(")")) return args;
    for (;;) {
      args.push_back(parseOr());
      if (symbol(")")) return args;
      if (!symbol(",")) fail("missing ',' or ')' in function call");
    }
  }

  // Function names may be abbreviated to four letters, as xBase allows.
  static bool is(const std::string& name, const char* full) {
    std::string f = full;
    if (name == f) return true;
    return name.size() >= 4 && name.size() < f.size() && f.compare(0, name.size(), name) == 0;
  }

  NodePtr call(const std::string& name) {
    std::vector<NodePtr> args = arguments();
    auto node = std::make_unique<Call>();
    auto want = [&](size_t min, size_t max) {
      if (args.size() < min || args.size() > max) fail(name + "() has a wrong number of arguments");
    };
    auto arg = [&](size_t i, ValueType t) { expectType(args[i], t, (name + "()").c_str()); };
    using V = const std::vector<Value>&;
    using C = const EvalContext&;
    if (is(name, "DELETED")) {
      want(0, 0);
      node->type = ValueType::Logical;
      node->fn = [](C c, V) { return Value::ofLogical(c.deleted()); };
    } else if (is(name, "RECNO")) {
      want(0, 0);
      node->type = ValueType::Numeric;
      node->fn = [](C c, V) { return Value::ofNumber(static_cast<double>(c.recNo())); };
    } else if (is(name, "DATE")) {
      want(0, 0);
      node->type = ValueType::Date;
      node->fn = [](C c, V) { return Value::ofDate(c.environment().today()); };
    } else if (is(name, "DTOS")) {
      want(1, 1);
      arg(0, ValueType::Date);
      node->type = ValueType::Character;
      node->fn = [](C, V v) { return Value::ofText(v[0].date.dtos()); };
    } else if (is(name, "DTOC")) {
      want(1, 2);
      arg(0, ValueType::Date);
      node->type = ValueType::Character;
      node->fn = [](C, V v) {
        const Date& d = v[0].date;
        if (d.empty()) return Value::ofText("  /  /  ");
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d.month, d.day, d.year % 100);
        return Value::ofText(buf);
      };
    } else if (is(name, "CTOD")) {
      want(1, 1);
      arg(0, ValueType::Character);
      node->type = ValueType::Date;
      node->fn = [](C c, V v) { return Value::ofDate(ctod(v[0].text, c.environment())); };
    } else if (is(name, "EMPTY")) {
      want(1, 1);
      node->type = ValueType::Logical;
      node->fn = [](C, V v) {
        const Value& x = v[0];
        switch (x.type) {
          case ValueType::Character:
            return Value::ofLogical(x.text.find_first_not_of(" \t\r\n") == std::string::npos);
          case ValueType::Numeric: return Value::ofLogical(x.number == 0);
          case ValueType::Date: return Value::ofLogical(x.date.empty());
          case ValueType::Logical: return Value::ofLogical(!x.logical);
        }
        return Value::ofLogical(true);
      };
    } else if (is(name, "UPPER") || is(name, "LOWER") || is(name, "ALLTRIM") ||
               is(name, "TRIM") || is(name, "RTRIM") || is(name, "LTRIM")) {
      want(1, 1);
      arg(0, ValueType::Character);
      node->type = ValueType::Character;
      if (is(name, "UPPER")) node->fn = [](C, V v) { return Value::ofText(upperLatin1(v[0].text)); };
      else if (is(name, "LOWER")) node->fn = [](C, V v) { return Value::ofText(lowerLatin1(v[0].text)); };
      else if (is(name, "ALLTRIM")) node->fn = [](C, V v) { return Value::ofText(ltrim(rtrim(v[0].text))); };
      else if (is(name, "LTRIM")) node->fn = [](C, V v) { return Value::ofText(ltrim(v[0].text)); };
      else node->fn = [](C, V v) { return Value::ofText(rtrim(v[0].text)); };
    } else if (is(name, "LEFT") || is(name, "RIGHT")) {
      want(2, 2);
      arg(0, ValueType::Character);
      arg(1, ValueType::Numeric);
      node->type = ValueType::Character;
      bool left = is(name, "LEFT");
      node->fn = [left](C, V v) {
        const std::string& t = v[0].text;
        size_t n = static_cast<size_t>(std::clamp(toInt(v[1].number), 0, static_cast<int>(t.size())));
        return Value::ofText(left ? t.substr(0, n) : t.substr(t.size() - n));
      };
    } else if (is(name, "SUBSTR")) {
      want(2, 3);
      arg(0, ValueType::Character);
      arg(1, ValueType::Numeric);
      if (args.size() == 3) arg(2, ValueType::Numeric);
      node->type = ValueType::Character;
      node->fn = [](C, V v) {
        const std::string& t = v[0].text;
        int start = toInt(v[1].number);
        if (start < 1 || start > static_cast<int>(t.size())) return Value::ofText("");
        size_t len = v.size() == 3 ? static_cast<size_t>(std::max(0, toInt(v[2].number)))
                                   : std::string::npos;
        return Value::ofText(t.substr(static_cast<size_t>(start - 1), len));
      };
    } else if (is(name, "LEN")) {
      want(1, 1);
      arg(0, ValueType::Character);
      node->type = ValueType::Numeric;
      node->fn = [](C, V v) { return Value::ofNumber(static_cast<double>(v[0].text.size())); };
    } else if (is(name, "STR")) {
      want(1, 3);
      arg(0, ValueType::Numeric);
      for (size_t i = 1; i < args.size(); ++i) arg(i, ValueType::Numeric);
      node->type = ValueType::Character;
      node->fn = [](C, V v) {
        int width = v.size() > 1 ? std::clamp(toInt(v[1].number), 1, 255) : 10;
        int decimals = v.size() > 2 ? std::clamp(toInt(v[2].number), 0, 18) : 0;
        return Value::ofText(formatNumber(v[0].number, width, decimals));
      };
    } else if (is(name, "VAL")) {
      want(1, 1);
      arg(0, ValueType::Character);
      node->type = ValueType::Numeric;
      node->fn = [](C, V v) { return Value::ofNumber(valOf(v[0].text)); };
    } else if (is(name, "IIF")) {
      want(3, 3);
      arg(0, ValueType::Logical);
      if (args[1]->type != args[2]->type) fail("IIF() branches have different types");
      auto iif = std::make_unique<Iif>();
      iif->type = args[1]->type;
      iif->cond = std::move(args[0]);
      iif->then = std::move(args[1]);
      iif->otherwise = std::move(args[2]);
      return iif;
    } else {
      fail("unknown function '" + name + "()'");
    }
    node->args = std::move(args);
    return node;
  }
};

}  // namespace

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::compile(std::string_view text,
                                                const std::vector<FieldDef>& fields) {
  std::unique_ptr<Expression> e(new Expression());
  e->text_ = std::string(text);
  e->root_ = Parser(text, fields).parse();
  return e;
}

Value Expression::evaluate(const EvalContext& context) const { return root_->eval(context); }

ValueType Expression::type() const { return root_->type; }

}  // namespace quillon::xbase
