// The session list: which conversations it holds and in what order, opening
// one (draft, read marks, title), refreshing and selecting, closing an IM.

#include <algorithm>
#include <climits>
#include <optional>

#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mainwnd/shell/MainWndGeometry.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

void IgnoreResult(bool, const std::string&) {}

}  // namespace

void MainWnd::FetchSessionsFromCache() {
  m_channels = mireloom::ChannelManager::DefaultManager()->FetchChannelsFromCache();
  m_ims = mireloom::IMManager::DefaultManager()->FetchImsFromCache();
}

void MainWnd::SortSessions() {
  // The core's own reads decide which conversations have an entry; m_channels
  // and m_ims decide which entries get an item.
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  m_sessions.clear();
  for (const auto visibility : {mireloom::Channel::kPublic, mireloom::Channel::kPrivate}) {
    for (auto& channel : channels->FetchChannelsFromCache(visibility, true, false)) {
      m_sessions.push_back(SessionEntry::FromChannel(std::move(channel)));
    }
  }
  for (auto& im : mireloom::IMManager::DefaultManager()->FetchImsFromCache()) {
    m_sessions.push_back(SessionEntry::FromIM(std::move(im)));
  }
  std::sort(m_sessions.begin(), m_sessions.end(), &MainWnd::CompareSessions);
}

bool MainWnd::CompareSessions(const std::unique_ptr<SessionEntry>& a, const std::unique_ptr<SessionEntry>& b) {
  return mireloomwnd::CompareSessions(a, b);
}

std::string MainWnd::SessionItemName(SessionType type, const std::string& id) {
  return mireloomwnd::SessionItemName(type, id);
}

std::wstring MainWnd::SessionNameLabelId(const std::wstring& itemName) {
  return mireloomwnd::SessionNameLabelId(itemName);
}

std::wstring MainWnd::SessionUnreadLabelId(const std::wstring& itemName) {
  return mireloomwnd::SessionUnreadLabelId(itemName);
}

bool MainWnd::ParseSessionItemName(const std::string& name, SessionType* type, std::string* id) {
  return mireloomwnd::ParseSessionItemName(name, type, id);
}

int MainWnd::SessionItemIndex(const std::string& id) const {
  if (!m_sessionList || id.empty()) return -1;
  const std::wstring name = Utf8ToWide(SessionItemName(GetSessionType(id), id));
  for (int i = 0; i < m_sessionList->GetCount(); ++i) {
    if (m_sessionList->GetItemAt(i)->GetName() == name.c_str()) return i;
  }
  return -1;
}

void MainWnd::SelectSessionItem(const std::string& id, bool scroll) {
  if (!m_sessionList) return;
  const int index = SessionItemIndex(id);
  // A changed selection raises "itemselect", which opens the conversation.
  m_sessionList->SelectItem(index, false);
  if (const std::optional<int> offset = SessionScrollOffset(index, scroll)) m_sessionList->SetScrollPos({0, *offset});
}

// A rebuilt list holds new items: the open conversation's item is marked as
// selected again, without opening the conversation a second time.
void MainWnd::MarkOpenSessionSelected() {
  if (m_sessionList) m_sessionList->SelectItem(SessionItemIndex(m_currentSessionId), false, false);
}

void MainWnd::RefreshAndSelectSession(const std::string& id, bool scroll) {
  // The conversation asked for is shown whatever the box searched for.
  ClearSearch();
  FetchSessionsFromCache();
  SortSessions();
  BuildSessionList();
  SelectSessionItem(id, scroll);
}

void MainWnd::SelectSession(SessionType type, const std::string& id) {
  if (ChatInputEdit && !ChatInputEdit->IsFocused()) ChatInputEdit->SetFocus();
  SaveDraftOfCurrentSession();
  // The notice speaks of the input in front of the user; another
  // conversation's input does not hold the text it speaks of.
  if (id != m_currentSessionId) ShowSendFailedNotice(false);
  m_currentSessionId = id;
  RestoreDraft(id);
  LoadMessages(id);
  HighlightSessionItem({type, id});

  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  const int64_t now = CurrentTimeSeconds();
  chat->MarkReadCursorForChannelInCache(id, now, true);
  if (m_makeCallBtn) {
    bool callable = true;
    if (type == kSessionIm) {
      const std::unique_ptr<mireloom::IM> im = mireloom::IMManager::DefaultManager()->FetchImFromCacheByImId(id);
      const std::unique_ptr<mireloom::User> partner =
          im ? mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(im->to_uid()) : nullptr;
      callable = !(partner && partner->IsBot());
    }
    m_makeCallBtn->SetVisible(callable);
  }
  const auto channelType = type == kSessionIm ? mireloom::Message::kDirectMessage : mireloom::Message::kChannelMessage;
  chat->MarkAsRead(id, channelType, now, IgnoreResult);
  UpdateTotalUnreadBadge();
  SetChatTitle(type, id);
}

void MainWnd::SaveDraftOfCurrentSession() {
  // Stored even when empty: the conversation being left has no draft then.
  const std::string text = ChatInputEdit ? WideToUtf8(ChatInputEdit->GetText().GetData()) : std::string();
  mireloom::ChatManager::DefaultManager()->SaveDraftToCache(mireloom::Draft(m_currentSessionId, text, CurrentTimeSeconds()));
  if (ChatInputEdit) ChatInputEdit->SetText(L"");
}

void MainWnd::RestoreDraft(const std::string& id) {
  const std::unique_ptr<mireloom::Draft> draft = mireloom::ChatManager::DefaultManager()->FetchDraftFromCacheByChannelId(id);
  if (!draft || draft->text().empty() || !ChatInputEdit) return;
  ChatInputEdit->SetText(Utf8ToWide(draft->text()).c_str());
  // Typing on continues the draft.
  ChatInputEdit->SetSel(LONG_MAX, LONG_MAX);
}

void MainWnd::UpdateTotalUnreadBadge() {
  SetUnreadBadge(m_PaintManager.FindControl(L"total_unread_num_btn"),
                 static_cast<int>(mireloom::ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread));
}

void MainWnd::SetChatTitle(SessionType type, const std::string& id) {
  std::wstring title;
  if (type == kSessionChannel) {
    const auto channel = mireloom::ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId(id);
    if (!channel) return;
    title = L"#" + Utf8ToWide(channel->channel_name());
  } else if (type == kSessionIm) {
    const auto im = mireloom::IMManager::DefaultManager()->FetchImFromCacheByImId(id);
    const auto partner = im ? mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(im->to_uid()) : nullptr;
    if (!partner) return;
    title = Utf8ToWide(partner->display_name());
  } else {
    return;
  }
  CControlUI* label = m_PaintManager.FindControl(L"title_label");
  if (!label) return;
  label->SetText(title.c_str());
  label->SetFixedWidth(GetTextWidth(title));
}

void MainWnd::CloseIm(const std::string& id) {
  if (id.empty()) return;
  mireloom::IMManager::DefaultManager()->CloseIM(id, IgnoreResult);
  // The item of exactly this conversation: list and entry indexes differ
  // once an IM without a cached partner has no item.
  const int item = SessionItemIndex(id);
  if (m_sessionList && item >= 0) m_sessionList->RemoveAt(item);
  const int entry = FindSessionIndex(id);
  if (entry >= 0) m_sessions.erase(m_sessions.begin() + entry);
  if (m_sessions.empty()) {
    m_messageView->Clear();
    if (CControlUI* title = m_PaintManager.FindControl(L"title_label")) title->SetText(L"");
  }
  if (m_sessionList) m_sessionList->SetScrollPos({0, 0});
}

void MainWnd::AddSessionListRows(CNotifyTable& table) {
  table.Bind(L"itemselect", L"sessionList", &MainWnd::OnSessionListItemSelected);
  table.Bind(L"itemrclick", nullptr, &MainWnd::OnSessionItemRightClicked);
}

void MainWnd::OnSessionListItemSelected(TNotifyUI&, const std::wstring&) {
  CControlUI* item = m_sessionList ? m_sessionList->GetItemAt(m_sessionList->GetCurSel()) : nullptr;
  SessionType type = kSessionNone;
  std::string id;
  if (!item || !ParseSessionItemName(WideToUtf8(item->GetName().GetData()), &type, &id)) return;
  CControlUI* chatList = m_PaintManager.FindControl(L"chat_list_v_layout");
  if (chatList && chatList->IsVisible()) {
    SelectSession(type, id);
  } else {
    // The list shows the contacts search results: the member panel shows the
    // chosen one.
    ShowMemberDetails(id);
  }
}

void MainWnd::OnSessionItemRightClicked(TNotifyUI& msg, const std::wstring& sender) {
  SessionType type = kSessionNone;
  std::string id;
  if (!ParseSessionItemName(WideToUtf8(sender), &type, &id) || type != kSessionIm) return;
  POINT point = msg.ptMouse;
  ClientToScreen(GetHWND(), &point);
  if (Platform().TrackMenu(m_imItemMenu.get(), TPM_RETURNCMD, point.x, point.y, GetHWND()) == kCloseImCommand) {
    CloseIm(id);
  }
}

}  // namespace mireloomwnd
