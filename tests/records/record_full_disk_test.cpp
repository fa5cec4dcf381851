// A full disk under the record file: a failed save leaves the file's bytes as they were and
// says so; the next save with room is whole, and a file left empty gets its header.
// Runs on a small file system that CTest mounts for it (small_disk.sh, named by
// TARN_SMALL_DISK); skipped with the reason when there is none.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "record_test_util.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

// More than this fits: not the small file system the tests need.
constexpr std::uintmax_t kMostFillBytes = 8u << 20;

class FullDiskTest : public RecordFolderTest {
 protected:
  void SetUp() override {
    const char* disk = std::getenv("TARN_SMALL_DISK");
    if (disk == nullptr || disk[0] == 0) {
      GTEST_SKIP() << "no small file system: TARN_SMALL_DISK is unset (CTest sets it when "
                      "mounting a tmpfs is permitted, as root)";
    }
    std::string folder = disk;
#if defined(_WIN32)
    // The Linux folder through Wine's drive for the whole Linux tree.
    for (char& c : folder) c = c == '/' ? '\\' : c;
    folder = "Z:" + folder;
#endif
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no small file system was mounted at " << folder;
    base_ = fs::path(folder) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
    fs::create_directories(base_);
    baseText_ = base_.u16string();
    fs::create_directories(RecordPath().parent_path());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(Filler(), ignored);
    RecordFolderTest::TearDown();
  }
  fs::path Filler() const { return base_ / "filler"; }

  // Writes a filler file until the disk takes no more, down to the last byte.
  void FillDisk() {
    std::FILE* filler = std::fopen(Filler().string().c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    std::setvbuf(filler, nullptr, _IONBF, 0);
    static const char kChunk[4096] = {};
    std::uintmax_t total = 0;
    for (std::size_t piece = sizeof kChunk; piece > 0 && total < kMostFillBytes; piece /= 2) {
      while (total < kMostFillBytes && std::fwrite(kChunk, 1, piece, filler) == piece) {
        total += piece;
      }
    }
    std::fclose(filler);
    if (total >= kMostFillBytes) GTEST_SKIP() << "TARN_SMALL_DISK is not a small file system";
  }
  void MakeRoom() { fs::remove(Filler()); }
};

TEST_F(FullDiskTest, FailedSaveLeavesTheBytesAndTheNextSaveIsWhole) {
  // Records up to just below a 4 KiB block's end: the next one fits only in part.
  ASSERT_TRUE(Save(TestTool()));
  while (fs::file_size(RecordPath()) % 4096 + kRecordBytes.size() <= 4096) {
    ASSERT_TRUE(Save(TestTool()));
  }
  const std::string before = ReadBytes(RecordPath());
  FillDisk();
  if (IsSkipped()) return;
  EXPECT_FALSE(Save(TestTool())) << "a save on a full disk must be reported";
  EXPECT_FALSE(Save(TestTool()));
  EXPECT_TRUE(ReadBytes(RecordPath()) == before) << "a fragment stayed behind";
  MakeRoom();
  ASSERT_TRUE(Save(TestTool()));
  EXPECT_TRUE(ReadBytes(RecordPath()) == before + kRecordBytes);
}

TEST_F(FullDiskTest, FirstSaveOnAFullDiskLeavesTheHeaderToTheNext) {
  FillDisk();
  if (IsSkipped()) return;
  EXPECT_FALSE(Save(TestTool()));
  std::error_code missing;
  EXPECT_EQ(fs::file_size(RecordPath(), missing), 0u);  // empty, or not there at all
  MakeRoom();
  ASSERT_TRUE(Save(TestTool()));
  EXPECT_EQ(ReadBytes(RecordPath()), kBom + kHeaderBytes + kRecordBytes);
}

}  // namespace
}  // namespace tarn
