#pragma once

// One picture of a conversation in a window of its own, sized to the
// picture: zoomed with the buttons or the wheel, turned a quarter at a time,
// dragged (the picture when it is larger than the window, else the window),
// maximised, and saved under a name the user chooses. It opens at once with
// what the cache holds (as a rule the message's thumbnail) and fetches the
// picture itself from its address into the cache, off the user-interface
// thread; saving downloads it again from the service.

#include <windows.h>

#include <string>
#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "files/viewer/ViewerLogic.h"

class CUUCenterUI;

class ImageViewerWnd final : public DuiLib::WindowImplBase {
 public:
  ImageViewerWnd();
  ~ImageViewerWnd() override;

  LPCTSTR GetWindowClassName() const override { return L"ImageViewerWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_image_viewer_wnd.xml"; }
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void OnFinalMessage(HWND hWnd) override;

  // Local paths of the pictures (copied) and the one shown first.
  void SetImageList(const std::vector<DuiLib::CDuiString>& images, int current);
  // The picture's address on the service and its title (the default name
  // when saving). Shows the current picture, sized and centred, and fetches
  // the picture behind the address to show in its place.
  void Open(const std::wstring& address, const std::wstring& title);

  // Downloads an http(s) address into the path on a thread of its own;
  // nothing is reported.
  static void DownloadSavedImage(const std::wstring& address, const std::wstring& path);

 private:
  void FindControls();
  void FitClientToPicture();
  void FetchPicture();
  void ShowFetchedPicture(int index, const DuiLib::CDuiString& path);
  void ShowCurrentImage(const DuiLib::CDuiString& path);
  // The picture the control holds, laid out again after the window changed.
  void LayOutShownPicture();
  void EnableNeighbourButtons();
  // Stays until the viewer closes.
  void ShowNotice(const std::wstring& text);
  void ShowNeighbour(int step);
  [[nodiscard]] int CurrentZoomPercent() const;
  void Zoom(files::ZoomCommand command);
  void ApplyZoom();
  void Rotate();
  void SaveAs();
  void DragImage(POINT point);
  void DragWindow(POINT point);
  void ShowEdgeButtons(POINT point, const RECT& client);
  void HideNeighbourButtons();
  void PlaceOnClient();
  [[nodiscard]] RECT ClientRect() const;

  SIZE m_maximumClient;
  CWndShadow m_shadow;
  CUUCenterUI* m_picture = nullptr;
  DuiLib::CControlUI* m_backgroundPanel = nullptr;
  DuiLib::CControlUI* m_toolbar = nullptr;
  DuiLib::CControlUI* m_bottomListPanel = nullptr;
  std::wstring m_title;
  std::wstring m_imageAddress;
  wchar_t m_fileName[files::kSaveNameBufferLength] = {};
  DuiLib::CControlUI* m_zoomBadge = nullptr;
  DuiLib::CControlUI* m_zoomLabel = nullptr;
  DuiLib::CControlUI* m_fullScreenCloseButton = nullptr;
  DuiLib::CControlUI* m_previousButton = nullptr;
  DuiLib::CControlUI* m_fullScreenPreviousButton = nullptr;
  DuiLib::CControlUI* m_nextButton = nullptr;
  DuiLib::CControlUI* m_fullScreenNextButton = nullptr;
  DuiLib::CControlUI* m_pageUpButton = nullptr;
  DuiLib::CControlUI* m_pageDownButton = nullptr;
  DuiLib::CControlUI* m_noticeBar = nullptr;
  DuiLib::CControlUI* m_notice = nullptr;
  int m_zoomStep = 0;
  std::vector<int> ZoomStepOffsets = {3, 5, 7};
  bool m_buttonDown = false;
  bool m_pictureDrag = false;
  POINT m_pressPoint = {};
  POINT m_lastPoint = {};
  bool m_trackMouse = true;
  std::vector<DuiLib::CDuiString> m_images;
  int m_currentIndex = 0;
  int m_rotation = 0;
  bool m_maximised = false;
  // Last member: the fetch's completion is skipped once the viewer is gone.
  CLifetimeGuard m_guard;
};
