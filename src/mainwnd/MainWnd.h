#pragma once

// The main window: the one window in which a signed-in user works. The window
// manager builds one after sign-in and after a change of language, on its own
// stack frame, and runs it modally (slot 1). It is also the core library's
// listener for messages, unread counts, user statuses and the connection.
//
// The class is large, so its definition is split by area, one folder per
// area and one file per part of it:
//   shell/      the window itself
//     MainWnd.cpp            creation, InitWindow in order, the fetch chain, the end
//     MainWndListeners.cpp   the core listeners, brought to the window's thread
//     MainWndHandler.cpp     HandleMessage: custom messages, timers, tray, keys,
//                            drops; Notify: the dispatch table and its rows
//     TrayAttention.cpp      CTrayAttention, which the window owns: tray icon,
//                            connection state, network check, blink, flash, sound
//     MainWndQuit.cpp        quit, placement, what quit, sign-out and reload
//                            share, the close buttons and sign-out
//     MainWndCommands.cpp    the menu buttons, and the buttons and menu commands
//                            that open dialogs or pages
//     MainWndNavigation.cpp  the left bar, the contacts panel, search; header,
//                            avatar, status icons, the conversation view
//     ModuleBrowser.cpp      CModuleBrowser, which the window owns: the team's
//                            module pages in the embedded browser
//   sessions/   the conversation list
//     MainWndSessions.cpp    order, selection, refresh, closing
//     MainWndSessionItems.cpp the list's items and badges
//     MainWndSearch.cpp      search over sessions and contacts, joining, new IMs
//   contacts/   the contacts panel: CContactsPanel, which the window owns
//     ContactsTree.cpp       the contacts tree by letter, the avatars of both trees
//     OrganizationTree.cpp   the organisation tree
//     MemberDetails.cpp      the member card, the channel's tiles, the call animation
//   messages/   the message view, the chat area and sending
//     MessageView*.cpp       CMessageView, the message view the window owns:
//                            loading, routing, day separators, the frame of a
//                            message, the builders of each kind
//     MainWndChatArea.cpp    leave, files, upload, context menus, message
//                            clicks, the emoji button; the view's operations
//                            the window keeps for its callers
//     MainWndSending.cpp     sending the input, the screen capture
// Window-free logic lives beside them in its area (SessionEntry,
// SessionItemNames, BadgeTexts, MainWndGeometry, NotifyTable, ContactsLogic,
// ChatAreaLogic, ModulePages, and the message view's logic library).

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/ui/ConversationHost.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "browser/PageCookieSet.h"
#include "duilib/UIlib.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/messages/MessageView.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "mainwnd/shell/NotifyTable.h"
#include "mainwnd/shell/TrayAttention.h"
#include "mireloom/Channel.h"
#include "mireloom/Handlers.h"
#include "mireloom/IM.h"
#include "mireloom/Message.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"
#include "quennet/WinHandles.h"

namespace mireloomwnd {

class CLazyListItemUI;

class MainWnd final : public DuiLib::WindowImplBase,
                      public CConversationHost,
                      private mireloom::MessageHandler,
                      private mireloom::NumUnreadHandler,
                      private mireloom::UserStatusHandler,
                      private mireloom::ConnectionStateHandler {
 public:
  // Built only by the window manager.
  MainWnd();
  ~MainWnd() override;

  LPCTSTR GetWindowClassName() const override { return L"MainWindow"; }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;
  void InitWindow() override;
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_main_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void Notify(DuiLib::TNotifyUI& msg) override;

  // The dialogs call it after they created, joined or opened a conversation.
  void RefreshAndSelectSession(const std::string& id, bool scroll) override;

  // Whether the window took the placement stored by an earlier one; the window
  // manager then keeps it where it is instead of centring it.
  [[nodiscard]] bool HasRestoredPlacement() const { return m_placementRestored; }

 private:
  // ---- Core listeners (MainWndListeners.cpp): called on the core's thread,
  // each brings its call to the window's thread, in order.
  void HandleDirectMessage(const mireloom::Message& message) override;
  void HandleChannelMessage(const mireloom::Message& message) override;
  void OnNumUnreadChanged(const std::string& conversationId, mireloom::_NumUnread counts) override;
  void OnUserStatusChanged(const std::string& uid, mireloom::User::Status status) override;
  void OnConnectionStateChanged(int state) override;
  // Their work on the window's thread. `lastTimestamp` is the time of the
  // conversation's last message as the core had it when the call came (none
  // when it had none): by the time the call reaches the window's thread the
  // new message is the last one itself.
  void OnDirectMessage(const mireloom::Message& message, std::optional<int64_t> lastTimestamp);
  [[nodiscard]] static std::optional<int64_t> LastMessageTimestamp(const std::string& conversationId);
  void OnChannelMessage(const mireloom::Message& message);
  void OnUnreadCountChanged(const std::string& conversationId, mireloom::_NumUnread counts);
  void OnStatusChanged(const std::string& uid, mireloom::User::Status status);
  [[nodiscard]] bool IsSessionMissing(const std::string& id) const;
  // Fetches a conversation the list lacks, then has the list rebuilt.
  void FetchMissingIm(const std::string& imId);
  void FetchImsThenRefresh();
  void FetchMissingChannels();
  void PostRefreshSessionList();
  // Runs the task on the window's thread while this object lives and its
  // window exists; dropped otherwise. Callable from any thread.
  void RunOnWindowThread(std::function<void()> task);
  // The same for completions, which may run after the object is gone: they
  // keep the token and the pointer, and only the window's thread uses them.
  static void PostToWindow(std::weak_ptr<void> alive, MainWnd* window, std::function<void()> task);

  // ---- Start-up (MainWnd.cpp)
  void FindControls();
  void ApplyWindowTexts();
  void RegisterListeners();
  void RemoveListeners();
  void CreateNativeMenus();
  void PlayUnreadAtStart();
  void InitHeader();
  void LoadMyAvatar();
  // The fetch chain: channels, IMs, recent messages, unread counts; each step
  // only after the previous one succeeded.
  void StartFetchChain();
  void OnChannelsFetched(bool ok);
  void OnImsFetched(bool ok);
  void OnRecentMessagesSynced(bool ok);
  void OnUnreadFetched(bool ok);
  // What the window holds outside its controls, released when it is destroyed.
  void ReleaseWindowResources();

  // ---- Message handler (MainWndHandler.cpp)
  LRESULT OnImageDownloaded(LPARAM lParam);
  void OnSyncFinished();
  void OnTrayNotify(LPARAM mouseMessage);
  void ShowTrayMenu();
  void RestoreFromTray();
  // The modal window running inside this window's loop comes to the front.
  void BringModalWindowForward();
  void OnTimer(WPARAM timer);
  // True when the key is consumed here.
  bool OnKeyDown(WPARAM key);
  // True when the drop was handled here.
  bool OnDropFiles(HDROP drop);
  void PlaceImeWindow();
  // The language the user chose, or 0 to take the stored one.
  void OnLanguageChanged(int chosenLanguage);

  // ---- Attention: the tray icon, the network check, the blink and the
  // flash are m_attention's (TrayAttention.cpp); kept on the window for its
  // callers.
  void StartNetworkTimer() { m_attention->StartNetworkTimer(); }
  void OnNetworkStateChecked(bool online) { m_attention->OnNetworkStateChecked(online); }
  void StartTrayBlink() { m_attention->StartBlink(); }
  void StopTrayBlink() { m_attention->StopBlink(); }
  void ToggleTrayIcon() { m_attention->ToggleIcon(); }
  void StartTaskbarFlash() { m_attention->StartTaskbarFlash(); }
  void StopTaskbarFlash() { m_attention->StopTaskbarFlash(); }

  // ---- Quit and placement (MainWndQuit.cpp)
  void Quit();
  void SavePlacement();
  void RestorePlacement();
  // Placement saved, the managed windows and this one asked to close, the
  // tray icon gone: what quitting and signing out begin with.
  void SavePlacementAndCloseWindows();
  // What the next main window of this process must not inherit: the module
  // browser and the trees' build-once guards, so that it builds its own trees.
  void ReleaseSessionState();

  // ---- Close buttons and sign-out (MainWndQuit.cpp)
  void OnCustomCloseClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  // Quits or hides, as "CLOSE_ACTION" says; the system's close does the same.
  void CloseAsTheCloseButtonDoes();
  void OnHidingCloseClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSignOutClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void SignOut();

  // ---- Session list (MainWndSessions.cpp, MainWndSessionItems.cpp)
  void FetchSessionsFromCache();
  void SortSessions();
  [[nodiscard]] static bool CompareSessions(const std::unique_ptr<SessionEntry>& a,
                                            const std::unique_ptr<SessionEntry>& b);
  // Inline: sending and every incoming message ask them.
  [[nodiscard]] SessionType GetSessionType(const std::string& id) const {
    return SessionTypeOf(id, m_channels, m_ims);
  }
  [[nodiscard]] int FindSessionIndex(const std::string& id) const {
    return mireloomwnd::FindSessionIndex(m_sessions, id);
  }
  [[nodiscard]] static std::string SessionItemName(SessionType type, const std::string& id);
  [[nodiscard]] static std::wstring SessionNameLabelId(const std::wstring& itemName);
  [[nodiscard]] static std::wstring SessionUnreadLabelId(const std::wstring& itemName);
  static bool ParseSessionItemName(const std::string& name, SessionType* type, std::string* id);
  // The list index of the conversation's item, or -1: an IM whose partner is
  // not cached has no item, so list indexes and entry indexes differ.
  [[nodiscard]] int SessionItemIndex(const std::string& id) const;
  void SelectSessionItem(const std::string& id, bool scroll);
  void MarkOpenSessionSelected();
  void BuildSessionList();
  // Adds the items of the entries to the emptied list.
  void AddSessionItems(const SessionEntries& entries);
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateChannelItem(const std::wstring& name,
                                                                  const std::wstring& itemName,
                                                                  mireloom::Channel::Visibility visibility,
                                                                  const std::string& hexColor);
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateImItem(const std::wstring& displayName,
                                                             const std::string& avatarName,
                                                             const std::wstring& itemName);
  void AddChannelItem(const mireloom::Channel& channel);
  void AddImItem(const std::string& itemId, const mireloom::User& partner);
  // A member found by the search, listed as an IM named by the uid; its
  // controls are made when it first comes into view, as results run to thousands.
  void AddImResultItem(const mireloom::User& user);
  void FillImResultItem(CLazyListItemUI& item);
  [[nodiscard]] DuiLib::CHorizontalLayoutUI* CreateImItemRow(const std::wstring& displayName,
                                                             const std::string& avatarName,
                                                             const std::wstring& itemName);
  void UpdateSessionUnread(SessionKey key, mireloom::_NumUnread unread);
  void SetUnreadBadge(DuiLib::CControlUI* badge, int count);
  void StyleUnreadBadge(DuiLib::CControlUI* badge, int count, bool styled);
  void HighlightSessionItem(SessionKey key);
  void SelectSession(SessionType type, const std::string& id);
  void SetChatTitle(SessionType type, const std::string& id);
  void CloseIm(const std::string& id);
  void SaveDraftOfCurrentSession();
  void RestoreDraft(const std::string& id);
  void UpdateTotalUnreadBadge();
  void OnSessionListItemSelected(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSessionItemRightClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // ---- Search and opening (MainWndSearch.cpp)
  void FilterSessions(const std::string& query);
  void ShowSessionSearchResults();
  void FilterContacts(const std::string& query);
  void ShowUserSearchResults();
  // A view that shows another list starts with the search box empty.
  void ClearSearch();
  // The list's items, of the conversations the search box's query finds in
  // the conversation view, of all of them otherwise.
  void AddSearchedSessionItems();
  void JoinChannel(const std::string& channelId);
  // What the completions of enabling or joining a channel and of opening a
  // new IM (IMManager::NewIM) do, once PostToWindow brought them here.
  void OnChannelEnabled(const std::string& channelId, bool ok);
  void OnNewImCreated(std::unique_ptr<mireloom::IM> im);

  // ---- Header and views (MainWndNavigation.cpp)
  void ShowMessagesHeader();
  void ShowMyAvatar();
  static void SetStatusIcon(DuiLib::CControlUI* button, mireloom::User::Status status);
  [[nodiscard]] static std::wstring StatusButtonName(const std::string& uid);
  // The conversation list again (from the tray or the chat button), with the
  // conversation's item selected when the list has one.
  void ShowConversationView(const std::string& id);
  void SetControlVisible(const wchar_t* name, bool visible);
  // The left bar shows the active image on the view's button, the normal
  // image on the others.
  void ShowLeftBarActive(const DuiLib::CButtonUI* active);
  // Whether the button shows its active image: its view is on display.
  [[nodiscard]] bool IsLeftBarActive(const DuiLib::CButtonUI* button) const;
  // Every left-bar change: the button active, and either the lists with the
  // chat area or the browser area shown (the module browser hidden otherwise).
  void ShowLeftBarView(const DuiLib::CButtonUI* active, bool browserArea);

  // ---- Popup-menu buttons (MainWndCommands.cpp)
  template <class Menu>
  void OpenMenuAtClick(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnDropDownClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // ---- Dialogs the window opens (MainWndCommands.cpp): channels, one-to-one
  // conversations, members, calls, the language and the feedback.
  void OnJoinPublicChannelClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnJoinPrivateChannelClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnCreateChannelClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnOpenImClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnAddMembersClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnMembersClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnMakeCallClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnViewPersonalInformationClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSwitchLanguageClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnTrayFeedback();
  // Where a side card (member card, channel members, file list) goes now.
  [[nodiscard]] Placement SideCard() const;
  // The open one-to-one conversation's partner, or the open channel's id; ""
  // when the open conversation is not of that kind.
  [[nodiscard]] std::string PartnerUidOf(const std::string& imId) const;
  [[nodiscard]] std::string ChannelIdOf(const std::string& channelId) const;
  // The member card for the partner of the open one-to-one conversation.
  void ShowPartnerCard();

  // ---- Message view: kept on the window for its callers; the view
  // (m_messageView) does the work (hand-ons in MainWndChatArea.cpp).
  // Replaces the view with the newest page of the conversation.
  void LoadMessages(const std::string& id);
  // Appends one message at the end of the view; it does not scroll.
  void AddMessageItem(const mireloom::Message& message);
  [[nodiscard]] static bool IsSameDay(int64_t first, int64_t second);
  void AddDaySeparator(int64_t timestamp);
  void ScrollMessagesToEndSoon();
  [[nodiscard]] static std::wstring FormatMessageText(const std::string& text, std::wstring* plain = nullptr);
  [[nodiscard]] static std::wstring MakeLinkMarkup(const std::string& value, const std::string& text, int kind);
  // The builders of each kind of message.
  void AddTextMessage(const mireloom::Message& message);
  void AddNoticeMessage(const mireloom::Message& message);
  void AddUnsupportedMessage(const mireloom::Message& message);
  void AddImageMessage(const mireloom::Message& message);
  void AddFileMessage(const mireloom::Message& message);
  void AddSnippetMessage(const mireloom::Message& message);
  void AddCommentMessage(const mireloom::Message& message);
  void AddMailMessage(const mireloom::Message& message);
  void AddAttachmentMessage(const mireloom::Message& message);
  void AddAttachmentField(DuiLib::CContainerUI* container, const mireloom::Attachment::Field& field,
                          int* height = nullptr);
  // The frame of a message: its item with the avatar and the sender line; the
  // content column goes to `column`. None when the sender is not known.
  [[nodiscard]] std::unique_ptr<DuiLib::CListContainerElementUI> AddSenderHeader(
      const mireloom::Message& message, DuiLib::CVerticalLayoutUI** column = nullptr);
  // Completions of the thumbnail and avatar downloads, on whichever thread
  // finished them: they send the record to the window, for a target that may
  // be gone by then.
  static void OnChatImageDownloaded(HWND window, DuiLib::CControlUI* button, std::weak_ptr<void> buttonAlive,
                                    const std::string& sessionId, const std::string& localPath);
  static void OnSenderAvatarDownloaded(HWND window, DuiLib::CControlUI* button, std::weak_ptr<void> buttonAlive,
                                       const std::string& sessionId, const std::string& localPath);
  // Reads a clicked link's text ("x=|kind|value|"): its kind, and its value.
  // OpenMessageClick reads every clicked link with it.
  [[nodiscard]] static int OnMessageLinkClicked(const std::wstring& linkText, std::wstring* value = nullptr);
  // Readers of the names that message controls carry.
  [[nodiscard]] static bool ImageItemName(const std::wstring& name, std::string* key = nullptr);
  [[nodiscard]] static bool SnippetItemName(const std::wstring& name, std::string* entityId = nullptr);
  [[nodiscard]] static bool FileItemName(const std::wstring& name);
  [[nodiscard]] static bool SplitItemName(const std::wstring& name, std::string* first = nullptr,
                                          std::string* second = nullptr);

  // ---- Sending (MainWndSending.cpp)
  // What a send needs to give the text back when it fails.
  struct UnsentText {
    std::string conversationId;
    std::wstring text;
    // Sent while the notice of an earlier failure showed: its success ends it.
    bool endsNotice = false;
  };
  void SendChatInput();
  void OnMessageSent(bool ok, std::unique_ptr<mireloom::Message> message, const UnsentText& unsent,
                     std::optional<int64_t> lastTimestamp);
  void GiveBackUnsentText(const UnsentText& unsent);
  // The line by the send button that says a message was not sent.
  void ShowSendFailedNotice(bool shown);
  [[nodiscard]] bool IsSendFailedNoticeShown();
  void CaptureScreenToClipboard();
  static void AddSendingRows(CNotifyTable& table);
  void OnChatInputReturn(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSendClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // ---- Dispatch (MainWndHandler.cpp)
  [[nodiscard]] static const CNotifyTable& NotifyRows();
  static void AddSessionListRows(CNotifyTable& table);
  static void AddCloseButtonRows(CNotifyTable& table);
  static void AddMenuButtonRows(CNotifyTable& table);
  static void AddDialogRows(CNotifyTable& table);

  // ---- Contacts panel: the trees, the member card and the call animation
  // are m_contacts' (ContactsPanel.h); kept on the window for its callers.
  void BuildContactsTree() { m_contacts->BuildContactsTree(); }
  static void OnTreeAvatarDownloaded(HWND window, DuiLib::CButtonUI* button, std::weak_ptr<void> buttonAlive,
                                     const std::string& localPath) {
    CContactsPanel::OnTreeAvatarDownloaded(window, button, std::move(buttonAlive), localPath);
  }
  void BuildOrganizationTree() { m_contacts->BuildOrganizationTree(); }
  void ExpandUsergroupNode(const std::string& usergroupId, DuiLib::CTreeNodeUI* node) {
    m_contacts->ExpandUsergroupNode(usergroupId, node);
  }
  void ShowMemberDetails(const std::string& id) { m_contacts->ShowMemberDetails(id); }
  void ShowUserDetails(const std::string& id) { m_contacts->ShowUserDetails(id); }
  void ShowRobotDetails(const std::string& id) { m_contacts->ShowRobotDetails(id); }
  void ShowChannelMembers(const std::string& id) { m_contacts->ShowChannelMembers(id); }
  void StartCallAnimation(bool start) { m_contacts->StartCallAnimation(start); }

  // ---- Navigation, chat area (MainWndNavigation.cpp, MainWndChatArea.cpp)
  // Navigation (MainWndNavigation.cpp, MainWndCommands.cpp)
  static void AddNavigationRows(CNotifyTable& table);
  static void AddMenuCommandRows(CNotifyTable& table);
  void OnContactsTreeItemSelected(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnChatButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnContactsButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnModuleButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnContactsTreeSwitched(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnContactsSendMessage(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnContactsMakeCall(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnEditMyInformation(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnTreeNodeSelectChanged(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSearchTextChanged(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnAdminPageChosen(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnApplicationPageChosen(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void ShowContactsView();
  // Back to the conversation list from the member panel.
  void ReturnToChatList();
  // A module page in the browser area, its button active.
  void ShowModuleView(DuiLib::CButtonUI* active, const std::wstring& page);
  // The team's page of the path in the user's browser.
  void OpenTeamPage(const std::wstring& path);
  // Chat area (MainWndChatArea.cpp)
  static void AddChatAreaRows(CNotifyTable& table);
  void OnLeaveClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnFileButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnUploadButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnInputContextMenu(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnMessageTextContextMenu(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnMessageLinkNotified(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnImageItemClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnScreenshotClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnLoadMoreClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnChatDisplayScrolled(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  // Leaves the conversation and removes its own item ("leave_btn",
  // "menu_quit_group").
  void LeaveConversation(const std::string& id);
  // The upload window for the file, when its path fits code page 936 (the
  // upload button and a drop); `origin` names the file in the refusal's log
  // line ("Upload", "Dropped file").
  void OpenUploadWindow(const std::wstring& path, const char* origin);
  // What a click on a message control opens (`linkContent` null for a click).
  void OpenMessageClick(const std::wstring& sender, const std::wstring* linkContent, const std::wstring& address,
                        const std::wstring& title);
  // Module pages: m_moduleBrowser's (ModuleBrowser.cpp); kept on the window
  // for its callers.
  void ShowModulePage(const std::wstring& page) { m_moduleBrowser->ShowPage(page); }
  void SetModuleCookies(const PageCookieSession& session) { m_moduleBrowser->SetCookies(session); }
  void PlaceBrowser() { m_moduleBrowser->Place(); }
  // ---- Emoji picker (MainWndChatArea.cpp)
  static void AddEmojiPickerRows(CNotifyTable& table);
  void OnEmojiButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // Fields, in the order the window's design gives them.
  CWndShadow m_shadow;
  const std::unique_ptr<CTrayAttention> m_attention = std::make_unique<CTrayAttention>(*this);
  const std::unique_ptr<CModuleBrowser> m_moduleBrowser = std::make_unique<CModuleBrowser>(*this);
  const std::unique_ptr<CContactsPanel> m_contacts = std::make_unique<CContactsPanel>(*this, m_PaintManager);
  const std::unique_ptr<CMessageView> m_messageView = std::make_unique<CMessageView>(*this);
  std::vector<std::unique_ptr<mireloom::Channel>> m_channels;
  std::vector<std::unique_ptr<mireloom::IM>> m_ims;
  SessionEntries m_sessions;
  SessionEntries m_filteredSessions;
  std::vector<std::unique_ptr<mireloom::User>> m_filteredUsers;
  std::vector<std::unique_ptr<mireloom::Channel>> m_filteredChannels;
  DuiLib::CListUI* m_sessionList = nullptr;
  quennet::UniqueMenu m_trayMenu;
  bool m_placementRestored = false;
  quennet::UniqueMenu m_imItemMenu;
  quennet::UniqueMenu m_inputContextMenu;
  quennet::UniqueMenu m_readOnlyContextMenu;
  std::string m_currentSessionId;
  DuiLib::CButtonUI* m_membersBtn = nullptr;
  DuiLib::CButtonUI* m_addMembersBtn = nullptr;
  DuiLib::CButtonUI* m_leaveBtn = nullptr;
  DuiLib::CButtonUI* m_emojiBtn = nullptr;
  DuiLib::CButtonUI* m_fileBtn = nullptr;
  DuiLib::CButtonUI* m_makeCallBtn = nullptr;
  DuiLib::CButtonUI* m_chatBtn = nullptr;
  DuiLib::CButtonUI* m_contactsBtn = nullptr;
  DuiLib::CButtonUI* m_taskBtn = nullptr;
  DuiLib::CButtonUI* m_calendarBtn = nullptr;
  DuiLib::CButtonUI* m_netdiscBtn = nullptr;
  DuiLib::CButtonUI* m_applicationsBtn = nullptr;
  DuiLib::CButtonUI* m_contactsByLetterBtn = nullptr;
  DuiLib::CButtonUI* m_contactsByOrganizationBtn = nullptr;
  DuiLib::CControlUI* m_browserClientLayout = nullptr;
  DuiLib::CEditUI* m_searchEdit = nullptr;
  SessionKey m_highlightedSession;
  int m_currentApplication = 0;
  // Per conversation, the texts failed sends gave back at the head of its
  // input or draft, so that the next failure goes after them.
  std::map<std::string, std::wstring> m_givenBackTexts;

  // This window's chat input, to tell whether ChatInputEdit is still ours
  // when the window ends.
  DuiLib::CRichEditUI* m_chatInput = nullptr;
  // Last: closures posted for this object are dropped from the start of its
  // destruction on.
  CLifetimeGuard m_lifetime;
};

}  // namespace mireloomwnd
