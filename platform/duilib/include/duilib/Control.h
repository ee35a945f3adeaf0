#pragma once

// The base of every control: identity, state, geometry, painting steps and
// events. Containers own their children; the paint manager of the window
// finds, lays out, paints and feeds them.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "duilib/DuiRect.h"
#include "duilib/DuiString.h"
#include "duilib/Types.h"

namespace DuiLib {

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  [[nodiscard]] virtual LPCTSTR GetClass() const;
  // Checked casts by interface name ("Control", "Label", "Button"...): a class
  // answers its own name and the names of its bases, NULL otherwise.
  virtual LPVOID GetInterface(LPCTSTR pstrName);

  [[nodiscard]] CDuiString GetName() const { return m_sName; }
  void SetName(LPCTSTR pstrName);
  [[nodiscard]] virtual CDuiString GetText() const;
  virtual void SetText(LPCTSTR pstrText);
  [[nodiscard]] CDuiString GetToolTip() const { return m_sToolTip; }
  void SetToolTip(LPCTSTR pstrText);
  [[nodiscard]] const CDuiString& GetUserData() const { return m_sUserData; }
  void SetUserData(LPCTSTR pstrText);

  // Visible: the own flag and every ancestor's.
  [[nodiscard]] virtual bool IsVisible() const;
  // The control's own flag, ignoring ancestors.
  [[nodiscard]] bool IsSelfVisible() const { return m_bVisible; }
  virtual void SetVisible(bool bVisible = true);
  // Enabled: the own flag and every ancestor's.
  [[nodiscard]] virtual bool IsEnabled() const;
  virtual void SetEnabled(bool bEnable = true);
  [[nodiscard]] bool IsMouseEnabled() const { return m_bMouseEnabled; }
  void SetMouseEnabled(bool bEnable = true) { m_bMouseEnabled = bEnable; }
  [[nodiscard]] bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
  void SetKeyboardEnabled(bool bEnable = true) { m_bKeyboardEnabled = bEnable; }
  [[nodiscard]] virtual bool IsFocused() const { return m_bFocused; }
  virtual void SetFocus();
  // Whether a click or Tab gives this control the focus.
  [[nodiscard]] virtual bool IsFocusable() const { return false; }
  // Whether Tab moves the focus here: where the control takes it, unless the
  // skin's "tabstop" says no (a list whose rows carry their own buttons).
  [[nodiscard]] bool IsTabStop() const { return m_bTabStop && TakesTabStop(); }
  void SetTabStop(bool bTabStop) { m_bTabStop = bTabStop; }
  // Whether the control takes Tab as typing while it has the focus.
  [[nodiscard]] virtual bool WantsTab() const { return false; }
  // Whether the control takes the mouse itself at a point of its rectangle, so
  // that the window's caption area does not drag there.
  [[nodiscard]] virtual bool IsInteractiveAt(POINT pt) const { return false; }

  [[nodiscard]] int GetFixedWidth() const { return m_cxyFixed.cx; }
  [[nodiscard]] int GetFixedHeight() const { return m_cxyFixed.cy; }
  void SetFixedWidth(int cx);
  void SetFixedHeight(int cy);
  [[nodiscard]] int GetMinWidth() const { return m_cxyMin.cx; }
  [[nodiscard]] int GetMaxWidth() const { return m_cxyMax.cx; }
  [[nodiscard]] int GetMinHeight() const { return m_cxyMin.cy; }
  [[nodiscard]] int GetMaxHeight() const { return m_cxyMax.cy; }
  void SetMinWidth(int cx);
  void SetMaxWidth(int cx);
  void SetMinHeight(int cy);
  void SetMaxHeight(int cy);
  [[nodiscard]] RECT GetPadding() const { return m_rcPadding; }
  void SetPadding(RECT rcPadding);
  [[nodiscard]] bool IsFloat() const { return m_bFloat; }
  void SetFloat(bool bFloat = true);
  // Position of a floating control, relative to the parent's inner top-left.
  [[nodiscard]] RECT GetFloatPos() const { return m_rcFloatPos; }
  void SetFloatPos(RECT rc);

  [[nodiscard]] DWORD GetBkColor() const { return m_dwBackColor; }
  void SetBkColor(DWORD dwColor);
  [[nodiscard]] CDuiString GetBkImage() const { return m_bkImage.sValue; }
  void SetBkImage(LPCTSTR pStrImage);
  [[nodiscard]] DWORD GetBorderColor() const { return m_dwBorderColor; }
  void SetBorderColor(DWORD dwColor);
  [[nodiscard]] DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
  void SetFocusBorderColor(DWORD dwColor);
  [[nodiscard]] int GetBorderSize() const { return m_nBorderSize; }
  void SetBorderSize(int nSize);
  [[nodiscard]] SIZE GetBorderRound() const { return m_cxyBorderRound; }
  void SetBorderRound(SIZE cxyRound);
  // "hand" or "arrow".
  [[nodiscard]] bool IsHandCursor() const { return m_bHandCursor; }

  virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
  CControlUI* ApplyAttributeList(LPCTSTR pstrList);

  [[nodiscard]] virtual CControlUI* GetParent() const { return m_pParent; }
  [[nodiscard]] CPaintManagerUI* GetManager() const { return m_pManager; }

  [[nodiscard]] virtual const RECT& GetPos() const { return m_rcItem; }
  virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
  // Framework internal: moves a row that is out of view without laying out
  // what it holds; the full SetPos follows when it comes into view.
  void PlaceLazily(const RECT& rc);
  virtual SIZE EstimateSize(SIZE szAvailable);
  // Whether a row that runs out of room may make this control narrower than
  // its estimate, down to its minimum width: a text that ends with an
  // ellipsis shows what fits, so its neighbours keep their room.
  [[nodiscard]] virtual bool IsShrinkable() const { return false; }

  void Invalidate();
  // This control's own layout (its children) must be redone.
  void NeedUpdate();
  // This control's size may have changed: its parent lays out again.
  void NeedParentUpdate();
  [[nodiscard]] bool IsUpdateNeeded() const { return m_bUpdateNeeded; }

  virtual void DoPaint(HDC hDC, const RECT& rcPaint);
  virtual void PaintBkColor(HDC hDC);
  virtual void PaintBkImage(HDC hDC);
  virtual void PaintStatusImage(HDC hDC);
  virtual void PaintText(HDC hDC);
  virtual void PaintBorder(HDC hDC);

  virtual void DoEvent(TEventUI& event);

  // ---- Framework internals (tree, hit testing, lifetime) ----
  // Children in paint order; containers override.
  [[nodiscard]] virtual int GetChildCount() const { return 0; }
  [[nodiscard]] virtual CControlUI* GetChildAt(int index) const { return nullptr; }
  // The topmost visible, mouse-enabled control at the point, in this subtree.
  virtual CControlUI* HitTest(POINT pt);
  // Attaches this subtree to a manager (registers names, groups) or, with
  // NULL, detaches it (the manager drops every reference to it).
  virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent);
  // Whether a notification or a user action may still come from this control.
  [[nodiscard]] bool CanRaise() const;
  // Deletes the control, or, while a dispatch pins it, detaches it and
  // deletes it when the last pin goes.
  static void Release(CControlUI* pControl);
  [[nodiscard]] bool IsPinned() const { return m_nPins > 0; }
  // Debug builds: asserts that the control is alive (freed controls are
  // poisoned) and used on the thread that created it.
  void AssertUsable() const;
  // Expires when the control is destroyed. Work that finishes later (a
  // download, a core completion) keeps it instead of trusting the pointer.
  // User-interface thread only.
  [[nodiscard]] std::weak_ptr<void> GetLifetimeToken() const;
#ifndef NDEBUG
  static void operator delete(void* p, std::size_t size);
#endif
  // The effective visibility or enabled state changed here or above:
  // containers pass it on, hosted native windows follow it.
  virtual void PropagateState() {}

 protected:
  // Paints an image value into the rectangle; false when nothing was drawn.
  // A failed load is remembered in the slot until its value is set again.
  bool DrawImage(HDC hDC, TImageSlot& image, const RECT& rcDest);
  // Sends a notification through the manager, if attached.
  void Notify(LPCTSTR type, WPARAM wParam = 0, LPARAM lParam = 0);
  // Clips the DC to the border round of the control, when it has one.
  void ClipToRound(HDC hDC) const;
  // Called when the control's font or default font changed.
  virtual void OnFontChanged() {}
  // Whether the control by its kind is a Tab stop.
  [[nodiscard]] virtual bool TakesTabStop() const { return IsFocusable(); }

  CPaintManagerUI* m_pManager = nullptr;
  CControlUI* m_pParent = nullptr;
  CDuiString m_sName;
  CDuiString m_sText;
  CDuiString m_sToolTip;
  CDuiString m_sUserData;
  TImageSlot m_bkImage;
  RECT m_rcItem = {0, 0, 0, 0};
  RECT m_rcPadding = {0, 0, 0, 0};
  RECT m_rcFloatPos = {0, 0, 0, 0};
  SIZE m_cxyFixed = {0, 0};
  SIZE m_cxyMin = {0, 0};
  SIZE m_cxyMax = {9999, 9999};
  SIZE m_cxyBorderRound = {0, 0};
  DWORD m_dwBackColor = 0;
  DWORD m_dwBorderColor = 0;
  DWORD m_dwFocusBorderColor = 0;
  int m_nBorderSize = 1;
  bool m_bVisible = true;
  bool m_bEnabled = true;
  bool m_bMouseEnabled = true;
  bool m_bKeyboardEnabled = false;
  bool m_bTabStop = true;
  bool m_bFocused = false;
  bool m_bFloat = false;
  bool m_bHandCursor = false;
  bool m_bUpdateNeeded = true;

 private:
  friend class CPaintManagerUI;
  friend class CControlPin;
  void DetachPinned();

  uint64_t m_nRegistration = 0;  // order of registration with the manager
  mutable std::shared_ptr<char> m_lifetime;  // made on first request: rows are many
  uint32_t m_uAliveMark;
  DWORD m_dwOwnerThread;
  int m_nPins = 0;
  bool m_bReleasePending = false;
};

}  // namespace DuiLib
