#pragma once

// One per window: owns the control tree, finds controls, lays them out,
// paints them double-buffered, turns window messages into control events and
// delivers notifications.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "duilib/DuiRect.h"
#include "duilib/DuiString.h"
#include "duilib/Types.h"

namespace DuiLib {

namespace detail {
class INativeEditHost;
struct SharedFont;
class BackBuffer;
class ToolTip;
}  // namespace detail

class CContainerUI;

class CPaintManagerUI final {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Once, at start-up or later: the instance registers the window classes
  // (until then the program's own module does); GDI+ starts here, unless its
  // first use started it before, and runs until the process ends.
  static void SetInstance(HINSTANCE hInst);
  [[nodiscard]] static HINSTANCE GetInstance();

  // Binds the manager to its window (called when the window is created).
  void Init(HWND hWnd);
  [[nodiscard]] HWND GetPaintWindow() const { return m_hWndPaint; }
  // The manager of a framework window, or NULL.
  [[nodiscard]] static CPaintManagerUI* FromWindow(HWND hWnd);

  // Folder that skin-relative names are resolved against (ends with "\").
  void SetResourcePath(LPCTSTR pStrPath);
  [[nodiscard]] const CDuiString& GetResourcePath() const { return m_sResourcePath; }
  // An absolute path as is; anything else relative to the resource folder.
  [[nodiscard]] CDuiString ResolvePath(LPCTSTR pStrName) const;

  // ---- Tree ----
  bool AttachDialog(CControlUI* pControl);
  [[nodiscard]] CControlUI* GetRoot() const { return m_pRoot; }
  [[nodiscard]] CControlUI* FindControl(LPCTSTR pstrName) const;
  [[nodiscard]] CControlUI* FindControl(POINT pt) const;
  // Whether the pointer is a control now in this tree. Never dereferences it.
  [[nodiscard]] bool IsControlAlive(CControlUI* pControl) const;
  // Frees the tree (pinned controls when their dispatch ends), timers,
  // notifiers and filters. Called when the window is destroyed.
  void ReleaseAll();

  // ---- Notifications ----
  void SendNotify(TNotifyUI& Msg, bool bAsync = false);
  void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool bAsync = false);
  bool AddNotifier(INotifyUI* pControl);
  bool RemoveNotifier(INotifyUI* pControl);
  bool AddPreMessageFilter(IMessageFilterUI* pFilter);
  bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
  bool AddMessageFilter(IMessageFilterUI* pFilter);
  bool RemoveMessageFilter(IMessageFilterUI* pFilter);

  // ---- Fonts and colours ----
  void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                      bool bShared = false);
  HFONT AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
  // An unknown id (and -1) gives the default font.
  HFONT GetFont(int id);
  const TFontInfo* GetFontInfo(int id);
  // The font of an id for a control that may have no manager.
  static const TFontInfo* ResolveFont(CPaintManagerUI* pManager, int id);
  void SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; }
  [[nodiscard]] DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
  void SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; }
  [[nodiscard]] DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
  void SetDefaultLinkFontColor(DWORD dwColor, bool bShared = false);
  [[nodiscard]] DWORD GetDefaultLinkFontColor() const;
  void SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared = false);
  [[nodiscard]] DWORD GetDefaultLinkHoverFontColor() const;
  // A popup of a control (the combo's drop list) draws with the fonts,
  // colours and resource folder of the control's window.
  void ShareStyleOf(const CPaintManagerUI& other);
  // Default attribute lists of the skin's <Default> elements, by class name.
  void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList);
  [[nodiscard]] LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;

  // ---- Focus ----
  void SetFocus(CControlUI* pControl);
  [[nodiscard]] CControlUI* GetFocus() const { return m_pFocus; }
  // Moves the focus to the next (or previous) Tab stop in the order of the
  // layout, a group of options counting as one stop, and scrolls it into
  // view; false when there is none.
  bool SetNextTabControl(bool bForward = true);

  // ---- Keyboard roles (the skin's Window attributes) ----
  // Esc that no control takes clicks this control as the mouse would: the
  // window's close button, so that Esc closes the window the same way.
  void SetEscapeControl(LPCTSTR pstrName) { m_sEscapeControl = pstrName; }
  // Enter in a text field presses this button, the window's main action,
  // instead of raising "return".
  void SetDefaultButton(LPCTSTR pstrName) { m_sDefaultButton = pstrName; }
  // The control that has the focus when the window opens: the field the user
  // types into first.
  void SetInitialFocus(LPCTSTR pstrName) { m_sInitialFocus = pstrName; }
  // Focuses the initial control unless a control has the focus already.
  void FocusInitialControl();
  // Enter in a text field: presses the default button; false when the window
  // has none, and the field raises "return" instead.
  bool PressDefaultButton();

  // ---- Layout and painting ----
  void Invalidate(const RECT& rcItem);
  void Invalidate();
  // The whole tree is laid out again before the next paint.
  void NeedUpdate();
  // The control's own layout is redone before the next paint.
  void NeedUpdate(CControlUI* pControl);
  // Runs any pending layout now.
  void UpdateLayout();
  // While held, invalidations are merged into one rectangle (or the whole
  // window) that goes to the window when the last hold ends: moving or adding
  // many controls at once (a layout, a scroll, a tree's rows) then costs one
  // InvalidateRect.
  void HoldInvalidation();
  void ReleaseInvalidation();
  [[nodiscard]] bool IsLayoutPending() const { return m_bLayoutPending; }
  // See CChangeWhilePainting.
  void BeginChangeWhilePainting(const RECT& rcArea, RECT* rcPreviousQuiet);
  void EndChangeWhilePainting(const RECT& rcPreviousQuiet) { m_rcQuiet = rcPreviousQuiet; }
  // Paints the tree into a DC whose origin is the client's (back buffer, or a
  // test bitmap). Lays out first when needed.
  void Render(HDC hDC, const RECT& rcPaint);

  // ---- Timers of controls (ids of the window timer are >= 0x10000) ----
  bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
  bool KillTimer(CControlUI* pControl, UINT nTimerID);
  void KillTimer(CControlUI* pControl);

  // A control painted a frame of an animated image: it is painted again when
  // the frame changes, for as long as it keeps being painted (in view). One
  // timer serves the whole window.
  void ScheduleAnimation(CControlUI* pControl, UINT uDelay);

  // ---- Skin of the window ----
  void SetInitSize(int cx, int cy) { m_szInitWindowSize = {cx, cy}; }
  [[nodiscard]] SIZE GetInitSize() const { return m_szInitWindowSize; }
  void SetCaptionRect(RECT rcCaption) { m_rcCaption = rcCaption; }
  [[nodiscard]] RECT GetCaptionRect() const { return m_rcCaption; }
  void SetSizeBox(RECT rcSizeBox) { m_rcSizeBox = rcSizeBox; }
  [[nodiscard]] RECT GetSizeBox() const { return m_rcSizeBox; }
  void SetRoundCorner(int cx, int cy) { m_szRoundCorner = {cx, cy}; }
  [[nodiscard]] SIZE GetRoundCorner() const { return m_szRoundCorner; }
  void SetMinInfo(int cx, int cy) { m_szMinWindow = {cx, cy}; }
  [[nodiscard]] SIZE GetMinInfo() const { return m_szMinWindow; }
  void SetMaxInfo(int cx, int cy) { m_szMaxWindow = {cx, cy}; }
  [[nodiscard]] SIZE GetMaxInfo() const { return m_szMaxWindow; }
  // Sets the window region from the round corner (a plain rectangle when
  // there is none, or when the window is maximised).
  void UpdateWindowRegion();
  // Non-client hit test of a client point: sizing border, caption, client.
  [[nodiscard]] LRESULT HitTestNonClient(POINT ptClient) const;

  // ---- Messages ----
  // Key pre-routing and pre-filters of every loop (GetMessage, this, then
  // TranslateMessage/DispatchMessage). True when the message was consumed.
  static bool TranslateMessage(const LPMSG pMsg);
  // While a key aimed at a hosted edit is sent on to its window: that edit's
  // control. The key belongs to it even when the focus has moved since the
  // key was queued. Null outside such a key.
  [[nodiscard]] static CControlUI* GetRoutedKeyTarget();
  // Input to controls, paint, layout, internal timers. True when handled.
  bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  // Messages the framework must see whatever the window does with them
  // (hosted edits' colours and changes, region on resize). Runs first.
  bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

  // ---- State read by controls and tests ----
  [[nodiscard]] POINT GetMousePos() const { return m_ptLastMousePos; }
  [[nodiscard]] CControlUI* GetHotControl() const { return m_pEventHover; }
  [[nodiscard]] CControlUI* GetPressedControl() const { return m_pEventClick; }
  // The text of the tooltip now shown, "" when none.
  [[nodiscard]] CDuiString GetCurrentToolTip() const;

  // ---- Internals used by controls ----
  void RegisterControl(CControlUI* pControl);
  void ReapControl(CControlUI* pControl);
  void RenameControl(CControlUI* pControl, const CDuiString& oldName);
  void AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
  void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
  [[nodiscard]] std::vector<CControlUI*> GetOptionGroup(LPCTSTR pStrGroupName) const;
  // Gives an event to a control, pinning it and its ancestors meanwhile.
  void DispatchEvent(CControlUI* pControl, TEventUI& event);
  // Whether the focused control or one of its ancestors is this control.
  [[nodiscard]] bool IsFocusWithin(const CControlUI* pControl) const;
  // Restyles controls after a default font change (native edits keep a font).
  void BroadcastFontChange();
  // The native focus left a hosted child: drop the framework focus without
  // taking the native focus back.
  void OnNativeFocusLost(CControlUI* pControl);
  // Called by a control from DoEvent: the key event was used, so it does not
  // go on to a native window.
  void MarkKeyHandled() { m_bKeyHandled = true; }
  // A container scrolled its content: the tooltip of a control inside it
  // goes, as that control has moved away from under the pointer.
  void OnContentScrolled(const CControlUI* pContainer);

 private:
  struct TimerInfo {
    CControlUI* pControl;
    UINT nLocalID;
    UINT_PTR uWinTimer;
  };
  struct AsyncNotify {
    TNotifyUI msg;
  };

  void SetFocusImpl(CControlUI* pControl, bool bMoveNativeFocus);
  // The window has the keyboard again: the control that had the focus when
  // it was deactivated takes it back, as in any dialog.
  void RestoreFocusAfterActivation();
  void SetHot(CControlUI* pControl, POINT pt);
  void OnMouseMove(POINT pt, WPARAM wParam);
  void OnButtonDown(UINT uMsg, POINT pt, WPARAM wParam);
  void OnButtonUp(UINT uMsg, POINT pt, WPARAM wParam);
  bool OnMouseWheel(WPARAM wParam, LPARAM lParam);
  bool OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // The keys no control took: Esc, and the arrows inside a group of options.
  bool OnUnusedKey(WPARAM key);
  bool PressEscapeControl();
  bool MoveFocusInGroup(CContainerUI& group, WPARAM key);
  // The focus moved by a key: the control is scrolled into view.
  void FocusByKeyboard(CControlUI* pControl);
  // The member of a group that Tab gives the focus to: the one focused last,
  // NULL when that one is gone.
  [[nodiscard]] CControlUI* GroupEntry(const CContainerUI& group) const;
  void RememberGroupEntry(CControlUI* pControl);
  void ForgetGroupEntry(CControlUI* pControl);
  bool OnSetCursor(WPARAM wParam, LPARAM lParam);
  void OnPaint();
  // InvalidateRect, unless an earlier ask since the last paint covers the
  // area (null: the whole window).
  void InvalidateWindow(const RECT* rc);
  // Leaves the window's visible native children out of what the paint's DC
  // may draw on.
  void ExcludeNativeChildren(HDC dc, const RECT& rcPaint) const;
  void DeliverAsyncNotifications();
  void SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam = 0, LPARAM lParam = 0, TCHAR ch = 0);
  void ProcessDirtyControls();
  void ApplyZoomState();
  void HideToolTip();
  void ShowToolTip();
  // The tip's show time ran out; false for another timer.
  bool OnToolTipTimer(WPARAM timer);
  // The window moved or changed size: the tip goes and waits for the pointer to move.
  void OnWindowMoved();
  // The live control of this tree that hosts the native child window.
  detail::INativeEditHost* FindHostOf(HWND hWndChild) const;

  HWND m_hWndPaint = nullptr;
  CControlUI* m_pRoot = nullptr;
  CDuiString m_sResourcePath;

  CControlUI* m_pFocus = nullptr;
  // The focus when the window was last deactivated: a field whose native
  // child lost the keyboard then gets it back when the window is active again.
  CControlUI* m_pFocusToRestore = nullptr;
  CControlUI* m_pEventHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  CControlUI* m_pEventRClick = nullptr;
  POINT m_ptLastMousePos = {-1, -1};
  bool m_bMouseTracking = false;
  bool m_bMouseCapture = false;
  bool m_bKeyHandled = false;
  // Keys being handled now, one inside the other (a key that opens a dialog).
  int m_nKeyDispatchDepth = 0;
  CDuiString m_sEscapeControl;
  CDuiString m_sDefaultButton;
  CDuiString m_sInitialFocus;
  // Each group of options and its member focused last.
  std::unordered_map<const CControlUI*, CControlUI*> m_groupEntries;

  // Every live control of the tree, and the name index: each name maps the
  // registration order to the control, so duplicates resolve to the earliest.
  std::unordered_set<CControlUI*> m_liveControls;
  std::unordered_map<std::wstring, std::map<uint64_t, CControlUI*>> m_names;
  std::unordered_map<std::wstring, std::vector<CControlUI*>> m_optionGroups;
  uint64_t m_nNextRegistration = 1;

  std::vector<INotifyUI*> m_notifiers;
  std::vector<IMessageFilterUI*> m_preFilters;
  std::vector<IMessageFilterUI*> m_filters;
  std::deque<AsyncNotify> m_asyncNotify;
  bool m_bAsyncPosted = false;

  std::vector<TimerInfo> m_timers;
  UINT_PTR m_uNextTimerID = 0x10000;
  std::unordered_set<CControlUI*> m_animated;
  ULONGLONG m_animationDue = 0;

  std::map<int, std::shared_ptr<detail::SharedFont>> m_fonts;
  std::shared_ptr<detail::SharedFont> m_defaultFont;
  DWORD m_dwDefaultFontColor = 0xFF333333;
  DWORD m_dwDefaultDisabledColor = 0xFFA5A5A5;
  DWORD m_dwLinkFontColor = 0;
  DWORD m_dwLinkHoverFontColor = 0;
  std::map<std::wstring, std::wstring> m_defaultAttributes;

  std::unordered_set<CControlUI*> m_dirty;
  bool m_bLayoutPending = false;
  bool m_bInLayout = false;
  int m_nInvalidationHolds = 0;
  CDuiRect m_rcHeldInvalid;
  bool m_bHeldWholeInvalid = false;
  // What this manager asked the system to repaint since its last paint began:
  // an area inside it is not asked for again.
  std::vector<RECT> m_pendingPaint;
  bool m_bWholePaintPending = false;
  // While a paint is under way: areas its update region holds whole.
  std::vector<RECT> m_paintingAreas;
  // Invalidations inside it are drawn by the paint under way (see
  // CChangeWhilePainting).
  RECT m_rcQuiet = {0, 0, 0, 0};
  SIZE m_szLaidOut = {-1, -1};
  std::unique_ptr<detail::BackBuffer> m_backBuffer;
  std::unique_ptr<detail::ToolTip> m_toolTip;
  bool m_bToolTipHeldBack = false;
  POINT m_ptToolTipHeldAt = {0, 0};  // screen

  SIZE m_szInitWindowSize = {0, 0};
  SIZE m_szMinWindow = {0, 0};
  SIZE m_szMaxWindow = {0, 0};
  SIZE m_szRoundCorner = {0, 0};
  RECT m_rcCaption = {0, 0, 0, 0};
  RECT m_rcSizeBox = {0, 0, 0, 0};
  SIZE m_szRegion = {-1, -1};
  bool m_bRegionZoomed = false;
  int m_nZoomState = -1;  // -1 unknown, 0 normal, 1 zoomed
};

// A control that changes itself in its own paint, before it draws (an avatar
// that looks its picture up when first shown): when the paint under way
// draws every pixel of `area`, the change's invalidations inside it are
// dropped, as this very paint shows the change. Otherwise they stand, and a
// second paint follows.
class CChangeWhilePainting final {
 public:
  CChangeWhilePainting(CPaintManagerUI& manager, const RECT& area) : m_manager(manager) {
    m_manager.BeginChangeWhilePainting(area, &m_previous);
  }
  ~CChangeWhilePainting() { m_manager.EndChangeWhilePainting(m_previous); }
  CChangeWhilePainting(const CChangeWhilePainting&) = delete;
  CChangeWhilePainting& operator=(const CChangeWhilePainting&) = delete;

 private:
  CPaintManagerUI& m_manager;
  RECT m_previous = {0, 0, 0, 0};
};

// Holds the manager's invalidations for its scope (see HoldInvalidation).
class CInvalidationHold final {
 public:
  explicit CInvalidationHold(CPaintManagerUI& manager) : m_manager(manager) { m_manager.HoldInvalidation(); }
  ~CInvalidationHold() { m_manager.ReleaseInvalidation(); }
  CInvalidationHold(const CInvalidationHold&) = delete;
  CInvalidationHold& operator=(const CInvalidationHold&) = delete;

 private:
  CPaintManagerUI& m_manager;
};

}  // namespace DuiLib
