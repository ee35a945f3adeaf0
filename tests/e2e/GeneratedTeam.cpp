#include "GeneratedTeam.h"

#include <windows.h>

#include "ProgramDriver.h"

namespace e2e {
namespace {

// The demo folder holds service.json and a folder of files per team.
bool CopyFiles(const std::wstring& from, const std::wstring& to, bool withFolders) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool copied = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      copied = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && copied;
    } else if (withFolders) {
      copied = CreateDirectoryW((to + L"\\" + name).c_str(), nullptr) && CopyFiles(from + L"\\" + name, to + L"\\" + name, false) && copied;
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return copied;
}

std::string GeneratedUsersJson(int members) {
  std::string json = "{\"users\": [";
  for (int i = 0; i < members; ++i) {
    const std::string n = std::to_string(i);
    if (i > 0) json += ",";
    json += "{\"uid\": \"usr-gen" + n + "\", \"username\": \"gen" + n + "\", \"display_name\": \"\xE6\x88\x90\xE5\x91\x98" +
            n + "\", \"pinyin\": \"chengyuan" + n + "\"}";
  }
  return json + "]}";
}

}  // namespace

GeneratedTeam::GeneratedTeam(int generatedMembers) {
  const std::wstring demo = ProgramFolder() + L"\\..\\Mireloom\\demo";
  m_ready = CopyFiles(demo, m_folder.Path(), true) &&
            test_support::WriteFileBytes(m_folder / L"demo\\users-generated.json", GeneratedUsersJson(generatedMembers));
}

}  // namespace e2e
