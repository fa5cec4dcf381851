// Windows only: a record file that another program holds open without read sharing.
// Such a file cannot be opened for reading, yet it exists and already has its header.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "record_test_util.h"

namespace tarn {
namespace {

// Deciding "new file" by a failed read-open would append a second mark and header here; a tail
// that cannot be read gets a line end before the record.
TEST_F(RecordFolderTest, FileLockedAgainstReadingGetsNoSecondHeader) {
  ASSERT_TRUE(Save(TestTool()));
  const HANDLE holder = CreateFileW(RecordPath().wstring().c_str(), GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::FILE* reader = OpenFile(RecordPath().u16string().c_str(), "rb");
  EXPECT_EQ(reader, nullptr);  // the lock really denies reading
  if (reader != nullptr) std::fclose(reader);
  const bool saved = Save(TestTool());
  CloseHandle(holder);
  ASSERT_TRUE(saved);
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes + "\r\n" + kRecordBytes);
}

// An on-access virus scanner opens the file for a moment after each write without sharing
// it: the save waits for it within its bounded wait instead of refusing at once.
TEST_F(RecordFolderTest, ScannersBriefHoldIsWaitedFor) {
  ASSERT_TRUE(Save(TestTool()));
  const HANDLE scanner = CreateFileW(RecordPath().wstring().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
  std::thread letGo([scanner] {
    Sleep(200);
    CloseHandle(scanner);
  });
  EXPECT_TRUE(Save(TestTool()));
  letGo.join();
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes + kRecordBytes);
}

}  // namespace
}  // namespace tarn
