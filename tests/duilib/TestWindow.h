#pragma once

// A window built like the client's windows (WindowImplBase, a skin, Notify by
// type then name), whose skin and reactions each test chooses.

#include <functional>
#include <string>

#include "duilib/testing.h"
#include "duilib/UIlib.h"

namespace duilib_test {

class TestWindow : public DuiLib::WindowImplBase {
 public:
  explicit TestWindow(std::wstring skin, std::wstring className = L"DuiTestWindow")
      : m_skin(std::move(skin)), m_className(std::move(className)) {}

  LPCTSTR GetWindowClassName() const override { return m_className.c_str(); }
  DuiLib::CDuiString GetSkinFolder() override { return m_folder.c_str(); }
  DuiLib::CDuiString GetSkinFile() override { return m_skin.c_str(); }

  void InitWindow() override {
    ++initCount;
    if (onInit) onInit(*this);
  }
  void Notify(DuiLib::TNotifyUI& msg) override {
    if (onNotify && onNotify(*this, msg)) return;
    WindowImplBase::Notify(msg);
  }
  void OnClick(DuiLib::TNotifyUI& msg) override {
    ++clickCount;
    WindowImplBase::OnClick(msg);
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    if (onMessage) {
      bool handled = false;
      const LRESULT result = onMessage(*this, uMsg, wParam, lParam, handled);
      if (handled) return result;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
  }
  void OnFinalMessage(HWND hWnd) override {
    ++finalCount;
    if (onFinal) onFinal(*this);
  }
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override {
    return onCreateControl ? onCreateControl(pstrClass) : nullptr;
  }

  DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }
  DuiLib::CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }
  template <class T>
  T* FindAs(LPCTSTR name, LPCTSTR iface) {
    DuiLib::CControlUI* control = Find(name);
    return control ? static_cast<T*>(control->GetInterface(iface)) : nullptr;
  }
  void SetFolder(std::wstring folder) { m_folder = std::move(folder); }
  // Creates a plain popup at a fixed place, the way dialogs are created.
  HWND CreatePopup(HWND owner = nullptr, DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, LPCTSTR title = L"test") {
    return Create(owner, title, style, 0, 40, 40, CW_USEDEFAULT, CW_USEDEFAULT);
  }

  std::function<void(TestWindow&)> onInit;
  std::function<bool(TestWindow&, DuiLib::TNotifyUI&)> onNotify;
  std::function<LRESULT(TestWindow&, UINT, WPARAM, LPARAM, bool&)> onMessage;
  std::function<void(TestWindow&)> onFinal;
  std::function<DuiLib::CControlUI*(LPCTSTR)> onCreateControl;
  int initCount = 0;
  int clickCount = 0;
  int finalCount = 0;

 private:
  std::wstring m_skin;
  std::wstring m_className;
  std::wstring m_folder = L"";
};

// Wraps a body of controls into a window skin of the given size.
inline std::wstring Skin(const std::wstring& body, const std::wstring& windowAttributes = L"size=\"400,300\"") {
  return L"<Window " + windowAttributes +
         L"><Font id=\"0\" name=\"微软雅黑\" size=\"13\" default=\"true\"/>" + body + L"</Window>";
}

}  // namespace duilib_test
