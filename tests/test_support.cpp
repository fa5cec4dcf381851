// Test helpers: temporary folders and file reads on both builds.
#include "test_support.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <ftw.h>
#include <unistd.h>
#endif

namespace tarn {
namespace {

std::atomic<int> gFolderCount{0};

#if !defined(_WIN32)
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }
#endif

}  // namespace

std::string ToUtf8(const std::u16string& text) {
  std::string bytes(text.size() * 3 + 1, '\0');
  const std::int32_t written =
      EncodeUtf8(text.c_str(), static_cast<std::int32_t>(text.size()), bytes.data(),
                 static_cast<std::int32_t>(bytes.size()), nullptr);
  bytes.resize(static_cast<std::size_t>(written));
  return bytes;
}

TempFolder::TempFolder() {
  const int serial = gFolderCount++;
#if defined(_WIN32)
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  root_ = reinterpret_cast<const char16_t*>(base);
  root_ += u"tarn-test-" + std::u16string(1, static_cast<char16_t>(u'a' + serial % 26));
  const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial);
#else
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = (tmp != nullptr && tmp[0] != 0) ? tmp : "/tmp";
  root_.assign(base.begin(), base.end());
  root_ += u"/tarn-test-";
  const std::string id = std::to_string(getpid()) + "-" + std::to_string(serial);
#endif
  root_.append(id.begin(), id.end());
  CreateFolder(root_.c_str());
}

TempFolder::~TempFolder() {
#if defined(_WIN32)
  // Remove the files our tests leave, then the folder itself (best effort, one level deep).
  std::u16string pattern = root_ + u"\\*";
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::u16string child = root_ + u"\\" + reinterpret_cast<const char16_t*>(entry.cFileName);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(reinterpret_cast<const wchar_t*>(child.c_str()));
      } else {
        DeleteFileW(reinterpret_cast<const wchar_t*>(child.c_str()));
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(reinterpret_cast<const wchar_t*>(root_.c_str()));
#else
  const std::string native = ToUtf8(root_);
  nftw(native.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
#endif
}

std::u16string TempFolder::Path(const std::u16string& name) const {
  std::u16string path = root_ + kPathSeparator + name;
  for (char16_t& c : path) {
    if (c == u'/') c = kPathSeparator;
  }
  return path;
}

std::string ReadFileBytes(const std::u16string& path) {
  std::FILE* file = OpenFile(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  std::string bytes;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

bool FileExists(const std::u16string& path) {
  std::error_code error;  // an unreadable parent counts as missing, as it did for stat
  return std::filesystem::exists(std::filesystem::path(path), error);
}

}  // namespace tarn
