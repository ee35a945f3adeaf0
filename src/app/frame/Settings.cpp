#include "app/frame/Settings.h"

#include "app/storage/UserFolders.h"

namespace settings {

std::wstring FilePath() { return GetUserDataFolder() + L"//" + L"Personalpreferences.ini"; }

int ReadInt(const wchar_t* key) {
  return static_cast<int>(GetPrivateProfileIntW(kSection, key, 0, FilePath().c_str()));
}

bool WriteString(const wchar_t* key, const std::wstring& value) {
  return WritePrivateProfileStringW(kSection, key, value.c_str(), FilePath().c_str()) != FALSE;
}

bool LoadWindowPlacement(WINDOWPLACEMENT* placement) {
  return GetPrivateProfileStructW(kSection, kWindowPlacementKey, placement, sizeof(WINDOWPLACEMENT),
                                  FilePath().c_str()) != FALSE;
}

void SaveWindowPlacement(const WINDOWPLACEMENT& placement) {
  WINDOWPLACEMENT copy = placement;
  WritePrivateProfileStructW(kSection, kWindowPlacementKey, &copy, sizeof copy, FilePath().c_str());
}

}  // namespace settings
