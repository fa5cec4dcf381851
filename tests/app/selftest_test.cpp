// The self-test report: exact lines, failure counting, flattening, and the file it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/selftest.h"
#include "test_support.h"

namespace tarn {
namespace {

const char kBuiltInReport[] =
    "TOOL|17|Talvoro|儿科用药\r\n"
    "LEVEL|0\r\n"
    "OUT|单次剂量|120.0|mg\r\n"
    "OUT|给药体积|6.00|ml\r\n"
    "OUT|每日上限|480|mg\r\n"
    "VERDICT|按体重计算完成，餐后服用减少胃肠刺激\r\n"
    "DETAIL|单次剂量：120.0 mg 给药体积：6.00 ml 每日上限：480 mg \r\n"
    "ERRORS|0\r\n";

TEST(SelfTest, BuiltInToolWritesTheEightLinesByteForByte) {
  const TempFolder folder;
  const std::u16string path = folder.Path(u"r.txt");
  EXPECT_EQ(RunSelfTest(path.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(path), std::string(kBuiltInReport));
}

// A tool whose outputs fail, have no unit, or read another output.
constexpr ToolInput kInputs[] = {{"a", u"a", nullptr, 4}};
constexpr ToolOutput kOutputs[] = {
    {"x", u"无单位", nullptr, "a*2", "f0"},
    {"y", u"除零", u"ml", "a/0", nullptr},
    {"z", u"读前者", u"", "x+1", "f0"},  // reads 0 for x in the self-test
    {"n", u"无穷", u"", "exp(1000)", nullptr},
};
constexpr ToolRule kRules[] = {{"a > 3", 1, u"高"}};
constexpr ToolDef kFailingTool = {204,     u"测|试", u"s",     u"类", u"r",   nullptr, 1,
                                  kInputs, 4,        kOutputs, 1,     kRules, 0};

TEST(SelfTest, FailedOutputsAreCountedAndStillWritten) {
  char16_t report[kSelfTestReportCapacity];
  EXPECT_EQ(BuildSelfTestReport(kFailingTool, report, kSelfTestReportCapacity), 2);
  EXPECT_EQ(std::u16string(report),
            u"TOOL|204|测|试|类\r\n"
            u"LEVEL|3\r\n"
            u"OUT|无单位|8|\r\n"
            u"OUT|除零|--|ml\r\n"
            u"OUT|读前者|1|\r\n"
            u"OUT|无穷|--|\r\n"
            u"VERDICT|部分结果无法计算，请核对输入后重新计算\r\n"  // never under "高" (level 1)
            u"DETAIL|无单位：8 除零：-- ml 读前者：9 无穷：-- "
            u"（部分结果无法计算，请检查输入是否合理） \r\n"
            u"ERRORS|2\r\n");
}

TEST(SelfTest, DetailDropsCarriageReturnsAndStopsAfter8000Characters) {
  std::u16string text;
  for (int i = 0; i < 1000; ++i) text += u"abcdefgh\r\n";  // 9 kept per line, 9000 in all
  static char16_t report[kSelfTestReportCapacity];
  report[0] = 0;
  AppendFlattenedDetail(report, kSelfTestReportCapacity, text.c_str());
  const std::u16string flat(report);
  ASSERT_EQ(flat.size(), 8000u);
  EXPECT_EQ(flat.substr(0, 18), u"abcdefgh abcdefgh ");
  EXPECT_EQ(flat.find(u'\r'), std::u16string::npos);
  report[0] = 0;
  AppendFlattenedDetail(report, kSelfTestReportCapacity, u"a\r\r\nb\n\nc");
  EXPECT_EQ(std::u16string(report), u"a b  c");
}

TEST(SelfTest, ReportNeverPassesItsCapacity) {
  for (std::int32_t capacity = 1; capacity < 400; capacity += 7) {
    tarn_test::GuardedText<420> report;
    BuildSelfTestReport(GetBuiltInTool(), report.units, capacity);
    EXPECT_LT(report.Text().size(), static_cast<std::size_t>(capacity));
    ASSERT_TRUE(report.UntouchedFrom(capacity)) << capacity;
  }
}

TEST(WriteUtf8File, LongTextIsWrittenWhole) {
  // The sounder file writer: a report whose UTF-8 form passes 8191 bytes is not lost.
  const TempFolder folder;
  const std::u16string path = folder.Path(u"long.txt");
  const std::u16string text(6000, u'长');  // 18000 bytes in UTF-8
  WriteUtf8File(path.c_str(), text.c_str());
  const std::string bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 18000u);
  EXPECT_EQ(bytes.substr(0, 3), "\xe9\x95\xbf");
}

TEST(WriteUtf8File, TruncatesAndSkipsMissingFolders) {
  const TempFolder folder;
  const std::u16string path = folder.Path(u"f.txt");
  WriteUtf8File(path.c_str(), u"first, longer text");
  WriteUtf8File(path.c_str(), u"二");
  EXPECT_EQ(ReadFileBytes(path), "\xe4\xba\x8c");
  const std::u16string missing = folder.Path(u"no-such-folder/x.txt");
  WriteUtf8File(missing.c_str(), u"x");  // nothing to open: nothing happens
  EXPECT_FALSE(FileExists(missing));
}

// A self-test that could not write its report once exited 0, so a deployment script passed a
// machine where nothing was written. Not writing it is exit code 3, ahead of a failed output.
TEST(SelfTest, AReportThatCannotBeWrittenExitsWithThree) {
  const TempFolder folder;
  const std::u16string written = folder.Path(u"r.txt");
  const std::u16string missingFolder = folder.Path(u"no-such-folder/r.txt");
  const std::u16string aFolder = folder.Path(u"");
  const struct {
    const ToolDef* tool;
    const std::u16string* path;
    int code;
  } cases[] = {
      {&GetBuiltInTool(), &written, kSelfTestPassed},
      {&kFailingTool, &written, kSelfTestOutputFailed},
      {&GetBuiltInTool(), &missingFolder, kSelfTestReportNotWritten},
      {&kFailingTool, &missingFolder, kSelfTestReportNotWritten},
      {&GetBuiltInTool(), &aFolder, kSelfTestReportNotWritten},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(RunSelfTest(*c.tool, c.path->c_str()), c.code);
    EXPECT_EQ(FileExists(*c.path), c.path == &written || c.path == &aFolder);
  }
  EXPECT_TRUE(TryWriteUtf8File(written.c_str(), u""));  // an empty report is still written
  EXPECT_FALSE(TryWriteUtf8File(missingFolder.c_str(), u"x"));
}

#if !defined(_WIN32)
// A full disk often shows only when the last bytes are flushed at close.
TEST(SelfTest, AFullDiskIsNotWritten) {
  if (!FileExists(u"/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_FALSE(TryWriteUtf8File(u"/dev/full", u"short"));
  EXPECT_EQ(RunSelfTest(u"/dev/full"), kSelfTestReportNotWritten);
}
#endif

}  // namespace
}  // namespace tarn
