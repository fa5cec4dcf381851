// Fuzz target: the self-test command-line parser on arbitrary UTF-16 text and capacities.
// Checks the bounds and the rules that hold for any text: the switch decides the mode, the
// path is never empty and never longer than capacity - 1.
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_input.h"
#include "text/buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarn::FuzzReader reader{data, size};
  const std::int32_t capacity = reader.TakeCapacity(600) + 1;  // the contract: at least 1
  std::vector<char16_t> line;
  while (reader.size >= 1) {
    // ASCII bytes stand for themselves (so seeds read as command lines); the others mostly
    // spell the switch's letters, blanks, quotes and tabs, or give surrogates and raw units.
    static const char16_t kUseful[] = u"--selftest \" \t/a\\b.";
    const auto byte = reader.Take<std::uint8_t>();
    char16_t unit = byte;
    if (byte >= 0x80 && byte < 0xf0) unit = kUseful[byte % (sizeof kUseful / 2 - 1)];
    if (byte >= 0xf0) unit = static_cast<char16_t>(0xD800 + (byte & 0xf) * 0x80);
    if (byte == 0xff && reader.size >= 2) unit = reader.Take<char16_t>();
    if (unit == 0) unit = u'x';
    line.push_back(unit);
  }
  line.push_back(0);

  tarn::GuardedText path(capacity);
  const bool selfTest = tarn::ParseSelfTestCommand(line.data(), path.Data(), capacity);
  tarn::Check(path.Sound());
  bool hasSwitch = false;
  const std::u16string_view switchText = u"--selftest";
  for (std::size_t i = 0; i + switchText.size() < line.size() && !hasSwitch; ++i) {
    hasSwitch = std::u16string_view(line.data() + i, switchText.size()) == switchText;
  }
  tarn::Check(selfTest == hasSwitch);
  if (selfTest && capacity > 1) tarn::Check(tarn::TextLength(path.Data()) > 0);
  if (!selfTest) tarn::Check(path.units[0] == 0);
  return 0;
}
