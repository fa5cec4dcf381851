// Win32 only: char16_t and wchar_t are both UTF-16 there; cross between them at the API
// boundary through these two helpers and nowhere else.
#pragma once
#include <cwchar>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace tarn {
inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* AsU16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* AsU16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
}  // namespace tarn
