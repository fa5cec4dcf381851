// The save command: appends the last calculation to the tool's record file and tells the
// user how it went. The file's names, texts and writing live in records/; this file owns
// only the window side: reading gWindow, the clock read once, message boxes, status line.
#include "ui/save_record.h"

#include <windows.h>

#include <cstdint>

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
};

}  // namespace

void SaveRecord() {
  if (IsEmpty(gWindow.lastResultText)) {
    ShowMessage(u"请先点击“计算”生成结果，再保存记录。", u"提示", MB_ICONINFORMATION);
    return;
  }
  if (RefuseStaleResult(u"保存记录")) return;  // never a record beside other inputs

  // A failed query leaves the base empty; the save then refuses rather than write to a
  // folder relative to the drive's root, and the user is told.
  char16_t baseFolder[kBaseFolderCapacity];
  if (!LocalAppDataFolder(baseFolder, kBaseFolderCapacity)) baseFolder[0] = 0;

  // One reading of the clock stamps the record.
  const LocalDateTime now = LocalNow();
  char16_t resultText[kRecordResultTextCapacity];
  CopyText(resultText, kRecordResultTextCapacity, gWindow.copyText);
  AppendBounded(resultText, kRecordResultTextCapacity, u"\r\n");
  char16_t path[kRecordPathCapacity];
  const SaveOutcome outcome = SaveToolRecord(baseFolder, *gWindow.tool, gWindow.lastResultInputs,
                                             resultText, now, path, kRecordPathCapacity);
  if (outcome != SaveOutcome::kSaved) {
    // A lost or doubtful record must not pass unnoticed; the status line keeps its text.
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

}  // namespace tarn
