// Fixed workloads for instruction counting (scripts/count-instructions.sh runs each under
// callgrind and counts only Measured): one Calculate of the built-in tool, or one report of a
// kind at its largest input. Prints the length of the text produced, so the script can give
// instructions per output character. Not run by the tests.
#include <cstdio>
#include <cstring>

#include "engine/calc.h"
#include "engine/tool.h"
#include "reports/report.h"
#include "text/buffer.h"

namespace {

using tarn::ToolDef;
using tarn::ToolInput;

// The self-test's capacities: every report fits whole.
constexpr std::int32_t kResultCapacity = 8192;
constexpr std::int32_t kVerdictCapacity = 512;

char16_t gResult[kResultCapacity];
char16_t gVerdict[kVerdictCapacity];
char16_t gCopy[kResultCapacity];

struct Workload {
  const char* name;
  tarn::ReportKind kind;  // 0: Calculate of the built-in tool
  ToolInput inputs[4];
  std::int32_t inputCount;
};

// Each report at the input that gives its longest text.
const Workload kWorkloads[] = {
    {"calculate", 0, {}, 0},
    {"rota", 1, {{"nurses", u"", nullptr, 40}, {"days", u"", nullptr, 31}}, 2},
    {"timetable",
     2,
     {{"start", u"", nullptr, 8}, {"interval", u"", nullptr, 7.5}, {"times", u"", nullptr, 30}},
     3},
    {"draw-order", 3, {{"kind", u"", nullptr, 2}}, 1},
    {"critical", 4, {{"kind", u"", nullptr, 2}}, 1},
    {"high-alert", 5, {{"kind", u"", nullptr, 4}}, 1},
    {"compatibility", 6, {{"drugA", u"", nullptr, 1}, {"drugB", u"", nullptr, 2}}, 2},
    {"follow-up",
     7,
     {{"start", u"", nullptr, 1}, {"gap", u"", nullptr, 7}, {"times", u"", nullptr, 20}},
     3},
    {"checklist", 8, {}, 0},
    {"handover", 9, {{"beds", u"", nullptr, 30}}, 1},
    {"infusion",
     10,
     {{"bed", u"", nullptr, 12},
      {"dose", u"", nullptr, 0.5},
      {"volume", u"", nullptr, 100},
      {"gtt", u"", nullptr, 40}},
     4},
    {"lab-panels", 11, {{"panel", u"", nullptr, 2}}, 1},
};

__attribute__((noinline)) void Run(const ToolDef& tool, const double* values) {
  tarn::Level level = 0;
  tarn::Calculate(tool, values, gResult, kResultCapacity, gVerdict, kVerdictCapacity, level,
                  gCopy, kResultCapacity);
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
  for (const Workload& workload : kWorkloads) {
    if (std::strcmp(workload.name, argv[1]) != 0) continue;
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
    std::printf("%s %d\n", workload.name, tarn::TextLength(gResult));
    return 0;
  }
  std::fprintf(stderr, "unknown workload %s\n", argv[1]);
  return 1;
}
