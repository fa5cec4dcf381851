// The expression evaluator: a recursive-descent parser that computes while it reads. No token
// list, no tree, no heap. An error never stops the reading: it sets the failure flag and a
// substitute value takes the failed part's place.
#include "engine/expr.h"

#include <cmath>
#include <cstring>

#include "text/number.h"

namespace tarn {
namespace {

constexpr std::int32_t kNameCapacity = 64;  // 63 characters and the terminator
// Whole numbers of up to 15 digits are below 2^53: exact in a double, digit by digit.
constexpr std::int32_t kShortNumberDigits = 15;

// All the state of one evaluation.
struct ExprState {
  const ToolDef& tool;
  const double* inputValues;
  const double* outputValues;
  const char* cursor;
  std::int32_t failed;
  std::int32_t depth;  // current nesting; bounded by kMaxExprDepth
};

double ParseConditional(ExprState& s);

// Character classes, fixed and independent of any locale. A table, because names are read
// character by character for every operand.
enum CharClass : std::uint8_t { kOther = 0, kNameStart = 1, kDigit = 2 };
struct CharClasses {
  std::uint8_t of[256];
};
constexpr CharClasses kCharClasses = [] {
  CharClasses classes{};
  for (int c = 'a'; c <= 'z'; ++c) classes.of[c] = kNameStart;
  for (int c = 'A'; c <= 'Z'; ++c) classes.of[c] = kNameStart;
  classes.of[static_cast<unsigned char>('_')] = kNameStart;
  for (int c = '0'; c <= '9'; ++c) classes.of[c] = kDigit;
  return classes;
}();
CharClass ClassOf(char c) {
  return static_cast<CharClass>(kCharClasses.of[static_cast<unsigned char>(c)]);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return ClassOf(c) == kDigit; }
bool IsNameStart(char c) { return ClassOf(c) == kNameStart; }
bool IsNameChar(char c) { return ClassOf(c) != kOther; }
bool IsTrue(double v) { return v != 0; }  // NaN counts as true

// Most calls find no space at all; the first test settles those.
void SkipSpace(ExprState& s) {
  while (static_cast<unsigned char>(*s.cursor) <= ' ' && IsSpace(*s.cursor)) ++s.cursor;
}

void Fail(ExprState& s) { s.failed = 1; }

// Enters one nesting level; false (and a failure) at the cap, so deep input cannot exhaust
// the stack. Each successful Enter is paired with a Leave.
bool Enter(ExprState& s) {
  if (s.depth >= kMaxExprDepth) {
    Fail(s);
    return false;
  }
  ++s.depth;
  return true;
}

void Leave(ExprState& s) { --s.depth; }

// True when `key` is exactly the `length` characters of `name`. Inline rather than strcmp:
// keys are a few characters long and this runs for every name an expression reads.
bool KeyEquals(const char* key, const char* name, std::int32_t length) {
  for (std::int32_t i = 0; i < length; ++i) {
    if (key[i] != name[i]) return false;  // also stops at the key's terminator
  }
  return key[length] == 0;
}

// Value of a name outside a call: inputs first, then outputs; unknown is an error.
double LookUpName(ExprState& s, const char* name, std::int32_t length) {
  for (std::int32_t i = 0; i < s.tool.inputCount; ++i) {
    if (KeyEquals(s.tool.inputs[i].key, name, length)) return s.inputValues[i];
  }
  for (std::int32_t i = 0; i < s.tool.outputCount; ++i) {
    if (KeyEquals(s.tool.outputs[i].key, name, length)) return s.outputValues[i];
  }
  Fail(s);
  return 0;
}

// call = name "(" conditional [ "," conditional ] ")"   (name and "(" already read)
// The name (`length` characters at `start`) is copied here, so the name buffer (and its
// stack guard) stays out of ParseUnary, which runs for every operand; kept out of line for
// that reason (an inlined copy would give ParseUnary its frame).
#if defined(__GNUC__)
__attribute__((noinline))
#endif
double
ParseCall(ExprState& s, const char* start, std::int32_t length) {
  char name[kNameCapacity];
  std::memcpy(name, start, static_cast<std::size_t>(length));
  name[length] = 0;
  const double a = ParseConditional(s);
  SkipSpace(s);
  if (*s.cursor != ',') {
    if (*s.cursor == ')') ++s.cursor;
    else Fail(s);
    return ApplyFunction1(name, a, s.failed);
  }
  ++s.cursor;
  const double b = ParseConditional(s);
  SkipSpace(s);
  if (*s.cursor == ')') ++s.cursor;
  else Fail(s);
  if (std::strcmp(name, "min") == 0) return a < b ? a : b;
  if (std::strcmp(name, "max") == 0) return a > b ? a : b;
  if (std::strcmp(name, "pow") == 0) return std::pow(a, b);
  if (std::strcmp(name, "mod") == 0) {
    if (b == 0) {
      Fail(s);
      return 0;
    }
    return std::fmod(a, b);
  }
  Fail(s);
  return 0;
}

// unary = "(" conditional ")" | "-" unary | "+" unary | "!" unary | number | name | call
double ParseUnary(ExprState& s) {
  for (;;) {
    SkipSpace(s);
    const char c = *s.cursor;
    if (c == '+') {  // any number of prefix pluses change nothing
      ++s.cursor;
      continue;
    }
    if (c == '(') {
      ++s.cursor;
      const double v = ParseConditional(s);
      SkipSpace(s);
      if (*s.cursor == ')') ++s.cursor;
      else Fail(s);
      return v;
    }
    if (c == '-' || c == '!') {
      ++s.cursor;
      if (!Enter(s)) return 0;
      const double v = ParseUnary(s);
      Leave(s);
      if (c == '-') return -v;
      return v == 0 ? 1 : 0;
    }
    if (IsDigit(c)) {
      // A plain whole number of up to 15 digits (most literals) is exact as read here; one
      // followed by anything that continues a number goes to the full reader below.
      double v = 0;
      std::int32_t n = 0;
      for (; n < kShortNumberDigits && IsDigit(s.cursor[n]); ++n) v = v * 10 + (s.cursor[n] - '0');
      const char next = s.cursor[n];
      if (!IsDigit(next) && next != '.' && next != 'e' && next != 'E' && next != 'x' &&
          next != 'X') {
        s.cursor += n;
        return v;
      }
    }
    if (IsDigit(c) || c == '.') {
      const char* end = s.cursor;
      const double v = ParseNumber(s.cursor, &end);
      if (end == s.cursor) {
        Fail(s);
        return 0;
      }
      s.cursor = end;
      return v;
    }
    if (IsNameStart(c)) {
      // A name is its first 63 characters; it is read in place and copied only for a call.
      const char* start = s.cursor;
      std::int32_t length = 0;
      while (length < kNameCapacity - 1 && IsNameChar(start[length])) ++length;
      s.cursor += length;
      SkipSpace(s);
      if (*s.cursor != '(') return LookUpName(s, start, length);
      ++s.cursor;
      return ParseCall(s, start, length);
    }
    Fail(s);  // no operand can start here
    return 0;
  }
}

// power = unary [ "^" power ]        (right to left; prefix minus binds tighter)
double ParsePower(ExprState& s) {
  const double base = ParseUnary(s);
  SkipSpace(s);
  if (*s.cursor != '^') return base;
  ++s.cursor;
  if (!Enter(s)) return 0;
  const double exponent = ParsePower(s);
  Leave(s);
  return std::pow(base, exponent);
}

// The binary operators by level, loosest first:
//   or             = and { "||" and }                          (no short circuit)
//   and            = comparison { "&&" comparison }            (no short circuit)
//   comparison     = additive [ ("<=" | ">=" | "==" | "!=" | "<" | ">") additive ]  (at most one)
//   additive       = multiplicative { ("+" | "-") multiplicative }
//   multiplicative = power { ("*" | "/" | "%") power }          ("**" is not an operator)
// read by precedence climbing: one loop per operand chain instead of one call per level.
enum OperatorLevel : std::int32_t {
  kNoOperator = 0,
  kOr = 1,
  kAnd = 2,
  kCompare = 3,
  kAdditive = 4,
  kMultiplicative = 5,
  kAboveAll = 6,
};

enum class Op : std::uint8_t {
  Or,
  And,
  LessEqual,
  GreaterEqual,
  Equal,
  NotEqual,
  Less,
  Greater,
  Add,
  Subtract,
  Multiply,
  Divide,
  Remainder
};

struct Operator {
  Op op;
  std::int32_t level;  // kNoOperator: none at the cursor
  std::int32_t length;
};

// The operator at `p`, longest spelling first ("<=" before "<"); not consumed.
Operator PeekOperator(const char* p) {
  constexpr Operator kNone = {Op::Or, kNoOperator, 0};
  switch (p[0]) {
    case '*': return p[1] == '*' ? kNone : Operator{Op::Multiply, kMultiplicative, 1};
    case '/': return {Op::Divide, kMultiplicative, 1};
    case '%': return {Op::Remainder, kMultiplicative, 1};
    case '+': return {Op::Add, kAdditive, 1};
    case '-': return {Op::Subtract, kAdditive, 1};
    case '<':
      return p[1] == '=' ? Operator{Op::LessEqual, kCompare, 2} : Operator{Op::Less, kCompare, 1};
    case '>':
      return p[1] == '=' ? Operator{Op::GreaterEqual, kCompare, 2}
                         : Operator{Op::Greater, kCompare, 1};
    case '=': return p[1] == '=' ? Operator{Op::Equal, kCompare, 2} : kNone;
    case '!': return p[1] == '=' ? Operator{Op::NotEqual, kCompare, 2} : kNone;
    case '&': return p[1] == '&' ? Operator{Op::And, kAnd, 2} : kNone;
    case '|': return p[1] == '|' ? Operator{Op::Or, kOr, 2} : kNone;
    default: return kNone;
  }
}

// The operators of level `minLevel` and above, from one power on. A frame gives back, for
// its caller to see, an operator that the grammar above never lets follow: a second
// comparison, a multiplication after a zero divisor, or one above the level it last applied
// (which only a deeper frame's refusal leaves behind). Nothing consumes those, so they end
// the expression as trailing text, as in the grammar.
double ParseBinary(ExprState& s, std::int32_t minLevel) {
  double l = ParsePower(s);
  std::int32_t last = kAboveAll;  // level of the last operator applied here
  bool chainClosed = false;       // a zero divisor ended this multiplicative chain
  for (;;) {
    SkipSpace(s);
    const Operator op = PeekOperator(s.cursor);
    if (op.level < minLevel || op.level > last) return l;
    if (op.level == last &&
        (op.level == kCompare || (op.level == kMultiplicative && chainClosed))) {
      return l;
    }
    s.cursor += op.length;
    last = op.level;
    const double r = op.level == kMultiplicative ? ParsePower(s) : ParseBinary(s, op.level + 1);
    switch (op.op) {  // comparisons follow IEEE rules: NaN makes all but != false
      case Op::Or: l = IsTrue(l) || IsTrue(r) ? 1 : 0; break;
      case Op::And: l = IsTrue(l) && IsTrue(r) ? 1 : 0; break;
      case Op::LessEqual: l = l <= r ? 1 : 0; break;
      case Op::GreaterEqual: l = l >= r ? 1 : 0; break;
      case Op::Equal: l = l == r ? 1 : 0; break;
      case Op::NotEqual: l = l != r ? 1 : 0; break;
      case Op::Less: l = l < r ? 1 : 0; break;
      case Op::Greater: l = l > r ? 1 : 0; break;
      case Op::Add: l += r; break;
      case Op::Subtract: l -= r; break;
      case Op::Multiply: l *= r; break;
      case Op::Divide:
      case Op::Remainder:
        // A zero divisor fails and gives 0 for the whole chain; reading goes on after it.
        if (r == 0) {
          Fail(s);
          l = 0;
          chainClosed = true;
        } else {
          l = op.op == Op::Divide ? l / r : std::fmod(l, r);
        }
        break;
    }
  }
}

// conditional = or [ "?" conditional ":" conditional ]   (both branches always evaluated)
double ParseConditional(ExprState& s) {
  if (!Enter(s)) return 0;
  const double condition = ParseBinary(s, kOr);
  SkipSpace(s);
  double result = condition;
  if (*s.cursor == '?') {
    ++s.cursor;
    const double a = ParseConditional(s);
    SkipSpace(s);
    if (*s.cursor == ':') ++s.cursor;
    else Fail(s);
    const double b = ParseConditional(s);
    result = IsTrue(condition) ? a : b;
  }
  Leave(s);
  return result;
}

}  // namespace

double EvalExpr(const ToolDef& tool, const char* expression, const double* inputValues,
                const double* outputValues, std::int32_t& failed) {
  if (expression == nullptr || expression[0] == 0) {
    failed = 1;
    return 0;
  }
  ExprState s{tool, inputValues, outputValues, expression, 0, 0};
  const double value = ParseConditional(s);
  SkipSpace(s);
  if (*s.cursor != 0) Fail(s);  // trailing text
  if (!std::isfinite(value)) Fail(s);
  failed = s.failed;
  return value;
}

// The one-argument built-ins, in the order their names are compared. A domain test that
// fails is an error; NaN passes every domain test and gives NaN.
enum class Domain { Any, NotNegative, Positive };
struct Function1 {
  const char* name;
  Domain domain;
  double (*apply)(double);
};

// The double nearest to 1/3: the cube root is defined through pow, so cbrt(-8) is exactly -2.
constexpr double kOneThird = 0.3333333333333333;

constexpr Function1 kFunctions1[] = {
    {"sqrt", Domain::NotNegative, [](double x) { return std::sqrt(x); }},
    {"abs", Domain::Any, [](double x) { return std::fabs(x); }},
    {"log", Domain::Positive, [](double x) { return std::log(x); }},
    {"log10", Domain::Positive, [](double x) { return std::log10(x); }},
    {"exp", Domain::Any, [](double x) { return std::exp(x); }},
    {"floor", Domain::Any, [](double x) { return std::floor(x); }},
    {"ceil", Domain::Any, [](double x) { return std::ceil(x); }},
    {"round", Domain::Any, [](double x) { return std::floor(x + 0.5); }},  // halves go up
    {"cbrt", Domain::Any,
     [](double x) { return x >= 0 ? std::pow(x, kOneThird) : -std::pow(-x, kOneThird); }},
    {"sign", Domain::Any, [](double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }},
};

double ApplyFunction1(const char* name, double x, std::int32_t& failed) {
  for (const Function1& function : kFunctions1) {
    if (std::strcmp(function.name, name) != 0) continue;
    const bool outside = (function.domain == Domain::NotNegative && x < 0) ||
                         (function.domain == Domain::Positive && x <= 0);
    if (outside) {
      failed = 1;
      return 0;
    }
    return function.apply(x);
  }
  failed = 1;  // unknown name
  return 0;
}

}  // namespace tarn
