// Faults of the system under one save, made by our own injector (fault_inject.c, loaded by
// CTest with LD_PRELOAD; under Wine into wine64 and its wineserver): what the user is told, what
// the file holds after the faulty save, and the file after the next, fault-free save. The same
// table runs in both builds; skipped with the reason when the injector is not loaded.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "record_test_util.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

class RecordFaultTest : public RecordFolderTest {
 protected:
  void SetUp() override {
    RecordFolderTest::SetUp();
    const char* control = std::getenv("TARN_FAULT_CONTROL");
    if (control == nullptr || control[0] == 0) {
      GTEST_SKIP() << "TARN_FAULT_CONTROL is unset: run through CTest, which preloads the "
                      "fault injector";
    }
    control_ = control;
#if defined(_WIN32)
    // The Linux path through Wine's drive for the whole Linux tree.
    for (char& c : control_) c = c == '/' ? '\\' : c;
    control_ = "Z:" + control_;
#endif
    fs::create_directories(RecordPath().parent_path());
    // The injector must answer, or every row would pass for the wrong reason.
    Inject("0 fail");
    const bool answered = SaveWith(TestTool()) == SaveOutcome::kFailed;
    Inject("");
    if (!answered) GTEST_SKIP() << "the fault injector is not loaded (LD_PRELOAD)";
  }
  void TearDown() override {
    if (!control_.empty()) Inject("");
    RecordFolderTest::TearDown();
  }
  // "BYTES FAULT..." for the record file from now on; empty: no fault.
  void Inject(const std::string& fault) {
    std::ofstream(control_, std::ios::binary | std::ios::trunc)
        << ++generation_ << " TarnMedSuite/records/T017.csv " << (fault.empty() ? "0" : fault)
        << "\n";
  }

  std::string control_;
  std::int64_t generation_ = 0;
};

TEST_F(RecordFaultTest, EachFaultIsToldAndTheNextRecordIsWhole) {
  enum Start { kEmpty, kOneRecord, kTornTail, kMarkOnly };
  struct Case {
    const char* fault;
    Start start;
    SaveOutcome told;
    std::string afterFault;  // the bytes added by the faulty save
    std::string afterNext;   // the bytes added by the next save
    bool nativeOnly;         // wineserver takes ENOLCK for "no locks here" and goes on
  };
  const std::string head = kBom + kHeaderBytes;
  const std::string& rec = kRecordBytes;
  const Case cases[] = {
      {"", kOneRecord, SaveOutcome::kSaved, rec, rec, false},
      // A short write or a failed one is cut back: nothing was written.
      {"100 short", kOneRecord, SaveOutcome::kFailed, "", rec, false},
      {"0 fail", kOneRecord, SaveOutcome::kFailed, "", rec, false},
      {"100 fail", kOneRecord, SaveOutcome::kFailed, "", rec, false},
      // The flush's answer counts: its failure is a failed save, cut back.
      {"0 fsync", kOneRecord, SaveOutcome::kFailed, "", rec, false},
      // Written, not flushed and not cut back: perhaps in the file, and the user is told so.
      {"0 fsync truncate", kOneRecord, SaveOutcome::kUnknown, rec, rec, false},
      // A torn tail that cannot be cut back (a mapped file, a kill between writes): the next
      // record starts on a line of its own and is whole.
      {"100 short truncate", kOneRecord, SaveOutcome::kFailed, rec.substr(0, 100), "\r\n" + rec,
       false},
      {"3 short truncate", kEmpty, SaveOutcome::kFailed, kBom, kHeaderBytes + rec, false},
      {"40 short truncate", kEmpty, SaveOutcome::kFailed, head.substr(0, 40), "\r\n" + rec, false},
      // A close that fails after a good flush loses nothing: saved.
      {"0 close", kOneRecord, SaveOutcome::kSaved, rec, rec, false},
      {"0 lock-fail", kOneRecord, SaveOutcome::kFailed, "", rec, true},
      {"0 lock-busy", kOneRecord, SaveOutcome::kHeldElsewhere, "", rec, true},
      // A tail that cannot be read is never taken as whole: a line end leads the record (a
      // blank line at worst), and a lone mark gets its header as well.
      {"0 read", kOneRecord, SaveOutcome::kSaved, "\r\n" + rec, rec, false},
      {"0 read", kTornTail, SaveOutcome::kSaved, "\r\n" + rec, rec, false},
      {"0 read", kMarkOnly, SaveOutcome::kSaved, "\r\n" + kHeaderBytes + rec, rec, false},
      // A slow disk (each write and flush 1-3 s) still gives one whole record.
      {"0 slow", kOneRecord, SaveOutcome::kSaved, rec, rec, false},
  };
  const std::string starts[] = {"", head + rec, head + rec + "torn", kBom};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
#if defined(_WIN32)
    if (c.nativeOnly) continue;
#endif
    const std::string& before = starts[c.start];
    std::error_code ignored;
    if (c.start == kEmpty) fs::remove(RecordPath(), ignored);
    if (c.start != kEmpty)
      std::ofstream(RecordPath(), std::ios::binary | std::ios::trunc) << before;
    Inject(c.fault);
    EXPECT_EQ(SaveWith(TestTool()), c.told);
    Inject("");
    EXPECT_TRUE(ReadBytes(RecordPath()) == before + c.afterFault)
        << "size " << ReadBytes(RecordPath()).size() << ", expected "
        << (before + c.afterFault).size();
    EXPECT_EQ(SaveWith(TestTool()), SaveOutcome::kSaved);
    const std::string after = ReadBytes(RecordPath());
    EXPECT_TRUE(after == before + c.afterFault + c.afterNext)
        << "size " << after.size() << ", whole records " << CountOf(after, rec);
  }
}

}  // namespace
}  // namespace tarn
