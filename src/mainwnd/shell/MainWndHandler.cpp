// The window's message procedure: its own messages, its timers, the tray
// icon's notifications, Enter and Esc, dropped files and the input method.
// Whatever it handles still goes on to the framework, but Enter in the chat
// input and Esc, and the system's close, which end here, and the image
// records, whose answer tells their sender that the window took them.
// Notify: every control notification of the window, and the item clicks the
// popup menus forward, goes through one table (NotifyTable.cpp gives its
// order); each area adds its rows, then the framework sees the record.

#include <windows.h>
#include <imm.h>

#include <memory>

#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "app/storage/SkinPaths.h"
#include "app/storage/UserFolders.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ImageRecords.h"
#include "app/ui/PlatformSeam.h"
#include "browser/BrowserMessages.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatArea.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mainwnd/shell/TrayAttention.h"
#include "mireloom/ChatManager.h"
#include "quennet/EventLog.h"
#include "quennet/FileUtils.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kFirstLanguage = static_cast<int>(settings::Language::SimplifiedChinese);
constexpr int kLastLanguage = static_cast<int>(settings::Language::English);

struct WindowDestroyer {
  void operator()(HWND window) const {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// A native menu takes the keys through its owner, which must be the window in
// the foreground; a hidden window cannot have the keyboard (under Wine, not at
// all). While the main window is hidden in the tray, a window of one pixel
// under the menu's corner owns the menu for as long as it is open. (Out of
// the screen it would not be shown at all, and so could not have the keys.)
UniqueWindow StandInMenuOwner(HWND main, POINT corner) {
  if (IsWindowVisible(main)) return nullptr;
  return UniqueWindow(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, corner.x, corner.y, 1,
                                      1, main, nullptr, GetModuleHandleW(nullptr), nullptr));
}

}  // namespace

LRESULT MainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_AVATAR_DOWNLOADED:
    case WM_CHAT_IMAGE_DOWNLOADED:
    case WM_SENDER_AVATAR_DOWNLOADED:
      return OnImageDownloaded(lParam);
    case WM_PAINT: {
      // The avatars this paint shows for the first time find their cached
      // pictures under one answer for the Documents folder.
      const DocumentsFolderSnapshot documents;
      // The rail shows the user's avatar all the time: each paint of it is its next display.
      m_myAvatar.RetryIfFailed();
      return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    }
    case WM_SYNC_FINISHED:
      OnSyncFinished();
      break;
    case WM_TRAY_NOTIFY:
      OnTrayNotify(lParam);
      break;
    case WM_REFRESH_SESSION_LIST:
      // What the listeners and fetches noted, applied row by row.
      m_sessionList->ApplyNotedChanges();
      break;
    case WM_BROWSER_CREATED:
    case WM_BROWSER_RELAYOUT:
      PlaceBrowser();
      break;
    case WM_LANGUAGE_CHANGED:
      OnLanguageChanged(static_cast<int>(wParam));
      break;
    case WM_TIMER:
      OnTimer(wParam);
      break;
    case WM_KEYDOWN:
      if (OnKeyDown(wParam)) return 0;
      break;
    case WM_SYSCOMMAND:
      // Alt+F4, the system menu's Close and the taskbar's close.
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      CloseAsTheCloseButtonDoes();
      return 0;
    case WM_CLOSE:
      // The program's own closes go through the window manager; any other
      // is the system's and takes the close button's road, so that the
      // placement is saved and the quit runs.
      if (wParam == kManagedCloseResult) break;
      CloseAsTheCloseButtonDoes();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      break;
    case WM_SIZE:
      // Placed now, and again once the framework has laid the controls out
      // for the new size.
      ::PostMessageW(GetHWND(), WM_BROWSER_RELAYOUT, 0, 0);
      PlaceBrowser();
      break;
    case WM_IME_COMPOSITION:
      PlaceImeWindow();
      break;
    case WM_DESTROY:
      // Every way of closing ends here.
      ReleaseWindowResources();
      break;
    default:
      break;
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

LRESULT MainWnd::OnImageDownloaded(LPARAM lParam) {
  const std::unique_ptr<DownloadedImage> record = TakeDownloadedImage(lParam);
  // The record does not say which conversation's view it was for; a target
  // removed since the download began is simply not touched.
  if (record && quennet::FileUtils::SharedFileUtils()->FileExists(record->local_path)) ApplyImageRecord(*record);
  return kImageRecordTaken;
}

void MainWnd::OnSyncFinished() {
  FetchSessionsFromCache();
  SortSessions();
  BuildSessionList();
  if (CurrentSessionId().empty()) return;
  LoadMessages(CurrentSessionId());
  RefreshAndSelectSession(CurrentSessionId(), false);
}

void MainWnd::OnTrayNotify(LPARAM mouseMessage) {
  // Acted on from a message of this window's own queue, not from inside the
  // tray's notification: the system then takes the window as the one the
  // user just acted on, and it gets the keyboard (under Wine, a focus request
  // stamped earlier than the click on the tray is refused).
  switch (mouseMessage) {
    case WM_RBUTTONUP:
      RunOnWindowThread([this] {
        ShowTrayMenu();
        BringModalWindowForward();
      });
      break;
    case WM_LBUTTONDOWN:
      RunOnWindowThread([this] {
        RestoreFromTray();
        BringModalWindowForward();
      });
      break;
    default:
      break;
  }
}

void MainWnd::BringModalWindowForward() {
  // A dialog runs its loop inside this window's and keeps this window
  // disabled: left behind it, it would make this window look dead to clicks.
  const HWND modal = CWindowWnd::InnermostModalWindow();
  if (!modal || modal == GetHWND() || !IsWindow(modal) || !IsWindow(GetHWND())) return;
  if (IsIconic(modal)) ::ShowWindow(modal, SW_RESTORE);
  SetWindowPos(modal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(modal);
}

void MainWnd::ShowTrayMenu() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  const UniqueWindow standIn = StandInMenuOwner(GetHWND(), cursor);
  const HWND owner = standIn ? standIn.get() : GetHWND();
  // Without it the menu would neither take the keys nor close when the user
  // clicks elsewhere; the null message afterwards lets it close at once.
  SetForegroundWindow(owner);
  const UINT command = Platform().TrackMenu(m_trayMenu.get(), TPM_RETURNCMD, cursor.x, cursor.y, owner);
  ::PostMessageW(owner, WM_NULL, 0, 0);
  if (command == kTrayFeedbackCommand) {
    OnTrayFeedback();
  } else if (command == kTrayExitCommand) {
    Quit();
  }
}

void MainWnd::RestoreFromTray() {
  ::ShowWindow(GetHWND(), IsZoomed(GetHWND()) ? SW_SHOW : SW_SHOWNORMAL);
  StopTrayBlink();
  SetForegroundWindow(GetHWND());
  const std::string unread = mireloom::ChatManager::DefaultManager()->FirstChannelHasUnreadMessage();
  if (!unread.empty()) ShowConversationView(unread);
}

void MainWnd::OnTimer(WPARAM timer) {
  switch (timer) {
    case kNetworkCheckTimer:
      OnNetworkStateChecked(Platform().IsOnline());
      break;
    case kTrayBlinkTimer:
      ToggleTrayIcon();
      break;
    case kScrollToEndTimer:
      m_chat->View().ScrollToEnd();
      break;
    case kCallAnimationTimer:
      m_contacts->OnCallAnimationTick();
      break;
    default:
      break;
  }
}

bool MainWnd::OnKeyDown(WPARAM key) {
  if (key == VK_ESCAPE) {
    // Whatever has the focus: the window goes to the tray.
    ShowWindow(false, false);
    return true;
  }
  if (key != VK_RETURN || !m_chat->HasInputFocus()) return false;
  if (GetKeyState(VK_SHIFT) < 0) {
    m_chat->AppendLineBreak();
  } else {
    SendChatInput();
  }
  return true;
}

// Enter's road: the chat area sends and shows what it sent.
void MainWnd::SendChatInput() { m_chat->SendInput(); }

bool MainWnd::OnDropFiles(HDROP drop) {
  CControlUI* list = m_PaintManager.FindControl(L"sessionList");
  if (!list || !list->IsVisible()) return false;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  wchar_t path[MAX_PATH] = L"";
  DragQueryFileW(drop, 0, path, MAX_PATH);
  DragFinish(drop);
  // A path whose attributes cannot be read counts as a folder.
  const DWORD attributes = GetFileAttributesW(path);
  if (count > 1 || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Platform().ShowMessageBox(nullptr, LocalizedText("DropFileMessageBoxTip"), LocalizedText("DropFileMessageBoxTipTitle"),
                              MB_OK);
    return true;
  }
  // For the open conversation (an empty id when none is open); returns when
  // the upload window has closed.
  OpenUploadWindow(path, "Dropped file");
  return true;
}

void MainWnd::PlaceImeWindow() {
  HIMC context = ImmGetContext(GetHWND());
  if (!context) return;
  COMPOSITIONFORM form = {};
  form.dwStyle = CFS_POINT;
  GetCaretPos(&form.ptCurrentPos);
  ImmSetCompositionWindow(context, &form);
  ImmReleaseContext(GetHWND(), context);
}

void MainWnd::OnLanguageChanged(int chosenLanguage) {
  SavePlacement();
  // What the input holds, a text that a failed send gave back too, waits as
  // its conversation's draft for the new window.
  SaveDraftOfCurrentSession();
  ShowWindow(false, false);
  WindowManager* manager = WindowManager::GetInstance();
  manager->CloseAll();
  manager->CloseMainWnd();
  ReleaseSessionState();
  // The language window sends the choice along: the settings file may not
  // have taken it. Without one, the stored value counts, whatever it is.
  const int language = chosenLanguage != 0 ? chosenLanguage : settings::ReadInt(settings::kLanguageKey);
  StringTable.clear();
  if (language >= kFirstLanguage && language <= kLastLanguage) {
    LoadLanguageFile(LanguageFileFor(language, 0), StringTable);
  }
  m_attention->RemoveIcon();
  // Runs the new window's loop; this window's close is handled inside it, and
  // this object is not touched again once it returns.
  manager->ShowMainWnd();
}

const CNotifyTable& MainWnd::NotifyRows() {
  static const CNotifyTable table = [] {
    CNotifyTable rows;
    AddSessionListRows(rows);
    AddCloseButtonRows(rows);
    AddMenuButtonRows(rows);
    AddNavigationRows(rows);
    AddMenuCommandRows(rows);
    AddChatAreaRows(rows);
    AddDialogRows(rows);
    AddSendingRows(rows);
    AddEmojiPickerRows(rows);
    return rows;
  }();
  return table;
}

void MainWnd::Notify(TNotifyUI& msg) {
  // Copied first: a handler may run a modal loop (a dialog, the next
  // session) in which the sender, a menu's item above all, is destroyed.
  const std::wstring sender = msg.pSender ? std::wstring(msg.pSender->GetName().GetData()) : std::wstring();
  if (const NotifyHandler handler = NotifyRows().Find(msg, sender, m_PaintManager)) (this->*handler)(msg, sender);
  WindowImplBase::Notify(msg);
}

}  // namespace mireloomwnd
