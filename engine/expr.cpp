// The expression evaluator: a recursive-descent parser that computes while it reads. No token
// list, no tree, no heap. An error never stops the reading: it sets the failure flag and a
// substitute value takes the failed part's place.
//
//   conditional    = or [ "?" conditional ":" conditional ]
//   or             = and { "||" and }
//   and            = comparison { "&&" comparison }
//   comparison     = additive [ ("<=" | ">=" | "==" | "!=" | "<" | ">") additive ]
//   additive       = multiplicative { ("+" | "-") multiplicative }
//   multiplicative = power { ("*" | "/" | "%") power }
//   power          = unary [ "^" power ]
//   unary          = "(" conditional ")" | ("-" | "!" | "+") unary | number | name | call
//   call           = name "(" conditional [ "," conditional ] ")"
//
// The six binary levels, "or" to "power", are one loop over the operator table
// kBinaryOperators, by precedence climbing (ParseOperators).
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

// Steps over `c` where it stands; a missing one fails, and reading goes on as if it were there.
void Expect(ExprState& s, char c) {
  if (*s.cursor == c) Consume(s, 1);
  else Fail(s);
}

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
double ParseCall(ExprState& s, const char* name, std::int32_t length) {
  const double a = ParseConditional(s);
  if (*s.cursor != ',') {
    Expect(s, ')');
    return ApplyNamedFunction1(name, length, a, s.failed);
  }
  Consume(s, 1);
  const double b = ParseConditional(s);
  Expect(s, ')');
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

// number = what strtod reads in the "C" locale (decimal, exponent, hexadecimal forms); a
// lone "." or one before a non-digit reads nothing and fails. A plain whole number of up to
// 15 digits (most literals) is exact as read here; any other goes to the full reader.
double ParseNumberLiteral(ExprState& s) {
  double v = 0;
  std::int32_t n = 0;
  for (; n < kShortNumberDigits && IsDigit(s.cursor[n]); ++n) v = v * 10 + (s.cursor[n] - '0');
  const char next = s.cursor[n];
  if (n == 0 || IsDigit(next) || next == '.' || next == 'e' || next == 'E' || next == 'x' ||
      next == 'X') {
    const char* end = s.cursor;
    v = ParseNumber(s.cursor, &end);
    n = static_cast<std::int32_t>(end - s.cursor);
    if (n == 0) {
      Fail(s);
      return 0;
    }
  }
  Consume(s, n);
  return v;
}

// unary = "(" conditional ")" | ("-" | "!" | "+") unary | number | name | call
// Names and numbers first: they are most operands. "-" and "!" nest one level deeper.
double ParseUnary(ExprState& s) {
  for (;;) {
    const char c = *s.cursor;
    if (IsNameStart(c)) return ParseName(s);
    if (IsDigit(c) || c == '.') return ParseNumberLiteral(s);
    switch (c) {
      case '+': Consume(s, 1); continue;  // any number of prefix pluses change nothing
      case '(': {
        Consume(s, 1);
        const double v = ParseConditional(s);
        Expect(s, ')');
        return v;
      }
      case '-':
      case '!': {
        Consume(s, 1);
        if (!Enter(s)) return 0;
        const double v = ParseUnary(s);
        Leave(s);
        if (c == '-') return -v;
        return v == 0 ? 1 : 0;
      }
      default: Fail(s); return 0;  // no operand can start here
    }
  }
}

// The levels of the binary operators, loosest first; kNoOperator ends every level.
enum Precedence : std::int8_t {
  kNoOperator,
  kOr,
  kAnd,
  kComparison,
  kAdditive,
  kMultiplicative,
  kPower,
};

// How the operators of one level follow each other.
enum class Chain : std::uint8_t {
  Left,    // any number, applied left to right
  Right,   // right to left: the right operand is read at the same level, one nesting deeper
  Single,  // at most one: a second is left unread
};

enum class Op : std::uint8_t { Or, And, Le, Lt, Ge, Gt, Eq, Ne, Add, Sub, Mul, Div, Rem, Pow };

struct BinaryOperator {
  char spelling[3];
  Precedence precedence;
  Chain chain;
  Op op;
};

// The binary operators, loosest first. Spellings that share a first character stand
// together, the longer first, so "<=" is not read as "<".
constexpr BinaryOperator kBinaryOperators[] = {
    {"||", kOr, Chain::Left, Op::Or},              // 1 when either side is not 0 (NaN is not)
    {"&&", kAnd, Chain::Left, Op::And},            // 1 when neither side is 0; both always read
    {"<=", kComparison, Chain::Single, Op::Le},    // comparisons give 1 or 0; NaN gives 0 ...
    {"<", kComparison, Chain::Single, Op::Lt},     // ... and 1 < 2 < 3 leaves the second unread
    {">=", kComparison, Chain::Single, Op::Ge},    // tried before ">"
    {">", kComparison, Chain::Single, Op::Gt},     // greater
    {"==", kComparison, Chain::Single, Op::Eq},    // a single "=" is no operator
    {"!=", kComparison, Chain::Single, Op::Ne},    // 1 with NaN; a single "!" is no operator
    {"+", kAdditive, Chain::Left, Op::Add},        // left to right: 10-4-3 is 3
    {"-", kAdditive, Chain::Left, Op::Sub},        // subtract
    {"**", kNoOperator, Chain::Left, Op::Mul},     // not an operator: ends every level
    {"*", kMultiplicative, Chain::Left, Op::Mul},  // multiply
    {"/", kMultiplicative, Chain::Left, Op::Div},  // a zero divisor: 0 for the whole chain
    {"%", kMultiplicative, Chain::Left, Op::Rem},  // fmod, sign of the left; zero as for "/"
    {"^", kPower, Chain::Right, Op::Pow},          // 2^3^2 is 2^9, and -2^2 is 4
    {"", kNoOperator, Chain::Left, Op::Or},        // the end, or any other character
};
constexpr std::int32_t kLastRow = sizeof kBinaryOperators / sizeof kBinaryOperators[0] - 1;

// For each character, the first row of kBinaryOperators it starts, else the last row.
struct OperatorIndex {
  std::uint8_t firstRow[256];
};
constexpr OperatorIndex kOperatorIndex = [] {
  OperatorIndex index{};
  for (std::uint8_t& row : index.firstRow) row = kLastRow;
  for (std::int32_t i = kLastRow - 1; i >= 0; --i) {
    index.firstRow[static_cast<unsigned char>(kBinaryOperators[i].spelling[0])] =
        static_cast<std::uint8_t>(i);
  }
  return index;
}();

// The binary operator at `p`, not consumed: the first row for its first character, or the
// next one where a longer spelling does not go on like the text.
const BinaryOperator& PeekOperator(const char* p) {
  const BinaryOperator* row =
      &kBinaryOperators[kOperatorIndex.firstRow[static_cast<unsigned char>(p[0])]];
  while (row->spelling[1] != 0 && row->spelling[1] != p[1]) {
    ++row;
    if (row->spelling[0] != p[0]) return kBinaryOperators[kLastRow];
  }
  return *row;
}

// The binary operators of level `lowest` and up after the operand `l`, by precedence
// climbing: an operator's right operand takes, by a nested call, the operators that bind
// tighter (for "^", as tight), so this loop applies only its own chain and looser ones.
// `highest` falls to the level last applied, one below for a single or right-to-left level
// and after a zero divisor: a tighter operator still ahead is one the grammar ends at.
double ParseOperators(ExprState& s, double l, std::int32_t lowest) {
  std::int32_t highest = kPower;
  const BinaryOperator* op = &PeekOperator(s.cursor);
  while (op->precedence >= lowest && op->precedence <= highest) {
    Consume(s, op->spelling[1] == 0 ? 1 : 2);
    highest = op->chain == Chain::Left ? op->precedence : op->precedence - 1;
    const bool nests = op->chain == Chain::Right;
    if (nests && !Enter(s)) {
      l = 0;  // at the cap: 0 for the power, its exponent left unread
      op = &PeekOperator(s.cursor);
      continue;
    }
    double r = ParseUnary(s);
    const BinaryOperator* next = &PeekOperator(s.cursor);
    const std::int32_t tighter = nests ? op->precedence : op->precedence + 1;
    if (next->precedence >= tighter) {
      r = ParseOperators(s, r, tighter);
      next = &PeekOperator(s.cursor);
    }
    if (nests) Leave(s);
    switch (op->op) {
      case Op::Or: l = IsTrue(l) || IsTrue(r) ? 1 : 0; break;
      case Op::And: l = IsTrue(l) && IsTrue(r) ? 1 : 0; break;
      case Op::Le: l = l <= r ? 1 : 0; break;
      case Op::Lt: l = l < r ? 1 : 0; break;
      case Op::Ge: l = l >= r ? 1 : 0; break;
      case Op::Gt: l = l > r ? 1 : 0; break;
      case Op::Eq: l = l == r ? 1 : 0; break;
      case Op::Ne: l = l != r ? 1 : 0; break;
      case Op::Add: l += r; break;
      case Op::Sub: l -= r; break;
      case Op::Mul: l *= r; break;
      case Op::Div:
      case Op::Rem:
        if (r == 0) {  // reading goes on after the divisor; a further factor ends the level
          Fail(s);
          l = 0;
          highest = kAdditive;
        } else {
          l = op->op == Op::Div ? l / r : std::fmod(l, r);
        }
        break;
      case Op::Pow: l = std::pow(l, r); break;
    }
    op = next;
  }
  return l;
}

// conditional = or [ "?" conditional ":" conditional ]   (both branches always evaluated)
double ParseConditional(ExprState& s) {
  if (!Enter(s)) return 0;
  const double condition = ParseOperators(s, ParseUnary(s), kOr);
  double result = condition;
  if (*s.cursor == '?') {
    Consume(s, 1);
    const double a = ParseConditional(s);
    Expect(s, ':');
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
