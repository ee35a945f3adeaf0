#include "DocumentsFolder.h"

#include <windows.h>

#include "app/storage/UserFolders.h"
#include "support/TempFolder.h"

namespace e2e {
namespace {

constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kDocumentsValue[] = L"Personal";

bool ReadValue(std::wstring* value, DWORD* type) {
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, kDocumentsValue, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                   RRF_NOEXPAND, type, buffer, &size) != ERROR_SUCCESS) {
    return false;
  }
  *value = buffer;
  return true;
}

bool WriteValue(const std::wstring& value, DWORD type) {
  return RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, kDocumentsValue, type, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

ScopedDocumentsFolder::ScopedDocumentsFolder(const std::wstring& name) {
  const std::wstring documents = GetDocumentsFolder();
  const size_t separator = documents.find_last_of(L'\\');
  if (separator == std::wstring::npos || !ReadValue(&m_savedValue, &m_savedType)) return;
  m_path = documents.substr(0, separator + 1) + name;
  test_support::DeleteTree(m_path);
  m_active = CreateDirectoryW(m_path.c_str(), nullptr) && WriteValue(m_path, REG_SZ) && GetDocumentsFolder() == m_path;
}

ScopedDocumentsFolder::~ScopedDocumentsFolder() {
  if (m_savedType) WriteValue(m_savedValue, m_savedType);
  // Reading it once writes the expanded form back where the system caches it.
  (void)GetDocumentsFolder();
  if (!m_path.empty()) test_support::DeleteTree(m_path);
}

}  // namespace e2e
