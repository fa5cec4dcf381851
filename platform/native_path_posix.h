// A UTF-16 path as the POSIX system takes it (UTF-8), shared by the platform services and the
// append file of the native build. No other platform code.
#pragma once
#include <cstdint>

namespace tarn {

// Bytes of a native path, the terminator included.
inline constexpr std::int32_t kNativePathCapacity = 4096;

// Encodes `path` into `out` (kNativePathCapacity bytes); false when it does not fit.
bool ToNativePath(const char16_t* path, char* out);

}  // namespace tarn
