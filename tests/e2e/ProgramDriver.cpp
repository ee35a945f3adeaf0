#include "ProgramDriver.h"

#include <gdiplus.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <utility>

#include "app/storage/UserFolders.h"
#include "duilib/testing.h"
#include "quennet/WinHandles.h"

namespace e2e {
namespace {

struct WindowQuery {
  const wchar_t* window_class;
  const wchar_t* title;
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* query = reinterpret_cast<WindowQuery*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != query->process_id || !IsWindowVisible(window)) return TRUE;
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  if (wcscmp(name, query->window_class) != 0) return TRUE;
  if (query->title) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (wcscmp(title, query->title) != 0) return TRUE;
  }
  query->found = window;
  return FALSE;
}

HWND FindProgramWindow(DWORD process_id, const wchar_t* window_class, const wchar_t* title) {
  WindowQuery query{window_class, title, process_id, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

BOOL CALLBACK CollectEdit(HWND child, LPARAM param) {
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (_wcsicmp(name, L"Edit") == 0) reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

}  // namespace

ProgramDriver::~ProgramDriver() {
  if (!m_process) return;
  if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) TerminateProcess(m_process, 1);
  CloseHandle(m_process);
}

bool ProgramDriver::Launch(const std::map<std::wstring, std::wstring>& environment) {
  for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), value.c_str());
  const std::wstring folder = ProgramFolder();
  std::wstring command = L"\"" + folder + L"\\Corvanel.exe\"";
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  m_start_tick = GetTickCount();
  // Wine's process creation has failed once on a loaded machine within
  // milliseconds, before the program ran at all; a second try tells that
  // apart from a program that cannot start, and the error is printed.
  BOOL started = FALSE;
  for (int attempt = 1; attempt <= 3 && !started; ++attempt) {
    started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                             &process);
    if (!started) {
      std::fprintf(stderr, "starting the program failed (attempt %d): error %lu\n", attempt, GetLastError());
      Sleep(250);
    }
  }
  for (const auto& entry : environment) SetEnvironmentVariableW(entry.first.c_str(), nullptr);
  if (!started) return false;
  CloseHandle(process.hThread);
  m_process = process.hProcess;
  m_process_id = process.dwProcessId;
  return true;
}

HWND ProgramDriver::WaitForWindow(const wchar_t* window_class, const wchar_t* title, DWORD timeout_ms) const {
  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindProgramWindow(m_process_id, window_class, title)) return window;
    Sleep(5);
  } while (GetTickCount() - start < timeout_ms);
  return nullptr;
}

bool ProgramDriver::WaitForWindowGone(const wchar_t* window_class, DWORD timeout_ms) const {
  const DWORD start = GetTickCount();
  do {
    if (!FindProgramWindow(m_process_id, window_class, nullptr)) return true;
    Sleep(10);
  } while (GetTickCount() - start < timeout_ms);
  return false;
}

std::vector<HWND> ProgramDriver::Edits(HWND window) {
  std::vector<HWND> edits;
  EnumChildWindows(window, CollectEdit, reinterpret_cast<LPARAM>(&edits));
  return edits;
}

void ProgramDriver::SetText(HWND edit, const std::wstring& text) {
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

}  // namespace

namespace {

// Waits until an edit other than `previous` has the focus and types into it.
bool TypeIntoFocusedEditOtherThan(HWND window, HWND previous, const std::wstring& text, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    const HWND focus = FocusOf(window);
    if (focus && focus != previous) {
      for (HWND edit : ProgramDriver::Edits(window)) {
        if (edit == focus) {
          ProgramDriver::SetText(edit, text);
          return true;
        }
      }
    }
    Sleep(10);
  }
  return false;
}

}  // namespace

bool ProgramDriver::TabAndType(HWND window, const std::wstring& text, DWORD timeout_ms) {
  const HWND before = FocusOf(window);
  PostMessageW(window, WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(window, WM_KEYUP, VK_TAB, 0xC0000001);
  return TypeIntoFocusedEditOtherThan(window, before, text, timeout_ms);
}

bool ProgramDriver::TypeIntoFocus(HWND window, const std::wstring& text, DWORD timeout_ms) {
  return TypeIntoFocusedEditOtherThan(window, nullptr, text, timeout_ms);
}

void ProgramDriver::PressEnter(HWND window) {
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(window, WM_KEYUP, VK_RETURN, 0xC0000001);
}

namespace {

void SendKey(WORD key, WORD character) {
  INPUT input[2] = {};
  for (INPUT& event : input) {
    event.type = INPUT_KEYBOARD;
    event.ki.wVk = key;
    event.ki.wScan = character;
    event.ki.dwFlags = character ? KEYEVENTF_UNICODE : 0;
  }
  input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  // One key at a time, as a hand types: each is handled before the next.
  Sleep(150);
}

}  // namespace

void ProgramDriver::PressKeys(std::initializer_list<WORD> keys) {
  for (WORD key : keys) SendKey(key, 0);
}

void ProgramDriver::TypeKeys(const std::wstring& text) {
  for (wchar_t character : text) SendKey(0, character);
}

void ProgramDriver::ClickAt(HWND window, int x, int y) {
  const LPARAM point = MAKELPARAM(x, y);
  PostMessageW(window, WM_MOUSEMOVE, 0, point);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(window, WM_LBUTTONUP, 0, point);
}

void ProgramDriver::ClickAndWait(HWND window, int x, int y) {
  const LPARAM point = MAKELPARAM(x, y);
  DWORD_PTR ignored = 0;
  for (const auto& [message, keys] : {std::pair<UINT, WPARAM>{WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON},
                                      {WM_LBUTTONUP, 0}}) {
    SendMessageTimeoutW(window, message, keys, point, SMTO_NORMAL, 10000, &ignored);
  }
}

int ProgramDriver::ThreadCount() const {
  quennet::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {sizeof entry};
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == m_process_id) ++count;
  }
  return count;
}

double ProgramDriver::WorkingSetMegabytes() const {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(m_process, &counters, sizeof counters) ? counters.WorkingSetSize / 1048576.0 : 0;
}

int ProgramDriver::WaitForExit(DWORD timeout_ms) {
  if (!m_process || WaitForSingleObject(m_process, timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(m_process, &code);
  return static_cast<int>(code);
}

std::wstring ProgramFolder() {
  const std::string dist = CORVANEL_DIST_DIR;
  std::wstring folder(dist.begin(), dist.end());
  for (auto& c : folder) {
    if (c == L'/') c = L'\\';
  }
  return folder + L"\\bin";
}

COLORREF ScreenPixel(HWND window, POINT client) {
  ClientToScreen(window, &client);
  quennet::WindowDc screen(nullptr);
  return GetPixel(screen.get(), client.x, client.y);
}

bool ShowsFilledMainWindow(HWND main) {
  constexpr COLORREF kRail = RGB(0x1E, 0x28, 0x35);
  constexpr COLORREF kListBackground = RGB(0xF7, 0xF8, 0xFA);
  constexpr COLORREF kAvatarPlaceholder = RGB(0x3A, 0x46, 0x58);
  RECT client = {};
  GetClientRect(main, &client);
  // Painted at all: a window just shown may show anything before its first paint.
  if (ScreenPixel(main, {4, client.bottom / 2}) != kRail) return false;
  const COLORREF firstItemIcon = ScreenPixel(main, {102, 152});
  const COLORREF avatar = ScreenPixel(main, {34, client.bottom - 36});
  return firstItemIcon != kListBackground && firstItemIcon != kRail && avatar != kAvatarPlaceholder && avatar != kRail;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
  // A window just shown may not have painted yet: have it paint now.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(50);
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  quennet::WindowDc screen(nullptr);
  quennet::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  quennet::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  {
    quennet::SelectGuard select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  }
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  const bool saved = DuiLib::Testing::SaveBitmapPng(bitmap.get(), path.c_str());
  Gdiplus::GdiplusShutdown(token);
  return saved;
}

std::wstring EventLogPath() { return GetUserDataFolder() + L"\\event.log"; }

}  // namespace e2e
