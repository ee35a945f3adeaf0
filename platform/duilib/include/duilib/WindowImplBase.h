#pragma once

// The base of every client window: builds the control tree from the skin at
// creation, routes messages (hooks, then HandleCustomMessage, then the paint
// manager), draws no system frame, and acts on the system buttons.

#include "duilib/PaintManager.h"
#include "duilib/Window.h"

namespace DuiLib {

class WindowImplBase : public CWindowWnd, public INotifyUI, public IMessageFilterUI, public IDialogBuilderCallback {
 public:
  WindowImplBase() = default;
  ~WindowImplBase() override;

  // Empty; derived windows set their texts and look controls up here.
  virtual void InitWindow() {}
  // Runs OnClick for "click", at most once per record.
  void Notify(TNotifyUI& msg) override;
  // "closebtn" closes, "minbtn"/"maxbtn"/"restorebtn" send the system
  // command; acts at most once per record.
  virtual void OnClick(TNotifyUI& msg);

  // The skin folder: an absolute path, or one relative to the working
  // directory at the time the window is created.
  virtual CDuiString GetSkinFolder() = 0;
  // A file name in the skin folder, or XML text starting with "<".
  virtual CDuiString GetSkinFile() = 0;
  [[nodiscard]] UINT GetClassStyle() const override;
  // The builder asks for classes it does not know; the base knows none.
  CControlUI* CreateControl(LPCTSTR pstrClass) override;
  LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

  // Builds the tree, sizes the window, sets its region, registers the window
  // as notifier and filter and calls InitWindow. -1 when the skin fails.
  virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // The skin's window size kept within bounds: at least the skin's minimum
  // (and never below kLeastWindowExtent), at most the work area.
  [[nodiscard]] static SIZE ClampWindowSize(SIZE asked, SIZE minimum, const RECT& workArea);
  [[nodiscard]] static RECT WorkAreaOf(HWND hWnd);
  static constexpr LONG kLeastWindowExtent = 32;
  virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // Runs DefWindowProc and returns its result.
  virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // Everything the hooks above do not cover (WM_TIMER, WM_USER + n...).
  virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool PreHandleFrameworkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) override;
  void ReleaseFrameworkResources() override;

  CPaintManagerUI m_PaintManager;
};

}  // namespace DuiLib
