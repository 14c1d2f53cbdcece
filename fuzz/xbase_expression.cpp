// Any text as an xBase expression: parse it against a table's fields and evaluate it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xbase/environment.h"
#include "xbase/expression.h"

namespace {

using namespace quillon::xbase;

const std::vector<FieldDef> kFields = {{"NAME", 'C', 10, 0}, {"DATESENT", 'D', 8, 0},
                                       {"PAGES", 'N', 2, 0}, {"SENT", 'L', 1, 0}};

struct Row : EvalContext {
  Environment env;
  Value field(int i) const override {
    switch (i) {
      case 0: return Value::ofText("Smith     ");
      case 1: return Value::ofDate(Date{1999, 1, 31});
      case 2: return Value::ofNumber(3);
      default: return Value::ofLogical(true);
    }
  }
  bool deleted() const override { return false; }
  long recNo() const override { return 1; }
  const Environment& environment() const override { return env; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Row row;
  try {
    auto e = Expression::compile(std::string_view(reinterpret_cast<const char*>(data), size), kFields);
    Value v = e->evaluate(row);
    if (v.type != e->type()) __builtin_trap();  // the type known when parsed is the result's
  } catch (const ExpressionError&) {
  }
  return 0;
}
