#include "app/ui/AppIcons.h"

#include <windows.h>

#include "app/storage/ReadAhead.h"

namespace {

quennet::UniqueIcon ReadIcon(const wchar_t* file) {
  // Relative to the working directory, the program's folder.
  return quennet::UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, file, IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
}

AppIcons ReadAppIcons() { return AppIcons{ReadIcon(L"Corvanel.ico"), ReadIcon(L"CorvanelGrey.ico")}; }

CReadAhead<AppIcons> g_icons(&ReadAppIcons);

}  // namespace

void StartReadingAppIcons() { g_icons.Start(); }

AppIcons TakeAppIcons() { return g_icons.Take(); }
