// Searching the session list and the team.

#include "mainwnd/sessions/SessionList.h"

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "mainwnd/sessions/SessionItemNames.h"
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

}  // namespace

void CSessionList::FilterSessions(const std::string& query) {
  SessionEntries kept;
  if (query == " ") {
    for (const auto& entry : m_entries) kept.push_back(entry->Clone());
    m_filteredSessions = std::move(kept);
    return;
  }
  // Narrows the current result: a longer query searches what the shorter one kept.
  const mireloom::UserManager* users = mireloom::UserManager::DefaultManager();
  for (const auto& entry : m_filteredSessions) {
    const std::string id = entry->id();
    bool matches = query.empty();
    if (!matches && entry->is_im()) {
      const auto im = m_imsById.find(id);
      const auto partner = im != m_imsById.end() ? users->FetchUserFromCacheByUid(im->second->to_uid()) : nullptr;
      if (partner) matches = AnyContains({&partner->display_name(), &partner->pinyin(), &partner->username()}, query);
    } else if (!matches) {
      const auto channel = m_channelsById.find(id);
      if (channel != m_channelsById.end()) {
        matches = AnyContains({&channel->second->channel_name(), &channel->second->pinyin()}, query);
      }
    }
    if (matches) kept.push_back(entry->Clone());
  }
  m_filteredSessions = std::move(kept);
}

void CSessionList::ShowSessionSearchResults() {
  if (!m_list) return;
  m_list->RemoveAll();
  m_rows = Rows::SearchedSessions;
  AddSessionItems(m_filteredSessions);
}

void CSessionList::ClearSearch() {
  if (m_searchEdit) m_searchEdit->SetText(L"");
}

bool CSessionList::IsConversationViewShown() const {
  const CControlUI* chatList = m_paintManager.FindControl(L"chat_list_v_layout");
  return chatList && chatList->IsVisible();
}

// The query of the box in the conversation view; "" when it shows none. The
// contacts view's box searches other things.
std::string CSessionList::SearchQuery() const {
  const std::wstring text = m_searchEdit ? m_searchEdit->GetText().GetData() : std::wstring();
  // A text equal to the hint is taken for the hint, as typing takes it.
  if (!IsConversationViewShown() || text.empty() || text == LocalizedText("SearchTips")) return {};
  return WideToUtf8(text);
}

void CSessionList::FilterContacts(const std::string& query, const Users& teamUsers, const Channels& contactChannels) {
  m_filteredUsers.clear();
  for (const auto& user : teamUsers) {
    if (AnyContains({&user->display_name(), &user->pinyin(), &user->username()}, query)) {
      m_filteredUsers.push_back(user->Clone());
    }
  }
  m_filteredChannels.clear();
  for (const auto& channel : contactChannels) {
    if (AnyContains({&channel->channel_name(), &channel->pinyin()}, query)) m_filteredChannels.push_back(channel->Clone());
  }
}

void CSessionList::ShowUserSearchResults() {
  if (!m_list) return;
  m_list->RemoveAll();
  m_rows = Rows::Users;
  for (const auto& channel : m_filteredChannels) AddChannelItem(*channel);
  for (const auto& user : m_filteredUsers) AddImResultItem(*user);
}

}  // namespace mireloomwnd
