// Benchmarks of our own code: the evaluator one-shot on each formula, the floor it is
// measured against (the formula compiled as C++ plus the key lookups any evaluator needs),
// one whole calculation, one large report, and FormatValue beside snprintf.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench.h"
#include "engine/expr.h"
#include "engine/value_format.h"
#include "reports/report.h"
#include "run/calculate.h"

namespace tarn::bench {

volatile double gWeight = 12;
volatile double gDose = 10;
volatile double gConcentration = 20;

namespace {

// The built-in tool's input order is w, dose, conc; the floor relies on it only through
// the lookups below, like the evaluator.
void LoadInputs(double* inputValues) {
  inputValues[0] = gWeight;
  inputValues[1] = gDose;
  inputValues[2] = gConcentration;
}

void EvalExprOneShot(benchmark::State& state, const BenchFormula& formula) {
  const ToolDef& tool = GetBuiltInTool();
  double inputValues[kMaxInputs] = {};
  const double outputValues[kMaxOutputs] = {};
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    LoadInputs(inputValues);
    Escape(inputValues);
    std::int32_t failed = 0;
    const double value = EvalExpr(tool, formula.text, inputValues, outputValues, failed);
    if (value != formula.expected || failed != 0) {
      state.SkipWithError("EvalExpr gave a wrong value");
      break;
    }
  }
}

// The linear key lookup an evaluator has to do for each name (strcmp over the inputs).
double LookUp(const ToolDef& tool, const double* inputValues, const char* key) {
  for (std::int32_t i = 0; i < tool.inputCount; ++i) {
    if (std::strcmp(tool.inputs[i].key, key) == 0) return inputValues[i];
  }
  return 0;
}

// The names as data the compiler cannot see through.
const char* volatile gKeyW = "w";
const char* volatile gKeyDose = "dose";
const char* volatile gKeyConc = "conc";

double Compiled(std::int32_t index, double w, double dose, double conc) {
  switch (index) {
    case 0: return w * dose;
    case 1: return w * dose / conc;
    case 2: return w * 40;
    case 3: return w < 6 ? 1 : 0;
    default: {
      const double capped = w * dose < 400 ? w * dose : 400;
      return (0 > capped ? 0 : capped) / conc + (w < 6 ? 1 : 0);
    }
  }
}

void Floor(benchmark::State& state, std::int32_t index) {
  const ToolDef& tool = GetBuiltInTool();
  double inputValues[kMaxInputs] = {};
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    LoadInputs(inputValues);
    Escape(inputValues);
    const double w = LookUp(tool, inputValues, gKeyW);
    const double dose = LookUp(tool, inputValues, gKeyDose);
    const double conc = LookUp(tool, inputValues, gKeyConc);
    const double value = Compiled(index, w, dose, conc);
    if (value != kFormulas[index].expected) {
      state.SkipWithError("the compiled formula gave a wrong value");
      break;
    }
  }
}

void CalculateBuiltIn(benchmark::State& state) {
  static char16_t result[4096], verdict[512], copy[8192];
  double inputValues[kMaxInputs] = {};
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    LoadInputs(inputValues);
    Escape(inputValues);
    Level level = -1;
    Calculate(GetBuiltInTool(), inputValues, result, 4096, verdict, 512, level, copy, 8192);
    Escape(copy);
    // "单次剂量：120.0 mg" starts the text; the level of the default rule is 0.
    if (level != 0 || result[0] != u'单' || result[5] != u'1' || result[6] != u'2' ||
        copy[0] != u'单') {
      state.SkipWithError("Calculate gave a wrong result");
      break;
    }
  }
}

constexpr ToolInput kRotaInputs[] = {{"nurses", u"护士", nullptr, 40},
                                     {"days", u"天数", nullptr, 31}};
constexpr ToolDef kRotaTool = {99,          u"排班", nullptr, u"护理", u"",     nullptr, 2,
                               kRotaInputs, 0,       nullptr, 0,       nullptr, 1};

void RotaReport(benchmark::State& state) {
  static char16_t result[8192], verdict[512];
  double inputValues[2] = {};
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    inputValues[0] = 40 + gWeight - 12;  // 40 nurses, through an opaque load
    inputValues[1] = 31;
    Escape(inputValues);
    RunReport(kRotaTool.reportKind, kRotaTool, inputValues, result, 8192, verdict, 512);
    Escape(result);
    if (result[0] == 0 || verdict[0] == 0) {
      state.SkipWithError("RunReport wrote nothing");
      break;
    }
  }
}

void FormatValueF2(benchmark::State& state) {
  char16_t text[kValueTextCapacity];
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    FormatValue("f2", gConcentration / 3, text, kValueTextCapacity);  // 6.666... -> "6.67"
    Escape(text);
    if (text[0] != u'6' || text[1] != u'.' || text[2] != u'6' || text[3] != u'7' || text[4] != 0) {
      state.SkipWithError("FormatValue gave a wrong text");
      break;
    }
  }
}

void SnprintfF2(benchmark::State& state) {
  char text[80];
  // The loop variable is the library\'s idiom, read by nobody.
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%.2f", gConcentration / 3);
    Escape(text);
    if (std::strcmp(text, "6.67") != 0) {
      state.SkipWithError("snprintf gave a wrong text");
      break;
    }
  }
}

}  // namespace

void RegisterEngineBenchmarks() {
  for (std::int32_t i = 0; i < kFormulaCount; ++i) {
    const BenchFormula& formula = kFormulas[i];
    benchmark::RegisterBenchmark(("EvalExpr/" + std::string(formula.name)).c_str(),
                                 [&formula](benchmark::State& s) { EvalExprOneShot(s, formula); });
    benchmark::RegisterBenchmark(("Floor/" + std::string(formula.name)).c_str(),
                                 [i](benchmark::State& s) { Floor(s, i); });
  }
  benchmark::RegisterBenchmark("Calculate/built-in", CalculateBuiltIn);
  benchmark::RegisterBenchmark("RunReport/rota-40x31", RotaReport);
  benchmark::RegisterBenchmark("FormatValue/f2", FormatValueF2);
  benchmark::RegisterBenchmark("snprintf/%.2f", SnprintfF2);
}

}  // namespace tarn::bench
