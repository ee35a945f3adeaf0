// The window's side of the conversation list: opening a conversation (the
// list, the input's draft, the message view, the read marks and the title),
// refreshing and selecting, closing an IM, the search, joining a channel and
// a new IM, and the list's own events. The list (m_sessionList) holds the
// entries and rows; these members coordinate it with the rest of the window.

#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatArea.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

void IgnoreResult(bool, const std::string&) {}

}  // namespace

const std::string& MainWnd::CurrentSessionId() const { return m_sessionList->CurrentId(); }

void MainWnd::FetchSessionsFromCache() { m_sessionList->FetchFromCache(); }

void MainWnd::SortSessions() { m_sessionList->Sort(); }

bool MainWnd::CompareSessions(const std::unique_ptr<SessionEntry>& a, const std::unique_ptr<SessionEntry>& b) {
  return mireloomwnd::CompareSessions(a, b);
}

SessionType MainWnd::GetSessionType(const std::string& id) const { return m_sessionList->TypeOf(id); }

int MainWnd::FindSessionIndex(const std::string& id) const { return m_sessionList->IndexOf(id); }

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

void MainWnd::BuildSessionList() {
  ShowMessagesHeader();
  SetControlVisible(L"im_or_channel_btn", true);
  m_sessionList->Build();
}

CListContainerElementUI* MainWnd::CreateChannelItem(const std::wstring& name, const std::wstring& itemName,
                                                    mireloom::Channel::Visibility visibility,
                                                    const std::string& hexColor) {
  return m_sessionList->CreateChannelItem(name, itemName, visibility, hexColor);
}

CListContainerElementUI* MainWnd::CreateImItem(const std::wstring& displayName, const std::string& avatarName,
                                               const std::wstring& itemName) {
  return m_sessionList->CreateImItem(displayName, avatarName, itemName);
}

void MainWnd::UpdateSessionUnread(SessionKey key, mireloom::_NumUnread unread) {
  m_sessionList->UpdateUnread(key, unread);
}

void MainWnd::SetUnreadBadge(CControlUI* badge, int count) { CSessionList::SetUnreadBadge(badge, count); }

void MainWnd::StyleUnreadBadge(CControlUI* badge, int count, bool styled) {
  CSessionList::StyleUnreadBadge(badge, count, styled);
}

void MainWnd::HighlightSessionItem(SessionKey key) { m_sessionList->Highlight(std::move(key)); }

void MainWnd::UpdateTotalUnreadBadge() {
  SetUnreadBadge(m_PaintManager.FindControl(L"total_unread_num_btn"),
                 static_cast<int>(mireloom::ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread));
}

void MainWnd::RefreshAndSelectSession(const std::string& id, bool scroll) {
  // The conversation asked for is shown whatever the box searched for.
  ClearSearch();
  FetchSessionsFromCache();
  SortSessions();
  BuildSessionList();
  m_sessionList->SelectItem(id, scroll);
}

void MainWnd::SelectSession(SessionType type, const std::string& id) {
  m_chat->FocusInput();
  SaveDraftOfCurrentSession();
  // The notice speaks of the input in front of the user; another
  // conversation's input does not hold the text it speaks of.
  if (id != CurrentSessionId()) ShowSendFailedNotice(false);
  m_sessionList->SetCurrentId(id);
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

void MainWnd::SaveDraftOfCurrentSession() { m_sessionList->SaveDraft(CurrentSessionId(), m_chat->TakeInputText()); }

void MainWnd::RestoreDraft(const std::string& id) { m_chat->PutDraft(m_sessionList->DraftOf(id)); }

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
  m_sessionList->Remove(id, true);
  if (!m_sessionList->IsEmpty()) return;
  m_chat->View().Clear();
  if (CControlUI* title = m_PaintManager.FindControl(L"title_label")) title->SetText(L"");
}

void MainWnd::AddSessionListRows(CNotifyTable& table) {
  table.Bind(L"itemselect", L"sessionList", &MainWnd::OnSessionListItemSelected);
  table.Bind(L"itemrclick", nullptr, &MainWnd::OnSessionItemRightClicked);
}

void MainWnd::OnSessionListItemSelected(TNotifyUI&, const std::wstring&) {
  SessionKey key;
  if (!m_sessionList->SelectedKey(&key)) return;
  CControlUI* chatList = m_PaintManager.FindControl(L"chat_list_v_layout");
  if (chatList && chatList->IsVisible()) {
    SelectSession(key.type, key.id);
  } else {
    // The list shows the contacts search results: the member panel shows the
    // chosen one.
    ShowMemberDetails(key.id);
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

void MainWnd::FilterSessions(const std::string& query) { m_sessionList->FilterSessions(query); }

void MainWnd::ShowSessionSearchResults() { m_sessionList->ShowSessionSearchResults(); }

void MainWnd::FilterContacts(const std::string& query) {
  m_sessionList->FilterContacts(query, m_contacts->TeamUsers(), m_contacts->ContactChannels());
}

void MainWnd::ShowUserSearchResults() { m_sessionList->ShowUserSearchResults(); }

void MainWnd::ClearSearch() {
  // Set by code, the text raises no "textchanged": the new view's list is
  // built by the view itself.
  m_sessionList->ClearSearch();
}

void MainWnd::JoinChannel(const std::string& channelId) {
  if (FindSessionIndex(channelId) >= 0) {
    RefreshAndSelectSession(channelId, true);
    return;
  }
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const std::string me = director && director->me() ? director->me()->uid() : std::string();
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  bool member = false;
  for (const auto& user : channels->FetchMembersOfChannelFromCache(channelId)) member = member || user->uid() == me;
  auto completion = [this, alive = m_lifetime.Token(), channelId](bool ok, const std::string&) {
    PostToWindow(alive, this, [this, channelId, ok] { OnChannelEnabled(channelId, ok); });
  };
  // A member who closed the channel opens it again; anyone else joins.
  if (member) {
    channels->EnableChannel(channelId, completion);
  } else {
    channels->JoinChannel(channelId, completion);
  }
}

void MainWnd::OnChannelEnabled(const std::string& channelId, bool ok) {
  // A failed enable or join leaves the list as it is.
  if (ok) RefreshAndSelectSession(channelId, true);
}

void MainWnd::OnNewImCreated(std::unique_ptr<mireloom::IM> im) {
  // The success flag is not consulted: an IM that came back is opened.
  if (im) RefreshAndSelectSession(im->im_id(), true);
}

}  // namespace mireloomwnd
