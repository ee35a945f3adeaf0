// Entry of the program. For now it prepares the process and shows one plain
// window, so that the build, the layout of the program and the run under Wine
// can be seen working end to end.

#include <windows.h>

#include "app/StringTable.h"
#include "app/ServiceConstants.h"
#include "app/Settings.h"
#include "app/UserFolders.h"
#include "quennet/EventLog.h"

namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      const std::wstring text = L"Corvanel " + LocalizedText("Version") + L" " + ClientVersion;
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  EnsureUserDataFolder();
  quennet::log_event("App init");
  LoadLanguageFile(LanguageFileFor(settings::ReadInt(settings::kLanguageKey), LOWORD(GetUserDefaultUILanguage())),
                   StringTable);

  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = PlainWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"CorvanelPlainWindow";
  RegisterClassExW(&window_class);
  HWND window = CreateWindowExW(0, window_class.lpszClassName, L"Corvanel", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 240, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
