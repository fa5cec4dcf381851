// The record file: names, texts and appending, in a temporary folder, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>

#include "platform/append_file.h"
#include "record_test_util.h"
#include "records/record_file.h"
#include "text/buffer.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

std::u16string RecordText(const ToolDef& tool, const double* values, const char16_t* result) {
  char16_t record[kRecordCapacity];
  BuildRecordText(tool, values, result, kSaveTime, record, kRecordCapacity);
  return record;
}

std::u16string Sep() { return std::u16string(1, kPathSeparator); }

// ---- Names ---------------------------------------------------------------------------------

TEST(RecordNames, FolderAndFileUnderTheBaseFolder) {
  char16_t folder[kRecordsFolderCapacity];
  ASSERT_TRUE(FormatRecordsFolder(u"base", folder, kRecordsFolderCapacity));
  EXPECT_EQ(std::u16string(folder), u"base" + Sep() + u"TarnMedSuite" + Sep() + u"records");

  struct Case {
    std::int32_t id;
    const char16_t* name;
  };
  // Ids of 1000 and more take the digits they need; smaller ones are padded to three.
  const Case cases[] = {{7, u"T007.csv"},     {17, u"T017.csv"}, {999, u"T999.csv"},
                        {1234, u"T1234.csv"}, {0, u"T000.csv"},  {-5, u"T-05.csv"}};
  for (const Case& c : cases) {
    char16_t path[kRecordPathCapacity];
    ASSERT_TRUE(FormatRecordPath(u"dir", c.id, path, kRecordPathCapacity)) << c.id;
    EXPECT_EQ(std::u16string(path), u"dir" + Sep() + c.name) << c.id;
  }
}

// A cut path names another folder or file: it must be refused, not used.
TEST(RecordNames, PathThatDoesNotFitIsRefused) {
  const std::u16string longBase(kRecordsFolderCapacity - 21, u'a');
  char16_t folder[kRecordsFolderCapacity];
  EXPECT_FALSE(FormatRecordsFolder(longBase.c_str(), folder, kRecordsFolderCapacity));
  EXPECT_TRUE(FormatRecordsFolder(longBase.substr(1).c_str(), folder, kRecordsFolderCapacity));

  char16_t path[16];
  EXPECT_TRUE(FormatRecordPath(u"abcdef", 17, path, 16));  // exactly 15 units
  EXPECT_FALSE(FormatRecordPath(u"abcdefg", 17, path, 16));
}

// ---- Texts ---------------------------------------------------------------------------------

TEST(RecordTexts, HeaderAndRecordOfTheBuiltInShape) {
  char16_t header[kHeaderCapacity];
  const ToolDef tool = TestTool();
  EXPECT_EQ(BuildRecordHeader(tool, header, kHeaderCapacity), 24);
  EXPECT_EQ(std::u16string(header), u"时间,工具,体重,每次剂量,混悬液浓度,结果\r\n");
  EXPECT_EQ(RecordText(tool, kDefaultValues, u"x"),
            u"2024-03-05 08:07:09,Talvoro,体重=12,每次剂量=10,混悬液浓度=20,x\r\n");
}

TEST(RecordTexts, ValuesAreWrittenByPercentG) {
  struct Case {
    double value;
    const char16_t* text;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {12.0, u"12"},       {0.5, u"0.5"},       {0.25, u"0.25"},       {1234567.0, u"1.23457e+06"},
      {0.00001, u"1e-05"}, {0.0001, u"0.0001"}, {999999.0, u"999999"}, {-3.5, u"-3.5"},
      {1e300, u"1e+300"},  {inf, u"inf"},       {-inf, u"-inf"},       {0.0, u"0"},
  };
  const ToolDef tool = MakeTool(1, u"T", 1, kTestInputs);
  for (const Case& c : cases) {
    const double values[kMaxInputs] = {c.value};
    EXPECT_EQ(RecordText(tool, values, u"r"),
              u"2024-03-05 08:07:09,T,体重=" + std::u16string(c.text) + u",r\r\n")
        << c.value;
  }
}

TEST(RecordTexts, TimeFieldsArePadded) {
  const ToolDef tool = MakeTool(1, u"T", 0, nullptr);
  char16_t record[kRecordCapacity];
  BuildRecordText(tool, kDefaultValues, u"", LocalDateTime{987, 12, 31, 23, 59, 0}, record,
                  kRecordCapacity);
  EXPECT_EQ(std::u16string(record), u"0987-12-31 23:59:00,T,\r\n");
}

TEST(RecordTexts, ResultIsCutAfter254Units) {
  std::u16string result;
  for (std::int32_t i = 0; i < 300; ++i) result += static_cast<char16_t>(u'a' + i % 26);
  const ToolDef tool = MakeTool(1, u"T", 0, nullptr);
  EXPECT_EQ(RecordText(tool, kDefaultValues, result.c_str()),
            u"2024-03-05 08:07:09,T," + result.substr(0, 254) + u"\r\n");
}

// A long label is cut inside its own piece (losing its value there), never into its neighbours.
TEST(RecordTexts, LongLabelIsCutInsideItsPiece) {
  const std::u16string label(200, u'标');
  const ToolInput inputs[] = {{"a", label.c_str(), nullptr, 0}, {"b", u"乙", nullptr, 0}};
  const ToolDef tool = MakeTool(2, u"T", 2, inputs);
  const double values[kMaxInputs] = {1.5, 2.0};
  EXPECT_EQ(RecordText(tool, values, u"r"),
            u"2024-03-05 08:07:09,T," + label.substr(0, 126) + u",乙=2,r\r\n");

  char16_t header[kHeaderCapacity];
  BuildRecordHeader(tool, header, kHeaderCapacity);
  EXPECT_EQ(std::u16string(header), u"时间,工具," + label.substr(0, 126) + u",乙,结果\r\n");
}

// A whole line cut at its capacity must still end in CR LF, or the next record would be
// glued onto it.
TEST(RecordTexts, OverlongLinesStayBoundedAndEnded) {
  const std::u16string label(127, u'x');
  const std::u16string title(4000, u't');
  ToolInput inputs[kMaxInputs];
  for (ToolInput& input : inputs) input = ToolInput{"k", label.c_str(), nullptr, 0};
  const ToolDef tool = MakeTool(3, title.c_str(), kMaxInputs, inputs);

  char16_t header[kHeaderCapacity];
  EXPECT_EQ(BuildRecordHeader(tool, header, kHeaderCapacity), kHeaderCapacity - 1);
  EXPECT_EQ(std::u16string(header).substr(kHeaderCapacity - 3), u"\r\n");

  char16_t record[kRecordCapacity];
  EXPECT_EQ(BuildRecordText(tool, kDefaultValues, u"r", kSaveTime, record, kRecordCapacity),
            kRecordCapacity - 1);
  EXPECT_EQ(std::u16string(record).substr(kRecordCapacity - 3), u"\r\n");

  // A damaged input count reads no further than the value table.
  const ToolDef tooMany = MakeTool(4, u"T", kMaxInputs + 5, inputs);
  EXPECT_EQ(BuildRecordHeader(tooMany, header, kHeaderCapacity), kHeaderCapacity - 1);
  const ToolDef negative = MakeTool(5, u"T", -1, inputs);
  EXPECT_EQ(RecordText(negative, kDefaultValues, u"r"), u"2024-03-05 08:07:09,T,r\r\n");
}

// ---- Appending -----------------------------------------------------------------------------

TEST_F(RecordFolderTest, FirstSaveCreatesFoldersAndWritesMarkHeaderAndRecord) {
  ASSERT_TRUE(Save(TestTool()));
  EXPECT_EQ(fs::path(std::u16string(path_)), RecordPath());
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes);
}

TEST_F(RecordFolderTest, LaterSavesAddTheRecordOnly) {
  ASSERT_TRUE(Save(TestTool()));
  ASSERT_TRUE(Save(TestTool()));
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes + kRecordBytes);
}

// Whether a header is due is decided by the file's size under the lock, never by reading it
// nor by its existence alone: an empty file (left by a save on a full disk) gets its header,
// a file that holds anything, even one that cannot be read, gets no second one in its middle.
// A write or flush that fails is a failed save.
TEST_F(RecordFolderTest, WhatOneAppendAddsToTheFileItFinds) {
  struct Case {
    const char* name;
    const char* before;  // null: no file
    bool readable;
    const char* path;  // null: the record file in the test folder
    bool saved;
    std::string added;
  };
  const std::string all = kBom + kHeaderBytes + kRecordBytes;
  const Case cases[] = {
    {"missing", nullptr, true, nullptr, true, all},
    {"empty", "", true, nullptr, true, all},
    {"empty and unreadable", "", false, nullptr, true, all},
    {"with content", "old\r\n", true, nullptr, true, kRecordBytes},
    {"unreadable", "old\r\n", false, nullptr, true, kRecordBytes},
    {"mark only", "\xEF\xBB\xBF", true, nullptr, true, kRecordBytes},
#if !defined(_WIN32)
    {"device that is always full", nullptr, true, "/dev/full", false, ""},
#endif
  };
  char16_t header[kHeaderCapacity];
  BuildRecordHeader(TestTool(), header, kHeaderCapacity);
  char16_t record[kRecordCapacity];
  BuildRecordText(TestTool(), kDefaultValues, kDefaultResult, kSaveTime, record, kRecordCapacity);
  fs::create_directories(RecordPath().parent_path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(RecordPath(), ignored);
    if (c.before != nullptr) std::ofstream(RecordPath(), std::ios::binary) << c.before;
    // Write-only where that holds (not for root, nor on Windows).
    if (!c.readable) fs::permissions(RecordPath(), fs::perms::owner_write);
    const fs::path path = c.path != nullptr ? fs::path(c.path) : RecordPath();
    EXPECT_EQ(AppendRecordFile(path.u16string().c_str(), header, record), c.saved);
    fs::permissions(RecordPath(), fs::perms::owner_read | fs::perms::owner_write, ignored);
    if (c.path == nullptr) {
      EXPECT_EQ(ReadBytes(RecordPath()), (c.before != nullptr ? c.before : "") + c.added);
    }
  }
}

// Another window holding the lock: the save waits a bounded time and fails, leaving the file
// as it was; a lock let go within the wait costs nothing but the wait.
TEST_F(RecordFolderTest, SaveWaitsBoundedForAnotherWindowsLock) {
  ASSERT_TRUE(Save(TestTool()));
  const std::string before = ReadBytes(RecordPath());
  const AppendFile other = OpenAppendFile(RecordPath().u16string().c_str());
  ASSERT_TRUE(LockAppendFile(other, 0));
  EXPECT_FALSE(Save(TestTool()));

  std::thread letGo([other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    UnlockAppendFile(other);
  });
  EXPECT_TRUE(Save(TestTool()));
  letGo.join();
  EXPECT_TRUE(CloseAppendFile(other));
  EXPECT_EQ(ReadBytes(RecordPath()), before + kRecordBytes);  // nothing from the failed save
}

TEST_F(RecordFolderTest, ThousandSavesGiveThousandRecordsAndOneHeader) {
  for (std::int32_t i = 0; i < 1000; ++i) ASSERT_TRUE(Save(TestTool())) << i;
  const std::string bytes = ReadBytes(RecordPath());
  EXPECT_EQ(bytes.size(), kBom.size() + kHeaderBytes.size() + 1000 * kRecordBytes.size());
  EXPECT_EQ(CountOf(bytes, kBom), 1);
  EXPECT_EQ(CountOf(bytes, kHeaderBytes), 1);
  EXPECT_EQ(CountOf(bytes, kRecordBytes), 1000);
}

// A folder standing where the file belongs: the failure must be reported, and nothing
// written anywhere else.
TEST_F(RecordFolderTest, FolderInPlaceOfTheFileFailsAndWritesNothing) {
  fs::create_directories(RecordPath());
  EXPECT_FALSE(Save(TestTool()));
  EXPECT_EQ(fs::path(std::u16string(path_)), RecordPath());
  EXPECT_TRUE(fs::is_directory(RecordPath()));
  EXPECT_TRUE(fs::is_empty(RecordPath()));
  std::int32_t entries = 0;
  for (const auto& entry : fs::recursive_directory_iterator(base_)) {
    entries += entry.is_regular_file();
  }
  EXPECT_EQ(entries, 0);
}

// A record far beyond 4095 UTF-8 bytes is written whole, not dropped.
TEST_F(RecordFolderTest, LongCjkRecordIsWrittenWhole) {
  const std::u16string title(3000, u'录');
  const ToolDef tool = MakeTool(17, title.c_str(), 3, kTestInputs);
  ASSERT_TRUE(Save(tool));
  std::string titleBytes;
  for (std::int32_t i = 0; i < 3000; ++i) titleBytes += reinterpret_cast<const char*>(u8"录");
  const std::string expected = "2024-03-05 08:07:09," + titleBytes +
                               reinterpret_cast<const char*>(
                                   u8",体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg\r\n"
                                   u8"给药体积：6.00 ml\r\n每日上限：480 mg\r\n\r\n");
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + expected);
}

TEST_F(RecordFolderTest, NestedMissingBaseFolderIsCreatedLevelByLevel) {
  const fs::path nested = base_ / "a" / "b";
  char16_t path[kRecordPathCapacity];
  ASSERT_TRUE(SaveToolRecord(nested.u16string().c_str(), TestTool(), kDefaultValues, kDefaultResult,
                             kSaveTime, path, kRecordPathCapacity));
  EXPECT_EQ(ReadBytes(nested / "TarnMedSuite" / "records" / "T017.csv"),
            kBom + kHeaderBytes + kRecordBytes);
}

// Without a usable base folder nothing may be written (a relative or root path would be).
TEST_F(RecordFolderTest, MissingOrOverlongBaseFolderFails) {
  char16_t path[kRecordPathCapacity];
  EXPECT_FALSE(SaveToolRecord(u"", TestTool(), kDefaultValues, kDefaultResult, kSaveTime, path,
                              kRecordPathCapacity));
  const std::u16string longBase = baseText_ + Sep() + std::u16string(kRecordsFolderCapacity, u'a');
  EXPECT_FALSE(SaveToolRecord(longBase.c_str(), TestTool(), kDefaultValues, kDefaultResult,
                              kSaveTime, path, kRecordPathCapacity));
  EXPECT_TRUE(fs::is_empty(base_));
}

}  // namespace
}  // namespace tarn
