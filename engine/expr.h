// The formula language: arithmetic, ^, comparisons, && || !, ?:, functions and the tool's
// input and output names. Computes while it parses; allocates nothing; never stops at an
// error but flags it and substitutes a value.
#pragma once
#include <cstdint>

#include "engine/tool.h"

namespace tarn {

// Deepest nesting of parentheses, prefix operators, ^ chains and conditionals; deeper
// expressions fail instead of exhausting the stack.
inline constexpr std::int32_t kMaxExprDepth = 256;

// Value of `expression` over the tool's input and output values. `failed` is always written:
// 1 when the expression is absent or empty, has an error anywhere, or is not finite.
double EvalExpr(const ToolDef& tool, const char* expression, const double* inputValues,
                const double* outputValues, std::int32_t& failed);

// One-argument built-ins (sqrt abs log log10 exp floor ceil round cbrt sign). A domain error
// or unknown name sets `failed` to 1 and gives 0; otherwise `failed` is left alone.
double ApplyFunction1(const char* name, double x, std::int32_t& failed);

}  // namespace tarn
