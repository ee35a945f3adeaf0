#pragma once

// The raw window: class registration, creation, the window procedure that
// routes messages to the object, the nested modal loop, and the clean-up at
// the last message.

#include <windows.h>

#include <atomic>

#include "duilib/DuiString.h"

namespace DuiLib {

class CWindowWnd {
 public:
  CWindowWnd();
  // A window object destroyed while its window exists detaches and destroys
  // the window, so no message can reach a dead object.
  virtual ~CWindowWnd();
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  // NULL before Create and after the last message.
  [[nodiscard]] HWND GetHWND() const { return m_hWnd.load(); }
  operator HWND() const { return GetHWND(); }

  // The parent becomes the owner. NULL on failure; OnFinalMessage still runs
  // when the failure came after WM_NCCREATE.
  HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
  void ShowWindow(bool bShow = true, bool bTakeFocus = true);
  // Runs the window's own loop until the window is destroyed; returns the
  // code of the Close that ended it, or 0.
  UINT ShowModal();
  // Posts WM_CLOSE(nRet); any thread; a no-op without a window.
  void Close(UINT nRet = IDOK);
  // Over a visible owner, else over the work area, then kept inside it.
  void CenterWindow();
  // The window has no frame: the client size is the window size.
  void ResizeClient(int cx = -1, int cy = -1);
  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  // After OnFinalMessage, deletes the object once no dispatch on it runs.
  void SetAutoDelete(bool bAutoDelete = true);

  // The framework window object of a handle; NULL for foreign windows.
  [[nodiscard]] static CWindowWnd* FromHandle(HWND hWnd);
  // The window whose modal loop runs innermost on the calling thread; NULL
  // when none runs.
  [[nodiscard]] static HWND InnermostModalWindow();

  [[nodiscard]] virtual LPCTSTR GetWindowClassName() const = 0;
  [[nodiscard]] virtual UINT GetClassStyle() const;
  virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // Once, at WM_NCDESTROY, after the framework's own clean-up. The base does nothing.
  virtual void OnFinalMessage(HWND hWnd);

 protected:
  // Framework messages that must be seen before the window's own handler.
  virtual bool PreHandleFrameworkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  // Releases what the framework holds for the window, before OnFinalMessage.
  virtual void ReleaseFrameworkResources() {}

  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  // Detaches the object from its window and destroys the window; for
  // destructors, so that no message reaches a half-destroyed object.
  void DetachAndDestroyWindow();

 private:
  bool RegisterWindowClass();
  LRESULT Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  void OnNcDestroy(HWND hWnd);

  std::atomic<HWND> m_hWnd{nullptr};
  int m_nDispatchDepth = 0;
  bool m_bAutoDelete = false;
  bool m_bDeletePending = false;
};

}  // namespace DuiLib
