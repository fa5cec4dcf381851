// Starting the record_racer program (built beside the tests) and waiting for it to end.
// One implementation per platform.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct Racer {
  std::intptr_t id;  // process id or handle; -1 when it could not be started
};

// Starts record_racer with the given (ASCII) arguments.
Racer StartRacer(const std::vector<std::string>& arguments);

// Waits (a minute at most) for the racer to end; its exit code, or -1.
int WaitRacer(Racer racer);

}  // namespace tarn
