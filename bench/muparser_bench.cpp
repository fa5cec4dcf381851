// The same formulas through muparser, a general-purpose parser, the way a program would use
// it one-shot: one parser reused, SetExpr then Eval (which parses the text again each time).
// Benchmark-only dependency; this file is left out when muparser is absent.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <string>

#include "bench/bench.h"

namespace tarn::bench {
namespace {

void MuParserOneShot(benchmark::State& state, const BenchFormula& formula) {
  double w = 0;
  double dose = 0;
  double conc = 0;
  mu::Parser parser;
  try {
    parser.DefineVar("w", &w);
    parser.DefineVar("dose", &dose);
    parser.DefineVar("conc", &conc);
    // The loop variable is the library\'s idiom, read by nobody.
    // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores)
    for (auto _ : state) {
      w = gWeight;
      dose = gDose;
      conc = gConcentration;
      parser.SetExpr(formula.text);
      const double value = parser.Eval();
      if (value != formula.expected) {
        state.SkipWithError("muparser gave a wrong value");
        break;
      }
    }
  } catch (const mu::Parser::exception_type& error) {
    state.SkipWithError(error.GetMsg().c_str());
  }
}

}  // namespace

bool HaveMuParser() { return true; }

void RegisterMuParserBenchmarks() {
  for (const BenchFormula& formula : kFormulas) {
    benchmark::RegisterBenchmark(("muparser/" + std::string(formula.name)).c_str(),
                                 [&formula](benchmark::State& s) { MuParserOneShot(s, formula); });
  }
}

}  // namespace tarn::bench
