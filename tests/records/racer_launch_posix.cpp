// Starting record_racer natively: posix_spawn of the program beside this test program.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "racer_launch.h"

extern char** environ;

namespace tarn {

Racer StartRacer(const std::vector<std::string>& arguments) {
  char self[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string program = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "";
  program = program.substr(0, program.rfind('/') + 1) + "record_racer";

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return {-1};
  }
  return {child};
}

int WaitRacer(Racer racer) {
  int status = 0;
  const auto child = static_cast<pid_t>(racer.id);
  if (child <= 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace tarn
