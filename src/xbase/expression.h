#pragma once
// xBase expressions: parsed once against a table's fields (names in any case), type-checked
// when parsed, then evaluated per record. Covers the logical operators (.AND. .OR. .NOT. !),
// comparisons with xBase string semantics (= compares up to the right operand's length,
// == exactly, $ is "contained in"), + and - on strings, numbers and dates, and the functions
// DELETED, DTOS, DTOC, CTOD, EMPTY, UPPER, LOWER, ALLTRIM, TRIM, RTRIM, LTRIM, LEFT, RIGHT,
// SUBSTR, LEN, STR, VAL, IIF, RECNO, DATE.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/date.h"
#include "xbase/field.h"

namespace quillon::xbase {

class Environment;

enum class ValueType { Character, Numeric, Date, Logical };

struct Value {
  ValueType type = ValueType::Logical;
  std::string text;
  double number = 0;
  Date date;
  bool logical = false;

  static Value ofText(std::string s) { Value v; v.type = ValueType::Character; v.text = std::move(s); return v; }
  static Value ofNumber(double n) { Value v; v.type = ValueType::Numeric; v.number = n; return v; }
  static Value ofDate(Date d) { Value v; v.type = ValueType::Date; v.date = d; return v; }
  static Value ofLogical(bool b) { Value v; v.type = ValueType::Logical; v.logical = b; return v; }
};

// What an expression reads from the record it runs on.
class EvalContext {
 public:
  virtual ~EvalContext() = default;
  virtual Value field(int index) const = 0;  // index into the field list given to compile()
  virtual bool deleted() const = 0;
  virtual long recNo() const = 0;
  virtual const Environment& environment() const = 0;
};

class ExpressionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Expression {
 public:
  struct Node;
  ~Expression();
  // Throws ExpressionError with a readable message (position and reason) when the text does
  // not parse, names an unknown field or function, or mixes types.
  static std::unique_ptr<Expression> compile(std::string_view text,
                                             const std::vector<FieldDef>& fields);
  Value evaluate(const EvalContext& context) const;  // may throw ExpressionError
  ValueType type() const;
  const std::string& text() const { return text_; }

 private:
  Expression() = default;
  std::string text_;
  std::unique_ptr<Node> root_;
};

// Helpers shared with the table code.
std::string upperLatin1(std::string_view text);
std::string lowerLatin1(std::string_view text);
// CTOD with American order: "mm/dd/yy" (two-digit year through the environment's window) or
// "mm/dd/yyyy"; anything else gives the empty date.
Date ctod(std::string_view text, const Environment& environment);
// STR(): right-aligned in `width` with `decimals`; asterisks when it does not fit.
std::string formatNumber(double value, int width, int decimals);

}  // namespace quillon::xbase
