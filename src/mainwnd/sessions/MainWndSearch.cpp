// Searching the session list and the team, and opening the conversations the
// contacts panel asks for (joining a channel, a new IM).

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/MainWnd.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// A plain, case-sensitive byte search of the UTF-8 texts, in the given order;
// an empty query matches everything.
bool AnyContains(std::initializer_list<const std::string*> texts, const std::string& query) {
  if (query.empty()) return true;
  for (const std::string* text : texts) {
    if (text && text->find(query) != std::string::npos) return true;
  }
  return false;
}

const std::string kNothing;

}  // namespace

void MainWnd::FilterSessions(const std::string& query) {
  SessionEntries kept;
  if (query == " ") {
    for (const auto& entry : m_sessions) kept.push_back(entry->Clone());
    m_filteredSessions = std::move(kept);
    return;
  }
  // Narrows the current result: a longer query searches what the shorter one kept.
  const mireloom::UserManager* users = mireloom::UserManager::DefaultManager();
  for (const auto& entry : m_filteredSessions) {
    const std::string id = entry->id();
    bool matches = query.empty();
    if (!matches && entry->is_im()) {
      for (const auto& im : m_ims) {
        if (im->im_id() != id) continue;
        if (const auto partner = users->FetchUserFromCacheByUid(im->to_uid())) {
          matches = AnyContains({&partner->display_name(), &partner->pinyin(), &partner->username()}, query);
        }
        break;
      }
    } else if (!matches) {
      for (const auto& channel : m_channels) {
        if (channel->channel_id() != id) continue;
        matches = AnyContains({&channel->channel_name(), &channel->pinyin()}, query);
        break;
      }
    }
    if (matches) kept.push_back(entry->Clone());
  }
  m_filteredSessions = std::move(kept);
}

void MainWnd::ShowSessionSearchResults() {
  if (!m_sessionList) return;
  m_sessionList->RemoveAll();
  AddSessionItems(m_filteredSessions);
}

void MainWnd::ClearSearch() {
  // Set by code, the text raises no "textchanged": the new view's list is
  // built by the view itself.
  if (m_searchEdit) m_searchEdit->SetText(L"");
}

// A rebuild of the conversation view's list keeps to the query the box shows,
// as typing it did. The contacts view's box searches other things.
void MainWnd::AddSearchedSessionItems() {
  const CControlUI* chatList = m_PaintManager.FindControl(L"chat_list_v_layout");
  const std::wstring text = m_searchEdit ? m_searchEdit->GetText().GetData() : std::wstring();
  // A text equal to the hint is taken for the hint, as typing takes it.
  const bool searching = chatList && chatList->IsVisible() && !text.empty() && text != LocalizedText("SearchTips");
  if (!searching) return AddSessionItems(m_sessions);
  FilterSessions(" ");
  FilterSessions(WideToUtf8(text));
  AddSessionItems(m_filteredSessions);
}

void MainWnd::FilterContacts(const std::string& query) {
  m_filteredUsers.clear();
  for (const auto& user : m_contacts->TeamUsers()) {
    if (AnyContains({&user->display_name(), &user->pinyin(), &user->username()}, query)) {
      m_filteredUsers.push_back(user->Clone());
    }
  }
  m_filteredChannels.clear();
  for (const auto& channel : m_contacts->ContactChannels()) {
    if (AnyContains({&channel->channel_name(), &channel->pinyin()}, query)) m_filteredChannels.push_back(channel->Clone());
  }
}

void MainWnd::ShowUserSearchResults() {
  if (!m_sessionList) return;
  m_sessionList->RemoveAll();
  for (const auto& channel : m_filteredChannels) AddChannelItem(*channel);
  for (const auto& user : m_filteredUsers) AddImResultItem(*user);
}

void MainWnd::JoinChannel(const std::string& channelId) {
  if (FindSessionIndex(channelId) >= 0) {
    RefreshAndSelectSession(channelId, true);
    return;
  }
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const std::string me = director && director->me() ? director->me()->uid() : kNothing;
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
