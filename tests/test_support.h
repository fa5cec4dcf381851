// Small helpers shared by the unit tests: a temporary folder and whole-file reads by UTF-16
// path, through the project's own platform layer so both builds test the same code.
#pragma once
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "text/utf8.h"

namespace tarn {

// A fresh folder under the system's temporary folder, removed (shallowly) at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder joined with a relative name ("/" is turned into the platform separator).
  std::u16string Path(const std::u16string& name) const;
  const std::u16string& Root() const { return root_; }

 private:
  std::u16string root_;
};

std::string ReadFileBytes(const std::u16string& path);
bool FileExists(const std::u16string& path);
std::string ToUtf8(const std::u16string& text);

}  // namespace tarn
