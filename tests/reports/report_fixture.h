// Test helpers for the reports: a tool record built from (key, value) pairs, one run of a
// report into ample buffers, and UTF-8 copies of the texts so failures print readably.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/tool.h"
#include "reports/generators.h"

namespace tarn {
namespace testing_reports {

struct KeyValue {
  const char* key;
  double value;
};

// A report tool whose inputs carry the given keys, with one value per input.
class ReportTool {
 public:
  ReportTool(ReportKind kind, const std::vector<KeyValue>& keyValues) {
    for (const KeyValue& pair : keyValues) {
      inputs_.push_back(ToolInput{pair.key, u"输入", nullptr, pair.value});
      values_.push_back(pair.value);
    }
    tool_ = ToolDef{900,
                    u"报告工具",
                    nullptr,
                    u"报告",
                    u"",
                    nullptr,
                    static_cast<std::int32_t>(inputs_.size()),
                    inputs_.data(),
                    0,
                    nullptr,
                    0,
                    nullptr,
                    kind};
  }
  ReportTool(const ReportTool&) = delete;
  ReportTool& operator=(const ReportTool&) = delete;

  const ToolDef& Tool() const { return tool_; }
  const double* Values() const { return values_.data(); }

 private:
  std::vector<ToolInput> inputs_;
  std::vector<double> values_;
  ToolDef tool_{};
};

// UTF-8 form of a UTF-16 text, independent of the text library under test.
inline std::string Utf8(const char16_t* text) {
  std::string out;
  for (std::size_t i = 0; text[i] != 0; ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[i + 1]) - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct ReportOutcome {
  std::string result;   // UTF-8
  std::string verdict;  // UTF-8
  Level level;
};

inline constexpr std::int32_t kAmpleResult = 8192;
inline constexpr std::int32_t kAmpleVerdict = 512;

// Runs one generator on a tool with the given inputs.
inline ReportOutcome RunGenerator(ReportGenerator generator,
                                  const std::vector<KeyValue>& keyValues) {
  const ReportTool tool(0, keyValues);
  std::vector<char16_t> result(kAmpleResult, u'\0');
  std::vector<char16_t> verdict(kAmpleVerdict, u'\0');
  const Level level = generator(tool.Tool(), tool.Values(), result.data(), kAmpleResult,
                                verdict.data(), kAmpleVerdict);
  return ReportOutcome{Utf8(result.data()), Utf8(verdict.data()), level};
}

// The lines of a text split at CR LF (the text after the last CR LF, if any, is the last
// entry; a text ending in CR LF ends with an empty entry).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", from);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(from, end - from));
    from = end + 2;
  }
  lines.push_back(text.substr(from));
  return lines;
}

}  // namespace testing_reports
}  // namespace tarn
