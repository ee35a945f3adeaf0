#include "app/storage/Settings.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"

namespace settings {
namespace {

// More than any settings file of ours holds: a bigger one is not rewritten.
constexpr DWORD kMostChars = 1 << 20;

using Section = std::pair<std::wstring, std::vector<std::wstring>>;  // name, "key=value" lines

// A list of NUL-ended strings from a profile call that reports a buffer too
// small by returning its size less two.
std::vector<std::wstring> ReadList(const std::function<DWORD(wchar_t*, DWORD)>& read, bool* complete) {
  for (DWORD size = 4096; size <= kMostChars; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD length = read(buffer.data(), size);
    if (length + 2 >= size) continue;
    std::vector<std::wstring> items;
    for (const wchar_t* item = buffer.data(); *item; item += wcslen(item) + 1) items.emplace_back(item);
    return items;
  }
  *complete = false;
  return {};
}

// The file as the platform's parser reads it; false when it is too big to keep whole.
bool ReadSections(const std::wstring& path, std::vector<Section>* sections) {
  bool complete = true;
  const auto names =
      ReadList([&](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path.c_str()); },
               &complete);
  for (const std::wstring& name : names) {
    sections->emplace_back(name, ReadList(
                                     [&](wchar_t* buffer, DWORD size) {
                                       return GetPrivateProfileSectionW(name.c_str(), buffer, size, path.c_str());
                                     },
                                     &complete));
  }
  return complete;
}

std::wstring KeyOf(const std::wstring& line) { return line.substr(0, line.find(L'=')); }

// Rewrites the whole file with the key of our section set: a crash or a full
// disk leaves the old file whole, where the profile functions would rewrite
// it in place and leave it cut.
bool WriteValue(const wchar_t* key, const std::wstring& value) {
  const std::wstring path = FilePath();
  std::vector<Section> sections;
  if (!ReadSections(path, &sections)) return false;
  auto ours = std::find_if(sections.begin(), sections.end(),
                           [](const Section& section) { return _wcsicmp(section.first.c_str(), kSection) == 0; });
  if (ours == sections.end()) ours = sections.insert(sections.end(), Section(kSection, {}));
  auto line = std::find_if(ours->second.begin(), ours->second.end(),
                           [&](const std::wstring& entry) { return _wcsicmp(KeyOf(entry).c_str(), key) == 0; });
  const std::wstring entry = std::wstring(key) + L"=" + value;
  if (line == ours->second.end()) {
    ours->second.push_back(entry);
  } else {
    *line = entry;
  }
  std::wstring text;
  for (const Section& section : sections) {
    text += L"[" + section.first + L"]\r\n";
    for (const std::wstring& item : section.second) text += item + L"\r\n";
  }
  // In the system's code page, as the profile functions write a file of their own.
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return ReplaceFileWhole(path, bytes.data(), bytes.size(), FileSync::BeforeReplacing);
}

// The platform's text form of a structure: its bytes in hexadecimal, then
// their sum modulo 256, which GetPrivateProfileStructW checks.
std::wstring StructText(const void* data, size_t size) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) {
    const unsigned char byte = static_cast<const unsigned char*>(data)[i];
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
    sum += byte;
  }
  text += kDigits[(sum >> 4) & 0xF];
  text += kDigits[sum & 0xF];
  return text;
}

}  // namespace

std::wstring FilePath() { return GetUserDataFolder() + L"//" + L"Personalpreferences.ini"; }

int ReadInt(const wchar_t* key) {
  return static_cast<int>(GetPrivateProfileIntW(kSection, key, 0, FilePath().c_str()));
}

bool WriteString(const wchar_t* key, const std::wstring& value) { return WriteValue(key, value); }

bool LoadWindowPlacement(WINDOWPLACEMENT* placement) {
  return GetPrivateProfileStructW(kSection, kWindowPlacementKey, placement, sizeof(WINDOWPLACEMENT),
                                  FilePath().c_str()) != FALSE;
}

void SaveWindowPlacement(const WINDOWPLACEMENT& placement) {
  WriteValue(kWindowPlacementKey, StructText(&placement, sizeof placement));
}

}  // namespace settings
