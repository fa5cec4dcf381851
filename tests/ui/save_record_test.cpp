// The save button in the real window: its message boxes, the status line, and the record
// file under the local application-data folder of this (Wine) profile.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "ui/main_window.h"
#include "ui/save_record.h"
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
  // Presses the save button and runs the message loop until the save has ended and told.
  static void SaveAndWait() {
    Command(kSaveButtonId);
    WaitForSave();
  }
  // The record file opened and locked whole, as another window saving holds it; closing the
  // handle lets go.
  HANDLE LockAsAnotherWindow() const {
    fs::create_directories(file_.parent_path());
    const HANDLE other = CreateFileW(file_.wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    OVERLAPPED whole{};
    LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
    return other;
  }
  static void WaitForSave() {
    while (SaveInProgress()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Pump();
    }
  }
  std::u16string FilePath() const { return file_.u16string(); }

  fs::path file_;
};

TEST_F(SaveRecordTest, WithoutAResultOnlyAsksForACalculation) {
  const std::u16string statusAtStart = Status();
  SaveAndWait();  // before any calculation
  EXPECT_EQ(Status(), statusAtStart);
  PressKey(Edit(0), VK_F5);
  Command(kResetButtonId);
  SaveAndWait();  // after reset
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
  SaveAndWait();
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
  SaveAndWait();
  const std::string twice = ReadBytes(file_);
  EXPECT_EQ(twice.size(), bytes.size() + kStampLength + kDefaultRecordBody.size());
  EXPECT_EQ(twice.find(kHeader, recordStart), std::string::npos);
}

// A record that could not be written is reported, never announced as saved, and names the
// file; a file re-saved by another program as UTF-16 is left byte for byte, and the box says why.
TEST_F(SaveRecordTest, FileThatCannotTakeTheRecordIsReportedAndKeptAsItIs) {
  struct Case {
    const char* name;
    std::string utf16;  // empty: a folder stands in place of the file
    const char16_t* text;
  };
  const Case cases[] = {
      {"folder in place of the file", "", u"记录未能保存："},
      {"re-saved as UTF-16", std::string("\xFF\xFE\x36\x65\xF4\x95\r\x00\n\x00", 10),
       u"记录文件已被其他程序另存为其他编码（例如电子表格的“Unicode 文本”），本次未写入，"
       u"该文件保持原样。请将该文件改名或移走后再保存（将新建记录文件）："},
  };
  PressKey(Edit(0), VK_F5);
  const std::u16string statusBefore = Status();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_->Clear();
    std::error_code ignored;
    fs::remove_all(file_, ignored);
    fs::create_directories(c.utf16.empty() ? file_ : file_.parent_path());
    if (!c.utf16.empty()) std::ofstream(file_, std::ios::binary) << c.utf16;
    SaveAndWait();
    ASSERT_EQ(boxes_->Boxes().size(), 1u);
    EXPECT_EQ(boxes_->Boxes()[0].caption, u"保存失败");
    EXPECT_EQ(boxes_->Boxes()[0].text, c.text + FilePath());
    EXPECT_TRUE(boxes_->Boxes()[0].ownedByMainWindow);
    EXPECT_EQ(Status(), statusBefore);
    EXPECT_EQ(fs::is_directory(file_), c.utf16.empty());
    EXPECT_EQ(ReadBytes(file_), c.utf16);  // a folder reads as nothing
  }
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
  SaveAndWait();
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
  SaveAndWait();
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
    SaveAndWait();
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
  SaveAndWait();
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"已保存");
  const std::string bytes = ReadBytes(file_);
  ASSERT_EQ(bytes.size(), before.size() + 2 + kStampLength + kDefaultRecordBody.size());
  EXPECT_EQ(bytes.substr(0, before.size() + 2), before + "\r\n");
  EXPECT_EQ(bytes.substr(before.size() + 2 + kStampLength), kDefaultRecordBody);
}

// The save once ran on the window's thread: while it waited for another window's lock the
// window neither painted nor answered, and a close cut it off. Now another thread is answered
// during the wait, a second press is refused, a close waits for the save to end and be told,
// and exactly one record is written.
TEST_F(SaveRecordTest, WindowAnswersWhileASaveWaitsAndClosesOnlyAfterIt) {
  PressKey(Edit(0), VK_F5);
  const HANDLE other = LockAsAnotherWindow();
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  Command(kSaveButtonId);
  EXPECT_TRUE(SaveInProgress());
  EXPECT_EQ(Status(), u"正在保存记录，请稍候…");
  Command(kSaveButtonId);
  EXPECT_EQ(Status(), u"上一条记录仍在保存，请稍候；本次未重复保存");
  PostMessageW(window_, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(Status(), u"正在保存记录，保存完成后窗口将关闭…");
  bool answered = false;
  std::thread probe([&] {
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    CloseHandle(other);  // lets go of the lock, only once the window has answered
  });
  WaitForSave();
  probe.join();
  EXPECT_TRUE(answered);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"已保存");
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(ReadBytes(file_).size(),
            kBom.size() + kHeader.size() + kStampLength + kDefaultRecordBody.size());
}

// The local app-data folder on a network path that is gone: the query fails, and the box once
// named "\TarnMedSuite\records\T017.csv", a path that was never tried. It says what happened.
TEST_F(SaveRecordTest, MissingAppDataFolderIsSaidSoWithoutAMadeUpPath) {
  constexpr wchar_t kShellFolders[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  wchar_t saved[MAX_PATH] = {};
  DWORD size = sizeof saved;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Local AppData",
                         RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, saved, &size),
            ERROR_SUCCESS);
  const auto setFolder = [&](const wchar_t* folder) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Local AppData", REG_EXPAND_SZ,
                           folder, static_cast<DWORD>((wcslen(folder) + 1) * sizeof(wchar_t)));
  };
  PressKey(Edit(0), VK_F5);
  const std::u16string statusBefore = Status();
  const LSTATUS set = setFolder(L"\\\\gone\\share\\AppData\\Local");
  SaveAndWait();
  setFolder(saved);
  ASSERT_EQ(set, ERROR_SUCCESS);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].caption, u"保存失败");
  EXPECT_EQ(boxes_->Boxes()[0].text,
            u"未能找到本机的应用数据文件夹（或其路径过长），记录未能保存，未写入任何文件。");
  EXPECT_EQ(Status(), statusBefore);
}

}  // namespace
}  // namespace tarn
