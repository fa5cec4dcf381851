// The calculation run: tool + input values -> result lines, verdict and level; the one place
// that hands a report kind to its report. Above engine/ and reports/. No heap; every text is
// bounded by its caller's capacity.
#pragma once
#include <cstdint>

#include "engine/tool.h"

namespace tarn {

inline constexpr std::int32_t kResultLineCapacity = 256;

static_assert(kMaxOutputs * kResultLineCapacity + kResultLineCapacity <= kWholeResultCapacity,
              "every output line and the note fit a whole result");

// Fills the result text (one line per output), the verdict and `level`, and copies the result
// text into `resultCopy`. An output that fails raises a verdict below level 3 to level 3 and
// its own words. A non-zero report kind hands the whole job to RunReport.
// Returns the level it stores.
Level Calculate(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity,
                Level& level, char16_t* resultCopy, std::int32_t resultCopyCapacity);

}  // namespace tarn
