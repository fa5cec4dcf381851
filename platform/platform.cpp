// The portable half of the platform layer: rebuilding a command line from argv and writing
// UTF-16 text to a file as UTF-8. No operating-system calls beyond the C file functions.
#include <cstring>

#include "platform/platform.h"
#include "text/buffer.h"
#include "text/utf8.h"

namespace tarn {

std::int32_t JoinArguments(int argc, const char* const* argv, char16_t* out,
                           std::int32_t capacity) {
  CopyText(out, capacity, u"");
  // One argument decoded at a time; the longest we keep is the whole line.
  static char16_t argument[kCommandLineCapacity];
  std::int32_t length = 0;
  for (int i = 0; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    DecodeUtf8(argv[i], argument, kCommandLineCapacity);
    const bool quote = std::strchr(argv[i], ' ') != nullptr;
    if (i > 0) AppendBounded(out, capacity, u" ");
    if (quote) AppendBounded(out, capacity, u"\"");
    const std::int32_t afterArgument = AppendBounded(out, capacity, argument);
    length = quote ? AppendBounded(out, capacity, u"\"") : afterArgument;
  }
  return length;
}

bool WriteUtf8(std::FILE* file, const char16_t* text) {
  // Converted piece by piece, so a text of any length is written whole.
  char piece[4096];
  const std::int32_t total = TextLength(text);
  std::int32_t done = 0;
  while (done < total) {
    std::int32_t consumed = 0;
    const std::int32_t bytes = EncodeUtf8(text + done, total - done, piece,
                                          static_cast<std::int32_t>(sizeof piece), &consumed);
    if (consumed <= 0) return false;  // cannot happen with a 4 KiB piece; never loop forever
    if (std::fwrite(piece, 1, static_cast<std::size_t>(bytes), file) !=
        static_cast<std::size_t>(bytes)) {
      return false;
    }
    done += consumed;
  }
  return true;
}

}  // namespace tarn
