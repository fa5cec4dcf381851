// Shared pieces of the record-file tests: a tool record like the built-in one, a fixed save
// time, a fresh temporary folder per test, and reading a file back as bytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "engine/tool.h"
#include "platform/platform.h"
#include "records/record_file.h"

namespace tarn {

inline constexpr ToolInput kTestInputs[] = {
    {"w", u"体重", u"kg", 12.0},
    {"dose", u"每次剂量", u"mg/kg", 10.0},
    {"conc", u"混悬液浓度", u"mg/ml", 20.0},
};

inline ToolDef MakeTool(std::int32_t id, const char16_t* title, std::int32_t inputCount,
                        const ToolInput* inputs) {
  return ToolDef{id,     title, nullptr, u"儿科", u"说明书", nullptr, inputCount,
                 inputs, 0,     nullptr, 0,       nullptr,   0};
}

inline ToolDef TestTool() { return MakeTool(17, u"Talvoro", 3, kTestInputs); }

inline constexpr LocalDateTime kSaveTime{2024, 3, 5, 8, 7, 9};
inline constexpr double kDefaultValues[kMaxInputs] = {12.0, 10.0, 20.0};
inline constexpr char16_t kDefaultResult[] =
    u"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n";
inline const std::string kBom = "\xEF\xBB\xBF";
inline const std::string kHeaderBytes =
    reinterpret_cast<const char*>(u8"时间,工具,体重,每次剂量,混悬液浓度,结果\r\n");
inline const std::string kRecordBytes = reinterpret_cast<const char*>(
    u8"2024-03-05 08:07:09,Talvoro,体重=12,每次剂量=10,混悬液浓度=20,"
    u8"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n\r\n");

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::int32_t CountOf(const std::string& text, const std::string& part) {
  std::int32_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

// Each test gets its own empty folder, removed afterwards.
class RecordFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    base_ = std::filesystem::temp_directory_path() /
            ("tarn_records_" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(base_);
    baseText_ = base_.u16string();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
  }
  std::filesystem::path RecordPath() const {
    return base_ / "TarnMedSuite" / "records" / "T017.csv";
  }
  // One save of the test tool with the default values and result at the fixed time.
  SaveOutcome SaveWith(const ToolDef& tool, const double* values = kDefaultValues,
                       const char16_t* result = kDefaultResult) {
    return SaveToolRecord(baseText_.c_str(), tool, values, result, kSaveTime, path_,
                          kRecordPathCapacity);
  }
  bool Save(const ToolDef& tool) { return SaveWith(tool) == SaveOutcome::kSaved; }

  std::filesystem::path base_;
  std::u16string baseText_;
  char16_t path_[kRecordPathCapacity] = {};
};

}  // namespace tarn
