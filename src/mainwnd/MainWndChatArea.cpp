// The chat area's buttons and menus: leaving a conversation, its file list,
// an upload, the screen capture, older messages, and the context menus of the
// input and of message texts.

#include <algorithm>
#include <optional>

#include "app/frame/PlatformSeam.h"
#include "app/frame/WindowManager.h"
#include "files/UploadLogic.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/MessageLayout.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// What the file windows and the upload take: 1 for a channel, else 2.
int ConversationKind(SessionType type) { return type == kSessionChannel ? 1 : 2; }

CRichEditUI* RichEditOf(CControlUI* control) {
  return control ? static_cast<CRichEditUI*>(control->GetInterface(L"RichEdit")) : nullptr;
}

}  // namespace

void MainWnd::AddChatAreaRows(CNotifyTable& table) {
  table.Bind(L"click", L"leave_btn", &MainWnd::OnLeaveClicked);
  table.Bind(L"itemclick", L"menu_quit_group", &MainWnd::OnLeaveClicked);
  table.Bind(L"click", L"file_btn", &MainWnd::OnFileButtonClicked);
  table.Bind(L"click", L"upload_btn", &MainWnd::OnUploadButtonClicked);
  table.Bind(L"click", L"screenshot_btn", &MainWnd::OnScreenshotClicked);
  table.Bind(L"click", L"load_more", &MainWnd::OnLoadMoreClicked);
  table.Bind(L"scroll", L"chat_display", &MainWnd::OnChatDisplayScrolled);
  table.Bind(L"richedit_click", L"chat_input", &MainWnd::OnInputContextMenu);
  table.Bind(L"richedit_click", L"chat_display_richedit", &MainWnd::OnMessageTextContextMenu);
  table.Bind(L"link", nullptr, &MainWnd::OnMessageLinkNotified);
  table.Bind(L"click", L"image_", &MainWnd::OnImageItemClicked);
}

void MainWnd::OnLeaveClicked(TNotifyUI&, const std::wstring&) { LeaveConversation(m_currentSessionId); }

void MainWnd::LeaveConversation(const std::string& id) {
  // The window does not wait for the service.
  mireloom::ChannelManager::DefaultManager()->LeaveChannel(id, [](bool, const std::string&) {});
  // The item of exactly this conversation, found before anything goes: list
  // and entry indexes differ once an IM without a cached partner has no item.
  const int item = SessionItemIndex(id);
  m_sessions.erase(std::remove_if(m_sessions.begin(), m_sessions.end(),
                                  [&id](const std::unique_ptr<SessionEntry>& entry) { return entry->id() == id; }),
                   m_sessions.end());
  if (m_sessionList && item >= 0) m_sessionList->RemoveAt(item);
  // While others remain, the view keeps the conversation that was left.
  if (!m_sessions.empty()) return;
  if (m_chatDisplay) m_chatDisplay->RemoveAll();
  if (CControlUI* title = m_PaintManager.FindControl(L"title_label")) title->SetText(L"");
}

void MainWnd::OnScreenshotClicked(TNotifyUI&, const std::wstring&) { CaptureScreenToClipboard(); }

void MainWnd::OnLoadMoreClicked(TNotifyUI&, const std::wstring&) { LoadMoreMessages(); }

void MainWnd::OnChatDisplayScrolled(TNotifyUI&, const std::wstring&) {
  if (!m_chatDisplay) return;
  // Only at the very top: the oldest shown message has come into view.
  const SIZE position = m_chatDisplay->GetScrollPos();
  if (position.cx == 0 && position.cy == 0) LoadMoreMessages();
}

void MainWnd::LoadMoreMessages() {
  ++MessagePageCount;
  const MessagePage messages = mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
      m_currentSessionId, 0, messageview::kNewestTimestamp, messageview::kMessagePageSize * MessagePageCount, nullptr,
      nullptr, false);
  // The whole view is rebuilt, the clicked button with it; the scroll
  // position stays where it was.
  if (m_chatDisplay) m_chatDisplay->RemoveAll();
  FillMessageView(messages, MessagePageCount);
}

void MainWnd::OnFileButtonClicked(TNotifyUI&, const std::wstring&) {
  ReleaseCapture();
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewFilesWnd(m_currentSessionId, card.x, card.y, card.height,
                                                 ConversationKind(GetSessionType(m_currentSessionId)));
}

void MainWnd::OnUploadButtonClicked(TNotifyUI&, const std::wstring&) {
  wchar_t path[MAX_PATH] = L"";
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetHWND();
  dialog.lpstrFilter = L"所有文件\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  // Without OFN_NOCHANGEDIR the dialog leaves the working directory in the
  // folder the user picked from.
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  // Cancelled, or failed: nothing changes.
  if (!Platform().ShowOpenFileDialog(&dialog)) return;
  OpenUploadWindow(path, "Upload");
}

void MainWnd::OpenUploadWindow(const std::wstring& path, const char* origin) {
  const std::optional<std::string> pathCp936 = files::UploadPathCp936(path);
  if (!pathCp936) {
    // The upload takes the path in code page 936; a path it cannot hold
    // would name another file.
    quennet::log_error("%s refused: its path does not fit code page 936", origin);
    return;
  }
  // Returns when the upload window has closed.
  WindowManager::GetInstance()->ShowUploadFileWnd(m_currentSessionId, *pathCp936,
                                                  ConversationKind(GetSessionType(m_currentSessionId)));
}

void MainWnd::OnInputContextMenu(TNotifyUI& msg, const std::wstring&) {
  POINT point = msg.ptMouse;
  ClientToScreen(GetHWND(), &point);
  EnableMenuItem(m_inputContextMenu.get(), kPasteCommand,
                 MF_BYCOMMAND | (IsClipboardFormatAvailable(CF_TEXT) ? MF_ENABLED : MF_GRAYED));
  const UINT command = Platform().TrackMenu(m_inputContextMenu.get(), TPM_RETURNCMD, point.x, point.y, GetHWND());
  // The menu's loop may have ended the window and its input.
  if (!ChatInputEdit) return;
  switch (command) {
    case kCopyCommand: ChatInputEdit->Copy(); break;
    case kPasteCommand: ChatInputEdit->Paste(); break;
    case kCutCommand: ChatInputEdit->Cut(); break;
    default: break;
  }
}

void MainWnd::OnMessageTextContextMenu(TNotifyUI& msg, const std::wstring&) {
  CRichEditUI* text = RichEditOf(msg.pSender);
  if (!text) return;
  // The message's text may go while the menu runs (the view is rebuilt).
  const std::weak_ptr<void> textAlive = text->GetLifetimeToken();
  POINT point = msg.ptMouse;
  ClientToScreen(GetHWND(), &point);
  const UINT command = Platform().TrackMenu(m_readOnlyContextMenu.get(), TPM_RETURNCMD, point.x, point.y, GetHWND());
  if (command == kCopyCommand && !textAlive.expired()) text->Copy();
}

}  // namespace mireloomwnd
