// Shared pieces of the benchmark program: the formulas and inputs every contender gets,
// opaque loads and escapes that keep the compiler from folding the work away, and the
// registration of each group.
#pragma once
#include <cstdint>

namespace tarn::bench {

// Inputs of every benchmark (w, dose, conc): read through volatile loads in each iteration,
// so no contender can fold them into its code.
extern volatile double gWeight;
extern volatile double gDose;
extern volatile double gConcentration;

struct BenchFormula {
  const char* name;  // benchmark name suffix
  const char* text;  // the formula in both languages
  double expected;   // its value for w=12, dose=10, conc=20
};

inline constexpr BenchFormula kFormulas[] = {
    {"w*dose", "w*dose", 120},
    {"w*dose/conc", "w*dose/conc", 6},
    {"w*40", "w*40", 480},
    {"w<6", "w<6", 0},
    {"long", "max(0, min(w*dose, 400)) / conc + (w<6 ? 1 : 0)", 6},
};
inline constexpr std::int32_t kFormulaCount = sizeof kFormulas / sizeof kFormulas[0];

// Makes the pointed-to memory count as read and written here, without a call.
template <typename T>
inline void Escape(T* pointer) {
  __asm__ __volatile__("" : : "g"(pointer) : "memory");
}

void RegisterEngineBenchmarks();
void RegisterMuParserBenchmarks();  // does nothing when muparser is absent
bool HaveMuParser();

}  // namespace tarn::bench
