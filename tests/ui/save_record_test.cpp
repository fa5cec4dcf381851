// The save button in the real window: its message boxes, the status line, and the record
// file under the local application-data folder of this (Wine) profile.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/main_window.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(bytes.size() - 1);
  return bytes;
}

std::string Digits(unsigned value, std::size_t width) {
  const std::string text = std::to_string(value);
  return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
}

std::string Stamp(const SYSTEMTIME& t) {
  return Digits(t.wYear, 4) + "-" + Digits(t.wMonth, 2) + "-" + Digits(t.wDay, 2) + " " +
         Digits(t.wHour, 2) + ":" + Digits(t.wMinute, 2) + ":" + Digits(t.wSecond, 2);
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = Utf8(L"时间,工具,体重,每次剂量,混悬液浓度,结果\r\n");
const std::string kDefaultRecordBody = Utf8(
    L",Talvoro,体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg\r\n"
    L"给药体积：6.00 ml\r\n每日上限：480 mg\r\n—— 按体重计算完成，餐后服用减少胃肠刺激\r\n\r\n");
constexpr std::size_t kStampLength = 19;

class SaveRecordTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    wchar_t base[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base),
              S_OK);
    file_ = fs::path(base) / L"TarnMedSuite" / L"records" / L"T017.csv";
    std::error_code ignored;
    fs::remove_all(file_, ignored);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(file_, ignored);
    WindowTest::TearDown();
  }
  std::u16string Status() const { return gWindow.statusText; }
  std::u16string FilePath() const { return file_.u16string(); }

  fs::path file_;
};

TEST_F(SaveRecordTest, WithoutAResultOnlyAsksForACalculation) {
  const std::u16string statusAtStart = Status();
  Command(kSaveButtonId);  // before any calculation
  EXPECT_EQ(Status(), statusAtStart);
  PressKey(Edit(0), VK_F5);
  Command(kResetButtonId);
  Command(kSaveButtonId);  // after reset
  ASSERT_EQ(boxes_->Boxes().size(), 2u);
  for (const SeenBox& box : boxes_->Boxes()) {
    EXPECT_EQ(box.caption, u"提示");
    EXPECT_EQ(box.text, u"请先点击“计算”生成结果，再保存记录。");
    EXPECT_TRUE(box.ownedByMainWindow);
    EXPECT_TRUE(box.mainWindowDisabled);
  }
  EXPECT_EQ(Status(), u"已恢复默认值");
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(SaveRecordTest, AfterACalculationTheRecordIsAppendedAndAnnounced) {
  PressKey(Edit(0), VK_F5);
  SYSTEMTIME before;
  GetLocalTime(&before);
  Command(kSaveButtonId);
  SYSTEMTIME after;
  GetLocalTime(&after);

  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"已保存");
  EXPECT_EQ(boxes_->Boxes()[0].text, u"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。");
  EXPECT_TRUE(boxes_->Boxes()[0].ownedByMainWindow);
  EXPECT_EQ(Status(), u"记录已保存：" + FilePath());

  const std::string bytes = ReadBytes(file_);
  const std::size_t recordStart = kBom.size() + kHeader.size();
  ASSERT_EQ(bytes.size(), recordStart + kStampLength + kDefaultRecordBody.size());
  EXPECT_EQ(bytes.substr(0, recordStart), kBom + kHeader);
  const std::string stamp = bytes.substr(recordStart, kStampLength);
  EXPECT_LE(Stamp(before), stamp);
  EXPECT_GE(Stamp(after), stamp);
  EXPECT_EQ(bytes.substr(recordStart + kStampLength), kDefaultRecordBody);

  // A second save adds one record and no second header.
  Command(kSaveButtonId);
  const std::string twice = ReadBytes(file_);
  EXPECT_EQ(twice.size(), bytes.size() + kStampLength + kDefaultRecordBody.size());
  EXPECT_EQ(twice.find(kHeader, recordStart), std::string::npos);
}

// "单次剂量：500.0 mg" was once saved without the warning the window showed beside it.
TEST_F(SaveRecordTest, AFlaggedResultIsSavedWithItsVerdictLine) {
  SetInput(0, u"5");
  SetInput(1, u"100");
  PressKey(Edit(0), VK_F5);
  Command(kSaveButtonId);
  const std::string bytes = ReadBytes(file_);
  const std::string body = Utf8(
      L",Talvoro,体重=5,每次剂量=100,混悬液浓度=20,单次剂量：500.0 mg\r\n"
      L"给药体积：25.00 ml\r\n每日上限：200 mg\r\n"
      L"—— 单次剂量超过儿童单次最大量 400 mg，请核对体重与每次剂量\r\n\r\n");
  ASSERT_GE(bytes.size(), body.size());
  EXPECT_EQ(bytes.substr(bytes.size() - body.size()), body);
}

// A record that could not be written is reported, never announced as saved.
TEST_F(SaveRecordTest, FolderInPlaceOfTheFileIsReportedAndWritesNothing) {
  PressKey(Edit(0), VK_F5);
  const std::u16string statusBefore = Status();
  fs::create_directories(file_);
  Command(kSaveButtonId);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"保存失败");
  EXPECT_EQ(boxes_->Boxes()[0].text, u"记录未能保存：" + FilePath());
  EXPECT_TRUE(boxes_->Boxes()[0].ownedByMainWindow);
  EXPECT_EQ(Status(), statusBefore);
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_TRUE(fs::is_empty(file_));
}

// A refused calculation keeps the earlier result, whose inputs the boxes no longer hold: the
// save refuses it (never a record of one result beside other inputs) and writes nothing.
TEST_F(SaveRecordTest, SaveAfterARefusedInputAsksForANewCalculation) {
  PressKey(Edit(0), VK_F5);
  SetInput(0, u"15");
  SetInput(1, u"1e999");
  PressKey(Edit(0), VK_F5);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"输入有误");
  boxes_->Clear();
  Command(kSaveButtonId);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"请重新计算");
  EXPECT_EQ(Status(), u"输入已更改，请按 F5 重新计算");
  EXPECT_FALSE(fs::exists(file_));
}

// Another program holding the file: the save says so and asks to close it, writes nothing,
// and the window goes on. A spreadsheet shares reading only; another window's lock outlasts
// the bounded wait.
TEST_F(SaveRecordTest, FileHeldByAnotherProgramIsNamedAsSuch) {
  struct Case {
    const char* name;
    DWORD share;
    bool lock;
  };
  const Case cases[] = {
      {"spreadsheet", FILE_SHARE_READ, false},
      {"another window's lock", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
  };
  PressKey(Edit(0), VK_F5);
  Command(kSaveButtonId);
  const std::string before = ReadBytes(file_);
  const std::u16string statusBefore = Status();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_->Clear();
    const HANDLE other = CreateFileW(file_.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, c.share,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    if (c.lock) {
      ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole));
    }
    Command(kSaveButtonId);
    if (c.lock) UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(other);
    ASSERT_EQ(boxes_->Boxes().size(), 1u);
    EXPECT_EQ(boxes_->Boxes()[0].caption, u"保存失败");
    EXPECT_EQ(boxes_->Boxes()[0].text,
              u"记录文件正被其他程序打开（例如电子表格），本次未写入。请关闭该文件后再保存：" +
                  FilePath());
    EXPECT_TRUE(boxes_->Boxes()[0].ownedByMainWindow);
    EXPECT_EQ(Status(), statusBefore);
    EXPECT_EQ(ReadBytes(file_), before);
  }
}

// A torn last line left by another program: the next record starts a line of its own.
TEST_F(SaveRecordTest, RecordAfterATornTailStartsItsOwnLine) {
  PressKey(Edit(0), VK_F5);
  fs::create_directories(file_.parent_path());
  { std::ofstream(file_, std::ios::binary) << kBom << kHeader << "2024-03-05 08:07:09,Talvoro,体"; }
  const std::string before = ReadBytes(file_);
  Command(kSaveButtonId);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"已保存");
  const std::string bytes = ReadBytes(file_);
  ASSERT_EQ(bytes.size(), before.size() + 2 + kStampLength + kDefaultRecordBody.size());
  EXPECT_EQ(bytes.substr(0, before.size() + 2), before + "\r\n");
  EXPECT_EQ(bytes.substr(before.size() + 2 + kStampLength), kDefaultRecordBody);
}

}  // namespace
}  // namespace tarn
