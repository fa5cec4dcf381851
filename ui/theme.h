// The window's colours, all in one place: the painted surface, the controls that stand on it,
// the verdict levels and the owner-drawn buttons.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/tool.h"

namespace tarn {

inline constexpr COLORREF kWhite = RGB(255, 255, 255);          // title, cards, control backgrounds
inline constexpr COLORREF kPage = RGB(244, 247, 249);           // window background
inline constexpr COLORREF kBrand = RGB(0, 108, 150);            // header band, card captions
inline constexpr COLORREF kBrandAccent = RGB(0, 132, 176);      // strip at the header's left edge
inline constexpr COLORREF kHeaderSubtext = RGB(214, 236, 246);  // category line on the header
inline constexpr COLORREF kHeaderFaint = RGB(190, 220, 235);    // web address on the header
inline constexpr COLORREF kCardOutline = RGB(218, 226, 232);    // around the two cards
inline constexpr COLORREF kDivider = RGB(228, 234, 238);        // under the card captions
inline constexpr COLORREF kFooter = RGB(236, 241, 244);         // band behind the buttons
inline constexpr COLORREF kInkText = RGB(44, 56, 66);           // edits, result box, cautions
inline constexpr COLORREF kMutedText = RGB(120, 132, 142);      // labels, units, reference, status

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
                                                 RGB(0, 106, 148), kWhite};
inline constexpr ButtonColours kSecondaryButton = {kWhite, RGB(226, 234, 240), RGB(206, 216, 224),
                                                   kInkText};

}  // namespace tarn
