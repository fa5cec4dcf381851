// Fuzz target: the template expander, the writer and the bounded appends at random capacities, with
// canaries after each capacity; and, for templates printf also understands, the same text as
// glibc's snprintf ("C" locale) gives, cut at the same capacity.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/buffer.h"
#include "text/format.h"
#include "text/number.h"

namespace {

using tarn::Check;
using tarn::FormatArg;
using tarn::FuzzReader;
using tarn::GuardedText;

// Arbitrary template units and arguments of every kind: only the bounds can be checked.
void ArbitraryTemplate(FuzzReader& reader) {
  const std::int32_t capacity = reader.TakeCapacity(700);
  const std::int32_t prefill = reader.TakeCapacity(700);
  const char16_t wideArg[] = u"床位（一）";
  const char narrowArg[] = "abc\xff";
  const FormatArg args[] = {FormatArg(reader.Take<std::int64_t>()), FormatArg(reader.TakeValue()),
                            FormatArg(wideArg), FormatArg(reader.Take<char16_t>()),
                            FormatArg(reader.TakeValue())};
  const auto argCount = static_cast<std::int32_t>(reader.Take<std::uint8_t>() % 6);
  std::vector<char16_t> tmpl;
  static const char16_t kUseful[] = u"%%dfgsci.-+ 0123456789lh*\r\n";
  while (reader.size >= 1 && tmpl.size() < 400) {
    const auto byte = reader.Take<std::uint8_t>();
    tmpl.push_back(byte < 200 ? kUseful[byte % (sizeof kUseful / 2 - 1)]
                              : static_cast<char16_t>(0x4e00 + byte));
  }
  tmpl.push_back(0);

  GuardedText text(capacity);
  const std::int32_t length = tarn::FormatList(text.Data(), capacity, tmpl.data(), args, argCount);
  Check(text.Sound());
  Check(capacity < 1 ? length == 0 : length == tarn::TextLength(text.Data()));

  // Appending onto a text of `prefill` units, which may exceed the capacity (an unterminated
  // damaged buffer must still be treated as cut).
  GuardedText appended(capacity);
  for (std::int32_t i = 0; i < capacity; ++i) appended.units[static_cast<std::size_t>(i)] = u'x';
  if (prefill < capacity) appended.units[static_cast<std::size_t>(prefill)] = 0;
  tarn::TextWriter out = tarn::TextWriter::After(appended.Data(), capacity);
  tarn::WriteFormatList(out, tmpl.data(), args, argCount);
  Check(appended.Sound());
  Check(capacity < 1 ? out.Length() == 0 : out.Length() == tarn::TextLength(appended.Data()));

  for (std::int32_t step = 0; step < 4; ++step) {
    tarn::AppendBounded(appended.Data(), capacity, tmpl.data());
    tarn::AppendUnits(appended.Data(), capacity, tmpl.data(), reader.TakeCapacity(50) - 10);
    Check(appended.Sound());
  }
  tarn::CopyText(appended.Data(), capacity, tmpl.data());
  Check(appended.Sound());
  tarn::WidenAscii(appended.Data(), capacity, narrowArg);
  Check(appended.Sound());
}

// A template of literal text and conversions that both printf and Format understand, with
// matching arguments; the two results must be equal unit for unit.
void AgainstPrintf(FuzzReader& reader) {
  const std::int32_t capacity = reader.TakeCapacity(300);
  std::string narrowTemplate;
  std::vector<std::int64_t> integers;
  std::vector<double> reals;
  std::vector<char> kinds;  // 'i' or 'r', in argument order
  while (reader.size >= 4 && kinds.size() < 6) {
    const auto choice = reader.Take<std::uint8_t>();
    if (choice < 100) {
      const char literal = static_cast<char>(' ' + choice % 95);
      narrowTemplate += literal == '%' ? '#' : literal;
      continue;
    }
    if (choice < 110) {
      narrowTemplate += "%%";
      continue;
    }
    // The layouts the formatter lays out: a zero-padded width on integers, a precision on
    // %f and %g.
    const auto flags = reader.Take<std::uint8_t>();
    std::string conversion = "%";
    const auto width = reader.Take<std::uint8_t>() % 40;
    const auto precision = reader.Take<std::uint8_t>();
    if (choice < 170) {
      if ((flags & 1) != 0 && width != 0) conversion += "0" + std::to_string(width);
      conversion += "lld";
      integers.push_back(reader.Take<std::int64_t>() >> (reader.Take<std::uint8_t>() % 64));
      kinds.push_back('i');
    } else {
      const bool fixed = choice < 215;
      if (precision & 0x80) {
        conversion += "." + std::to_string(fixed ? precision % 10 : precision % 18);
      }
      conversion += fixed ? 'f' : 'g';
      reals.push_back(reader.TakeValue());
      kinds.push_back('r');
    }
    narrowTemplate += conversion;
  }
  std::vector<FormatArg> args;
  args.reserve(kinds.size());
  std::size_t nextInteger = 0;
  std::size_t nextReal = 0;
  for (const char kind : kinds) {
    args.push_back(kind == 'i' ? FormatArg(integers[nextInteger++]) : FormatArg(reals[nextReal++]));
  }

  std::vector<char16_t> wideTemplate(narrowTemplate.begin(), narrowTemplate.end());
  wideTemplate.push_back(0);
  GuardedText ours(capacity);
  tarn::FormatList(ours.Data(), capacity, wideTemplate.data(), args.data(),
                   static_cast<std::int32_t>(kinds.size()));
  Check(ours.Sound());

  if (capacity < 1) return;
  // The expected text piece by piece: one snprintf per conversion keeps the argument types
  // right whatever their order.
  std::string expected;
  std::size_t argIndex = 0;
  nextInteger = 0;
  nextReal = 0;
  for (std::size_t at = 0; at < narrowTemplate.size();) {
    if (narrowTemplate[at] != '%') {
      expected += narrowTemplate[at++];
      continue;
    }
    std::size_t stop = at + 1;
    while (std::string("dfg%").find(narrowTemplate[stop]) == std::string::npos) ++stop;
    const std::string piece = narrowTemplate.substr(at, stop - at + 1);
    char buffer[512];
    if (narrowTemplate[stop] == '%') {
      std::snprintf(buffer, sizeof buffer, "%%");
    } else if (kinds[argIndex++] == 'i') {
      std::snprintf(buffer, sizeof buffer, piece.c_str(),
                    static_cast<long long>(integers[nextInteger++]));
    } else {
      std::snprintf(buffer, sizeof buffer, piece.c_str(), reals[nextReal++]);
    }
    expected += buffer;
    at = stop + 1;
  }
  expected.resize(std::min<std::size_t>(expected.size(), static_cast<std::size_t>(capacity - 1)));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Check(ours.units[i] == static_cast<unsigned char>(expected[i]));
  }
  Check(ours.units[expected.size()] == 0);
}

// The narrow number formatters against snprintf, at random capacities.
void NumbersAgainstPrintf(FuzzReader& reader) {
  const double value = reader.TakeValue();
  const auto decimals = static_cast<std::int32_t>(reader.Take<std::uint8_t>() % 10);
  const auto precision = static_cast<std::int32_t>(reader.Take<std::uint8_t>() % 17 + 1);
  const std::int32_t capacity = reader.TakeCapacity(400);
  std::vector<char> ours(static_cast<std::size_t>(capacity) + 8, '\x5a');
  std::vector<char> theirs(static_cast<std::size_t>(capacity) + 8, '\x5a');
  tarn::FormatFixed(value, decimals, ours.data(), capacity);
  std::snprintf(theirs.data(), static_cast<std::size_t>(capacity), "%.*f", decimals, value);
  Check(ours == theirs);
  tarn::FormatGeneral(value, precision, ours.data(), capacity);
  std::snprintf(theirs.data(), static_cast<std::size_t>(capacity), "%.*g", precision, value);
  Check(ours == theirs);
  const auto integer = reader.Take<std::int64_t>();
  const auto digits = static_cast<std::int32_t>(reader.Take<std::uint8_t>() % 30);
  tarn::FormatInteger(integer, digits, ours.data(), capacity);
  std::snprintf(theirs.data(), static_cast<std::size_t>(capacity), "%0*lld", digits,
                static_cast<long long>(integer));
  Check(ours == theirs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzReader reader{data, size};
  const auto mode = reader.Take<std::uint8_t>() % 3;
  if (mode == 0) ArbitraryTemplate(reader);
  if (mode == 1) AgainstPrintf(reader);
  if (mode == 2) NumbersAgainstPrintf(reader);
  return 0;
}
