// The benchmark program: runs every benchmark side by side, then prints the ratios the engine
// is held to. With --benchmark_repetitions=N the medians are compared. Exits with 1 when a
// result was wrong or a target missed. Not run by the tests.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/bench.h"

#if !defined(TARN_HAVE_MUPARSER)
namespace tarn::bench {
bool HaveMuParser() { return false; }
void RegisterMuParserBenchmarks() {}
}  // namespace tarn::bench
#endif

namespace {

// The console output as usual, plus each benchmark's CPU time per iteration (its median when
// repeated; CPU time, since a shared machine stretches wall time unevenly) and whether any
// run failed its check.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;  // nanoseconds per iteration, by benchmark name
  bool anyError = false;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) {
        anyError = true;
        continue;
      }
      const std::string name = run.run_name.function_name;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (median || single) times[name] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

struct Ratio {
  const char* what;
  const char* numerator;
  const char* denominator;
  double atLeast;  // 0: no lower bound
  double atMost;   // 0: no upper bound
};

}  // namespace

int main(int argc, char** argv) {
  tarn::bench::RegisterEngineBenchmarks();
  tarn::bench::RegisterMuParserBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const Ratio ratios[] = {
      {"muparser one-shot / EvalExpr, w*dose/conc (target >= 100)", "muparser/w*dose/conc",
       "EvalExpr/w*dose/conc", 100, 0},
      {"EvalExpr / floor, w*dose/conc (target <= 3)", "EvalExpr/w*dose/conc", "Floor/w*dose/conc",
       0, 3},
      {"Calculate / muparser one-shot w*dose/conc (target < 0.1)", "Calculate/built-in",
       "muparser/w*dose/conc", 0, 0.1},
      {"muparser one-shot / EvalExpr, w*dose", "muparser/w*dose", "EvalExpr/w*dose", 0, 0},
      {"muparser one-shot / EvalExpr, w*40", "muparser/w*40", "EvalExpr/w*40", 0, 0},
      {"muparser one-shot / EvalExpr, w<6", "muparser/w<6", "EvalExpr/w<6", 0, 0},
      {"muparser one-shot / EvalExpr, long", "muparser/long", "EvalExpr/long", 0, 0},
      {"EvalExpr / floor, w*dose", "EvalExpr/w*dose", "Floor/w*dose", 0, 0},
      {"EvalExpr / floor, w*40", "EvalExpr/w*40", "Floor/w*40", 0, 0},
      {"EvalExpr / floor, w<6", "EvalExpr/w<6", "Floor/w<6", 0, 0},
      {"EvalExpr / floor, long", "EvalExpr/long", "Floor/long", 0, 0},
      {"FormatValue f2 / snprintf %.2f", "FormatValue/f2", "snprintf/%.2f", 0, 0},
  };
  bool missed = reporter.anyError;
  std::printf("\nRatios (CPU time per call; medians when repeated):\n");
  for (const Ratio& ratio : ratios) {
    const auto top = reporter.times.find(ratio.numerator);
    const auto bottom = reporter.times.find(ratio.denominator);
    if (top == reporter.times.end() || bottom == reporter.times.end() || bottom->second <= 0) {
      std::printf("  %-62s  not measured\n", ratio.what);
      continue;
    }
    const double value = top->second / bottom->second;
    const bool bad =
        (ratio.atLeast > 0 && value < ratio.atLeast) || (ratio.atMost > 0 && value >= ratio.atMost);
    const bool target = ratio.atLeast > 0 || ratio.atMost > 0;
    missed = missed || bad;
    std::printf("  %-62s %10.3f  %s\n", ratio.what, value, target ? (bad ? "MISSED" : "met") : "");
  }
  if (!tarn::bench::HaveMuParser()) std::printf("  (muparser absent: its ratios left out)\n");
  if (reporter.anyError) std::printf("  A benchmark's result was wrong (see above).\n");
  return missed ? 1 : 0;
}
