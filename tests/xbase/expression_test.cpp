#include "xbase/expression.h"

#include <gtest/gtest.h>

#include "xbase/environment.h"

using namespace quillon::xbase;

namespace {

const std::vector<FieldDef> kFields = {{"NAME", 'C', 10, 0}, {"WHEN", 'D', 8, 0},
                                       {"COUNT", 'N', 3, 0}, {"OK", 'L', 1, 0}};

struct Row : EvalContext {
  Environment env;
  std::string name = "Smith     ";
  Date when{1999, 1, 30};
  double count = 7;
  bool ok = true, del = false;
  Row() { env.setToday(Date{2024, 6, 15}); }
  Value field(int i) const override {
    switch (i) {
      case 0: return Value::ofText(name);
      case 1: return Value::ofDate(when);
      case 2: return Value::ofNumber(count);
      default: return Value::ofLogical(ok);
    }
  }
  bool deleted() const override { return del; }
  long recNo() const override { return 4; }
  const Environment& environment() const override { return env; }
};

Value eval(const std::string& text, const Row& row = Row()) {
  return Expression::compile(text, kFields)->evaluate(row);
}
bool truth(const std::string& text, const Row& row = Row()) { return eval(text, row).logical; }

}  // namespace

TEST(Expression, StringComparisonsFollowXbaseRules) {
  EXPECT_TRUE(truth("NAME = \"Smi\""));           // compares up to the right side's length
  EXPECT_FALSE(truth("\"Smi\" = NAME"));
  EXPECT_TRUE(truth("NAME = \"\""));
  EXPECT_FALSE(truth("NAME == \"Smith\""));        // == is exact, blanks included
  EXPECT_TRUE(truth("ALLTRIM(UPPER(name))==\"SMITH\""));
  EXPECT_TRUE(truth("\"MIT\"$ALLTRIM(UPPER(NAME))"));
  EXPECT_FALSE(truth("\"\"$NAME"));
  EXPECT_TRUE(truth("NAME <> \"Jones\" .and. NAME # \"X\" .and. NAME != \"Y\""));
  EXPECT_TRUE(truth("\"abc\" < \"abd\" .and. \"b\" > \"abc\" .and. \"ab\" <= \"ab  \""));
  EXPECT_EQ(eval("UPPER(\"caf\xe9\")").text, "CAF\xc9");
  EXPECT_EQ(eval("LOWER(\"\xc0X\")").text, "\xe0x");
  EXPECT_EQ(eval("\"a \" - \"b\"").text, "ab ");
}

TEST(Expression, DatesAndTheRollingCenturyWindow) {
  EXPECT_EQ(eval("DTOS(WHEN)+\"x\"").text, "19990130x");
  EXPECT_TRUE(truth("(WHEN<CTOD(\"01/31/99\")) .and. (.not. EMPTY(WHEN))"));
  EXPECT_FALSE(truth("WHEN<CTOD(\"01/30/99\")"));
  EXPECT_EQ(eval("CTOD(\"02/29/24\")").date, (Date{2024, 2, 29}));
  EXPECT_EQ(eval("CTOD(\"12/31/44\")").date, (Date{1944, 12, 31}));  // 2024 - 80
  EXPECT_EQ(eval("CTOD(\"12/31/43\")").date, (Date{2043, 12, 31}));  // 2024 + 19
  EXPECT_EQ(eval("CTOD(\"12/31/1930\")").date, (Date{1930, 12, 31}));
  EXPECT_TRUE(eval("CTOD(\"02/30/24\")").date.empty());
  EXPECT_TRUE(eval("CTOD(\"  /  /  \")").date.empty());
  Row blank;
  blank.when = {};
  EXPECT_TRUE(truth("EMPTY(WHEN)", blank));
  EXPECT_EQ(eval("DTOS(WHEN)", blank).text, "        ");
  EXPECT_TRUE(truth("WHEN < CTOD(\"01/01/00\")", blank));  // the empty date sorts first
  EXPECT_EQ(eval("WHEN + 2").date, (Date{1999, 2, 1}));
  EXPECT_EQ(eval("CTOD(\"03/01/99\") - WHEN").number, 30);
}

TEST(Expression, LogicalsNumbersFunctionsAndDeleted) {
  Row row;
  EXPECT_TRUE(truth(".not. deleted()", row));
  row.del = true;
  EXPECT_FALSE(truth(".NOT. DELETED()", row));
  EXPECT_TRUE(truth("!deleted() .or. .T.", row));
  EXPECT_TRUE(truth(".true. .and. !.false."));
  EXPECT_TRUE(truth("OK .and. COUNT * 2 + 1 = 15 .and. COUNT % 4 = 3"));
  EXPECT_EQ(eval("STR(COUNT, 5, 1)").text, "  7.0");
  EXPECT_EQ(eval("STR(123456, 3)").text, "***");
  EXPECT_EQ(eval("SUBSTR(NAME, 2, 3) + LEFT(NAME, 1) + RIGHT(\"abc\", 2)").text, "mitSbc");
  EXPECT_EQ(eval("IIF(COUNT > 5, \"big\", \"small\")").text, "big");
  EXPECT_EQ(eval("VAL(\" 12.5\") + LEN(NAME) + RECNO()").number, 26.5);
  EXPECT_EQ(eval("UPPE(TRIM(NAME))").text, "SMITH");  // four-letter abbreviations
  EXPECT_EQ(Expression::compile("name", kFields)->type(), ValueType::Character);
}

TEST(Expression, BadTextGivesAClearErrorNeverACrash) {
  for (const char* bad : {"", "NAME =", "NAME = 1", "NOSUCH", "FOO(1)", "(NAME", "\"open",
                          ".not. NAME", "DTOS(NAME)", "1 +", ".x.", "UPPER(NAME, 2)",
                          "IIF(OK, 1, \"a\")", "NAME $ 3", "))", "@"}) {
    try {
      Expression::compile(bad, kFields);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const ExpressionError& e) {
      EXPECT_NE(std::string(e.what()).find("expression"), std::string::npos) << bad;
    }
  }
  EXPECT_THROW(Expression::compile(std::string(5000, '('), kFields), ExpressionError);
  EXPECT_THROW(eval("COUNT / 0 = 1"), ExpressionError);
}
