// The chat area's events: sending (Enter's "return" and the send button),
// leaving a conversation, its file list, an upload, the screen capture,
// older messages, the context menus of the input and of message texts, and
// the emoji button, whose picker opens right above it and runs its modal loop
// inside the click. Clicks in the message view (pictures, files, snippets,
// cards and the links in message texts) are opened where each belongs. Also
// the operations the window keeps for the chat area (m_chat) and its view,
// but those that show a new message.

#include <algorithm>
#include <optional>

#include "app/frame/WindowManager.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "files/FileActions.h"
#include "files/UploadLogic.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatArea.h"
#include "mainwnd/messages/ChatAreaLogic.h"
#include "mainwnd/messages/MessageItemNames.h"
#include "mainwnd/messages/MessageMarkup.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/MainWndGeometry.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mireloom/ChannelManager.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// What the file windows and the upload take: 1 for a channel, else 2.
int ConversationKind(SessionType type) { return type == kSessionChannel ? 1 : 2; }

CRichEditUI* RichEditOf(CControlUI* control) {
  return control ? static_cast<CRichEditUI*>(control->GetInterface(L"RichEdit")) : nullptr;
}

std::wstring UserDataOf(const TNotifyUI& msg) {
  return msg.pSender ? std::wstring(msg.pSender->GetUserData().GetData()) : std::wstring();
}

std::wstring ToolTipOf(const TNotifyUI& msg) {
  return msg.pSender ? std::wstring(msg.pSender->GetToolTip().GetData()) : std::wstring();
}

// A share's tool tip is what follows the colon of "分享了图片: x.png", the
// blank included; the file's own name comes after it.
std::wstring FileNameOfToolTip(std::wstring tip) {
  tip.erase(0, tip.find_first_not_of(L' '));
  return tip;
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

void MainWnd::OnLeaveClicked(TNotifyUI&, const std::wstring&) { LeaveConversation(CurrentSessionId()); }

void MainWnd::LeaveConversation(const std::string& id) {
  // The window does not wait for the service.
  mireloom::ChannelManager::DefaultManager()->LeaveChannel(id, [](bool, const std::string&) {});
  // The item of exactly this conversation, found before anything goes: list
  // and entry indexes differ once an IM without a cached partner has no item.
  m_sessionList->Remove(id, false);
  // While others remain, the view keeps the conversation that was left.
  if (!m_sessionList->IsEmpty()) return;
  m_chat->View().Clear();
  if (CControlUI* title = m_PaintManager.FindControl(L"title_label")) title->SetText(L"");
}

void MainWnd::OnScreenshotClicked(TNotifyUI&, const std::wstring&) { CaptureScreenToClipboard(); }

void MainWnd::OnLoadMoreClicked(TNotifyUI&, const std::wstring&) { m_chat->View().LoadMore(); }

void MainWnd::OnChatDisplayScrolled(TNotifyUI&, const std::wstring&) {
  if (m_chat->View().IsScrolledToTop()) m_chat->View().LoadMore();
}

void MainWnd::OnFileButtonClicked(TNotifyUI&, const std::wstring&) {
  ReleaseCapture();
  const Placement card = SideCard();
  WindowManager::GetInstance()->ShowViewFilesWnd(CurrentSessionId(), card.x, card.y, card.height,
                                                 ConversationKind(GetSessionType(CurrentSessionId())));
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
  WindowManager::GetInstance()->ShowUploadFileWnd(CurrentSessionId(), *pathCp936,
                                                  ConversationKind(GetSessionType(CurrentSessionId())));
}

void MainWnd::OnInputContextMenu(TNotifyUI& msg, const std::wstring&) {
  POINT point = msg.ptMouse;
  ClientToScreen(GetHWND(), &point);
  EnableMenuItem(m_inputContextMenu.get(), kPasteCommand,
                 MF_BYCOMMAND | (IsClipboardFormatAvailable(CF_TEXT) ? MF_ENABLED : MF_GRAYED));
  const UINT command = Platform().TrackMenu(m_inputContextMenu.get(), TPM_RETURNCMD, point.x, point.y, GetHWND());
  // The menu's loop may have ended the window and its input: the area then
  // has none.
  m_chat->RunInputCommand(command);
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

void MainWnd::OnMessageLinkNotified(TNotifyUI& msg, const std::wstring& sender) {
  // The link the user clicked, by the index the notification carries; the
  // control's own text may hold several links, or none.
  auto* label = msg.pSender ? static_cast<CLabelUI*>(msg.pSender->GetInterface(L"Label")) : nullptr;
  const CDuiString* content = label ? label->GetLinkContent(static_cast<int>(msg.wParam)) : nullptr;
  ClickedLink link;
  if (content) link.kind = OnMessageLinkClicked(content->GetData(), &link.value);
  OpenMessageClick(sender, content ? &link : nullptr, UserDataOf(msg), ToolTipOf(msg));
}

void MainWnd::OnImageItemClicked(TNotifyUI& msg, const std::wstring& sender) {
  OpenMessageClick(sender, nullptr, UserDataOf(msg), ToolTipOf(msg));
}

void MainWnd::OpenMessageClick(const std::wstring& sender, const ClickedLink* link, const std::wstring& address,
                               const std::wstring& title) {
  const MessageClick click = ReadMessageClick(sender, link);
  WindowManager* manager = WindowManager::GetInstance();
  switch (click.kind) {
    case MessageClick::Kind::ImageViewer:
      // The picture was downloaded for the view: the viewer shows the cached
      // file, and the item's address and title.
      manager->ShowImageViewerWnd(GetCachedFilePath(click.value).c_str(), address.c_str(),
                                  FileNameOfToolTip(title).c_str());
      break;
    case MessageClick::Kind::FileDownload:
      OpenDownloadAddress(WideToAnsi(Utf8ToWide(click.value)));
      break;
    case MessageClick::Kind::SnippetViewer:
      manager->ShowViewSnippetWnd(click.value);
      break;
    case MessageClick::Kind::ModuleDetails:
      manager->ShowModuleDetailsWnd(click.value);
      break;
    case MessageClick::Kind::WebAddress:
      // A message may link a web page or a mail address, nothing else.
      OpenAddress(Utf8ToWide(click.value), AddressPolicy::WebAndMail);
      break;
    case MessageClick::Kind::None:
      break;
  }
}

void MainWnd::AddEmojiPickerRows(CNotifyTable& table) {
  table.Bind(L"click", L"emoji_btn", &MainWnd::OnEmojiButtonClicked);
}

void MainWnd::OnEmojiButtonClicked(TNotifyUI&, const std::wstring&) {
  if (!m_emojiBtn) return;
  const RECT button = m_emojiBtn->GetPos();
  POINT topLeft = {button.left, button.top};
  ClientToScreen(GetHWND(), &topLeft);
  const RECT onScreen = {topLeft.x, topLeft.y, topLeft.x + (button.right - button.left),
                         topLeft.y + (button.bottom - button.top)};
  const POINT at = EmojiPickerPosition(onScreen);
  WindowManager::GetInstance()->ShowSelectEmojiWnd(CurrentSessionId(), at.x, at.y);
}

void MainWnd::AddSendingRows(CNotifyTable& table) {
  table.Bind(L"return", nullptr, &MainWnd::OnChatInputReturn);
  table.Bind(L"click", L"send_message_btn", &MainWnd::OnSendClicked);
}

// Only the chat input's own Enter sends: the search field raises "return"
// too. Enter in the input is taken by the window's key handler before the
// input sees it, so the input raises this only when that handler let the
// key through; either way one Enter sends once.
void MainWnd::OnChatInputReturn(TNotifyUI& msg, const std::wstring&) {
  if (m_chat->IsInput(msg.pSender)) SendChatInput();
}

void MainWnd::OnSendClicked(TNotifyUI&, const std::wstring&) { SendChatInput(); }

void MainWnd::ShowSendFailedNotice(bool shown) { m_chat->ShowSendFailedNotice(shown); }

void MainWnd::CaptureScreenToClipboard() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const quennet::WindowDc screen(nullptr);
  if (!screen) return;
  const quennet::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  quennet::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap) return;
  {
    const quennet::SelectGuard selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY);
  }
  // A clipboard that cannot be opened stays as it was; the bitmap it did not
  // take is deleted by its owner here. Opened for this window: emptied
  // without an owner, the clipboard would refuse the data.
  if (!OpenClipboard(GetHWND())) return;
  EmptyClipboard();
  if (SetClipboardData(CF_BITMAP, bitmap.get())) {
    bitmap.release();  // the clipboard's now
  } else {
    quennet::log_error("The screen capture did not reach the clipboard");
  }
  CloseClipboard();
}

// The message view's operations, which the window keeps; the chat area's
// view does the work. Those that show a new message, the builders with
// them, are the listeners' (MainWndListeners.cpp).

void MainWnd::LoadMessages(const std::string& id) { m_chat->LoadMessages(id, GetSessionType(id)); }

void MainWnd::AddAttachmentField(CContainerUI* container, const mireloom::Attachment::Field& field, int* height) {
  m_chat->View().AddAttachmentField(container, field, height);
}

std::unique_ptr<CListContainerElementUI> MainWnd::AddSenderHeader(const mireloom::Message& message,
                                                                 CVerticalLayoutUI** column) {
  return m_chat->View().AddSenderHeader(message, column);
}

void MainWnd::OnChatImageDownloaded(HWND window, CControlUI* button, std::weak_ptr<void> buttonAlive,
                                    const std::string& sessionId, const std::string& localPath) {
  CMessageView::OnChatImageDownloaded(window, button, std::move(buttonAlive), sessionId, localPath);
}

void MainWnd::OnSenderAvatarDownloaded(HWND window, CControlUI* button, std::weak_ptr<void> buttonAlive,
                                       const std::string& sessionId, const std::string& localPath) {
  CMessageView::OnSenderAvatarDownloaded(window, button, std::move(buttonAlive), sessionId, localPath);
}

std::wstring MainWnd::FormatMessageText(const std::string& text, std::wstring* plain) {
  return messageview::FormatMessageText(text, plain);
}

std::wstring MainWnd::MakeLinkMarkup(const std::string& value, const std::string& text, int kind) {
  return messageview::MakeLinkMarkup(value, text, kind);
}

int MainWnd::OnMessageLinkClicked(const std::wstring& linkText, std::wstring* value) {
  return messageview::ReadMessageLink(linkText, value);
}

bool MainWnd::ImageItemName(const std::wstring& name, std::string* key) {
  return messageview::ImageItemName(name, key);
}

bool MainWnd::SnippetItemName(const std::wstring& name, std::string* entityId) {
  return messageview::SnippetItemName(name, entityId);
}

bool MainWnd::FileItemName(const std::wstring& name) { return messageview::FileItemName(name); }

bool MainWnd::SplitItemName(const std::wstring& name, std::string* first, std::string* second) {
  return messageview::SplitItemName(name, first, second);
}

}  // namespace mireloomwnd
