// Loading Windows' own DLLs from the system folder only.
#include "ui/system_library.h"

namespace tarn {
namespace {

constexpr UINT kSystemPathCapacity = MAX_PATH + 32;

}  // namespace

void LimitDllSearchToSystemFolder() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  // The cast goes through void(*)(): GetProcAddress's own type is a generic function pointer.
  const auto setDirectories = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr) return module;
  // Without the search flags (Windows 7 before KB2533623): the full path of the system
  // folder's file, whose own imports are then looked for beside it first.
  wchar_t path[kSystemPathCapacity];
  const UINT folderLength = GetSystemDirectoryW(path, kSystemPathCapacity);
  const size_t nameLength = wcslen(name);
  if (folderLength == 0 || folderLength + 1 + nameLength + 1 > kSystemPathCapacity) return nullptr;
  path[folderLength] = L'\\';
  wcscpy(path + folderLength + 1, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace tarn
