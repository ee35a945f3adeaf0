#include "app/ui/AppIcons.h"

#include <windows.h>

#include <future>
#include <mutex>

namespace {

std::mutex g_mutex;
std::future<AppIcons> g_reading;

quennet::UniqueIcon ReadIcon(const wchar_t* file) {
  // Relative to the working directory, the program's folder.
  return quennet::UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, file, IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
}

AppIcons ReadAppIcons() { return AppIcons{ReadIcon(L"Corvanel.ico"), ReadIcon(L"CorvanelGrey.ico")}; }

}  // namespace

void StartReadingAppIcons() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_reading.valid()) g_reading = std::async(std::launch::async, &ReadAppIcons);
}

AppIcons TakeAppIcons() {
  std::future<AppIcons> reading;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    reading = std::move(g_reading);
  }
  return reading.valid() ? reading.get() : ReadAppIcons();
}
