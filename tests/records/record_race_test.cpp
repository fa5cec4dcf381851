// Two programs saving into one record file at the same moment, as two windows do: every
// record lands whole, and the mark and header stand once, at the start.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "racer_launch.h"
#include "record_test_util.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

// Fewer under Wine, where every save costs several calls to its server.
#if defined(_WIN32)
constexpr std::int32_t kSaves = 300;
constexpr std::int32_t kRounds = 40;
#else
constexpr std::int32_t kSaves = 300;
constexpr std::int32_t kRounds = 100;
#endif

class RecordRaceTest : public RecordFolderTest {
 protected:
  // Starts two racers on the test folder, gives the signal once both are ready, and expects
  // both to end with every save reported done.
  void Race(std::int32_t saves, std::int32_t rounds) {
    const std::vector<std::string> arguments{base_.string(), "2", std::to_string(saves),
                                             std::to_string(rounds)};
    const Racer racers[] = {StartRacer(arguments), StartRacer(arguments)};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ReadyRacers() < 2 && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    { std::ofstream(base_ / "go"); }
    for (const Racer& racer : racers) EXPECT_EQ(WaitRacer(racer), 0);
  }
  std::int32_t ReadyRacers() const {
    std::int32_t ready = 0;
    for (const auto& entry : fs::directory_iterator(base_)) {
      ready += entry.path().filename().string().rfind("ready", 0) == 0;
    }
    return ready;
  }
  // The whole file a round must leave: all records are alike, so any torn, lost or doubled
  // byte, or a header out of place, shows as a difference.
  static std::string WholeFile(std::int32_t records) {
    std::string bytes = kBom + kHeaderBytes;
    for (std::int32_t i = 0; i < records; ++i) bytes += kRecordBytes;
    return bytes;
  }
  fs::path RoundFile(std::int32_t round) const {
    return base_ / ("r" + std::to_string(round)) / "TarnMedSuite" / "records" / "T017.csv";
  }
};

TEST_F(RecordRaceTest, TwoProgramsManySavesIntoOneFile) {
  Race(kSaves, 1);
  EXPECT_TRUE(ReadBytes(RoundFile(0)) == WholeFile(2 * kSaves)) << "lost, torn or doubled bytes";
}

// The first saves of both meet on a file that is not there yet.
TEST_F(RecordRaceTest, TwoProgramsStartingOneFreshFileRoundAfterRound) {
  Race(2, kRounds);
  std::int32_t spoiled = 0;
  for (std::int32_t round = 0; round < kRounds; ++round) {
    spoiled += ReadBytes(RoundFile(round)) != WholeFile(4);
  }
  EXPECT_EQ(spoiled, 0) << "of " << kRounds << " rounds";
}

}  // namespace
}  // namespace tarn
