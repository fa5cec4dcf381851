// Fixed workloads for instruction counting (scripts/count-instructions.sh runs each under
// callgrind and counts only Measured): one Calculate of the built-in tool, one EvalExpr of the
// benchmark's "w*dose/conc" ("evaluate"), or one report of a kind at its largest input. Prints
// the length of the text produced, so the script can give instructions per output character.
// Not run by the tests.
#include <cstdio>
#include <cstring>

#include "bench/bench.h"
#include "engine/expr.h"
#include "engine/tool.h"
#include "reports/report.h"
#include "reports/report_keys.h"
#include "run/calculate.h"
#include "text/buffer.h"

namespace {

using tarn::ToolDef;
using tarn::ToolInput;

// The self-test's capacities: every report fits whole.
constexpr std::int32_t kResultCapacity = tarn::kWholeResultCapacity;
constexpr std::int32_t kVerdictCapacity = tarn::kVerdictTextCapacity;

char16_t gResult[kResultCapacity];
char16_t gVerdict[kVerdictCapacity];
char16_t gCopy[kResultCapacity];

struct Workload {
  const char* name;
  ToolInput inputs[4];
  std::int32_t inputCount;
  tarn::ReportKind kind;  // 0: Calculate of the built-in tool
};

// Each report at the input that gives its longest text.
const Workload kWorkloads[] = {
    {"calculate", {}, 0, 0},
    {"rota", {{tarn::kKeyNurses, u"", nullptr, 40}, {tarn::kKeyDays, u"", nullptr, 31}}, 2, 1},
    {"timetable",
     {{tarn::kKeyStart, u"", nullptr, 8},
      {tarn::kKeyInterval, u"", nullptr, 7.5},
      {tarn::kKeyTimes, u"", nullptr, 30}},
     3,
     2},
    {"draw-order", {{tarn::kKeyKind, u"", nullptr, 2}}, 1, 3},
    {"critical", {{tarn::kKeyKind, u"", nullptr, 2}}, 1, 4},
    {"high-alert", {{tarn::kKeyKind, u"", nullptr, 4}}, 1, 5},
    {"compatibility",
     {{tarn::kKeyDrugA, u"", nullptr, 1}, {tarn::kKeyDrugB, u"", nullptr, 2}},
     2,
     6},
    {"follow-up",
     {{tarn::kKeyStart, u"", nullptr, 1},
      {tarn::kKeyGap, u"", nullptr, 7},
      {tarn::kKeyTimes, u"", nullptr, 20}},
     3,
     7},
    {"checklist", {}, 0, 8},
    {"handover", {{tarn::kKeyBeds, u"", nullptr, 30}}, 1, 9},
    {"infusion",
     {{tarn::kKeyBed, u"", nullptr, 12},
      {tarn::kKeyDose, u"", nullptr, 0.5},
      {tarn::kKeyVolume, u"", nullptr, 100},
      {tarn::kKeyGtt, u"", nullptr, 40}},
     4,
     10},
    {"lab-panels", {{tarn::kKeyPanel, u"", nullptr, 2}}, 1, 11},
};

// "evaluate": one EvalExpr of the built-in tool's second formula, from the benchmark's table.
bool gEvaluateOnly = false;
double gValue = 0;

__attribute__((noinline)) void Run(const ToolDef& tool, const double* values) {
  if (gEvaluateOnly) {
    const double outputs[tarn::kMaxOutputs] = {};
    std::int32_t failed = 0;
    gValue = tarn::EvalExpr(tool, tarn::bench::kFormulas[1].text, values, outputs, failed);
    return;
  }
  tarn::Level level = 0;
  tarn::Calculate(tool, values, gResult, kResultCapacity, gVerdict, kVerdictCapacity, level, gCopy,
                  kResultCapacity);
}

// The one function callgrind counts (--toggle-collect): one run after a warm-up.
__attribute__((noinline)) void Measured(const ToolDef& tool, const double* values) {
  Run(tool, values);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s WORKLOAD (calculate, rota, ...)\n", argv[0]);
    return 1;
  }
  gEvaluateOnly = std::strcmp(argv[1], "evaluate") == 0;
  for (const Workload& workload : kWorkloads) {
    if (std::strcmp(workload.name, gEvaluateOnly ? "calculate" : argv[1]) != 0) continue;
    ToolDef tool = tarn::GetBuiltInTool();
    double values[tarn::kMaxInputs] = {};
    if (workload.kind != 0) {
      tool.inputCount = workload.inputCount;
      tool.inputs = workload.inputs;
      tool.reportKind = workload.kind;
    }
    for (std::int32_t i = 0; i < tool.inputCount; ++i) values[i] = tool.inputs[i].defaultValue;
    Run(tool, values);  // warm-up: the local time zone is read on the first call
    Measured(tool, values);
    std::printf("%s %d\n", argv[1], gEvaluateOnly ? 1 : tarn::TextLength(gResult));
    return 0;
  }
  std::fprintf(stderr, "unknown workload %s\n", argv[1]);
  return 1;
}
