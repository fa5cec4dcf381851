// Fuzz target: the evaluator on arbitrary bytes and arbitrary input and output values.
// The expression sits in a heap block of its exact length, so a read past its terminator
// trips AddressSanitizer. Checks the flag contract; nothing more is known of random text.
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/expr.h"
#include "fuzz/fuzz_input.h"

namespace {

constexpr tarn::ToolInput kInputs[] = {
    {"w", u"w", nullptr, 0},
    {"dose", u"dose", nullptr, 0},
    {"conc", u"conc", nullptr, 0},
    {"w", u"again", nullptr, 0},  // a repeated key: the first one wins
};
constexpr tarn::ToolOutput kOutputs[] = {
    {"dose1", u"a", nullptr, "w*dose", "f1"},
    {"vol", u"b", nullptr, "dose1/conc", "f2"},
    {"_x9", u"c", nullptr, "", nullptr},
};
constexpr tarn::ToolDef kTool = {1,       u"t", nullptr,  u"c", u"r",    nullptr, 4,
                                 kInputs, 3,    kOutputs, 0,    nullptr, 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarn::FuzzReader reader{data, size};
  double inputValues[4];
  double outputValues[3];
  for (double& value : inputValues) value = reader.TakeValue();
  for (double& value : outputValues) value = reader.TakeValue();
  std::vector<char> expression(reader.data, reader.data + reader.size);
  expression.push_back(0);

  std::int32_t failed = 7;
  const double value = tarn::EvalExpr(kTool, expression.data(), inputValues, outputValues, failed);
  tarn::Check(failed == 0 || failed == 1);
  tarn::Check(failed == 1 || std::isfinite(value));

  // The same text must give the same answer again: no state survives a call.
  std::int32_t failedAgain = 7;
  const double again =
      tarn::EvalExpr(kTool, expression.data(), inputValues, outputValues, failedAgain);
  tarn::Check(failedAgain == failed);
  tarn::Check((std::isnan(value) && std::isnan(again)) || value == again);

  // The one-argument built-ins with the text as a name: flag untouched on success.
  std::int32_t functionFailed = 0;
  const double applied = tarn::ApplyFunction1(expression.data(), inputValues[0], functionFailed);
  tarn::Check(functionFailed == 0 || applied == 0);
  return 0;
}
