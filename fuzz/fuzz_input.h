// Reading a fuzzer's bytes as typed values, and guarded buffers whose canaries tell a write
// past the capacity. Test harness only: may allocate; never linked into the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tarn {

// Takes values from the front of the fuzzer's bytes; an exhausted input reads zeros.
struct FuzzReader {
  const std::uint8_t* data;
  std::size_t size;

  template <typename T>
  T Take() {
    T value{};
    const std::size_t count = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, count);
    data += count;
    size -= count;
    return value;
  }

  // A capacity in 0..limit, small ones far more often than big ones.
  std::int32_t TakeCapacity(std::int32_t limit) {
    const auto raw = Take<std::uint16_t>();
    const std::int32_t value = (raw & 0x8000) != 0 ? (raw & 0x7fff) : (raw & 0x3f);
    return value % (limit + 1);
  }

  // A double that is often one of the awkward values rather than raw bits.
  double TakeValue() {
    static const double kAwkward[] = {0.0,
                                      -0.0,
                                      1.0,
                                      -1.0,
                                      0.5,
                                      2.5,
                                      1e308,
                                      -1e308,
                                      1e-320,
                                      2147483647.5,
                                      -2147483648.9,
                                      9.3e18,
                                      1e75,
                                      __builtin_nan(""),
                                      __builtin_inf(),
                                      -__builtin_inf()};
    const auto selector = Take<std::uint8_t>();
    if (selector < 64) return kAwkward[selector % (sizeof kAwkward / sizeof kAwkward[0])];
    if (selector < 160) return static_cast<double>(Take<std::int16_t>()) / 4;
    return Take<double>();
  }
};

// A UTF-16 buffer of exactly `capacity` units followed by canaries. Any write past the
// capacity either trips AddressSanitizer or changes a canary.
struct GuardedText {
  static constexpr std::int32_t kCanaries = 8;
  static constexpr char16_t kCanary = 0xA5A5;
  std::vector<char16_t> units;
  std::int32_t capacity;

  explicit GuardedText(std::int32_t cap)
      : units(static_cast<std::size_t>(cap + kCanaries), kCanary), capacity(cap) {}
  char16_t* Data() { return units.data(); }

  // Terminated inside the capacity (when it has one) and every canary intact.
  bool Sound() const {
    for (std::int32_t i = 0; i < kCanaries; ++i) {
      if (units[static_cast<std::size_t>(capacity) + static_cast<std::size_t>(i)] != kCanary) {
        return false;
      }
    }
    if (capacity < 1) return true;
    for (std::int32_t i = 0; i < capacity; ++i) {
      if (units[static_cast<std::size_t>(i)] == 0) return true;
    }
    return false;
  }
};

// Stops the run with a finding the fuzzer records.
[[noreturn]] inline void FuzzFinding() { std::abort(); }

inline void Check(bool condition) {
  if (!condition) FuzzFinding();
}

}  // namespace tarn
