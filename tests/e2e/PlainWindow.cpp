// The yardstick of the start-up benchmark: the smallest program that shows a
// window, started the same way as the client.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW window_class = {sizeof window_class};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"PlainBenchWindow";
  RegisterClassExW(&window_class);
  CreateWindowExW(0, window_class.lpszClassName, L"Plain", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                  nullptr, instance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
