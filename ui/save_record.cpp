// The save command: appends the last calculation to the tool's record file and tells the
// user how it went. The file's names, texts and writing live in records/; this file owns
// only the window side: reading gWindow, the clock read once, the worker thread that writes,
// message boxes, status line. The worker touches its own job and nothing of gWindow.
#include "ui/save_record.h"

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "records/record_file.h"
#include "text/buffer.h"
#include "text/format.h"
#include "ui/commands.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

// A box's text and a path of up to 519 units.
constexpr std::int32_t kFailureTextCapacity = 700;

// A record's result is the copy text (the whole result and its "—— " verdict line, built in
// one place) and a line end, so a saved flagged result keeps its flag and a record still ends
// with an empty line.
constexpr std::int32_t kRecordResultTextCapacity = kCopyTextCapacity + 2;
static_assert(kRecordResultCapacity >= kRecordResultTextCapacity,
              "a record holds the whole result and its verdict");

// What the user is told of a save that did not end in the file for sure; the path is the
// template's one argument.
struct FailureBox {
  SaveOutcome outcome;
  const char16_t* caption;
  const char16_t* text;
};
constexpr FailureBox kFailureBoxes[] = {
    {SaveOutcome::kFailed, u"保存失败", u"记录未能保存：%ls"},
    {SaveOutcome::kHeldElsewhere, u"保存失败",
     u"记录文件正被其他程序打开（例如电子表格），本次未写入。请关闭该文件后再保存：%ls"},
    {SaveOutcome::kUnknown, u"保存结果不明",
     u"记录可能已经写入，但未能确认。请先打开记录文件核对，再决定是否重新保存：%ls"},
    {SaveOutcome::kOtherEncoding, u"保存失败",
     u"记录文件已被其他程序另存为其他编码（例如电子表格的“Unicode 文本”），本次未写入，该文件保持"
     u"原样。请将该文件改名或移走后再保存（将新建记录文件）：%ls"},
    {SaveOutcome::kNoFolder, u"保存失败",
     u"未能找到本机的应用数据文件夹（或其路径过长），记录未能保存，未写入任何文件。"},
};

// The status line while a save runs, when a second save is refused meanwhile, and when the
// window waits for the save before it closes.
constexpr char16_t kSavingStatus[] = u"正在保存记录，请稍候…";
constexpr char16_t kBusyStatus[] = u"上一条记录仍在保存，请稍候；本次未重复保存";
constexpr char16_t kClosingStatus[] = u"正在保存记录，保存完成后窗口将关闭…";

// One save's own copy of everything it writes, so the window may calculate, reset or close
// meanwhile. Filled by the window thread before the worker starts; `outcome` and `path` are
// the worker's, read by the window thread only once the worker has ended.
struct SaveJob {
  const ToolDef* tool;
  double inputValues[kMaxInputs];
  char16_t resultText[kRecordResultTextCapacity];
  LocalDateTime time;
  HWND window;  // where the end is posted
  SaveOutcome outcome;
  char16_t path[kRecordPathCapacity];
};

SaveJob gJob;                                 // the running or last save
bool gRunning = false;                        // from the start of a save until its end is told
HANDLE gWorker = nullptr;                     // the running save's thread; null when none
bool gCloseWhenDone = false;                  // the user closed the window during the save
char16_t gStatusBefore[kStatusTextCapacity];  // the status line the save replaced

void SetStatus(const char16_t* text) {
  CopyText(gWindow.statusText, kStatusTextCapacity, text);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
}

// The worker: the whole save, from the base folder (a network profile may be slow to answer)
// to the flushed append.
DWORD WINAPI RunSaveJob(void* parameter) {
  SaveJob& job = *static_cast<SaveJob*>(parameter);
  // A failed query leaves the base empty; the save then refuses rather than write to a
  // folder relative to the drive's root, and the user is told that no folder was found.
  char16_t baseFolder[kBaseFolderCapacity];
  if (!LocalAppDataFolder(baseFolder, kBaseFolderCapacity)) baseFolder[0] = 0;
  job.outcome = SaveToolRecord(baseFolder, *job.tool, job.inputValues, job.resultText, job.time,
                               job.path, kRecordPathCapacity);
  PostMessageW(job.window, kSaveDoneMessage, 0, 0);  // gone with the window: nothing to tell
  return 0;
}

// Copies what the save writes into the job and starts the worker; without a thread the save
// runs here and is told at once.
void StartSave(const char16_t* resultText) {
  gJob.tool = gWindow.tool;
  for (std::int32_t i = 0; i < kMaxInputs; ++i) gJob.inputValues[i] = gWindow.lastResultInputs[i];
  CopyText(gJob.resultText, kRecordResultTextCapacity, resultText);
  AppendBounded(gJob.resultText, kRecordResultTextCapacity, u"\r\n");
  gJob.time = LocalNow();  // one reading of the clock stamps the record
  gJob.window = gWindow.mainWindow;
  gJob.outcome = SaveOutcome::kFailed;
  gJob.path[0] = 0;
  CopyText(gStatusBefore, kStatusTextCapacity, gWindow.statusText);
  SetStatus(kSavingStatus);
  gRunning = true;
  gWorker = CreateThread(nullptr, 0, RunSaveJob, &gJob, 0, nullptr);
  if (gWorker == nullptr) RunSaveJob(&gJob);  // its message ends the save as from a thread
}

// Waits for the worker, which has ended or is about to.
void JoinWorker() {
  if (gWorker == nullptr) return;
  WaitForSingleObject(gWorker, INFINITE);
  CloseHandle(gWorker);
  gWorker = nullptr;
}

// The status line goes back to what it said before the save, unless a command changed it
// meanwhile.
void RestoreStatus() {
  const std::u16string_view now = gWindow.statusText;
  if (now == kSavingStatus || now == kBusyStatus || now == kClosingStatus) {
    SetStatus(gStatusBefore);
  }
}

void ShowOutcome(SaveOutcome outcome, const char16_t* path) {
  if (outcome != SaveOutcome::kSaved) {
    // A lost or doubtful record must not pass unnoticed; the status line keeps its text.
    RestoreStatus();
    const FailureBox* box = &kFailureBoxes[0];
    for (const FailureBox& candidate : kFailureBoxes) {
      if (candidate.outcome == outcome) box = &candidate;
    }
    char16_t failure[kFailureTextCapacity];
    Format(failure, kFailureTextCapacity, box->text, path);
    ShowMessage(failure, box->caption, MB_ICONWARNING);
    return;
  }
  Format(gWindow.statusText, kStatusTextCapacity, u"记录已保存：%ls", path);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
  ShowMessage(u"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。", u"已保存",
              MB_ICONINFORMATION);
}

}  // namespace

void SaveRecord() {
  if (IsEmpty(gWindow.lastResultText)) {
    ShowMessage(u"请先点击“计算”生成结果，再保存记录。", u"提示", MB_ICONINFORMATION);
    return;
  }
  if (RefuseStaleResult(u"保存记录")) return;  // never a record beside other inputs
  if (SaveInProgress()) {
    // One save at a time: a second press would most often save the same result twice.
    SetStatus(gCloseWhenDone ? kClosingStatus : kBusyStatus);
    return;
  }
  StartSave(gWindow.copyText);
}

void OnSaveDone() {
  if (!gRunning) return;  // a save ended by the window's destruction has nothing to tell
  JoinWorker();
  gRunning = false;
  ShowOutcome(gJob.outcome, gJob.path);
  if (gCloseWhenDone) {
    gCloseWhenDone = false;
    DestroyWindow(gWindow.mainWindow);
  }
}

bool SaveInProgress() { return gRunning; }

bool HoldCloseForSave() {
  if (!SaveInProgress()) return false;
  gCloseWhenDone = true;
  SetStatus(kClosingStatus);
  return true;
}

void FinishSaveBeforeDestroy() {
  JoinWorker();
  gRunning = false;
  gCloseWhenDone = false;
}

}  // namespace tarn
