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
//     MainWndListeners.cpp   the core listeners, brought to the window's thread,
//                            and the end of a send, which shows a sent message
//                            as one that arrived: routed to the window's
//                            builder of its kind
//     MainWndHandler.cpp     HandleMessage: custom messages, timers, tray, keys
//                            (Enter sends), drops; Notify: the dispatch table
//     TrayAttention.cpp      CTrayAttention, which the window owns: tray icon,
//                            connection state, network check, blink, flash, sound
//     MainWndQuit.cpp        quit, placement, what quit, sign-out and reload
//                            share, the close buttons and sign-out
//     MainWndCommands.cpp    the menu buttons, and the buttons and menu commands
//                            that open dialogs or pages
//     MainWndNavigation.cpp  the left bar, the contacts panel, search; header,
//                            avatar, status icons, the conversation view
//     MainWndConversations.cpp opening, refreshing and closing conversations
//                            through the session list, joining, new IMs
//     MainWndChatEvents.cpp  the chat area's events: sending, leave, files,
//                            upload, screen capture, context menus, message
//                            clicks, the emoji button
//     ModuleBrowser.cpp      CModuleBrowser, which the window owns: the team's
//                            module pages in the embedded browser
//   sessions/   the conversation list: CSessionList, which the window owns
//     SessionList.cpp        entries, order, the open one, drafts, changes
//                            applied row by row
//     SessionItems.cpp       the list's items and badges
//     SessionSearch.cpp      search over sessions and contacts
//   contacts/   the contacts panel: CContactsPanel, which the window owns
//     ContactsTree.cpp       the contacts tree by letter, the avatars of both trees
//     OrganizationTree.cpp   the organisation tree
//     MemberDetails.cpp      the member card, the channel's tiles, the call animation
//   messages/   the chat area: CChatArea, which the window owns
//     ChatArea.cpp           the view's side: loading a conversation, the
//                            time of its last message
//     ChatSending.cpp        the input, sending it, the completion, the text
//                            a failed send gives back
//     MessageView*.cpp       CMessageView, the chat area's message view:
//                            loading, routing, day separators, the frame of a
//                            message, the builders of each kind
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
#include "app/ui/MemberAvatar.h"
#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "browser/PageCookieSet.h"
#include "duilib/UIlib.h"
#include "mainwnd/messages/ChatAreaEvents.h"
#include "mainwnd/sessions/SessionEntry.h"
#include "mireloom/Channel.h"
#include "mireloom/Handlers.h"
#include "mireloom/IM.h"
#include "mireloom/Message.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"
#include "quennet/WinHandles.h"

namespace messageview {
template <class Builders, class Message>
void RouteToBuilder(Builders& builders, const Message& message);
}  // namespace messageview

namespace mireloomwnd {

// The window's areas: each is an object the window owns, and none of them
// knows the window.
class CChatArea;
class CContactsPanel;
class CModuleBrowser;
class CNotifyTable;
class CSessionList;
class CTrayAttention;
struct ClickedLink;

class MainWnd final : public DuiLib::WindowImplBase,
                      public CConversationHost,
                      private CChatAreaEvents,
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
  // Their work on the window's thread; a message this window sent takes
  // OnDirectMessage's road too. `lastTimestamp` is the time of the
  // conversation's last message as the core had it when the call came (none
  // when it had none): by the time the call reaches the window's thread the
  // new message is the last one itself.
  void OnDirectMessage(const mireloom::Message& message, std::optional<int64_t> lastTimestamp);
  void OnChannelMessage(const mireloom::Message& message);
  // The message's conversation moves in the list; one the list lacks is
  // fetched, as an IM or as a channel by the road the message came.
  void NoteSessionMessage(const mireloom::Message& message, SessionType road);
  void OnUnreadCountChanged(const std::string& conversationId, mireloom::_NumUnread counts);
  void OnStatusChanged(const std::string& uid, mireloom::User::Status status);
  [[nodiscard]] bool IsSessionMissing(const std::string& id) const;
  // Fetches a conversation the list lacks, then has the list rebuilt.
  void FetchMissingIm(const std::string& imId);
  void FetchImsThenRefresh();
  void FetchMissingChannels();
  void OnMissingSessionsFetched();
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
  // flash are m_attention's (TrayAttention.cpp); the window's start-up,
  // timers and unread handler reach them through these (MainWndListeners.cpp).
  void StartNetworkTimer();
  void OnNetworkStateChecked(bool online);
  void StartTrayBlink();
  void StopTrayBlink();
  void ToggleTrayIcon();
  void StartTaskbarFlash();
  void StopTaskbarFlash();

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

  // ---- Session list: the entries, rows, badges and search are
  // m_sessionList's (sessions/SessionList.h); the window opens, refreshes and
  // closes conversations through these (MainWndConversations.cpp). The order
  // (CompareSessions), the items' builders, the names they are given and the
  // badge's style are the list's own, which sorts, builds and styles by
  // itself, and hand on to it.
  [[nodiscard]] const std::string& CurrentSessionId() const;
  void FetchSessionsFromCache();
  void SortSessions();
  [[nodiscard]] static bool CompareSessions(const std::unique_ptr<SessionEntry>& a,
                                            const std::unique_ptr<SessionEntry>& b);
  [[nodiscard]] SessionType GetSessionType(const std::string& id) const;
  [[nodiscard]] int FindSessionIndex(const std::string& id) const;
  [[nodiscard]] static std::string SessionItemName(SessionType type, const std::string& id);
  [[nodiscard]] static std::wstring SessionNameLabelId(const std::wstring& itemName);
  [[nodiscard]] static std::wstring SessionUnreadLabelId(const std::wstring& itemName);
  static bool ParseSessionItemName(const std::string& name, SessionType* type, std::string* id);
  void BuildSessionList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateChannelItem(const std::wstring& name,
                                                                  const std::wstring& itemName,
                                                                  mireloom::Channel::Visibility visibility,
                                                                  const std::string& hexColor);
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateImItem(const std::wstring& displayName,
                                                             const std::string& avatarName,
                                                             const std::wstring& itemName);
  void UpdateSessionUnread(SessionKey key, mireloom::_NumUnread unread);
  static void SetUnreadBadge(DuiLib::CControlUI* badge, int count);
  static void StyleUnreadBadge(DuiLib::CControlUI* badge, int count, bool styled);
  void HighlightSessionItem(SessionKey key);
  void SelectSession(SessionType type, const std::string& id);
  void SetChatTitle(SessionType type, const std::string& id);
  void CloseIm(const std::string& id);
  void SaveDraftOfCurrentSession();
  void RestoreDraft(const std::string& id);
  void UpdateTotalUnreadBadge();
  void OnSessionListItemSelected(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void OnSessionItemRightClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // ---- Search and opening (MainWndConversations.cpp)
  void FilterSessions(const std::string& query);
  void ShowSessionSearchResults();
  void FilterContacts(const std::string& query);
  void ShowUserSearchResults();
  // A view that shows another list starts with the search box empty.
  void ClearSearch();
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

  // ---- Message view: the chat area's (m_chat, messages/ChatArea.h). The
  // window loads conversations through LoadMessages, and shows a message
  // that arrived or was sent through AddMessageItem, IsSameDay,
  // AddDaySeparator and ScrollMessagesToEndSoon (MainWndListeners.cpp);
  // AddMessageItem routes it to the window's builder of its kind, which
  // hands on to the view's. The view fills its pages through its own
  // builders by the same route. The frame, the markup, the item names'
  // readers and the download completions are the view's own, which it uses
  // as it builds, and hand on to it. A click on a message control is read,
  // its item name with it, by the chat area's window-free ReadMessageClick
  // (MainWndChatEvents.cpp).
  // Replaces the view with the newest page of the conversation.
  void LoadMessages(const std::string& id);
  // Appends one message at the end of the view; it does not scroll.
  void AddMessageItem(const mireloom::Message& message);
  [[nodiscard]] static bool IsSameDay(int64_t first, int64_t second);
  void AddDaySeparator(int64_t timestamp);
  void ScrollMessagesToEndSoon();
  [[nodiscard]] static std::wstring FormatMessageText(const std::string& text, std::wstring* plain = nullptr);
  [[nodiscard]] static std::wstring MakeLinkMarkup(const std::string& value, const std::string& text, int kind);
  // The builders of each kind of message, which the route calls.
  friend void messageview::RouteToBuilder<MainWnd, mireloom::Message>(MainWnd&, const mireloom::Message&);
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
  // The window reads every clicked link of a message with it.
  [[nodiscard]] static int OnMessageLinkClicked(const std::wstring& linkText, std::wstring* value = nullptr);
  // Readers of the names that message controls carry.
  [[nodiscard]] static bool ImageItemName(const std::wstring& name, std::string* key = nullptr);
  [[nodiscard]] static bool SnippetItemName(const std::wstring& name, std::string* entityId = nullptr);
  [[nodiscard]] static bool FileItemName(const std::wstring& name);
  [[nodiscard]] static bool SplitItemName(const std::wstring& name, std::string* first = nullptr,
                                          std::string* second = nullptr);

  // ---- Sending: the chat area sends and completes (messages/ChatSending.cpp).
  // Enter starts a send beside the key handler (MainWndHandler.cpp); the end
  // of a send is the listeners' (MainWndListeners.cpp); the button and the
  // capture are MainWndChatEvents.cpp's.
  void SendChatInput();
  void OnMessageSent(bool ok, const mireloom::Message* message, std::optional<int64_t> lastTimestamp) override;
  void ShowSendFailedNotice(bool shown);
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
  // are m_contacts' (ContactsPanel.h); the navigation reaches them through
  // these (MainWndNavigation.cpp). ShowMemberDetails picks the card by the
  // panel's lists that hold the id; the avatar completion is the panel's own
  // and hands on to it.
  void BuildContactsTree();
  static void OnTreeAvatarDownloaded(HWND window, DuiLib::CButtonUI* button, std::weak_ptr<void> buttonAlive,
                                     const std::string& localPath);
  void BuildOrganizationTree();
  void ExpandUsergroupNode(const std::string& usergroupId, DuiLib::CTreeNodeUI* node);
  void ShowMemberDetails(const std::string& id);
  void ShowUserDetails(const std::string& id);
  void ShowRobotDetails(const std::string& id);
  void ShowChannelMembers(const std::string& id);
  void StartCallAnimation(bool start);

  // ---- Navigation, chat area (MainWndNavigation.cpp, MainWndChatEvents.cpp)
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
  // Chat area (MainWndChatEvents.cpp)
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
  // What a click on a message control opens (`link` null for a click).
  void OpenMessageClick(const std::wstring& sender, const ClickedLink* link, const std::wstring& address,
                        const std::wstring& title);
  // Module pages: m_moduleBrowser's (ModuleBrowser.cpp); the navigation and
  // the window's size changes reach them through these (MainWndNavigation.cpp).
  // Each page shown first puts the session's cookies in (SetModuleCookies).
  void ShowModulePage(const std::wstring& page);
  void SetModuleCookies(const PageCookieSession& session);
  void PlaceBrowser();
  // ---- Emoji picker (MainWndChatEvents.cpp)
  static void AddEmojiPickerRows(CNotifyTable& table);
  void OnEmojiButtonClicked(DuiLib::TNotifyUI& msg, const std::wstring& sender);

  // Fields, in the order the window's design gives them.
  CWndShadow m_shadow;
  // The areas, made by the constructor; each holds the window and its
  // paint manager, which outlive it.
  const std::unique_ptr<CTrayAttention> m_attention;
  const std::unique_ptr<CModuleBrowser> m_moduleBrowser;
  const std::unique_ptr<CContactsPanel> m_contacts;
  const std::unique_ptr<CChatArea> m_chat;
  const std::unique_ptr<CSessionList> m_sessionList;
  quennet::UniqueMenu m_trayMenu;
  bool m_placementRestored = false;
  quennet::UniqueMenu m_imItemMenu;
  quennet::UniqueMenu m_inputContextMenu;
  quennet::UniqueMenu m_readOnlyContextMenu;
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
  // The signed-in user's avatar in the rail, asked for again on a paint after a failed download.
  CSkinAvatar m_myAvatar;
  int m_currentApplication = 0;
  // Last: closures posted for this object are dropped from the start of its
  // destruction on.
  CLifetimeGuard m_lifetime;
};

}  // namespace mireloomwnd
