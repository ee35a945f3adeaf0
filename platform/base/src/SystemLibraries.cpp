#include "quennet/SystemLibraries.h"

#include <string>

namespace quennet {

bool RestrictLibrarySearchToSystemFolder() {
  // Looked up rather than imported: a system without it must still start.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto restrictSearch = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                               GetProcAddress(kernel, "SetDefaultDllDirectories"))
                         : nullptr;
  if (restrictSearch && restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  SetDllDirectoryW(L"");
  return false;
}

HMODULE LoadSystemLibrary(const wchar_t* file_name) {
  HMODULE module = LoadLibraryExW(file_name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A loader without the flag: the library's full path in the system folder.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder) + L"\\" + file_name).c_str());
}

}  // namespace quennet
