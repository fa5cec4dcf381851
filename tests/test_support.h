// Small helpers shared by the unit tests: a temporary folder and whole-file reads by UTF-16
// path, through the project's own platform layer so both builds test the same code; buffers
// with guard units after the capacity, so a test can prove that nothing was written at or past
// it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "text/utf8.h"

namespace tarn {

// A fresh folder under the system's temporary folder, removed (shallowly) at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder joined with a relative name ("/" is turned into the platform separator).
  std::u16string Path(const std::u16string& name) const;
  const std::u16string& Root() const { return root_; }

 private:
  std::u16string root_;
};

std::string ReadFileBytes(const std::u16string& path);
bool FileExists(const std::u16string& path);
std::string ToUtf8(const std::u16string& text);

}  // namespace tarn

namespace tarn_test {

inline constexpr char16_t kCanary = u'\uBEEF';
inline constexpr char kByteCanary = '\x5A';

// A UTF-16 buffer of `Size` units, all canaries to begin with. A test hands out a capacity
// below `Size` and checks the units from that capacity on.
template <std::int32_t Size>
struct GuardedText {
  char16_t units[static_cast<std::size_t>(Size)];
  GuardedText() {
    for (char16_t& unit : units) unit = kCanary;
  }
  // True when every unit from `from` on still holds the canary.
  bool UntouchedFrom(std::int32_t from) const {
    for (std::int32_t i = from < 0 ? 0 : from; i < Size; ++i) {
      if (units[i] != kCanary) return false;
    }
    return true;
  }
  std::u16string Text() const { return std::u16string(units); }
};

template <std::int32_t Size>
struct GuardedBytes {
  char bytes[static_cast<std::size_t>(Size)];
  GuardedBytes() {
    for (char& byte : bytes) byte = kByteCanary;
  }
  bool UntouchedFrom(std::int32_t from) const {
    for (std::int32_t i = from < 0 ? 0 : from; i < Size; ++i) {
      if (bytes[i] != kByteCanary) return false;
    }
    return true;
  }
};

inline std::u16string Widen(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace tarn_test
