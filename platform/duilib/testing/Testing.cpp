#include "duilib/testing.h"

#include <algorithm>
#include <deque>
#include <mutex>

#include "ControlPin.h"
#include "GdiPlus.h"
#include "ImageCache.h"
#include "ModalState.h"
#include "quennet/WinHandles.h"
#include "TestHooks.h"

namespace DuiLib {

namespace {

std::function<void(const TNotifyUI&, HWND)>& UserTrace() {
  static auto* trace = new std::function<void(const TNotifyUI&, HWND)>;
  return *trace;
}

std::vector<Testing::NotifyRecorder*>& GlobalRecorders() {
  static auto* recorders = new std::vector<Testing::NotifyRecorder*>;
  return *recorders;
}

void TraceToTests(const TNotifyUI& msg, HWND window) {
  if (UserTrace()) UserTrace()(msg, window);
  if (GlobalRecorders().empty()) return;
  const std::vector<Testing::NotifyRecorder*> recorders = GlobalRecorders();
  for (Testing::NotifyRecorder* recorder : recorders) recorder->Notify(const_cast<TNotifyUI&>(msg));
}

}  // namespace

namespace Testing {

namespace {

CControlUI* FindNamed(HWND window, LPCTSTR name) {
  CPaintManagerUI* manager = ManagerOf(window);
  if (!manager) return nullptr;
  manager->UpdateLayout();
  return manager->FindControl(name);
}

bool CentreOf(HWND window, LPCTSTR name, POINT* pt) {
  CControlUI* control = FindNamed(window, name);
  if (!control || !control->IsVisible()) return false;
  const RECT& rc = control->GetPos();
  if (IsRectEmpty(&rc)) return false;
  *pt = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  return true;
}

LPARAM PointParam(POINT pt) { return MAKELPARAM(static_cast<SHORT>(pt.x), static_cast<SHORT>(pt.y)); }

void Press(HWND window, POINT pt, UINT down, UINT up, WPARAM buttons) {
  ::SendMessageW(window, WM_MOUSEMOVE, 0, PointParam(pt));
  if (!IsWindow(window)) return;
  ::SendMessageW(window, down, buttons, PointParam(pt));
  if (!IsWindow(window)) return;
  ::SendMessageW(window, up, 0, PointParam(pt));
}

// Runs closures posted with PostToLoop, from whichever loop dispatches.
class LoopPump final {
 public:
  static LoopPump& Instance() {
    static auto* pump = new LoopPump;
    return *pump;
  }

  void Post(std::function<void()> closure) {
    EnsureWindow();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_closures.push_back(std::move(closure));
    }
    ::PostMessageW(m_window, WM_APP + 7, 0, 0);
  }

 private:
  void EnsureWindow() {
    if (m_window && IsWindow(m_window)) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DuiLib.TestLoopPump";
    RegisterClassExW(&wc);
    m_window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }

  static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg != WM_APP + 7) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LoopPump& pump = Instance();
    std::function<void()> closure;
    {
      std::lock_guard<std::mutex> lock(pump.m_mutex);
      if (pump.m_closures.empty()) return 0;
      closure = std::move(pump.m_closures.front());
      pump.m_closures.pop_front();
    }
    // One closure per message: a closure that enters a modal loop lets the
    // next one run inside that loop.
    closure();
    return 0;
  }

  HWND m_window = nullptr;
  std::mutex m_mutex;
  std::deque<std::function<void()>> m_closures;
};

}  // namespace

bool RaiseNotify(HWND window, LPCTSTR name, LPCTSTR type, WPARAM wParam, LPARAM lParam) {
  CPaintManagerUI* manager = ManagerOf(window);
  CControlUI* control = manager ? manager->FindControl(name) : nullptr;
  if (!control) return false;
  manager->SendNotify(control, type, wParam, lParam);
  return true;
}

NotifyRecorder::NotifyRecorder() {
  detail::SetNotifyTracer(TraceToTests);
  GlobalRecorders().push_back(this);
}

NotifyRecorder::NotifyRecorder(HWND window) : m_window(window) {
  if (CPaintManagerUI* manager = ManagerOf(window)) manager->AddNotifier(this);
}

NotifyRecorder::~NotifyRecorder() {
  if (m_window) {
    if (CPaintManagerUI* manager = ManagerOf(m_window)) manager->RemoveNotifier(this);
  } else {
    auto& recorders = GlobalRecorders();
    recorders.erase(std::remove(recorders.begin(), recorders.end(), this), recorders.end());
  }
}

void NotifyRecorder::Notify(TNotifyUI& msg) {
  NotifyRecord record;
  record.type = msg.sType.str();
  record.sender = msg.pSender ? msg.pSender->GetName().str() : L"";
  record.wParam = msg.wParam;
  record.lParam = msg.lParam;
  record.window = msg.pSender && msg.pSender->GetManager() ? msg.pSender->GetManager()->GetPaintWindow() : m_window;
  m_records.push_back(std::move(record));
}

std::vector<std::wstring> NotifyRecorder::Summary() const {
  std::vector<std::wstring> lines;
  for (const NotifyRecord& record : m_records) lines.push_back(record.type + L":" + record.sender);
  return lines;
}

size_t NotifyRecorder::Count(LPCTSTR type) const {
  return static_cast<size_t>(std::count_if(m_records.begin(), m_records.end(),
                                           [type](const NotifyRecord& r) { return r.type == type; }));
}

void SetNotifyTrace(std::function<void(const TNotifyUI&, HWND)> trace) {
  detail::SetNotifyTracer(TraceToTests);
  UserTrace() = std::move(trace);
}

bool Click(HWND window, LPCTSTR name) {
  POINT pt;
  if (!CentreOf(window, name, &pt)) return false;
  Press(window, pt, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  return true;
}

bool RightClick(HWND window, LPCTSTR name) {
  POINT pt;
  if (!CentreOf(window, name, &pt)) return false;
  Press(window, pt, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
  return true;
}

bool DoubleClick(HWND window, LPCTSTR name) {
  POINT pt;
  if (!CentreOf(window, name, &pt)) return false;
  Press(window, pt, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  if (IsWindow(window)) Press(window, pt, WM_LBUTTONDBLCLK, WM_LBUTTONUP, MK_LBUTTON);
  return true;
}

bool ClickAt(HWND window, POINT pt) {
  if (!IsWindow(window)) return false;
  Press(window, pt, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  return true;
}

bool ClickLink(HWND window, LPCTSTR name, int index) {
  CControlUI* control = FindNamed(window, name);
  auto* label = control ? static_cast<CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
  RECT box;
  if (!label || !label->IsVisible() || !label->GetLinkRect(index, &box)) return false;
  Press(window, POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2}, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  return true;
}

bool Wheel(HWND window, LPCTSTR name, int notches) {
  POINT pt;
  if (!CentreOf(window, name, &pt)) return false;
  ClientToScreen(window, &pt);
  ::SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<SHORT>(notches * WHEEL_DELTA)), PointParam(pt));
  return true;
}

bool Hover(HWND window, LPCTSTR name) {
  POINT pt;
  if (!CentreOf(window, name, &pt)) return false;
  ::SendMessageW(window, WM_MOUSEMOVE, 0, PointParam(pt));
  ::SendMessageW(window, WM_MOUSEHOVER, 0, PointParam(pt));
  return true;
}

void Leave(HWND window) { ::SendMessageW(window, WM_MOUSELEAVE, 0, 0); }

void PressKey(HWND target, UINT vk, bool shift, bool ctrl) {
  BYTE saved[256];
  GetKeyboardState(saved);
  BYTE state[256];
  memcpy(state, saved, sizeof state);
  state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
  state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  ::PostMessageW(target, WM_KEYDOWN, vk, down);
  PumpPending();
  ::PostMessageW(target, WM_KEYUP, vk, down | (static_cast<LPARAM>(0xC0000000)));
  PumpPending();
  SetKeyboardState(saved);
}

bool TypeText(HWND window, LPCTSTR editName, LPCTSTR text) {
  CControlUI* control = FindNamed(window, editName);
  auto* edit = control ? static_cast<CEditUI*>(control->GetInterface(L"Edit")) : nullptr;
  auto* rich = control ? static_cast<CRichEditUI*>(control->GetInterface(L"RichEdit")) : nullptr;
  if (!edit && !rich) return false;
  control->SetFocus();
  PumpPending();
  HWND child = edit ? edit->GetNativeWindow() : rich->GetNativeWindow();
  if (!child) return false;
  for (const wchar_t* p = text; p && *p; ++p) ::SendMessageW(child, WM_CHAR, *p, 1);
  return true;
}

std::wstring Describe(CControlUI* control) {
  if (!control) return L"(null)";
  const RECT& rc = control->GetPos();
  wchar_t pos[96];
  swprintf(pos, 96, L"(%ld,%ld,%ld,%ld)", rc.left, rc.top, rc.right, rc.bottom);
  std::wstring line = control->GetClass();
  line += L" \"" + control->GetName().str() + L"\"";
  line += control->IsVisible() ? L" visible " : L" hidden ";
  line += pos;
  const CDuiString text = control->GetText();
  if (!text.IsEmpty()) line += L" \"" + text.str() + L"\"";
  return line;
}

std::wstring DumpTree(HWND window) {
  CPaintManagerUI* manager = ManagerOf(window);
  if (!manager) return L"";
  manager->UpdateLayout();
  std::wstring out;
  std::function<void(CControlUI*, int)> walk = [&](CControlUI* control, int depth) {
    out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + Describe(control) + L"\n";
    for (int i = 0; i < control->GetChildCount(); ++i) walk(control->GetChildAt(i), depth + 1);
  };
  if (manager->GetRoot()) walk(manager->GetRoot(), 0);
  return out;
}

size_t LiveControlCount() { return DuiLib::detail::LiveControlCount(); }

size_t LiveAutoDeleteWindowCount() { return DuiLib::detail::LiveAutoDeleteWindowCount(); }

std::vector<HWND> FrameworkWindows() {
  std::vector<HWND> windows;
  for (CWindowWnd* window : DuiLib::detail::LiveWindows()) windows.push_back(window->GetHWND());
  return windows;
}

CPaintManagerUI* ManagerOf(HWND window) { return CPaintManagerUI::FromWindow(window); }

HWND WaitForWindow(LPCTSTR cls, LPCTSTR title, DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindWindowW(cls, title)) != nullptr; }, timeoutMs);
  return found;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!CPaintManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

bool PumpUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpPending();
    if (predicate()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PostToLoop(std::function<void()> closure) { LoopPump::Instance().Post(std::move(closure)); }

void SetModalWatchdog(DWORD milliseconds) { DuiLib::detail::SetModalWatchdog(milliseconds); }

std::vector<std::wstring> TakeWatchdogFailures() { return DuiLib::detail::TakeWatchdogFailures(); }

size_t ModalLoopDepth() { return DuiLib::detail::ModalWindows().size(); }

void CloseAllWindows() {
  for (HWND window : FrameworkWindows()) {
    if (IsWindow(window)) DestroyWindow(window);
  }
}

HBITMAP RenderWindow(HWND window) {
  CPaintManagerUI* manager = ManagerOf(window);
  if (!manager) return nullptr;
  RECT client;
  GetClientRect(window, &client);
  if (IsRectEmpty(&client)) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = quennet::CreateDib32(nullptr, client.right, client.bottom, &bits);
  if (!bitmap) return nullptr;
  quennet::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  {
    quennet::SelectGuard select(dc.get(), bitmap);
    manager->Render(dc.get(), client);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
      RECT rc;
      GetWindowRect(child, &rc);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
      POINT old;
      SetViewportOrgEx(dc.get(), rc.left, rc.top, &old);
      const int saved = SaveDC(dc.get());
      IntersectClipRect(dc.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);
      ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc.get()),
                     PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      RestoreDC(dc.get(), saved);
      SetViewportOrgEx(dc.get(), old.x, old.y, nullptr);
    }
  }
  return bitmap;
}

bool SaveWindowPng(HWND window, LPCWSTR path) {
  quennet::UniqueBitmap bitmap(RenderWindow(window));
  return bitmap && SaveBitmapPng(bitmap.get(), path);
}

bool SaveBitmapPng(HBITMAP bitmap, LPCWSTR path) { return SaveBitmapAs(bitmap, path, L"image/png"); }

bool SaveBitmapAs(HBITMAP bitmap, LPCWSTR path, LPCWSTR mime) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, mime) != 0) continue;
    Gdiplus::Bitmap image(bitmap, nullptr);
    return image.Save(path, &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
  }
  return false;
}

void ClearImageCache() { detail::ClearImageCache(); }

DWORD PixelAt(HBITMAP bitmap, int x, int y) {
  DIBSECTION section = {};
  if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits) return 0;
  const int width = section.dsBm.bmWidth;
  const int height = section.dsBm.bmHeight;
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  // RenderWindow makes top-down bitmaps.
  const auto* row = static_cast<const BYTE*>(section.dsBm.bmBits) + static_cast<size_t>(y) * section.dsBm.bmWidthBytes;
  return reinterpret_cast<const DWORD*>(row)[x] & 0xFFFFFF;
}

}  // namespace Testing
}  // namespace DuiLib
