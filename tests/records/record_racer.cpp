// A small program that saves records the way a window does, for the race tests: several of
// it are started at once against one folder.
//   record_racer BASE RACERS SAVES ROUNDS
// It leaves a file BASE/ready<n> once started and waits for BASE/go (the starting signal,
// given when all racers are ready). For each round r it saves SAVES records into
// BASE/r<r>, then waits until every one of the RACERS has saved there, so that the next
// round's first saves meet on a fresh file again. The exit code is the number of failed
// saves (at most 100); 101 when a round never completed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <thread>

#include "record_test_util.h"
#include "text/utf8.h"

namespace {

namespace fs = std::filesystem;

constexpr auto kPatience = std::chrono::seconds(30);

// Polls `done` every millisecond until it holds or the patience runs out.
template <typename Condition>
bool WaitFor(Condition done) {
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::uintmax_t SizeOf(const fs::path& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: record_racer BASE RACERS SAVES ROUNDS\n");
    return 102;
  }
  char16_t baseText[tarn::kBaseFolderCapacity];
  tarn::DecodeUtf8(argv[1], baseText, tarn::kBaseFolderCapacity);
  const fs::path base(std::u16string{baseText});
  const long racers = std::strtol(argv[2], nullptr, 10);
  const long saves = std::strtol(argv[3], nullptr, 10);
  const long rounds = std::strtol(argv[4], nullptr, 10);
  const std::uintmax_t roundSize =
      tarn::kBom.size() + tarn::kHeaderBytes.size() +
      static_cast<std::uintmax_t>(racers * saves) * tarn::kRecordBytes.size();

  std::random_device seed;
  { std::ofstream(base / ("ready" + std::to_string(seed()) + std::to_string(seed()))); }
  if (!WaitFor([&] { return fs::exists(base / "go"); })) return 101;
  long failed = 0;
  for (long round = 0; round < rounds; ++round) {
    const fs::path roundBase = base / ("r" + std::to_string(round));
    const std::u16string roundText = roundBase.u16string();
    for (long i = 0; i < saves; ++i) {
      char16_t path[tarn::kRecordPathCapacity];
      if (tarn::SaveToolRecord(roundText.c_str(), tarn::TestTool(), tarn::kDefaultValues,
                               tarn::kDefaultResult, tarn::kSaveTime, path,
                               tarn::kRecordPathCapacity) != tarn::SaveOutcome::kSaved) {
        ++failed;
      }
      // A window never saves back to back: without a pause one racer could take the lock
      // again and again before the other's next try, and fail it after its bounded wait.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const fs::path file = roundBase / "TarnMedSuite" / "records" / "T017.csv";
    if (rounds > 1 && !WaitFor([&] { return SizeOf(file) >= roundSize; })) return 101;
  }
  if (failed > 0) std::fprintf(stderr, "record_racer: %ld saves failed\n", failed);
  return failed < 100 ? static_cast<int>(failed) : 100;
}
