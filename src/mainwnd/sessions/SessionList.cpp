// The session list's entries: which conversations it holds and in what
// order, the open one, drafts, selecting and removing, and the changes that
// are applied to one row.

#include "mainwnd/sessions/SessionList.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "app/text/TextHelpers.h"
#include "mainwnd/sessions/SessionItemNames.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Draft.h"
#include "mireloom/IMManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// The core's own reads decide which conversations have an entry: the joined
// and enabled channels of both kinds, and the open IMs.
SessionEntries EntriesFromCache(const std::vector<std::unique_ptr<mireloom::IM>>& ims) {
  SessionEntries entries;
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  for (const auto visibility : {mireloom::Channel::kPublic, mireloom::Channel::kPrivate}) {
    for (auto& channel : channels->FetchChannelsFromCache(visibility, true, false)) {
      entries.push_back(SessionEntry::FromChannel(std::move(channel)));
    }
  }
  for (const auto& im : ims) entries.push_back(SessionEntry::FromIM(im->Clone()));
  return entries;
}

}  // namespace

void CSessionList::Attach(CListUI* list, CEditUI* searchEdit) {
  m_list = list;
  m_searchEdit = searchEdit;
}

void CSessionList::FetchFromCache() {
  m_channels = mireloom::ChannelManager::DefaultManager()->FetchChannelsFromCache();
  m_ims = mireloom::IMManager::DefaultManager()->FetchImsFromCache();
  m_channelsById.clear();
  for (const auto& channel : m_channels) m_channelsById.emplace(channel->channel_id(), channel.get());
  m_imsById.clear();
  for (const auto& im : m_ims) m_imsById.emplace(im->im_id(), im.get());
}

void CSessionList::Sort() {
  m_entries = EntriesFromCache(m_ims);
  // Stable: conversations of the same second keep the cache's order at every build.
  std::stable_sort(m_entries.begin(), m_entries.end(), &CompareSessions);
  IndexEntries();
}

void CSessionList::IndexEntries() {
  m_entriesById.clear();
  for (const auto& entry : m_entries) m_entriesById.emplace(entry->id(), entry.get());
}

SessionType CSessionList::TypeOf(const std::string& id) const {
  // Channels are searched first, as an id both would name is a channel's.
  if (m_channelsById.count(id)) return kSessionChannel;
  return m_imsById.count(id) ? kSessionIm : kSessionNone;
}

int CSessionList::IndexOf(const std::string& id) const {
  if (!m_entriesById.count(id)) return -1;
  return FindSessionIndex(m_entries, id);
}

std::string CSessionList::FirstId() const { return m_entries.empty() ? std::string() : m_entries.front()->id(); }

std::string CSessionList::PartnerUidOf(const std::string& imId) const {
  const auto im = m_imsById.find(imId);
  return im == m_imsById.end() ? std::string() : im->second->to_uid();
}

std::string CSessionList::ChannelIdOf(const std::string& channelId) const {
  return m_channelsById.count(channelId) ? channelId : std::string();
}

void CSessionList::SaveDraft(const std::string& id, const std::wstring& text) const {
  mireloom::ChatManager::DefaultManager()->SaveDraftToCache(mireloom::Draft(id, WideToUtf8(text), CurrentTimeSeconds()));
}

std::wstring CSessionList::DraftOf(const std::string& id) const {
  const std::unique_ptr<mireloom::Draft> draft = mireloom::ChatManager::DefaultManager()->FetchDraftFromCacheByChannelId(id);
  return draft ? Utf8ToWide(draft->text()) : std::wstring();
}

int CSessionList::ItemIndex(const std::string& id) const {
  if (!m_list || id.empty()) return -1;
  const std::wstring name = Utf8ToWide(SessionItemName(TypeOf(id), id));
  CControlUI* item = m_paintManager.FindControl(name.c_str());
  return item && item->GetParent() == m_list ? m_list->GetItemIndex(item) : -1;
}

void CSessionList::SelectItem(const std::string& id, bool scroll) {
  if (!m_list) return;
  const int index = ItemIndex(id);
  m_list->SelectItem(index, false);
  if (const std::optional<int> offset = SessionScrollOffset(index, scroll)) m_list->SetScrollPos({0, *offset});
}

// Rebuilt or moved, the open conversation's item is new: it is marked as
// selected again, without opening the conversation a second time.
void CSessionList::MarkOpenSelected() {
  if (m_list) m_list->SelectItem(ItemIndex(m_currentId), false, false);
}

bool CSessionList::SelectedKey(SessionKey* key) const {
  CControlUI* item = m_list ? m_list->GetItemAt(m_list->GetCurSel()) : nullptr;
  return item && ParseSessionItemName(WideToUtf8(item->GetName().GetData()), &key->type, &key->id);
}

void CSessionList::Remove(const std::string& id, bool scrollToTop) {
  // The item of exactly this conversation, found before anything goes: list
  // and entry indexes differ once an IM without a cached partner has no item.
  RemoveItem(id);
  RemoveSessionEntries(m_entries, id);
  m_entriesById.erase(id);
  if (scrollToTop) ScrollToTop();
}

void CSessionList::RemoveItem(const std::string& id) {
  if (!IsConversationRows()) return;
  const int item = ItemIndex(id);
  if (m_list && item >= 0) m_list->RemoveAt(item);
}

void CSessionList::Hide() {
  m_rows = Rows::None;
  if (!m_list) return;
  m_list->RemoveAll();
  m_list->SetVisible(false);
}

void CSessionList::Show() {
  if (m_list) m_list->SetVisible(true);
}

void CSessionList::ScrollToTop() {
  if (m_list) m_list->SetScrollPos({0, 0});
}

void CSessionList::NoteMessage(const std::string& id, int64_t timestamp) {
  int64_t& noted = m_notedMessages[id];
  noted = std::max(noted, timestamp);
}

void CSessionList::ApplyNotedChanges() {
  std::unordered_map<std::string, int64_t> messages;
  messages.swap(m_notedMessages);
  const bool lookAtCache = m_cacheChanged || messages.empty();
  m_cacheChanged = false;
  // A message of a conversation the list lacks waits for its fetch, which
  // notes the cache's change.
  for (const auto& [id, timestamp] : messages) ApplyMessage(id, timestamp);
  if (lookAtCache) ApplyCacheChanges();
}

bool CSessionList::ApplyMessage(const std::string& id, int64_t timestamp) {
  const auto found = m_entriesById.find(id);
  if (found == m_entriesById.end()) return false;
  // A message older than the newest one (sent while offline, say) does
  // not move the conversation back.
  if (timestamp <= found->second->last_message_time()) return true;
  const int row = ItemIndex(id);
  // Worked out while the row still stands where its old time put it: the
  // newer time only moves it up, so the rows above its place stay put.
  const int place = RowIndexFor(timestamp);
  std::unique_ptr<SessionEntry> entry = std::move(m_entries[static_cast<size_t>(IndexOf(id))]);
  m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), nullptr), m_entries.end());
  entry->set_last_message_time(timestamp);
  const SessionEntry& moved = *entry;
  InsertEntry(std::move(entry));
  if (row >= 0 && HasOneRow(id) && IsConversationRows()) {
    // The row itself moves, as it is: nothing of it is made again.
    m_list->MoveItem(row, place);
    return true;
  }
  RemoveItem(id);
  // A searched list shows only the rows its query found; the row keeps to it.
  if ((m_rows == Rows::Sessions || (m_rows == Rows::SearchedSessions && row >= 0)) &&
      InsertItem(moved, RowIndexFor(timestamp)) && id == m_currentId) {
    MarkOpenSelected();
  }
  return true;
}

bool CSessionList::HasOneRow(const std::string& id) const {
  // A conversation that is a channel and an IM at once has a row of each.
  return !(m_channelsById.count(id) && m_imsById.count(id));
}

bool CSessionList::IsConversationRows() const {
  // Search results of the team are no conversations' rows.
  return m_rows == Rows::Sessions || m_rows == Rows::SearchedSessions;
}

void CSessionList::InsertEntry(std::unique_ptr<SessionEntry> entry) {
  // Ahead of the entries of the same time, as its row goes ahead of theirs:
  // times are in seconds, and the latest activity leads.
  const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), entry, &CompareSessions);
  m_entriesById[entry->id()] = entry.get();
  m_entries.insert(at, std::move(entry));
}

int64_t CSessionList::RowTime(int index) const {
  SessionKey key;
  const CControlUI* item = m_list->GetItemAt(index);
  if (!item || !ParseSessionItemName(WideToUtf8(item->GetName().GetData()), &key.type, &key.id)) return 0;
  const auto entry = m_entriesById.find(key.id);
  return entry == m_entriesById.end() ? 0 : entry->second->last_message_time();
}

int CSessionList::RowIndexFor(int64_t timestamp) const {
  // The rows keep the entries' order: the first row not newer than the time.
  int low = 0;
  int high = m_list ? m_list->GetCount() : 0;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (RowTime(middle) > timestamp) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

void CSessionList::ApplyCacheChanges() {
  FetchFromCache();
  SessionEntries cached = EntriesFromCache(m_ims);
  std::unordered_set<std::string> cachedIds;
  for (const auto& entry : cached) cachedIds.insert(entry->id());
  std::vector<std::string> gone;
  for (const auto& entry : m_entries) {
    if (!cachedIds.count(entry->id())) gone.push_back(entry->id());
  }
  for (const std::string& id : gone) Remove(id, false);
  std::vector<std::unique_ptr<SessionEntry>> added;
  for (auto& entry : cached) {
    if (!m_entriesById.count(entry->id())) added.push_back(std::move(entry));
  }
  for (auto& entry : added) {
    const SessionEntry& inserted = *entry;
    InsertEntry(std::move(entry));
    if (m_rows == Rows::Sessions) InsertItem(inserted, RowIndexFor(inserted.last_message_time()));
  }
  // The query decides which of the new ones show.
  if (m_rows == Rows::SearchedSessions && (!gone.empty() || !added.empty())) Build();
  MarkOpenSelected();
}

}  // namespace mireloomwnd
