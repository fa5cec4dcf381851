// Finding "--selftest" and its report path in the whole command line.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "app/selftest.h"
#include "platform/platform.h"

namespace tarn {
namespace {

struct Case {
  const char16_t* commandLine;
  bool selfTest;
  const char16_t* path;
};

TEST(ParseSelfTestCommand, EveryForm) {
  const Case cases[] = {
      {u"talvoro.exe", false, u""},
      {u"\"C:\\Program Files\\talvoro.exe\"", false, u""},
      {u"talvoro.exe --SELFTEST r.txt", false, u""},  // case-sensitive
      {u"talvoro.exe --selftest r.txt", true, u"r.txt"},
      {u"talvoro.exe --selftest", true, u"selftest.txt"},
      {u"talvoro.exe --selftest    ", true, u"selftest.txt"},
      {u"talvoro.exe --selftest \"\"", true, u"selftest.txt"},
      {u"talvoro.exe --selftest \"my report.txt\" more", true, u"my report.txt"},
      {u"talvoro.exe --selftest my report.txt", true, u"my"},
      {u"talvoro.exe --selftest \"C:\\a b\\unclosed", true, u"C:\\a b\\unclosed"},
      {u"talvoro.exe --selftestglued.txt", true, u"glued.txt"},
      {u"talvoro.exe --selftest\tr.txt", true, u"\tr.txt"},  // a tab is not skipped
      {u"talvoro.exe   --selftest   r.txt  x", true, u"r.txt"},
      {u"C:\\--selftest\\talvoro.exe", true, u"\\talvoro.exe"},  // inside the program path
      {u"talvoro.exe --selftest a --selftest b", true, u"a"},    // the first occurrence
      {u"talvoro.exe x--selftest", true, u"selftest.txt"},
  };
  for (const Case& c : cases) {
    char16_t path[kSelfTestPathCapacity];
    EXPECT_EQ(ParseSelfTestCommand(c.commandLine, path, kSelfTestPathCapacity), c.selfTest)
        << std::string(c.commandLine, c.commandLine + std::u16string(c.commandLine).size());
    EXPECT_EQ(std::u16string(path), std::u16string(c.path));
  }
}

TEST(ParseSelfTestCommand, LongPathsAreCutTo519Characters) {
  for (const bool quoted : {false, true}) {
    const std::u16string longPath(700, u'p');
    const std::u16string line =
        u"talvoro.exe --selftest " + (quoted ? u"\"" + longPath + u"\"" : longPath);
    char16_t path[kSelfTestPathCapacity + 4];
    std::fill(std::begin(path), std::end(path), u'#');
    ASSERT_TRUE(ParseSelfTestCommand(line.c_str(), path, kSelfTestPathCapacity));
    EXPECT_EQ(std::u16string(path), longPath.substr(0, 519));
    for (std::int32_t i = kSelfTestPathCapacity; i < kSelfTestPathCapacity + 4; ++i) {
      EXPECT_EQ(path[i], u'#');
    }
  }
}

TEST(ParseSelfTestCommand, SmallCapacitiesStayInside) {
  char16_t path[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_TRUE(ParseSelfTestCommand(u"x --selftest abcdef", path, 3));
  EXPECT_EQ(std::u16string(path), u"ab");
  EXPECT_EQ(path[3], u'#');
  EXPECT_TRUE(ParseSelfTestCommand(u"x --selftest", path, 1));
  EXPECT_EQ(path[0], 0);
  EXPECT_FALSE(ParseSelfTestCommand(nullptr, path, 4));
}

TEST(JoinArguments, QuotesArgumentsWithBlanks) {
  const char* argv[] = {"/usr/bin/talvoro", "--selftest", "my report.txt",
                        "\xe6\x8a\xa5\xe5\x91\x8a"};
  char16_t line[128];
  const std::int32_t length = JoinArguments(4, argv, line, 128);
  const std::u16string expected = u"/usr/bin/talvoro --selftest \"my report.txt\" 报告";
  EXPECT_EQ(std::u16string(line), expected);
  EXPECT_EQ(length, static_cast<std::int32_t>(expected.size()));
  char16_t small[8];
  JoinArguments(4, argv, small, 8);
  EXPECT_EQ(std::u16string(small), u"/usr/bi");
}

}  // namespace
}  // namespace tarn
