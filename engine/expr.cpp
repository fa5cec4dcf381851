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
// kBinaryOperators, by precedence climbing (ParseSubexpression).
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

enum class Op : std::uint8_t {
  None,
  Or,
  And,
  Le,
  Lt,
  Ge,
  Gt,
  Eq,
  Ne,
  Add,
  Sub,
  Mul,
  Div,
  Rem,
  Pow
};

// One row of the operator table. The two binding priorities are Lua's: an operator is taken
// while its left priority is above the limit of the operand being read, and its right operand
// is read with its right priority as the limit. Level n of the grammar has left priority 2n;
// the right one says how operators of one level follow each other:
//   2n      left to right: the right operand takes only tighter levels
//   2n - 1  right to left: the right operand takes this level again
//   2n + 1  neither: the right operand takes only tighter levels, and a second operator of
//           the level after the first is no operator (the expression ends there)
struct BinaryOperator {
  char spelling[3];
  Op op;
  std::int8_t left;
  std::int8_t right;
};

// The binary operators, loosest first. Spellings that share a first character stand
// together, the longer first, so "<=" is not read as "<".
constexpr BinaryOperator kBinaryOperators[] = {
    // Level 1, the loosest, left to right: 1 when either side is not 0 (NaN is not 0).
    {"||", Op::Or, 2, 2},
    // Level 2, left to right: 1 when neither side is 0; both sides are always read.
    {"&&", Op::And, 4, 4},
    // Level 3, not associative: 1 < 2 < 3 leaves the second "<" unread. Each gives 1 or 0;
    // a NaN side gives 0, and 1 for "!=". A single "=" or "!" is no operator.
    {"<=", Op::Le, 6, 7},
    {"<", Op::Lt, 6, 7},
    {">=", Op::Ge, 6, 7},
    {">", Op::Gt, 6, 7},
    {"==", Op::Eq, 6, 7},
    {"!=", Op::Ne, 6, 7},
    // Level 4, left to right: 10-4-3 is 3.
    {"+", Op::Add, 8, 8},
    {"-", Op::Sub, 8, 8},
    // No operator, though it starts as "*" does: the expression ends before it.
    {"**", Op::None, 0, 0},
    // Level 5, left to right. A zero divisor gives 0 and a failure, and the expression ends
    // before a further factor; "%" is fmod, with the sign of the left side.
    {"*", Op::Mul, 10, 10},
    {"/", Op::Div, 10, 10},
    {"%", Op::Rem, 10, 10},
    // Level 6, the tightest, right to left: 2^3^2 is 2^9. A prefix minus binds tighter still:
    // -2^2 is 4.
    {"^", Op::Pow, 12, 11},
    // No operator: the end of the text, or a character no operator starts.
    {"", Op::None, 0, 0},
};
constexpr std::int32_t kLastRow = sizeof kBinaryOperators / sizeof kBinaryOperators[0] - 1;
constexpr const BinaryOperator* kNoOperator = &kBinaryOperators[kLastRow];

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
    if (row->spelling[0] != p[0]) return *kNoOperator;
  }
  return *row;
}

// `l op r` for the operators that cannot fail.
double Apply(Op op, double l, double r) {
  switch (op) {
    case Op::Or: return IsTrue(l) || IsTrue(r) ? 1 : 0;
    case Op::And: return IsTrue(l) && IsTrue(r) ? 1 : 0;
    case Op::Le: return l <= r ? 1 : 0;
    case Op::Lt: return l < r ? 1 : 0;
    case Op::Ge: return l >= r ? 1 : 0;
    case Op::Gt: return l > r ? 1 : 0;
    case Op::Eq: return l == r ? 1 : 0;
    case Op::Ne: return l != r ? 1 : 0;
    case Op::Add: return l + r;
    case Op::Sub: return l - r;
    case Op::Mul: return l * r;
    case Op::Div: return l / r;
    case Op::Rem: return std::fmod(l, r);
    case Op::Pow: return std::pow(l, r);
    case Op::None: break;
  }
  return l;
}

// An operand with the binary operators after it, and the first operator it left untaken.
struct Subexpression {
  double value;
  const BinaryOperator* next;
};

// subexpression = unary { binary-operator subexpression }, taking the operators whose left
// priority is above `limit`: precedence climbing, as Lua's subexpr. Returns the first operator
// not taken, for the caller's loop; the no-operator row where the expression must end there,
// so no enclosing loop takes it either (reading a parenthesis or argument resumes at it).
Subexpression ParseSubexpression(ExprState& s, std::int32_t limit) {
  double l = ParseUnary(s);
  const BinaryOperator* op = &PeekOperator(s.cursor);
  while (op->left > limit) {
    Consume(s, op->spelling[1] == 0 ? 1 : 2);
    const bool rightToLeft = op->right < op->left;
    bool chains = op->right == op->left;  // may the next operator be of the same level?
    const BinaryOperator* next;
    if (rightToLeft && !Enter(s)) {
      l = 0;  // at the cap: 0 for the power, its exponent left unread
      next = &PeekOperator(s.cursor);
    } else {
      const Subexpression r = ParseSubexpression(s, op->right);
      if (rightToLeft) Leave(s);
      next = r.next;
      if ((op->op == Op::Div || op->op == Op::Rem) && r.value == 0) {
        Fail(s);  // reading goes on after the divisor
        l = 0;
        chains = false;
      } else {
        l = Apply(op->op, l, r.value);
      }
    }
    if (!chains && next->left >= op->left) next = kNoOperator;
    op = next;
  }
  return {l, op};
}

// conditional = or [ "?" conditional ":" conditional ]   (both branches always evaluated)
double ParseConditional(ExprState& s) {
  if (!Enter(s)) return 0;
  const double condition = ParseSubexpression(s, 0).value;
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
