// The expression forms the fax store passes, and the xBase rules around them that a wrong
// evaluator gets subtly wrong: precedence, blanks in comparisons, dates near the century
// window's edges, conversions of odd text.
#include <gtest/gtest.h>

#include "xbase/environment.h"
#include "xbase/expression.h"

using namespace quillon::xbase;

namespace {

const std::vector<FieldDef> kFields = {{"RECIPIENT", 'C', 12, 0}, {"DATESENT", 'D', 8, 0},
                                       {"PAGES", 'N', 2, 0},      {"SENT", 'L', 1, 0},
                                       {"TIMESENT", 'C', 5, 0}};

struct Fax : EvalContext {
  Environment env;
  std::string recipient = "  Smith     ";
  Date sent{2024, 3, 9};
  double pages = 3;
  bool ok = true, del = false;
  std::string time = "08:05";
  explicit Fax(Date today = {2024, 6, 15}) { env.setToday(today); }
  Value field(int i) const override {
    switch (i) {
      case 0: return Value::ofText(recipient);
      case 1: return Value::ofDate(sent);
      case 2: return Value::ofNumber(pages);
      case 3: return Value::ofLogical(ok);
      default: return Value::ofText(time);
    }
  }
  bool deleted() const override { return del; }
  long recNo() const override { return 1; }
  const Environment& environment() const override { return env; }
};

Value eval(const std::string& text, const Fax& fax = Fax()) {
  return Expression::compile(text, kFields)->evaluate(fax);
}
bool truth(const std::string& text, const Fax& fax = Fax()) {
  Value v = eval(text, fax);
  EXPECT_EQ(v.type, ValueType::Logical) << text;
  return v.logical;
}

}  // namespace

TEST(ExpressionRules, PrecedenceOfNotAndOrAndComparisons) {
  // .AND. binds tighter than .OR., .NOT. tighter than both, comparisons tighter still.
  EXPECT_TRUE(truth(".T. .or. .F. .and. .F."));
  EXPECT_FALSE(truth("(.T. .or. .F.) .and. .F."));
  EXPECT_TRUE(truth(".not. .T. .or. .T."));
  EXPECT_FALSE(truth(".not. (.T. .or. .T.)"));
  EXPECT_TRUE(truth(".not. PAGES > 5"));
  EXPECT_TRUE(truth(".not. .not. SENT"));
  EXPECT_TRUE(truth("!SENT .or. PAGES = 3"));
  EXPECT_TRUE(truth("PAGES != 4 .and. !(PAGES = 4)"));
  // Case and blanks around the dotted words do not matter.
  EXPECT_TRUE(truth("sent.AnD.pages=3.Or..f."));
  EXPECT_TRUE(truth("  .NOT.   DELETED( )  "));
  // Arithmetic before comparison, $ after +.
  EXPECT_TRUE(truth("PAGES + 2 * 3 = 9 .and. (PAGES + 2) * 3 = 15 .and. -PAGES + 4 = 1"));
  EXPECT_TRUE(truth("\"SMI\" + \"TH\" $ UPPER(RECIPIENT)"));
  // The short-circuit of .AND./.OR. never evaluates a failing right side.
  EXPECT_FALSE(truth(".F. .and. PAGES / 0 = 1"));
  EXPECT_TRUE(truth(".T. .or. PAGES / 0 = 1"));
}

TEST(ExpressionRules, StringEqualityContainmentAndBlanks) {
  Fax fax;
  // = with EXACT off: compared up to the right operand's length, blanks of the field count.
  EXPECT_FALSE(truth("RECIPIENT = \"Smith\"", fax));  // the field starts with two blanks
  EXPECT_TRUE(truth("RECIPIENT = \"  Smi\"", fax));
  EXPECT_TRUE(truth("ALLTRIM(RECIPIENT) = \"Smith\"", fax));
  EXPECT_TRUE(truth("ALLTRIM(RECIPIENT) = \"Smith   \"", fax));  // right blanks meet padding
  EXPECT_FALSE(truth("ALLTRIM(RECIPIENT) = \"Smithson\"", fax));
  EXPECT_TRUE(truth("TRIM(RECIPIENT) <> \"Smithson\"", fax));
  // == is exact, blanks included, and does not depend on which side is longer.
  EXPECT_TRUE(truth("ALLTRIM(UPPER(RECIPIENT))==\"SMITH\"", fax));
  EXPECT_FALSE(truth("ALLTRIM(UPPER(RECIPIENT))==\"SMITH \"", fax));
  EXPECT_FALSE(truth("ALLTRIM(UPPER(RECIPIENT))==\"SMIT\"", fax));
  EXPECT_FALSE(truth("\"SMIT\"==ALLTRIM(UPPER(RECIPIENT))", fax));
  EXPECT_FALSE(truth("UPPER(RECIPIENT)==\"  SMITH\"", fax));  // trailing blanks of the field
  // $: anywhere inside, case sensitive, blanks significant.
  EXPECT_TRUE(truth("\"SMITH\"$ALLTRIM(UPPER(RECIPIENT))", fax));
  EXPECT_FALSE(truth("\"smith\"$ALLTRIM(UPPER(RECIPIENT))", fax));
  EXPECT_FALSE(truth("\"SMITH \"$ALLTRIM(UPPER(RECIPIENT))", fax));
  EXPECT_TRUE(truth("\"H \"$UPPER(RECIPIENT)", fax));
  fax.recipient = "John Smithson";
  EXPECT_TRUE(truth("\"SMITH\"$ALLTRIM(UPPER(RECIPIENT))", fax));
  EXPECT_FALSE(truth("ALLTRIM(UPPER(RECIPIENT))==\"SMITH\"", fax));
  // Latin-1 letters are upper-cased as UPPER() does for the stored names.
  fax.recipient = "M\xfcller";
  EXPECT_TRUE(truth("ALLTRIM(UPPER(RECIPIENT))==\"M\xdcLLER\"", fax));
  // Blank and whitespace-only texts are EMPTY; zero, .F. and the empty date too.
  fax.recipient = " \t ";
  fax.pages = 0;
  fax.ok = false;
  fax.sent = {};
  EXPECT_TRUE(truth("EMPTY(RECIPIENT) .and. EMPTY(PAGES) .and. EMPTY(SENT) .and. EMPTY(DATESENT)",
                    fax));
  EXPECT_EQ(eval("ALLTRIM(\"   \")").text, "");
  EXPECT_EQ(eval("LTRIM(\"  a  \") + \"|\" + RTRIM(\"  a  \")").text, "a  |  a");
}

TEST(ExpressionRules, DatesTheStoreWritesReadBackNearTheWindowEdges) {
  // Today 2000: the window is 1920..2019.
  Fax fax(Date{2000, 2, 29});
  EXPECT_EQ(eval("CTOD(\"01/01/19\")", fax).date, (Date{2019, 1, 1}));
  EXPECT_EQ(eval("CTOD(\"01/01/20\")", fax).date, (Date{1920, 1, 1}));
  EXPECT_EQ(eval("CTOD(\"02/29/00\")", fax).date, (Date{2000, 2, 29}));
  EXPECT_TRUE(eval("CTOD(\"02/29/19\")", fax).date.empty());  // not a leap year
  // Today 2099: the window is 2019..2118.
  Fax late(Date{2099, 1, 1});
  EXPECT_EQ(eval("CTOD(\"12/31/18\")", late).date, (Date{2118, 12, 31}));
  EXPECT_EQ(eval("CTOD(\"12/31/19\")", late).date, (Date{2019, 12, 31}));
  // Single digits and four-digit years; anything else is the empty date, not a guess.
  EXPECT_EQ(eval("CTOD(\"1/2/2003\")").date, (Date{2003, 1, 2}));
  for (const char* bad : {"13/01/99", "00/10/99", "01/32/99", "01/31", "01-31", "aa/bb/cc", "",
                          "01/31/99/1", "/01/99", "01//99"})
    EXPECT_TRUE(eval(std::string("CTOD(\"") + bad + "\")").date.empty()) << bad;
  // The before-date condition: the day itself and empty dates are not "before".
  Fax fax2;
  fax2.sent = {1999, 1, 31};
  EXPECT_FALSE(truth("(DATESENT<CTOD(\"01/31/99\")) .and. (.not. EMPTY(DATESENT))", fax2));
  fax2.sent = {1999, 1, 30};
  EXPECT_TRUE(truth("(DATESENT<CTOD(\"01/31/99\")) .and. (.not. EMPTY(DATESENT))", fax2));
  fax2.sent = {};
  EXPECT_FALSE(truth("(DATESENT<CTOD(\"01/31/99\")) .and. (.not. EMPTY(DATESENT))", fax2));
  // DTOS + time: the sent and received keys sort newest last as text.
  EXPECT_EQ(eval("DTOS(DATESENT)+TIMESENT").text, "2024030908:05");
  EXPECT_EQ(eval("DTOC(DATESENT)").text, "03/09/24");
  // Date arithmetic across month, year and leap day; first and last representable days.
  EXPECT_EQ(eval("DTOS(CTOD(\"02/28/2024\") + 1)").text, "20240229");
  EXPECT_EQ(eval("DTOS(CTOD(\"12/31/2023\") + 1)").text, "20240101");
  EXPECT_EQ(eval("CTOD(\"03/01/2024\") - CTOD(\"02/01/2024\")").number, 29);
  EXPECT_EQ(eval("DTOS(CTOD(\"01/02/0001\") - 1)").text, "00010101");
  EXPECT_EQ(eval("DTOS(CTOD(\"12/30/9999\") + 1)").text, "99991231");
  EXPECT_EQ(eval("DTOS(CTOD(\"12/31/9999\") + 1)").text, "        ");
  // Arithmetic far outside the calendar gives the empty date, never garbage or a trap.
  EXPECT_TRUE(eval("DATESENT + VAL(\"9223372036854774784\")").date.empty());
  EXPECT_TRUE(eval("DATESENT - VAL(\"9223372036854774784\")").date.empty());
  EXPECT_TRUE(eval("DATESENT + VAL(\"1e300\")").date.empty());
  // An empty date stays empty under arithmetic.
  Fax blank;
  blank.sent = {};
  EXPECT_TRUE(eval("DATESENT + 5", blank).date.empty());
}

TEST(ExpressionRules, NumbersFromText) {
  EXPECT_EQ(eval("VAL(\"  42abc\")").number, 42);
  EXPECT_EQ(eval("VAL(\"-3.5\")").number, -3.5);
  EXPECT_EQ(eval("VAL(\"abc\")").number, 0);
  // xBase reads decimal digits only: no hexadecimal, no infinities or NaN from text.
  EXPECT_EQ(eval("VAL(\"0x1A\")").number, 0);
  EXPECT_EQ(eval("VAL(\"1.5e3x\")").number, 1500);
  EXPECT_EQ(eval("VAL(\"1e999\")").number, 0);
  EXPECT_EQ(eval("VAL(\"inf\")").number, 0);
  EXPECT_EQ(eval("VAL(\"nan\")").number, 0);
  EXPECT_TRUE(truth("VAL(\"nan\") = 0"));
  EXPECT_EQ(eval("STR(VAL(\"12\"), 4)").text, "  12");
  // Halves round away from zero, as xBase rounds (not to even as printf does).
  EXPECT_EQ(eval("STR(-1.25, 6, 1)").text, "  -1.3");
  EXPECT_EQ(eval("STR(2.5, 3)").text, "  3");
  EXPECT_EQ(eval("STR(0.125, 5, 2)").text, " 0.13");
  EXPECT_EQ(eval("STR(-0.4, 2)").text, "-0");
  EXPECT_EQ(eval("STR(PAGES)").text, "         3");
  EXPECT_EQ(eval("7 % -3").number, -2);  // the sign of the divisor, as xBase MOD
}

TEST(ExpressionRules, ParseErrorsNameThePositionAndTheReason) {
  struct Case {
    const char* text;
    const char* says;
  } cases[] = {
      {"RECIPIENT = ", "position"},
      {"NOSUCH = 1", "unknown field 'NOSUCH'"},
      {"RECIPIENT = 1", "cannot compare character with numeric"},
      {"DATESENT < \"01/31/99\"", "cannot compare date with character"},
      {".not. RECIPIENT", ".NOT. needs a logical"},
      {"SENT .and. PAGES", ".AND. needs a logical"},
      {"FOO(1)", "unknown function"},
      {"CTOD(1)", "CTOD() needs a character"},
      {"DTOS()", "wrong number of arguments"},
      {"\"SMITH\"$ALLTRIM(UPPER(RECIPIENT)", "')'"},
      {"\"SMITH$ALLTRIM(UPPER(RECIPIENT))", "unterminated"},
      {"PAGES = 1 2", "unexpected '2'"},
      {"1.2.3 = 1", "bad number"},
  };
  for (const auto& c : cases) {
    try {
      Expression::compile(c.text, kFields);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ExpressionError& e) {
      std::string what = e.what();
      EXPECT_NE(what.find(c.says), std::string::npos) << c.text << " -> " << what;
      EXPECT_NE(what.find("position"), std::string::npos) << c.text << " -> " << what;
    }
  }
  // An unknown name is pointed at where it starts.
  try {
    Expression::compile("SENT .and. NOSUCH = 1", kFields);
    ADD_FAILURE();
  } catch (const ExpressionError& e) {
    EXPECT_NE(std::string(e.what()).find("position 12:"), std::string::npos) << e.what();
  }
}
