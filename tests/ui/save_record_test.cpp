// The save command in a live Win32 session: its message boxes (caught by a CBT hook and
// closed with OK), the status line, and the record file under the local app-data folder.
// The window state is set up here around a plain owner window and restored afterwards.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "engine/calc.h"
#include "engine/tool.h"
#include "platform/wide.h"
#include "text/buffer.h"
#include "ui/save_record.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner;
  bool ownerDisabled;  // the box was modal to its owner
};

std::vector<SeenBox> gSeenBoxes;  // boxes seen by the hook, in order
HHOOK gHook;                      // the CBT hook of this thread

LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (std::wcscmp(className, L"#32770") == 0) {
      SeenBox seen;
      wchar_t text[1024] = {};
      GetWindowTextW(box, text, 1024);
      seen.caption = text;
      text[0] = 0;
      GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 1024);
      seen.text = text;
      seen.owner = GetWindow(box, GW_OWNER);
      seen.ownerDisabled = seen.owner != nullptr && !IsWindowEnabled(seen.owner);
      gSeenBoxes.push_back(seen);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  return bytes;
}

std::string Digits(unsigned value, std::size_t width) {
  std::string text = std::to_string(value);
  return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
}

std::string Stamp(const SYSTEMTIME& t) {
  return Digits(t.wYear, 4) + "-" + Digits(t.wMonth, 2) + "-" + Digits(t.wDay, 2) + " " +
         Digits(t.wHour, 2) + ":" + Digits(t.wMinute, 2) + ":" + Digits(t.wSecond, 2);
}

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = Utf8(L"时间,工具,体重,每次剂量,混悬液浓度,结果\r\n");

class SaveRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(&saved_, &gWindow, sizeof gWindow);
    std::memset(&gWindow, 0, sizeof gWindow);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    gWindow.mainWindow = owner_;
    gWindow.tool = &GetBuiltInTool();
    CopyText(gWindow.statusText, kStatusTextCapacity, u"计算完成  Talvoro");

    wchar_t base[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base),
              S_OK);
    file_ = fs::path(base) / L"TarnMedSuite" / L"records" / L"T017.csv";
    std::error_code ignored;
    fs::remove_all(file_, ignored);
    gSeenBoxes.clear();
    gHook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    ASSERT_NE(gHook, nullptr);
  }
  void TearDown() override {
    UnhookWindowsHookEx(gHook);
    DestroyWindow(owner_);
    std::memcpy(&gWindow, &saved_, sizeof gWindow);
    std::error_code ignored;
    fs::remove_all(file_, ignored);
  }

  // A calculation of the built-in tool as the calculate command runs it.
  void Calculate(double weight, double dose, double concentration) {
    gWindow.inputValues[0] = weight;
    gWindow.inputValues[1] = dose;
    gWindow.inputValues[2] = concentration;
    char16_t result[4096];
    char16_t verdict[512];
    tarn::Calculate(*gWindow.tool, gWindow.inputValues, result, 4096, verdict, 512,
                    gWindow.verdictLevel, gWindow.lastResultText, kLastResultCapacity);
  }

  std::wstring Status() const { return AsWide(gWindow.statusText); }

  WindowState saved_;
  HWND owner_ = nullptr;
  fs::path file_;
};

TEST_F(SaveRecordTest, WithoutResultOnlyAsksForACalculation) {
  SaveRecord();
  ASSERT_EQ(gSeenBoxes.size(), 1u);
  EXPECT_EQ(gSeenBoxes[0].caption, L"提示");
  EXPECT_EQ(gSeenBoxes[0].text, L"请先点击“计算”生成结果，再保存记录。");
  EXPECT_EQ(gSeenBoxes[0].owner, owner_);
  EXPECT_TRUE(gSeenBoxes[0].ownerDisabled);
  EXPECT_EQ(Status(), L"计算完成  Talvoro");
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(SaveRecordTest, AfterCalculationAppendsToTheLocalAppDataFile) {
  Calculate(12, 10, 20);
  SYSTEMTIME before;
  GetLocalTime(&before);
  SaveRecord();
  SYSTEMTIME after;
  GetLocalTime(&after);

  ASSERT_EQ(gSeenBoxes.size(), 1u);
  EXPECT_EQ(gSeenBoxes[0].caption, L"已保存");
  EXPECT_EQ(gSeenBoxes[0].text, L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。");
  EXPECT_EQ(gSeenBoxes[0].owner, owner_);
  EXPECT_EQ(Status(), L"记录已保存：" + file_.wstring());

  const std::string bytes = ReadBytes(file_);
  const std::string body =
      Utf8(L",Talvoro,体重=12,每次剂量=10,混悬液浓度=20,单次剂量：120.0 mg\r\n"
           L"给药体积：6.00 ml\r\n每日上限：480 mg\r\n\r\n");
  ASSERT_EQ(bytes.size(), kBom.size() + kHeader.size() + 19 + body.size());
  EXPECT_EQ(bytes.substr(0, kBom.size() + kHeader.size()), kBom + kHeader);
  const std::string stamp = bytes.substr(kBom.size() + kHeader.size(), 19);
  EXPECT_LE(Stamp(before), stamp);
  EXPECT_GE(Stamp(after), stamp);
  EXPECT_EQ(bytes.substr(kBom.size() + kHeader.size() + 19), body);

  // A second save adds one record and no header.
  SaveRecord();
  const std::string twice = ReadBytes(file_);
  EXPECT_EQ(twice.size(), bytes.size() + 19 + body.size());
  EXPECT_EQ(twice.find(kHeader, kBom.size() + kHeader.size()), std::string::npos);
}

// A record that could not be written must be reported, not announced as saved.
TEST_F(SaveRecordTest, FolderInPlaceOfTheFileIsReportedAndWritesNothing) {
  Calculate(12, 10, 20);
  fs::create_directories(file_);
  SaveRecord();
  ASSERT_EQ(gSeenBoxes.size(), 1u);
  EXPECT_EQ(gSeenBoxes[0].caption, L"保存失败");
  EXPECT_EQ(gSeenBoxes[0].text, L"记录未能保存：" + file_.wstring());
  EXPECT_EQ(gSeenBoxes[0].owner, owner_);
  EXPECT_EQ(Status(), L"计算完成  Talvoro");
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_TRUE(fs::is_empty(file_));
}

// The values stored by a refused calculation are saved beside the last completed result.
TEST_F(SaveRecordTest, SaveAfterRefusedInputWritesStoredValues) {
  Calculate(12, 10, 20);
  gWindow.inputValues[0] = 15;  // a refused run stores the values read before it stopped
  gWindow.inputValues[1] = std::numeric_limits<double>::infinity();
  SaveRecord();
  ASSERT_EQ(gSeenBoxes.size(), 1u);
  EXPECT_EQ(gSeenBoxes[0].caption, L"已保存");
  const std::string bytes = ReadBytes(file_);
  EXPECT_NE(bytes.find(Utf8(L",Talvoro,体重=15,每次剂量=inf,混悬液浓度=20,单次剂量：120.0 mg\r\n")),
            std::string::npos);
}

}  // namespace
}  // namespace tarn
