// Colours of the controls that stand on the painted surface: texts, verdict levels and the
// owner-drawn buttons. The painted surface's own colours live with its paint steps.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/tool.h"

namespace tarn {

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kInkText = RGB(44, 56, 66);       // edits, result box, cautions
inline constexpr COLORREF kMutedText = RGB(120, 132, 142);  // labels, units, reference

// Verdict label colour by level; index 0 is also every level outside 1..3.
inline constexpr COLORREF kVerdictColours[] = {
    RGB(0, 128, 96),   // 0 and anything unlisted: normal
    RGB(176, 132, 0),  // 1
    RGB(214, 108, 0),  // 2
    RGB(190, 30, 45),  // 3
};

inline COLORREF VerdictColour(Level level) {
  return (level >= 1 && level <= 3) ? kVerdictColours[level] : kVerdictColours[0];
}

struct ButtonColours {
  COLORREF fill;
  COLORREF pressedFill;
  COLORREF frame;
  COLORREF caption;
};

inline constexpr ButtonColours kPrimaryButton = {RGB(0, 122, 168), RGB(0, 100, 138),
                                                 RGB(0, 106, 148), RGB(255, 255, 255)};
inline constexpr ButtonColours kSecondaryButton = {RGB(255, 255, 255), RGB(226, 234, 240),
                                                   RGB(206, 216, 224), RGB(44, 56, 66)};

}  // namespace tarn
