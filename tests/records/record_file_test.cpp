// The record file: names, texts and appending, in a temporary folder, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <sys/stat.h>

#include <cstdlib>
#endif

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

// The fewest digits from six up that read back as the same double: "%g" wherever "%g" is
// exact, so files of earlier versions read alike; every other value whole, never rounded.
TEST(RecordTexts, ValuesAreWrittenWithTheFewestDigitsThatReadBack) {
  struct Case {
    double value;
    const char16_t* text;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      // "%g" exact: unchanged
      {12.0, u"12"},
      {0.5, u"0.5"},
      {0.25, u"0.25"},
      {0.00001, u"1e-05"},
      {0.0001, u"0.0001"},
      {999999.0, u"999999"},
      {-3.5, u"-3.5"},
      {1e300, u"1e+300"},
      {inf, u"inf"},
      {-inf, u"-inf"},
      {0.0, u"0"},
      {-0.0, u"-0"},
      {1e6, u"1e+06"},
      // more than six digits: as many as reading back needs
      {1234567.0, u"1234567"},
      {12.3456789, u"12.3456789"},
      {0.1 + 0.2, u"0.30000000000000004"},
      {1.0 / 3, u"0.3333333333333333"},
      {123456789012.0, u"123456789012"},
      {1.7976931348623157e308, u"1.7976931348623157e+308"},
      {5e-324, u"4.94066e-324"},
      {-2147483648.0, u"-2147483648"},
      {1e-05 * 3.3, u"3.3e-05"},
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

// The record carries the whole result, even a whole report and its verdict line beside
// sixteen long labels, and is refused whole (empty, -1) when it does not fit: never cut.
TEST(RecordTexts, ResultIsSavedWholeOrTheRecordIsRefused) {
  std::u16string result;
  for (std::int32_t i = 0; i < kRecordResultCapacity - 1; ++i) {
    result += static_cast<char16_t>(u'a' + i % 26);
  }
  const std::u16string label(kHeaderCapacity, u'x');
  ToolInput inputs[kMaxInputs];
  for (ToolInput& input : inputs) input = ToolInput{"k", label.c_str(), nullptr, 0};
  const ToolDef tool = MakeTool(3, u"T", kMaxInputs, inputs);
  const double values[kMaxInputs] = {0.1 + 0.2};
  const std::u16string record = RecordText(tool, values, result.c_str());
  EXPECT_EQ(record.substr(record.size() - result.size() - 2), result + u"\r\n");
  EXPECT_NE(record.find(label.substr(0, 126) + u"=0.30000000000000004,"), std::u16string::npos);

  // At exactly capacity - 1 units the record is whole; one unit more and it is refused.
  const std::u16string head = u"2024-03-05 08:07:09,";
  const std::u16string title(kRecordCapacity - 1 - head.size() - 1 - 2, u't');
  struct Case {
    std::int32_t titleUnits;
    std::int32_t length;
  };
  const Case cases[] = {{static_cast<std::int32_t>(title.size()), kRecordCapacity - 1},
                        {static_cast<std::int32_t>(title.size()) + 1, -1}};
  for (const Case& c : cases) {
    const std::u16string titleText(static_cast<std::size_t>(c.titleUnits), u't');
    const ToolDef titled = MakeTool(4, titleText.c_str(), 0, nullptr);
    std::u16string out(kRecordCapacity + 1, u'?');
    EXPECT_EQ(BuildRecordText(titled, kDefaultValues, u"", kSaveTime, out.data(), kRecordCapacity),
              c.length);
    EXPECT_EQ(out[kRecordCapacity], u'?');  // nothing past the capacity
    if (c.length < 0) {
      EXPECT_EQ(out[0], u'\0');
    }
  }
}

// A long label is cut as in the header, and its value still follows it whole.
TEST(RecordTexts, LongLabelIsCutAsInTheHeaderAndKeepsItsValue) {
  const std::u16string label(200, u'标');
  const ToolInput inputs[] = {{"a", label.c_str(), nullptr, 0}, {"b", u"乙", nullptr, 0}};
  const ToolDef tool = MakeTool(2, u"T", 2, inputs);
  const double values[kMaxInputs] = {1.5, 2.0};
  EXPECT_EQ(RecordText(tool, values, u"r"),
            u"2024-03-05 08:07:09,T," + label.substr(0, 126) + u"=1.5,乙=2,r\r\n");

  char16_t header[kHeaderCapacity];
  BuildRecordHeader(tool, header, kHeaderCapacity);
  EXPECT_EQ(std::u16string(header), u"时间,工具," + label.substr(0, 126) + u",乙,结果\r\n");
}

// A header line cut at its capacity must still end in CR LF, or the first record would be
// glued onto it; a damaged input count reads no further than the value table.
TEST(RecordTexts, OverlongHeaderStaysBoundedAndEnded) {
  const std::u16string label(127, u'x');
  ToolInput inputs[kMaxInputs];
  for (ToolInput& input : inputs) input = ToolInput{"k", label.c_str(), nullptr, 0};
  const ToolDef tool = MakeTool(3, u"T", kMaxInputs, inputs);

  char16_t header[kHeaderCapacity];
  EXPECT_EQ(BuildRecordHeader(tool, header, kHeaderCapacity), kHeaderCapacity - 1);
  EXPECT_EQ(std::u16string(header).substr(kHeaderCapacity - 3), u"\r\n");

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

// What leads the record is decided under the lock by the file's size and its last bytes,
// never by its existence: an empty file (left by a save on a full disk) gets mark and header,
// a lone mark (a torn first save) its header, a torn last line its CR LF, so every record
// starts a line of its own; a file that holds anything gets no second header, and nothing is
// ever removed. A file whose tail cannot be read gets a line end; one that starts with a
// UTF-16 mark is left as it is. Only a regular file is written, and a write or flush that
// fails is a failed save.
TEST_F(RecordFolderTest, WhatOneAppendAddsToTheFileItFinds) {
  enum Kind { kNone, kFile, kWriteOnly, kFifo };
  struct Case {
    const char* name;
    Kind kind;
    const char* before;
    const char* path;  // null: the record file in the test folder
    SaveOutcome outcome;
    std::string added;
  };
  const std::string all = kBom + kHeaderBytes + kRecordBytes;
  const Case cases[] = {
    {"missing", kNone, "", nullptr, SaveOutcome::kSaved, all},
    {"empty", kFile, "", nullptr, SaveOutcome::kSaved, all},
    {"empty and unreadable", kWriteOnly, "", nullptr, SaveOutcome::kSaved, all},
    {"with content", kFile, "old\r\n", nullptr, SaveOutcome::kSaved, kRecordBytes},
    {"unreadable", kWriteOnly, "old\r\n", nullptr, SaveOutcome::kSaved, kRecordBytes},
    {"mark only", kFile, "\xEF\xBB\xBF", nullptr, SaveOutcome::kSaved, kHeaderBytes + kRecordBytes},
    {"torn last line", kFile, "a,b=1,x", nullptr, SaveOutcome::kSaved, "\r\n" + kRecordBytes},
    {"torn after CR", kFile, "old\r", nullptr, SaveOutcome::kSaved, "\r\n" + kRecordBytes},
    {"torn after LF", kFile, "old\n", nullptr, SaveOutcome::kSaved, "\r\n" + kRecordBytes},
    {"one byte", kFile, "x", nullptr, SaveOutcome::kSaved, "\r\n" + kRecordBytes},
    {"line end only", kFile, "\r\n", nullptr, SaveOutcome::kSaved, kRecordBytes},
    {"mark and torn header", kFile, "\xEF\xBB\xBF\xE6\x97", nullptr, SaveOutcome::kSaved,
     "\r\n" + kRecordBytes},
    {"mark only, write-only", kWriteOnly, "\xEF\xBB\xBF", nullptr, SaveOutcome::kSaved,
     kHeaderBytes + kRecordBytes},
    // Re-saved by another program as UTF-16: UTF-8 after it would make a file no one reads.
    {"UTF-16 little-endian", kFile, "\xFF\xFEold", nullptr, SaveOutcome::kOtherEncoding, ""},
    {"UTF-16 big-endian", kFile, "\xFE\xFFold", nullptr, SaveOutcome::kOtherEncoding, ""},
    {"UTF-16 mark only", kFile, "\xFF\xFE", nullptr, SaveOutcome::kOtherEncoding, ""},
    {"lone FF byte", kFile, "\xFF", nullptr, SaveOutcome::kSaved, "\r\n" + kRecordBytes},
#if !defined(_WIN32)
    {"device that is always full", kNone, "", "/dev/full", SaveOutcome::kFailed, ""},
    {"FIFO without a reader", kFifo, "", nullptr, SaveOutcome::kFailed, ""},
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
    if (c.kind == kFile || c.kind == kWriteOnly) {
      std::ofstream(RecordPath(), std::ios::binary) << c.before;
    }
    // Write-only where that holds (not for root, nor on Windows).
    if (c.kind == kWriteOnly) fs::permissions(RecordPath(), fs::perms::owner_write);
#if !defined(_WIN32)
    // Opened for writing, a FIFO would wait for a reader: the save must not.
    if (c.kind == kFifo) {
      ASSERT_EQ(mkfifo(RecordPath().c_str(), 0600), 0);
    }
#endif
    // Root reads a write-only file: its tail is then known, else it gets a line end (the
    // fault table makes the read fail for whoever runs it).
    const bool tailHidden = c.kind == kWriteOnly && !std::ifstream(RecordPath()).is_open() &&
                            !std::string(c.before).empty();
    const fs::path path = c.path != nullptr ? fs::path(c.path) : RecordPath();
    EXPECT_EQ(AppendRecordFile(path.u16string().c_str(), header, record), c.outcome);
    fs::permissions(RecordPath(), fs::perms::owner_read | fs::perms::owner_write, ignored);
    if (c.path == nullptr && c.kind != kFifo) {
      EXPECT_EQ(ReadBytes(RecordPath()),
                std::string(c.before) + (tailHidden ? "\r\n" : "") + c.added);
    }
  }
}

// Through the append itself: a header or record without its end inside its capacity is
// refused whole, never written cut; the largest ones, all three-byte characters, fit the
// UTF-8 area whole.
TEST_F(RecordFolderTest, AppendTakesTextsUpToTheirCapacityAndRefusesLonger) {
  struct Case {
    const char* name;
    std::int32_t headerUnits;
    std::int32_t recordUnits;
    SaveOutcome outcome;
  };
  const Case cases[] = {
      {"largest", kHeaderCapacity - 1, kRecordCapacity - 1, SaveOutcome::kSaved},
      {"record one unit too long", kHeaderCapacity - 1, kRecordCapacity, SaveOutcome::kFailed},
      {"header one unit too long", kHeaderCapacity, kRecordCapacity - 1, SaveOutcome::kFailed},
  };
  fs::create_directories(RecordPath().parent_path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(RecordPath(), ignored);
    std::u16string header(static_cast<std::size_t>(c.headerUnits), u'头');
    std::u16string record(static_cast<std::size_t>(c.recordUnits), u'录');
    header += u'\0';  // the end lies just past the texts
    record += u'\0';
    EXPECT_EQ(AppendRecordFile(RecordPath().u16string().c_str(), header.c_str(), record.c_str()),
              c.outcome);
    // Refused before the file is opened: not even created.
    const std::uintmax_t size = c.outcome == SaveOutcome::kSaved
                                    ? 3 + 3u * (kHeaderCapacity - 1) + 3u * (kRecordCapacity - 1)
                                    : static_cast<std::uintmax_t>(-1);
    EXPECT_EQ(fs::file_size(RecordPath(), ignored), size);
  }
}

// Another window holding the lock: the save waits a bounded time and fails, leaving the file
// as it was; a lock let go within the wait costs nothing but the wait.
TEST_F(RecordFolderTest, SaveWaitsBoundedForAnotherWindowsLock) {
  ASSERT_TRUE(Save(TestTool()));
  const std::string before = ReadBytes(RecordPath());
  const AppendFile other = OpenAppendFile(RecordPath().u16string().c_str(), 0);
  ASSERT_EQ(LockAppendFile(other, 0), LockResult::kLocked);
  EXPECT_EQ(SaveWith(TestTool()), SaveOutcome::kHeldElsewhere);

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
  ASSERT_EQ(SaveToolRecord(nested.u16string().c_str(), TestTool(), kDefaultValues, kDefaultResult,
                           kSaveTime, path, kRecordPathCapacity),
            SaveOutcome::kSaved);
  EXPECT_EQ(ReadBytes(nested / "TarnMedSuite" / "records" / "T017.csv"),
            kBom + kHeaderBytes + kRecordBytes);
}

// Without a usable base folder nothing may be written (a relative or root path would be), and
// no path is named to the user as if it had been tried.
TEST_F(RecordFolderTest, MissingOrOverlongBaseFolderFails) {
  const std::u16string longBase = baseText_ + Sep() + std::u16string(kRecordsFolderCapacity, u'a');
  for (const std::u16string& base : {std::u16string(), longBase}) {
    char16_t path[kRecordPathCapacity] = u"x";
    EXPECT_EQ(SaveToolRecord(base.c_str(), TestTool(), kDefaultValues, kDefaultResult, kSaveTime,
                             path, kRecordPathCapacity),
              SaveOutcome::kNoFolder);
    EXPECT_EQ(std::u16string(path), u"");
  }
  EXPECT_TRUE(fs::is_empty(base_));
}

#if !defined(_WIN32)
// The XDG rule: XDG_DATA_HOME counts only as an absolute path; unset, empty or relative, the
// base is ~/.local/share. A relative one would put the records under whatever folder the
// program was started in.
TEST(RecordBaseFolder, XdgDataHomeOnlyWhenAbsolute) {
  struct Case {
    const char* xdg;  // null: unset
    const char* home;
    bool found;
    const char16_t* base;
  };
  const Case cases[] = {
      {"/data/x", "/home/u", true, u"/data/x"},
      {nullptr, "/home/u", true, u"/home/u/.local/share"},
      {"", "/home/u", true, u"/home/u/.local/share"},
      {"data/x", "/home/u", true, u"/home/u/.local/share"},
      {"./x", "/home/u", true, u"/home/u/.local/share"},
      {"data/x", "", false, u""},
  };
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const std::string xdgBefore = savedXdg != nullptr ? savedXdg : "";
  const char* savedHome = std::getenv("HOME");
  const std::string homeBefore = savedHome != nullptr ? savedHome : "";
  for (const Case& c : cases) {
    if (c.xdg != nullptr) setenv("XDG_DATA_HOME", c.xdg, 1);
    if (c.xdg == nullptr) unsetenv("XDG_DATA_HOME");
    setenv("HOME", c.home, 1);
    char16_t base[kBaseFolderCapacity];
    EXPECT_EQ(LocalAppDataFolder(base, kBaseFolderCapacity), c.found) << c.xdg;
    EXPECT_EQ(std::u16string(base), c.base) << (c.xdg != nullptr ? c.xdg : "(unset)");
  }
  if (savedXdg != nullptr) setenv("XDG_DATA_HOME", xdgBefore.c_str(), 1);
  if (savedXdg == nullptr) unsetenv("XDG_DATA_HOME");
  setenv("HOME", homeBefore.c_str(), 1);
}
#endif

}  // namespace
}  // namespace tarn
