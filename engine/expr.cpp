// The expression evaluator: a recursive-descent parser that computes while it reads. No token
// list, no tree, no heap. An error never stops the reading: it sets the failure flag and a
// substitute value takes the failed part's place.
#include "engine/expr.h"

#include <cmath>
#include <cstring>

#include "text/number.h"

namespace tarn {
namespace {

// A name is read up to this many characters; a longer one leaves the rest as trailing text.
constexpr std::int32_t kMaxNameLength = 63;
// Whole numbers of up to 15 digits are below 2^53: exact in a double, digit by digit.
constexpr std::int32_t kShortNumberDigits = 15;

// The rare forms (parentheses, prefix operators, calls, exponents, numbers that are not
// plain whole numbers) are kept out of line, so the readers of names and plain numbers,
// which run for every operand, need no stack frame of their own.

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

// Steps over `count` characters and the whitespace after them. Every step goes through
// here, so the cursor always rests on a non-space: each operand and operator test then
// finds whitespace already skipped, as if it had skipped it itself.
void Consume(ExprState& s, std::int32_t count) {
  s.cursor += count;
  SkipSpace(s);
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

// True when `key` is exactly the `length` (at least 1) characters at `name`. Compared in
// place, first character first: that is where most keys differ from the name.
bool KeyEquals(const char* key, const char* name, std::int32_t length) {
  if (key[0] != name[0]) return false;
  const char* const end = name + length;
  for (++key, ++name; name != end; ++key, ++name) {
    if (*key != *name) return false;  // also stops at the key's terminator
  }
  return *key == 0;
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

// ApplyFunction1 on a name of `length` characters, read in place.
double ApplyNamedFunction1(const char* name, std::int32_t length, double x, std::int32_t& failed) {
  for (const Function1& function : kFunctions1) {
    if (!KeyEquals(function.name, name, length)) continue;
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

// The two-argument built-ins (min max pow mod) on a name of `length` characters.
double ApplyNamedFunction2(ExprState& s, const char* name, std::int32_t length, double a,
                           double b) {
  if (KeyEquals("min", name, length)) return a < b ? a : b;
  if (KeyEquals("max", name, length)) return a > b ? a : b;
  if (KeyEquals("pow", name, length)) return std::pow(a, b);
  if (KeyEquals("mod", name, length)) {
    if (b == 0) {
      Fail(s);
      return 0;
    }
    return std::fmod(a, b);
  }
  Fail(s);  // unknown name
  return 0;
}

// call = name "(" conditional [ "," conditional ] ")"   (name and "(" already read)
// Both arguments are read before the name is looked at.
[[gnu::noinline]] double ParseCall(ExprState& s, const char* name, std::int32_t length) {
  const double a = ParseConditional(s);
  if (*s.cursor != ',') {
    if (*s.cursor == ')') Consume(s, 1);
    else Fail(s);
    return ApplyNamedFunction1(name, length, a, s.failed);
  }
  Consume(s, 1);
  const double b = ParseConditional(s);
  if (*s.cursor == ')') Consume(s, 1);
  else Fail(s);
  return ApplyNamedFunction2(s, name, length, a, b);
}

// Position of the first of `count` records whose key is the name, or -1.
template <typename Record>
std::int32_t FindKey(const Record* records, std::int32_t count, const char* name,
                     std::int32_t length) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (KeyEquals(records[i].key, name, length)) return i;
  }
  return -1;
}

// Value of a name outside a call: inputs first, then outputs; unknown is an error.
double LookUpName(ExprState& s, const char* name, std::int32_t length) {
  const std::int32_t input = FindKey(s.tool.inputs, s.tool.inputCount, name, length);
  if (input >= 0) return s.inputValues[input];
  const std::int32_t output = FindKey(s.tool.outputs, s.tool.outputCount, name, length);
  if (output >= 0) return s.outputValues[output];
  Fail(s);
  return 0;
}

// name = (letter | "_") { letter | digit | "_" }, then a call when "(" follows, else a value.
// At most kMaxNameLength characters are taken as the name.
double ParseName(ExprState& s) {
  const char* const name = s.cursor;
  std::int32_t length = 1;
  while (IsNameChar(name[length])) ++length;
  if (length > kMaxNameLength) length = kMaxNameLength;
  Consume(s, length);
  if (*s.cursor != '(') return LookUpName(s, name, length);
  Consume(s, 1);
  return ParseCall(s, name, length);
}

// A number by the full reader: fraction, exponent, hexadecimal form, or nothing readable.
[[gnu::noinline]] double ParseAnyNumber(ExprState& s) {
  const char* end = s.cursor;
  const double v = tarn::ParseNumber(s.cursor, &end);
  if (end == s.cursor) {
    Fail(s);  // a lone "." or one before a non-digit
    return 0;
  }
  Consume(s, static_cast<std::int32_t>(end - s.cursor));
  return v;
}

// number = what strtod reads in the "C" locale (decimal, exponent, hexadecimal forms).
// A plain whole number of up to 15 digits (most literals) is exact as read here; one
// followed by anything that continues a number goes to the full reader.
double ParseNumber(ExprState& s) {
  double v = 0;
  std::int32_t n = 0;
  for (; n < kShortNumberDigits && IsDigit(s.cursor[n]); ++n) v = v * 10 + (s.cursor[n] - '0');
  const char next = s.cursor[n];
  if (n > 0 && !IsDigit(next) && next != '.' && next != 'e' && next != 'E' && next != 'x' &&
      next != 'X') {
    Consume(s, n);
    return v;
  }
  return ParseAnyNumber(s);
}

double ParseUnary(ExprState& s);

// "(" conditional ")"   ("(" already read; a missing ")" fails, the value stands)
[[gnu::noinline]] double ParseParenthesised(ExprState& s) {
  const double v = ParseConditional(s);
  if (*s.cursor == ')') Consume(s, 1);
  else Fail(s);
  return v;
}

// ("-" | "!") unary   (the operator already read)
[[gnu::noinline]] double ParsePrefixed(ExprState& s, char op) {
  if (!Enter(s)) return 0;
  const double v = ParseUnary(s);
  Leave(s);
  if (op == '-') return -v;
  return v == 0 ? 1 : 0;
}

// unary = "(" conditional ")" | "-" unary | "+" unary | "!" unary | number | name | call
// Names and numbers first: they are most operands.
double ParseUnary(ExprState& s) {
  for (;;) {
    const char c = *s.cursor;
    if (IsNameStart(c)) return ParseName(s);
    if (IsDigit(c) || c == '.') return ParseNumber(s);
    switch (c) {
      case '+': Consume(s, 1); continue;  // any number of prefix pluses change nothing
      case '(': Consume(s, 1); return ParseParenthesised(s);
      case '-':
      case '!': Consume(s, 1); return ParsePrefixed(s, c);
      default: Fail(s); return 0;  // no operand can start here
    }
  }
}

double ParseExponent(ExprState& s, double base);

// power = unary [ "^" power ]        (right to left; prefix minus binds tighter)
double ParsePower(ExprState& s) {
  const double base = ParseUnary(s);
  if (*s.cursor != '^') return base;
  Consume(s, 1);
  return ParseExponent(s, base);
}

// "^" power   (the "^" already read): base raised to the power that follows.
[[gnu::noinline]] double ParseExponent(ExprState& s, double base) {
  if (!Enter(s)) return 0;
  const double exponent = ParsePower(s);
  Leave(s);
  return std::pow(base, exponent);
}

// multiplicative = power { ("*" | "/" | "%") power }    ("**" is not an operator)
// A zero divisor fails and gives 0 for the whole chain at once, the factors before it
// included; reading goes on after the divisor, where a further factor is trailing text.
double ParseMultiplicative(ExprState& s) {
  double l = ParsePower(s);
  for (;;) {
    const char op = *s.cursor;
    if (op == '*') {
      if (s.cursor[1] == '*') return l;
    } else if (op != '/' && op != '%') {
      return l;
    }
    Consume(s, 1);
    const double r = ParsePower(s);
    if (op == '*') {
      l *= r;
    } else if (r == 0) {
      Fail(s);
      return 0;
    } else {
      l = op == '/' ? l / r : std::fmod(l, r);
    }
  }
}

// The looser binary operators by level, loosest first:
//   or         = and { "||" and }                                         (no short circuit)
//   and        = comparison { "&&" comparison }                           (no short circuit)
//   comparison = additive [ ("<=" | ">=" | "==" | "!=" | "<" | ">") additive ]  (at most one)
//   additive   = multiplicative { ("+" | "-") multiplicative }
// read by precedence climbing: one loop per operand chain instead of one call per level.
enum OperatorLevel : std::int32_t {
  kNoOperator = 0,
  kOr = 1,
  kAnd = 2,
  kCompare = 3,
  kAdditive = 4,
  kAboveAll = 5,
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
  Subtract
};

struct Operator {
  Op op;
  std::int32_t level;  // kNoOperator: none at the cursor
  std::int32_t length;
};

// The operator at `p`, longest spelling first ("<=" before "<"); not consumed. Inline at
// both uses: returned from a call, the record would be stored in pieces and read back
// whole, which stalls the processor on every operator test.
[[gnu::always_inline]] inline Operator PeekOperator(const char* p) {
  constexpr Operator kNone = {Op::Or, kNoOperator, 0};
  switch (p[0]) {
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

double ParseBinary(ExprState& s, std::int32_t minLevel);

// The operators of level `minLevel` and above after the operand `l`. A frame gives back,
// for its caller to see, an operator that the grammar above never lets follow: a second
// comparison, or one above the level it last applied (which only a deeper frame's refusal
// leaves behind). Nothing consumes those, so they end the expression as trailing text, as
// in the grammar.
[[gnu::noinline]] double ParseOperators(ExprState& s, std::int32_t minLevel, double l) {
  std::int32_t last = kAboveAll;  // level of the last operator applied here
  for (;;) {
    const Operator op = PeekOperator(s.cursor);
    if (op.level < minLevel || op.level > last) return l;
    if (op.level == last && op.level == kCompare) return l;
    Consume(s, op.length);
    last = op.level;
    const double r = op.level == kAdditive ? ParseMultiplicative(s) : ParseBinary(s, op.level + 1);
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
    }
  }
}

// The binary operators of level `minLevel` and above, from one multiplicative chain on.
double ParseBinary(ExprState& s, std::int32_t minLevel) {
  const double l = ParseMultiplicative(s);
  // Most chains meet no operator of these levels: settled here, without the loop's frame.
  if (PeekOperator(s.cursor).level < minLevel) return l;
  return ParseOperators(s, minLevel, l);
}

// conditional = or [ "?" conditional ":" conditional ]   (both branches always evaluated)
double ParseConditional(ExprState& s) {
  if (!Enter(s)) return 0;
  const double condition = ParseBinary(s, kOr);
  double result = condition;
  if (*s.cursor == '?') {
    Consume(s, 1);
    const double a = ParseConditional(s);
    if (*s.cursor == ':') Consume(s, 1);
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
  SkipSpace(s);
  const double value = ParseConditional(s);
  if (*s.cursor != 0) Fail(s);  // trailing text
  if (!std::isfinite(value)) Fail(s);
  failed = s.failed;
  return value;
}

double ApplyFunction1(const char* name, double x, std::int32_t& failed) {
  if (name == nullptr || name[0] == 0) {
    failed = 1;  // no name is unknown too
    return 0;
  }
  return ApplyNamedFunction1(name, static_cast<std::int32_t>(std::strlen(name)), x, failed);
}

}  // namespace tarn
