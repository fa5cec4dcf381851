// The window-less self-test: run the tool once on its defaults and write a line report.
#pragma once
#include <cstdint>

#include "engine/tool.h"

namespace tarn {

inline constexpr std::int32_t kSelfTestPathCapacity = 520;
inline constexpr std::int32_t kSelfTestReportCapacity = 16384;

// Exit codes of the self-test. A report that cannot be written wins over a failed output:
// a deployment check must never pass, or read a stale file, where nothing was written.
inline constexpr int kSelfTestPassed = 0;
inline constexpr int kSelfTestOutputFailed = 2;
inline constexpr int kSelfTestReportNotWritten = 3;

// Builds the report text of one self-test run of `tool` into `report`; returns the exit code
// (0 when every output evaluated, 2 otherwise). Allocates nothing.
int BuildSelfTestReport(const ToolDef& tool, char16_t* report, std::int32_t capacity);

// Runs the self-test of `tool` and writes its report to `reportPath`; returns 0 or 2 as
// BuildSelfTestReport does, or 3 when the report file could not be written whole.
int RunSelfTest(const ToolDef& tool, const char16_t* reportPath);

// RunSelfTest with the built-in tool.
int RunSelfTest(const char16_t* reportPath);

// Program start shared by both entry points: when the process's command line asks for the
// self-test ("--selftest [report]" anywhere), runs it with the built-in tool and returns true
// with its exit code in `exitCode`; otherwise returns false and leaves `exitCode` alone.
bool RunSelfTestIfAsked(int* exitCode);

// Appends `text` on one line: CR dropped, LF turned into a blank, at most 8000 characters
// kept; bounded by `capacity`. (The DETAIL line; exposed for tests.)
void AppendFlattenedDetail(char16_t* report, std::int32_t capacity, const char16_t* text);

// Creates or truncates the file and writes the text as UTF-8 without a byte-order mark.
// Reports nothing; a file that cannot be opened is left alone.
void WriteUtf8File(const char16_t* path, const char16_t* text);

// WriteUtf8File that says how it went: true only when the file was opened, every byte
// written and the file closed without error.
bool TryWriteUtf8File(const char16_t* path, const char16_t* text);

}  // namespace tarn
