// Windows only: a record file that another program holds open without read sharing.
// Such a file cannot be opened for reading, yet it exists and already has its header.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "record_test_util.h"

namespace tarn {
namespace {

// Deciding "new file" by a failed read-open would append a second mark and header here.
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
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes + kRecordBytes);
}

}  // namespace
}  // namespace tarn
