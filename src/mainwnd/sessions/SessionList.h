#pragma once

// The main window's conversation list ("sessionList"): which conversations it
// holds and in what order (newest activity first), the open one and the
// highlighted one, the drafts, the unread badges, and the search over the
// conversations and the team. The window owns one and coordinates it with
// the message view; the list knows nothing of the window but its handle
// (for the avatar records) and its controls.
//
// A change that concerns one conversation (a message, a read, a new or a
// closed conversation) is applied to its entry and its row only; the whole
// list is built again only when the conversations are read anew from the
// cache, or while a search shows a selection of them.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "duilib/UIlib.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mireloom/Channel.h"
#include "mireloom/IM.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloomwnd {

class CLazyListItemUI;

class CSessionList final {
 public:
  using Channels = std::vector<std::unique_ptr<mireloom::Channel>>;
  using Users = std::vector<std::unique_ptr<mireloom::User>>;

  // The items' controls are `paintManager`'s; the avatar records go to
  // `window`'s handle.
  CSessionList(DuiLib::CWindowWnd& window, DuiLib::CPaintManagerUI& paintManager)
      : m_window(window), m_paintManager(paintManager) {}
  CSessionList(const CSessionList&) = delete;
  CSessionList& operator=(const CSessionList&) = delete;

  // The skin's list and search box; without a list, items are built and dropped.
  void Attach(DuiLib::CListUI* list, DuiLib::CEditUI* searchEdit);

  // ---- Entries (SessionList.cpp)
  // The cached channels and IMs, which decide which entries get an item.
  void FetchFromCache();
  // The entries, from the core's own reads, newest first.
  void Sort();
  [[nodiscard]] SessionType TypeOf(const std::string& id) const;
  // The entry's index in the list's order, or -1.
  [[nodiscard]] int IndexOf(const std::string& id) const;
  [[nodiscard]] bool IsEmpty() const { return m_entries.empty(); }
  // The newest conversation's id; "" when there is none.
  [[nodiscard]] std::string FirstId() const;
  // The cached partner of the IM, or the cached channel's own id; "" otherwise.
  [[nodiscard]] std::string PartnerUidOf(const std::string& imId) const;
  [[nodiscard]] std::string ChannelIdOf(const std::string& channelId) const;

  // ---- The open conversation (SessionList.cpp)
  [[nodiscard]] const std::string& CurrentId() const { return m_currentId; }
  void SetCurrentId(const std::string& id) { m_currentId = id; }
  // Stored even when empty: the conversation then has no draft.
  void SaveDraft(const std::string& id, const std::wstring& text) const;
  [[nodiscard]] std::wstring DraftOf(const std::string& id) const;
  // Selects the conversation's item, which raises "itemselect" when the
  // selection changes; scrolls as the list's geometry says when asked.
  void SelectItem(const std::string& id, bool scroll);
  // Marks the open conversation's item selected without raising anything.
  void MarkOpenSelected();
  // The key of the selected item; false when none is or its name is not one.
  [[nodiscard]] bool SelectedKey(SessionKey* key) const;
  // Removes the conversation's entry and its item; the list scrolls back to
  // the top when `scrollToTop`.
  void Remove(const std::string& id, bool scrollToTop);
  // The list's rows go while another view shows, and come back with it.
  void Hide();
  void Show();
  void ScrollToTop();

  // ---- Changes applied row by row (SessionList.cpp)
  // What the window learnt since the list was last refreshed: a message in a
  // conversation, or conversations the cache gained or lost. Applied by
  // ApplyNotedChanges, when the refresh the window posted comes.
  void NoteMessage(const std::string& id, int64_t timestamp);
  void NoteCacheChanged() { m_cacheChanged = true; }
  // Applies what was noted; with nothing noted, the cache is looked at again.
  void ApplyNotedChanges();

  // ---- Items and badges (SessionItems.cpp)
  // Empties the list and adds the items of the entries (or of those the
  // search box's query finds).
  void Build();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateChannelItem(const std::wstring& name,
                                                                  const std::wstring& itemName,
                                                                  mireloom::Channel::Visibility visibility,
                                                                  const std::string& hexColor);
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateImItem(const std::wstring& displayName,
                                                             const std::string& avatarName,
                                                             const std::wstring& itemName);
  void UpdateUnread(const SessionKey& key, mireloom::_NumUnread unread);
  static void SetUnreadBadge(DuiLib::CControlUI* badge, int count);
  static void StyleUnreadBadge(DuiLib::CControlUI* badge, int count, bool styled);
  void Highlight(SessionKey key);

  // ---- Search (SessionSearch.cpp)
  void FilterSessions(const std::string& query);
  void ShowSessionSearchResults();
  void FilterContacts(const std::string& query, const Users& teamUsers, const Channels& contactChannels);
  void ShowUserSearchResults();
  // The box's text, set by code: it raises no "textchanged".
  void ClearSearch();

 private:
  // What the rows show; only the conversation view is kept row by row.
  enum class Rows { None, Sessions, SearchedSessions, Users };

  // A message at `timestamp` in the conversation: its entry moves to its new
  // place and its row with it. False when the list has no such conversation.
  bool ApplyMessage(const std::string& id, int64_t timestamp);
  // The conversations the cache holds now, against the entries: a new one
  // gets its entry and row, a gone one loses them; the others stay as they
  // are. While a search shows, its rows are built again from its query.
  void ApplyCacheChanges();
  [[nodiscard]] bool IsConversationViewShown() const;
  [[nodiscard]] std::string SearchQuery() const;
  void IndexEntries();
  // The list index of the conversation's item, or -1.
  [[nodiscard]] int ItemIndex(const std::string& id) const;
  // Where a row of this time goes among the rows, which are newest first.
  [[nodiscard]] int RowIndexFor(int64_t timestamp) const;
  [[nodiscard]] int64_t RowTime(int index) const;
  void InsertEntry(std::unique_ptr<SessionEntry> entry);
  // The row of the entry at `index`; false when its conversation shows none.
  bool InsertItem(const SessionEntry& entry, int index);
  void RemoveItem(const std::string& id);
  [[nodiscard]] bool HasOneRow(const std::string& id) const;
  // Whether the list shows conversations (all, or those a search found).
  [[nodiscard]] bool IsConversationRows() const;
  void AddSessionItems(const SessionEntries& entries);
  void AddChannelItem(const mireloom::Channel& channel, int index = -1);
  bool AddImItem(const std::string& itemId, const mireloom::IM& im, int index = -1);
  void FillImItem(CLazyListItemUI& item);
  void AddImResultItem(const mireloom::User& user);
  void FillImResultItem(CLazyListItemUI& item);
  [[nodiscard]] DuiLib::CHorizontalLayoutUI* CreateImItemRow(const std::wstring& displayName,
                                                             const std::string& avatarName,
                                                             const std::wstring& itemName);
  void AddItem(DuiLib::CControlUI* item, int index);

  DuiLib::CWindowWnd& m_window;
  DuiLib::CPaintManagerUI& m_paintManager;
  DuiLib::CListUI* m_list = nullptr;
  DuiLib::CEditUI* m_searchEdit = nullptr;
  Channels m_channels;
  std::vector<std::unique_ptr<mireloom::IM>> m_ims;
  // Looked up by id: a team may hold thousands of conversations.
  std::unordered_map<std::string, const mireloom::Channel*> m_channelsById;
  std::unordered_map<std::string, const mireloom::IM*> m_imsById;
  SessionEntries m_entries;
  std::unordered_map<std::string, SessionEntry*> m_entriesById;
  SessionEntries m_filteredSessions;
  Users m_filteredUsers;
  Channels m_filteredChannels;
  Rows m_rows = Rows::None;
  // Noted messages, by conversation: the newest time of each.
  std::unordered_map<std::string, int64_t> m_notedMessages;
  bool m_cacheChanged = false;
  std::string m_currentId;
  SessionKey m_highlighted;
};

}  // namespace mireloomwnd
