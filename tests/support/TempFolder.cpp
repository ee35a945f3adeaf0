#include "support/TempFolder.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>

namespace test_support {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  m_path = std::wstring(temp) + L"测试_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
  CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() { DeleteTree(m_path); }

std::string TempFolder::NarrowPath() const { return ToCp936(m_path); }

void DeleteTree(const std::wstring& folder) {
  // SHFileOperation wants a double-NUL-terminated list.
  std::wstring from = folder;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool OverwriteOpenFile(const std::wstring& path, const std::string& bytes, int64_t offset) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  DWORD written = 0;
  const BOOL ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

namespace {

bool WriteBigFile(const std::wstring& path, int megabytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string block(1 << 20, '\0');
  bool ok = true;
  for (int i = 0; ok && i < megabytes; ++i) {
    block.assign(block.size(), static_cast<char>('A' + i % 26));
    DWORD written = 0;
    ok = WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size();
  }
  CloseHandle(file);
  return ok;
}

}  // namespace

BigFile::BigFile(const std::wstring& name, int megabytes)
    : m_path(m_folder / name), m_written(WriteBigFile(m_path, megabytes)) {}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

std::string ToCp936(const std::wstring& text) {
  if (text.empty()) return {};
  const int needed = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), narrow.data(), needed, nullptr, nullptr);
  return narrow;
}

std::wstring SourcePath(const std::wstring& relative) {
  const std::string root = CORVANEL_SOURCE_DIR;
  std::wstring path(root.begin(), root.end());
  path += L"/" + relative;
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace test_support
