// The formula language: grammar, precedence, failure flags and the values after a failure.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "engine/expr.h"

namespace tarn {
namespace {

// Every name character once: a name start, then the digits and both alphabets (63 in all,
// the longest name that is read whole).
constexpr char kEveryNameCharacter[] =
    "_0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// "wt" comes before "w", so a name matched as a prefix would read the wrong input.
constexpr ToolInput kInputs[] = {
    {"wt", u"wt", nullptr, 0},
    {"w", u"w", nullptr, 0},
    {"dose", u"dose", nullptr, 0},
    {"conc", u"conc", nullptr, 0},
    {"min", u"min", nullptr, 0},
    {"both", u"both", nullptr, 0},
    {kEveryNameCharacter, u"every", nullptr, 0},
};
constexpr ToolOutput kOutputs[] = {
    {"single", u"single", nullptr, "", nullptr},
    {"both", u"both as output", nullptr, "", nullptr},
};
constexpr ToolDef kTool = {1,       u"t", nullptr,  u"c", u"r",    nullptr, 7,
                           kInputs, 2,    kOutputs, 0,    nullptr, 0};
constexpr double kInputValues[] = {13, 12, 10, 20, 7, 111, 63};
constexpr double kOutputValues[] = {120, 222};

struct Case {
  const char* expression;
  double value;
  std::int32_t failed;
};

void ExpectCases(const Case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    std::int32_t failed = -1;
    const double value = EvalExpr(kTool, c.expression, kInputValues, kOutputValues, failed);
    EXPECT_EQ(failed, c.failed) << c.expression;
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(value)) << c.expression;
    } else {
      EXPECT_EQ(value, c.value) << c.expression;
    }
  }
}

template <std::size_t N>
void ExpectCases(const Case (&cases)[N]) {
  ExpectCases(cases, N);
}

TEST(EvalExpr, ArithmeticAndPrecedence) {
  const Case cases[] = {
      {"w*dose", 120, 0},
      {"w*dose/conc", 6, 0},
      {"1+2*3", 1 + 2 * 3, 0},
      {"(1+2)*3", (1 + 2) * 3, 0},
      {"10-4-3", 10 - 4 - 3, 0},
      {"100/10/5", 100.0 / 10 / 5, 0},
      {"-2^2", 4, 0},     // prefix minus binds tighter than ^
      {"2^3^2", 512, 0},  // right to left
      {"2^-1", 0.5, 0},
      {"10 % 3", 1, 0},
      {"-7 % 3", -1, 0},  // sign of the dividend
      {"7.5 % 2", 1.5, 0},
      {"--3", 3, 0},
      {"+++3", 3, 0},
      {"-+-3", 3, 0},
      {" \t\r\n w \n", 12, 0},
      {"2 * (3 + 4) ^ 2", 2 * 49, 0},
      {"1e3", 1000, 0},
      {"2E3", 2000, 0},  // an upper-case exponent is read whole, not as 2 and "E3"
      {"0x10", 16, 0},
      {".5+.25", 0.75, 0},
      {"1.5e-1*10", 1.5, 0},
  };
  ExpectCases(cases);
}

TEST(EvalExpr, ComparisonsAndLogic) {
  const Case cases[] = {
      {"1 < 2", 1, 0},     {"2 <= 1", 0, 0}, {"1 != 2", 1, 0},   {"3 == 3", 1, 0},
      {"3 >= 3", 1, 0},    {"4 > 5", 0, 0},  {"!0", 1, 0},       {"!5", 0, 0},
      {"!!5", 1, 0},       {"0 || 2", 1, 0}, {"2 && 0", 0, 0},   {"2 && 3", 1, 0},
      {"0 || 0", 0, 0},    {"w<6", 0, 0},    {"1+1 == 2", 1, 0}, {"1 < 2 && 2 < 3 || 0", 1, 0},
      {"1 < 2 < 3", 1, 1},  // one comparison per level: the rest is trailing text
      {"1 = 1", 1, 1},      // a single "=" is not an operator
      {"1 | 0", 1, 1},     {"1 & 0", 1, 1},
  };
  ExpectCases(cases);
  // Every comparison below, at and above equality (5, 6, 7 against 6).
  const struct {
    const char* op;
    double below, equal, above;
  } operators[] = {
      {"<", 1, 0, 0},  {"<=", 1, 1, 0}, {"==", 0, 1, 0},
      {"!=", 1, 0, 1}, {">=", 0, 1, 1}, {">", 0, 0, 1},
  };
  for (const auto& o : operators) {
    const double expected[] = {o.below, o.equal, o.above};
    for (int left = 5; left <= 7; ++left) {
      const std::string expression = std::to_string(left) + " " + o.op + " 6";
      const Case c = {expression.c_str(), expected[left - 5], 0};
      ExpectCases(&c, 1);
    }
  }
}

TEST(EvalExpr, NaNCountsAsTrueExceptInComparisons) {
  static constexpr ToolInput inputs[] = {{"x", u"x", nullptr, 0}};
  static constexpr ToolDef tool = {1,      u"t", nullptr, u"c", u"r",    nullptr, 1,
                                   inputs, 0,    nullptr, 0,    nullptr, 0};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* expression;
    double value;
  } cases[] = {
      {"x ? 1 : 2", 1},
      {"x || 0", 1},
      {"x && 1", 1},
      {"!x", 0},
      {"x == x", 0},
      {"x != x", 1},
      {"x < 1", 0},
      {"x >= 1", 0},
      {"min(x, 3)", 3},
      {"max(x, 3)", 3},
      {"min(3, x) == min(3, x)", 0},
      {"sign(x)", 0},
  };
  for (const auto& c : cases) {
    std::int32_t failed = -1;
    EXPECT_EQ(EvalExpr(tool, c.expression, &nan, nullptr, failed), c.value) << c.expression;
    EXPECT_EQ(failed, 0) << c.expression;
  }
}

TEST(EvalExpr, Conditional) {
  const Case cases[] = {
      {"1 ? 2 : 3", 2, 0},
      {"0 ? 2 : 3", 3, 0},
      {"0 ? 1 : 0 ? 2 : 3", 3, 0},  // groups to the right
      {"1 ? 0 ? 4 : 5 : 6", 5, 0},
      {"w<6 ? 1 : 0", 0, 0},
      {"1 ? 2 3", 2, 1},  // missing ":" reads the rest as the third operand
      {"0 ? 2 3", 3, 1},
      {"1 ? 2 : 1/0", 2, 1},  // the branch not chosen is still evaluated
      {"(1 ? 2 : 3) + 1", 3, 0},
  };
  ExpectCases(cases);
}

TEST(EvalExpr, Functions) {
  const Case cases[] = {
      {"min(3, 1)", 1, 0},
      {"max(3, 1)", 3, 0},
      {"pow(2, 10)", 1024, 0},
      {"mod(7, 3)", 1, 0},
      {"mod(-7, 3)", -1, 0},
      {"mod(7, 0)", 0, 1},
      {"min(1,2,3)", 1, 1},
      {"foo(1, 2)", 0, 1},
      {"sqrt(4)", 2, 0},
      {"sqrt(0)", 0, 0},
      {"sqrt(-1)", 0, 1},
      {"log(0)", 0, 1},
      {"log(-1)", 0, 1},
      {"log10(1000)", 3, 0},
      {"log10(0)", 0, 1},
      {"abs(-2.5)", 2.5, 0},
      {"floor(-2.5)", -3, 0},
      {"ceil(-2.5)", -2, 0},
      {"round(2.5)", 3, 0},
      {"round(-2.5)", -2, 0},
      {"cbrt(-8)", -2, 0},
      {"cbrt(27)", 3, 0},
      {"sign(-3)", -1, 0},
      {"sign(0)", 0, 0},
      {"sign(4)", 1, 0},
      {"exp(0)", 1, 0},
      {"sqrt ( 16 )", 4, 0},
      {"sqrt()", 0, 1},
      {"nope(2)", 0, 1},
      {"SQRT(4)", 0, 1},  // names are case-sensitive
      {"min(3, 1) + max(2, 5)", 6, 0},
      {"min + 1", 8, 0},  // an input may be named like a function
      {"max(0, min(w*dose, 400)) / conc + (w<6 ? 1 : 0)", 6, 0},
      {"sqrt(4", 2, 1},  // missing ")" uses the value as if it were there
      {"min(4, 2", 2, 1},
  };
  ExpectCases(cases);
}

TEST(EvalExpr, ValuesAfterAFailure) {
  const Case cases[] = {
      {"1+2/0", 1, 1},  // the whole "*" "/" chain becomes 0
      {"3*4/0+1", 1, 1},
      {"5 % 0", 0, 1},
      {"w*dose/(conc-20)", 0, 1},
      {"0 && 1/0", 0, 1},  // no short circuit
      {"1 || 1/0", 1, 1},
      {"w)", 12, 1},   // trailing text
      {"(w", 12, 1},   // missing ")"
      {"2**3", 2, 1},  // "**" is not an operator
      {".", 0, 1},
      {"1e", 1, 1},  // "e" left unread
      {"", 0, 1},
      {"   ", 0, 1},
      {"unknown", 0, 1},
      {"unknown + 1", 1, 1},
      {"1 +", 1, 1},  // missing operand reads as 0
      {"*2", 0, 1},
      {"exp(1000)", std::numeric_limits<double>::infinity(), 1},  // non-finite result fails
      {"exp(1000) > 1", 1, 0},                                    // only the final value is tested
      {"pow(-8, 1/3)", std::numeric_limits<double>::quiet_NaN(), 1},
      {"0/0", 0, 1},
      {"1\v+1", 1, 1},  // vertical tab is not white space
  };
  ExpectCases(cases);
  std::int32_t failed = 0;
  EXPECT_EQ(EvalExpr(kTool, nullptr, kInputValues, kOutputValues, failed), 0);
  EXPECT_EQ(failed, 1);
}

TEST(EvalExpr, AnOperatorLeftUnreadByATighterLevelIsNotTakenByALooserOne) {
  // Faults guarded against: the one loop over all binary levels applying an operator that
  // the grammar leaves as trailing text.
  const Case cases[] = {
      {"1 || 2 < 3 < 4", 1, 1},  // a second comparison ends every level, not only its own
      {"1 < 2 && 3", 1, 0},      // a looser operator after a comparison goes on
      {"2/0*3+1", 0, 1},         // a factor after a zero divisor ends the expression ...
      {"2/0+1", 1, 1},           // ... a term after it does not
  };
  ExpectCases(cases);
  // At the nesting cap a power gives 0 with its exponent unread; the second "^" is then read
  // outside the parentheses, not at the cap: 0 ^ (-1 at the cap, so 0) is 1.
  const std::string atCap = std::string(kMaxExprDepth - 1, '(') + "2^^-1";
  const Case c = {atCap.c_str(), 1, 1};
  ExpectCases(&c, 1);
}

TEST(EvalExpr, NamesLookUpInputsBeforeOutputs) {
  const Case cases[] = {
      {"single", 120, 0},
      {"both", 111, 0},  // an input hides an output of the same key
      {"W", 0, 1},       // case-sensitive
      {"_", 0, 1},
      // Whole keys only: "w" is not "wt", and "dose" is not read for "do" or "dosex".
      {"w", 12, 0},
      {"wt", 13, 0},
      {"do", 0, 1},
      {"dosex", 0, 1},
      {kEveryNameCharacter, 63, 0},  // every name character, one name of 63
  };
  ExpectCases(cases);
}

TEST(EvalExpr, LongNamesStopAt63Characters) {
  // A 64th name character is left unread and fails the expression as trailing text.
  const std::string name63(63, 'a');
  const std::string name64(64, 'a');
  std::int32_t failed = 0;
  EvalExpr(kTool, name63.c_str(), kInputValues, kOutputValues, failed);
  EXPECT_EQ(failed, 1);  // unknown name
  EXPECT_EQ(EvalExpr(kTool, (name64 + "+1").c_str(), kInputValues, kOutputValues, failed), 0);
  EXPECT_EQ(failed, 1);
}

TEST(EvalExpr, NestingStopsExactlyAtTheCapInsteadOfOverflowingTheStack) {
  // Every recursive construct nests one level per repetition, the whole expression one more:
  // kMaxExprDepth - 1 repetitions evaluate, one more fails, and hostile depth fails too.
  const auto repeat = [](const char* part, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += part;
    return s;
  };
  const std::function<std::string(int)> nestings[] = {
      [&](int n) { return repeat("(", n) + "1" + repeat(")", n); },
      [&](int n) { return repeat("-", n) + "1"; },
      [&](int n) { return repeat("!", n) + "1"; },
      [&](int n) { return repeat("1^", n) + "1"; },
      [&](int n) { return repeat("1?", n) + "1" + repeat(":1", n); },
      [&](int n) { return repeat("min(1,", n) + "1" + repeat(")", n); },
      // Every binary level open at each depth: the most stack per level.
      [&](int n) { return repeat("1||1&&1<1+1*(", n) + "1" + repeat(")", n); },
  };
  const struct {
    int depth;
    std::int32_t failed;
  } depths[] = {{kMaxExprDepth - 1, 0}, {kMaxExprDepth, 1}, {100000, 1}};
  for (const auto& nesting : nestings) {
    for (const auto& d : depths) {
      const std::string expression = nesting(d.depth);
      std::int32_t failed = -1;
      EvalExpr(kTool, expression.c_str(), kInputValues, kOutputValues, failed);
      EXPECT_EQ(failed, d.failed) << expression.substr(0, 12) << " nested " << d.depth;
    }
  }
}

TEST(ApplyFunction1, LeavesTheFlagAloneOnSuccess) {
  std::int32_t failed = 1;
  EXPECT_EQ(ApplyFunction1("abs", -3, failed), 3);
  EXPECT_EQ(failed, 1);
  failed = 0;
  EXPECT_EQ(ApplyFunction1("sqrt", 9, failed), 3);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(ApplyFunction1("log", -1, failed), 0);
  EXPECT_EQ(failed, 1);
  failed = 0;
  EXPECT_TRUE(std::isnan(ApplyFunction1("sqrt", std::nan(""), failed)));  // NaN passes
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(ApplyFunction1("min", 1, failed), 0);  // two-argument names are not here
  EXPECT_EQ(failed, 1);
}

}  // namespace
}  // namespace tarn
