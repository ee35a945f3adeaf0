#include "files/viewer/ImageViewerWnd.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/frame/WindowManager.h"
#include "app/storage/DownloadCache.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "duilib/ImageFiles.h"
#include "files/FilesMessages.h"
#include "files/viewer/SavedImageDownloads.h"
#include "files/viewer/UUCenterUI.h"
#include "quennet/EventLog.h"

using namespace DuiLib;
using mireloomwnd::kZoomBadgeMs;
using mireloomwnd::kZoomBadgeTimer;

namespace {

// Without OFN_NOCHANGEDIR the dialog leaves the working directory in the
// folder the picture was saved to.
constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
// How close to a bottom corner the page buttons of a maximised viewer appear.
constexpr int kCornerReach = 100;

// The primary monitor's work area, which bounds the client size.
SIZE GetPrimaryWorkAreaSize() {
  MONITORINFO info = {sizeof info};
  GetMonitorInfoW(MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTOPRIMARY), &info);
  return {info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top};
}

// Changes the visibility only when it differs: every change lays the window out again.
void SetShown(CControlUI* control, bool shown) {
  if (control && control->IsSelfVisible() != shown) control->SetVisible(shown);
}

// The picture itself is cached apart from its thumbnail, under the
// thumbnail's own name.
std::string PictureCacheKey(const std::wstring& thumbnailPath) {
  const size_t separator = thumbnailPath.find_last_of(L"\\/");
  return "picture-" + WideToUtf8(separator == std::wstring::npos ? thumbnailPath : thumbnailPath.substr(separator + 1));
}

void LogFetchFailure(const std::string& reason) {
  quennet::log_error("The picture itself could not be fetched (%s): the thumbnail stays", reason.c_str());
}

bool PointIn(const CControlUI* control, POINT point) {
  if (!control || !control->IsVisible()) return false;
  const RECT rect = control->GetPos();
  return PtInRect(&rect, point) != FALSE;
}

}  // namespace

void mireloomwnd::WindowManager::ShowImageViewerWnd(const CDuiString& imagePath, const CDuiString& address,
                                                    const CDuiString& title) {
  ShowPrepared<ImageViewerWnd>(WindowSlot::ImageViewerWnd, {}, [&](ImageViewerWnd& viewer) {
    viewer.SetImageList({imagePath}, 0);
    viewer.Open(address.GetData(), title.GetData());
  });
}

ImageViewerWnd::ImageViewerWnd() {
  const SIZE workArea = GetPrimaryWorkAreaSize();
  m_maximumClient = {workArea.cx - 10, workArea.cy - 10};
}

ImageViewerWnd::~ImageViewerWnd() = default;

CDuiString ImageViewerWnd::GetSkinFolder() { return mireloomwnd::SkinFolder(); }

CControlUI* ImageViewerWnd::CreateControl(LPCTSTR pstrClass) {
  if (pstrClass && wcscmp(pstrClass, L"UUCenter") == 0) return new CUUCenterUI;
  return WindowImplBase::CreateControl(pstrClass);
}

LRESULT ImageViewerWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return mireloomwnd::CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void ImageViewerWnd::InitWindow() {
  using mireloomwnd::TextTarget;
  mireloomwnd::ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                                           {L"amplifybtn", "AmplifyBtn", TextTarget::ToolTip},
                                           {L"reducebtn", "ReduceBtn", TextTarget::ToolTip},
                                           {L"rotationbtn", "RotateBtn", TextTarget::ToolTip},
                                           {L"saveasbtn", "SaveImageBtn", TextTarget::ToolTip}});
  FindControls();
  WindowImplBase::InitWindow();
}

void ImageViewerWnd::FindControls() {
  using mireloomwnd::FindSkinControl;
  m_picture = FindSkinControl<CUUCenterUI>(m_PaintManager, L"imgpanel", L"UUCenter");
  m_backgroundPanel = FindSkinControl<CControlUI>(m_PaintManager, L"bkpanel", L"Control");
  m_toolbar = FindSkinControl<CControlUI>(m_PaintManager, L"toolbar", L"Control");
  m_bottomListPanel = FindSkinControl<CControlUI>(m_PaintManager, L"bottomlistpanel", L"Control");
  m_zoomBadge = FindSkinControl<CControlUI>(m_PaintManager, L"transfernumber", L"Control");
  m_zoomLabel = FindSkinControl<CControlUI>(m_PaintManager, L"numberlabel", L"Control");
  m_fullScreenCloseButton = FindSkinControl<CControlUI>(m_PaintManager, L"fullscreenclosebtn", L"Control");
  m_previousButton = FindSkinControl<CControlUI>(m_PaintManager, L"leftbtn", L"Control");
  m_fullScreenPreviousButton = FindSkinControl<CControlUI>(m_PaintManager, L"fullscreenleftbtn", L"Control");
  m_nextButton = FindSkinControl<CControlUI>(m_PaintManager, L"rightbtn", L"Control");
  m_fullScreenNextButton = FindSkinControl<CControlUI>(m_PaintManager, L"fullscreenrightbtn", L"Control");
  m_pageUpButton = FindSkinControl<CControlUI>(m_PaintManager, L"uppagebtn", L"Control");
  m_pageDownButton = FindSkinControl<CControlUI>(m_PaintManager, L"downpagebtn", L"Control");
  m_noticeBar = FindSkinControl<CControlUI>(m_PaintManager, L"picture_notice_bar", L"Control");
  m_notice = FindSkinControl<CControlUI>(m_PaintManager, L"picture_notice", L"Control");
}

void ImageViewerWnd::SetImageList(const std::vector<CDuiString>& images, int current) {
  m_images = images;
  m_currentIndex = current;
}

void ImageViewerWnd::Open(const std::wstring& address, const std::wstring& title) {
  m_imageAddress = address;
  m_title = title;
  const bool hasImage = m_currentIndex >= 0 && static_cast<size_t>(m_currentIndex) < m_images.size();
  if (m_picture && hasImage) m_picture->SetImage(m_images[static_cast<size_t>(m_currentIndex)]);
  FitClientToPicture();
  PlaceOnClient();
  SetShown(m_toolbar, false);
  HideNeighbourButtons();
  SetShown(m_zoomBadge, false);
  if (hasImage) LayOutShownPicture();
  ShowWindow(true, true);
  CenterWindow();
  if (hasImage) FetchPicture();
}

void ImageViewerWnd::FetchPicture() {
  // The address comes from the server: only the web is asked.
  if (!IsOpenableAddress(m_imageAddress, AddressPolicy::Web)) return LogFetchFailure("no web address");
  const int index = m_currentIndex;
  const std::string key = PictureCacheKey(m_images[static_cast<size_t>(index)].GetData());
  auto show = [this, index, token = m_guard.Token()](const std::string& path) {
    CUiThread::Post(token, [this, index, path] { ShowFetchedPicture(index, AnsiToWide(path).c_str()); });
  };
  RequestRedirectLocation(
      WideToAnsi(m_imageAddress),
      [key, show](const std::string& location) {
        if (!IsOpenableAddress(AnsiToWide(location), AddressPolicy::Web)) {
          return LogFetchFailure("the service named no web address");
        }
        DownloadToCache(location, key, show, LogFetchFailure);
      },
      LogFetchFailure);
}

void ImageViewerWnd::ShowFetchedPicture(int index, const CDuiString& path) {
  if (!GetHWND() || index < 0 || static_cast<size_t>(index) >= m_images.size()) return;
  // The size first: a picture that cannot be decoded leaves the thumbnail
  // in its place, and one too large to decode is said so.
  SIZE size = {};
  if (!DuiLib::GetImageFileSize(path.GetData(), &size)) return LogFetchFailure("no picture the viewer reads");
  if (!DuiLib::FitsPictureBudget(size.cx, size.cy)) {
    quennet::log_error("The picture itself is %ld x %ld pixels, too large to decode: the thumbnail stays", size.cx,
                       size.cy);
    if (index == m_currentIndex) ShowNotice(LocalizedText("PictureTooLargeTip"));
    return;
  }
  m_images[static_cast<size_t>(index)] = path;
  if (index != m_currentIndex) return;
  // The picture takes the thumbnail's place at its own size: the window is
  // fitted to it as at opening, unless the user has maximised it.
  m_zoomStep = 0;
  if (m_picture) m_picture->SetImage(path);
  if (!m_maximised) {
    FitClientToPicture();
    CenterWindow();
  }
  PlaceOnClient();
  LayOutShownPicture();
}

void ImageViewerWnd::FitClientToPicture() {
  if (!m_picture) return;
  const std::optional<SIZE> size =
      files::FitClientSize(m_picture->GetImageWidth(), m_picture->GetImageHeight(), m_maximumClient);
  if (size) ResizeClient(size->cx, size->cy);
}

RECT ImageViewerWnd::ClientRect() const {
  RECT client;
  GetClientRect(GetHWND(), &client);
  return client;
}

void ImageViewerWnd::PlaceOnClient() {
  const RECT client = ClientRect();
  if (m_backgroundPanel) m_backgroundPanel->SetPos(client, true);
  if (m_picture) m_picture->SetPos(client, true);
}

void ImageViewerWnd::ShowCurrentImage(const CDuiString& path) {
  EnableNeighbourButtons();
  if (m_picture) m_picture->SetImage(path);
}

void ImageViewerWnd::LayOutShownPicture() {
  EnableNeighbourButtons();
  // Laid out again in the control's final rectangle, in its turn; decoded once.
  if (m_picture) m_picture->SetRotation(m_rotation % 4);
}

void ImageViewerWnd::EnableNeighbourButtons() {
  const bool first = m_currentIndex == 0;
  const bool last = m_currentIndex + 1 >= static_cast<int>(m_images.size());
  for (CControlUI* previous : {m_previousButton, m_fullScreenPreviousButton}) {
    if (previous) previous->SetEnabled(!first);
  }
  for (CControlUI* next : {m_nextButton, m_fullScreenNextButton}) {
    if (next) next->SetEnabled(!last);
  }
}

void ImageViewerWnd::ShowNotice(const std::wstring& text) {
  if (m_notice) m_notice->SetText(text.c_str());
  SetShown(m_noticeBar, true);
}

void ImageViewerWnd::ShowNeighbour(int step) {
  m_zoomStep = 0;
  const int index = m_currentIndex + step;
  if (index < 0 || index >= static_cast<int>(m_images.size())) return;
  m_currentIndex = index;
  ShowCurrentImage(m_images[static_cast<size_t>(index)]);
}

// ---- Zoom and rotation ----------------------------------------------------------------------

int ImageViewerWnd::CurrentZoomPercent() const {
  return files::ZoomPercentForStep(m_picture ? m_picture->GetFitZoomPercent() : 0, m_zoomStep, ZoomStepOffsets);
}

void ImageViewerWnd::Zoom(files::ZoomCommand command) {
  const int fit = m_picture ? m_picture->GetFitZoomPercent() : 0;
  m_zoomStep = files::ZoomStepAfter(command, m_zoomStep, fit, ZoomStepOffsets);
  ApplyZoom();
}

void ImageViewerWnd::ApplyZoom() {
  const int percent = files::ClampZoomPercent(CurrentZoomPercent());
  if (m_zoomLabel) m_zoomLabel->SetText(std::to_wstring(percent).c_str());
  SetShown(m_zoomBadge, true);
  KillTimer(GetHWND(), kZoomBadgeTimer);
  SetTimer(GetHWND(), kZoomBadgeTimer, kZoomBadgeMs, nullptr);
  if (m_picture) m_picture->SetZoomPercent(percent);
}

void ImageViewerWnd::Rotate() {
  m_zoomStep = 0;
  ++m_rotation;
  if (m_picture) m_picture->SetRotation(m_rotation % 4);
}

// ---- Saving ---------------------------------------------------------------------------------

void ImageViewerWnd::SaveAs() {
  const std::wstring original = m_title;
  m_title = files::CleanNameForSaving(m_title);
  const std::wstring offered = files::FitNameToBuffer(m_title);
  wcsncpy(m_fileName, offered.c_str(), files::kSaveNameBufferLength - 1);
  m_fileName[files::kSaveNameBufferLength - 1] = L'\0';

  const std::wstring extension = files::ExtensionOf(original);
  const std::wstring filter =
      files::SaveFilter(extension, LocalizedText("SaveImageTypeLabel"), LocalizedText("SaveAllTypeLabel"));
  const std::wstring dialogTitle = LocalizedText("SaveAsLabel");
  // A picture belongs with the user's pictures, not in the program's folder.
  const std::wstring pictures = GetPicturesFolder();
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetHWND();
  dialog.lpstrFile = m_fileName;
  dialog.nMaxFile = files::kSaveNameBufferLength;
  dialog.Flags = kSaveDialogFlags;
  dialog.lpstrTitle = dialogTitle.c_str();
  dialog.lpstrInitialDir = pictures.empty() ? nullptr : pictures.c_str();
  dialog.nFilterIndex = 0;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  if (!Platform().ShowSaveFileDialog(&dialog)) return;

  const std::wstring path = m_fileName;
  RequestRedirectLocation(WideToAnsi(m_imageAddress), [path](const std::string& location) {
    DownloadSavedImage(AnsiToWide(location), path);
  });
}

void ImageViewerWnd::DownloadSavedImage(const std::wstring& address, const std::wstring& path) {
  // The completion runs on the HTTP client's thread, which must not wait for a whole download.
  if (!IsOpenableAddress(address, AddressPolicy::Web)) {
    quennet::log_error("Picture not saved: no download address");
    return;
  }
  files::StartSavedImageDownload(address, path);
}

// ---- Notifications and messages ---------------------------------------------------------------

void ImageViewerWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closeBtn" || name == L"fullscreenclosebtn") {
      mireloomwnd::WindowManager::GetInstance()->CloseImageViewerWnd();
    } else if (name == L"leftbtn" || name == L"fullscreenleftbtn") {
      ShowNeighbour(-1);
    } else if (name == L"rightbtn" || name == L"fullscreenrightbtn") {
      ShowNeighbour(1);
    } else if (name == L"amplifybtn") {
      Zoom(files::ZoomCommand::In);
    } else if (name == L"reducebtn") {
      Zoom(files::ZoomCommand::Out);
    } else if (name == L"originbtn") {
      Zoom(files::ZoomCommand::Fit);
    } else if (name == L"rotationbtn") {
      Rotate();
    } else if (name == L"saveasbtn") {
      SaveAs();
    } else {
      // The system buttons; the base's Notify below does not act on this record again.
      OnClick(msg);
    }
  }
  WindowImplBase::Notify(msg);
}

LRESULT ImageViewerWnd::OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const short delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (delta == 0) {
    bHandled = FALSE;
    return 0;
  }
  Zoom(delta > 0 ? files::ZoomCommand::In : files::ZoomCommand::Out);
  return 0;
}

LRESULT ImageViewerWnd::OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  m_trackMouse = true;
  bHandled = FALSE;
  return 0;
}

LRESULT ImageViewerWnd::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const bool wasZoomed = IsZoomed(GetHWND()) != FALSE;
  const LRESULT result = DefWindowProcW(GetHWND(), uMsg, wParam, lParam);
  if (!GetHWND() || (IsZoomed(GetHWND()) != FALSE) == wasZoomed) return result;
  SetShown(m_PaintManager.FindControl(L"maxbtn"), wasZoomed);
  SetShown(m_PaintManager.FindControl(L"restorebtn"), !wasZoomed);
  const RECT client = ClientRect();
  if (m_picture) {
    const RECT previous = m_picture->GetPos();
    m_picture->SetPos(client, true);
    m_picture->ScaleBaseRect(previous);
  }
  if (m_backgroundPanel) m_backgroundPanel->SetPos(client, true);
  ApplyZoom();
  m_maximised = IsZoomed(GetHWND()) != FALSE;
  HideNeighbourButtons();
  return result;
}

LRESULT ImageViewerWnd::OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  bHandled = FALSE;  // the framework's own handling follows in every case
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  CControlUI* hit = m_PaintManager.FindControl(point);
  if (!hit) return 0;
  const CDuiString name = hit->GetName();
  if (name == L"leftbtn" || name == L"rightbtn" || name == L"uppagebtn" || name == L"downpagebtn") return 0;
  if (PointIn(m_toolbar, point) || PointIn(m_bottomListPanel, point)) return 0;
  m_buttonDown = true;
  m_pressPoint = m_lastPoint = point;
  const RECT client = ClientRect();
  const RECT drawn = m_picture ? m_picture->GetDrawRect() : RECT{};
  const bool larger = drawn.right - drawn.left > client.right - client.left ||
                      drawn.bottom - drawn.top > client.bottom - client.top;
  m_pictureDrag = m_picture && PtInRect(&drawn, point) && larger;
  return 0;
}

LRESULT ImageViewerWnd::OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  if (m_picture) {
    const RECT drawn = m_picture->GetDrawRect();
    m_picture->SetBaseRect(drawn.left, drawn.top, drawn.right, drawn.bottom);
  }
  m_buttonDown = false;
  m_pictureDrag = false;
  bHandled = FALSE;
  return 0;
}

LRESULT ImageViewerWnd::OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  if (m_trackMouse) {
    TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, GetHWND(), 1};
    TrackMouseEvent(&track);
    m_trackMouse = false;
  }
  const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const RECT client = ClientRect();
  SetShown(m_toolbar, point.x > 0 && point.x < client.right && point.y > 0 && point.y < client.bottom);
  if (m_maximised) ShowEdgeButtons(point, client);
  HideNeighbourButtons();
  if (!m_buttonDown) {
    bHandled = FALSE;
    return 0;
  }
  if (m_pictureDrag) {
    DragImage(point);
  } else {
    DragWindow(point);
  }
  return 0;
}

void ImageViewerWnd::DragImage(POINT point) {
  if (m_picture) m_picture->MoveImageBy(m_lastPoint.x - point.x, m_lastPoint.y - point.y);
  m_lastPoint = point;
}

void ImageViewerWnd::DragWindow(POINT point) {
  // The press point stays under the cursor.
  RECT window;
  GetWindowRect(GetHWND(), &window);
  SetWindowPos(GetHWND(), nullptr, window.left - (m_pressPoint.x - point.x), window.top - (m_pressPoint.y - point.y),
               0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ImageViewerWnd::ShowEdgeButtons(POINT point, const RECT& client) {
  SetShown(m_bottomListPanel, false);
  const int fromBottom = client.bottom - point.y;
  const bool nearBottom = fromBottom > 0 && fromBottom < kCornerReach;
  const int fromRight = client.right - point.x;
  SetShown(m_pageUpButton, nearBottom && point.x > 0 && point.x < kCornerReach);
  SetShown(m_pageDownButton, nearBottom && fromRight > 0 && fromRight < kCornerReach);
}

void ImageViewerWnd::HideNeighbourButtons() {
  for (CControlUI* button : {m_previousButton, m_fullScreenPreviousButton, m_nextButton, m_fullScreenNextButton}) {
    SetShown(button, false);
  }
}

LRESULT ImageViewerWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  bHandled = FALSE;
  if (uMsg == WM_TIMER && wParam == kZoomBadgeTimer) {
    SetShown(m_zoomBadge, false);
    KillTimer(GetHWND(), kZoomBadgeTimer);
  } else if (uMsg == WM_MOUSELEAVE) {
    SetShown(m_toolbar, false);
    HideNeighbourButtons();
    m_trackMouse = true;
  }
  return 0;
}

void ImageViewerWnd::OnFinalMessage(HWND hWnd) {
  mireloomwnd::WindowManager::GetInstance()->SetImageViewerWnd(nullptr, this);
}
