#include "mainwnd/MainWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mainwnd/contacts/ContactsPanel.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/ChatArea.h"
#include "mainwnd/sessions/SessionList.h"
#include "mainwnd/shell/ModuleBrowser.h"
#include "mainwnd/shell/TrayAttention.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/UsergroupManager.h"
#include "mireloom/UserManager.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;


namespace {

constexpr int kRecentMessageCount = 20;
constexpr DWORD kLinkColor = 0xFF51BCB6;
constexpr DWORD kLinkHoverColor = 0xFF59C796;
constexpr int kDefaultFontSize = 15;

void IgnoreUsergroups(bool, const std::string&, std::vector<std::unique_ptr<mireloom::Usergroup>>) {}

}  // namespace

void WindowManager::ShowMainWnd() {
  if (Get(WindowSlot::MainWnd)) return;
  MainWnd window;
  Set(WindowSlot::MainWnd, &window);
  if (!CreateInSlot(window, WindowSlot::MainWnd, {})) {
    Set(WindowSlot::MainWnd, nullptr, &window);
    return;
  }
  // Centred only the first time: a stored placement is where the user left it.
  if (!window.HasRestoredPlacement()) window.CenterWindow();
  window.ShowModal();
  Set(WindowSlot::MainWnd, nullptr, &window);
}

MainWnd* WindowManager::GetMainWnd() const { return static_cast<MainWnd*>(Get(WindowSlot::MainWnd)); }

MainWnd::MainWnd()
    : m_attention(std::make_unique<CTrayAttention>(*this)),
      m_moduleBrowser(std::make_unique<CModuleBrowser>(*this)),
      m_contacts(std::make_unique<CContactsPanel>(*this, m_PaintManager)),
      m_chat(std::make_unique<CChatArea>(*this, m_PaintManager, static_cast<CChatAreaEvents&>(*this))),
      m_sessionList(std::make_unique<CSessionList>(*this, m_PaintManager)) {}

MainWnd::~MainWnd() {
  // The connection listener lives as long as the object, not the window.
  if (mireloom::Director* director = mireloom::Director::DefaultDirector()) {
    director->RemoveConnectionStateHandler(this);
  }
}

CDuiString MainWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT MainWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  // InitWindow runs inside the framework's step, before the window is shown.
  const LRESULT result = WindowImplBase::OnCreate(uMsg, wParam, lParam, bHandled);
  if (result != 0 || !GetHWND()) return result;
  ApplyBorderlessStyle(GetHWND());
  RestorePlacement();
  AttachShadow(m_shadow, GetHWND());
  return result;
}

void MainWnd::InitWindow() {
  DragAcceptFiles(GetHWND(), TRUE);
  mireloom::UsergroupManager::DefaultManager()->GetUsergroups("", IgnoreUsergroups);
  m_PaintManager.SetDefaultFont(L"微软雅黑", kDefaultFontSize, false, false, false, false);
  m_PaintManager.SetDefaultLinkFontColor(kLinkColor, false);
  m_PaintManager.SetDefaultLinkHoverFontColor(kLinkHoverColor, false);
  RegisterListeners();
  FindControls();
  ApplyWindowTexts();

  FetchSessionsFromCache();
  SortSessions();
  // Asked for once the list's entries are taken from the cache, before the
  // window is built and shown: the service answers meanwhile, and each answer
  // waits in the queue until the window is up.
  StartFetchChain();
  BuildSessionList();
  InitHeader();
  LoadMyAvatar();

  m_attention->LoadIcons();
  m_attention->AddIcon();
  StartNetworkTimer();
  CreateNativeMenus();
  PlayUnreadAtStart();
  // The list was built from the cache just above: selecting opens the
  // conversation without building every item a second time.
  if (!m_sessionList->IsEmpty()) m_sessionList->SelectItem(m_sessionList->FirstId(), true);
  m_sessionList->ScrollToTop();
}

void MainWnd::RegisterListeners() {
  // Removed first: a listener registered before is then registered once.
  if (mireloom::Director* director = mireloom::Director::DefaultDirector()) {
    director->RemoveConnectionStateHandler(this);
    director->AddConnectionStateHandler(this);
  }
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  chat->AddMessageHandler(this);
  chat->AddNumUnreadHandler(this);
  mireloom::UserManager::DefaultManager()->AddUserStatusHandler(this);
}

void MainWnd::RemoveListeners() {
  const mireloom::ChatManager* chat = mireloom::ChatManager::DefaultManager();
  chat->RemoveMessageHandler(this);
  chat->RemoveNumUnreadHandler(this);
  mireloom::UserManager::DefaultManager()->RemoveUserStatusHandler(this);
}

void MainWnd::FindControls() {
  m_chat->Attach(FindSkinControl<CListUI>(m_PaintManager, L"chat_display", L"List"),
                 FindSkinControl<CRichEditUI>(m_PaintManager, L"chat_input", L"RichEdit"));
  m_membersBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"members_btn", L"Button");
  m_addMembersBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"add_members_btn", L"Button");
  m_leaveBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"leave_btn", L"Button");
  m_fileBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"file_btn", L"Button");
  m_emojiBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"emoji_btn", L"Button");
  m_makeCallBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"make_call_btn", L"Button");
  m_chatBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"chat_btn", L"Button");
  m_contactsBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"contacts_btn", L"Button");
  m_taskBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"task_btn", L"Button");
  m_calendarBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"calendar_btn", L"Button");
  m_netdiscBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"netdisc_btn", L"Button");
  m_applicationsBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"applications_btn", L"Button");
  m_contactsByLetterBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"contacts_by_letter_btn", L"Button");
  m_contactsByOrganizationBtn = FindSkinControl<CButtonUI>(m_PaintManager, L"contacts_by_organization_btn", L"Button");
  m_browserClientLayout = FindSkinControl(m_PaintManager, L"BrowserClientLayout");
  m_moduleBrowser->Attach(m_browserClientLayout);
  m_searchEdit = FindSkinControl<CEditUI>(m_PaintManager, L"search", L"Edit");
  m_sessionList->Attach(FindSkinControl<CListUI>(m_PaintManager, L"sessionList", L"List"), m_searchEdit);
}

void MainWnd::ApplyWindowTexts() {
  ApplyTexts(m_PaintManager, {{L"minbtn", "MinimizeTips", TextTarget::ToolTip},
                              {L"maxbtn", "MaximizeTips", TextTarget::ToolTip},
                              {L"restorebtn", "RestoreTips", TextTarget::ToolTip},
                              {L"customCloseBtn", "CloseTips", TextTarget::ToolTip},
                              {L"edit_my_information", "EditInformation"},
                              {L"send_message_btn", "ChatSendBtn"},
                              {L"members_btn", "MembersTips", TextTarget::ToolTip},
                              {L"file_btn", "FolderTips", TextTarget::ToolTip},
                              {L"make_call_btn", "CallTips", TextTarget::ToolTip},
                              {L"chat_btn", "MessageTips", TextTarget::ToolTip},
                              {L"contacts_btn", "ContacksTips", TextTarget::ToolTip},
                              {L"task_btn", "TaskTips", TextTarget::ToolTip},
                              {L"calendar_btn", "CalendarTips", TextTarget::ToolTip},
                              {L"netdisc_btn", "DriveTips", TextTarget::ToolTip},
                              {L"applications_btn", "ReportTips", TextTarget::ToolTip},
                              {L"search", "SearchTips", TextTarget::TipValue}});
}

void MainWnd::InitHeader() { ShowMessagesHeader(); }

void MainWnd::LoadMyAvatar() { ShowMyAvatar(); }

void MainWnd::CreateNativeMenus() {
  auto menu = [](std::initializer_list<std::pair<UINT, const char*>> items) {
    quennet::UniqueMenu created(CreatePopupMenu());
    for (const auto& [command, key] : items) {
      AppendMenuW(created.get(), MF_STRING, command, LocalizedText(key).c_str());
    }
    return created;
  };
  m_trayMenu = menu({{kTrayFeedbackCommand, "TrayMenuFeedback"}, {kTrayExitCommand, "TrayMenuExitCorvanel"}});
  m_inputContextMenu = menu({{kCopyCommand, "CopyButton"}, {kCutCommand, "CutButton"}, {kPasteCommand, "PasteButton"}});
  m_readOnlyContextMenu = menu({{kCopyCommand, "CopyButton"}});
  m_imItemMenu = menu({{kCloseImCommand, "CloseIM"}});
}

void MainWnd::PlayUnreadAtStart() {
  if (mireloom::ChatManager::DefaultManager()->NumUnreadInCurrentTeam().num_unread == 0) return;
  // The window is not shown yet, so the blink starts although it opens next.
  StartTrayBlink();
  m_attention->PlayMessageSound();
}

void MainWnd::StartFetchChain() {
  quennet::log_event("updating channels");
  mireloom::ChannelManager::DefaultManager()->GetChannels(
      false, [this, alive = m_lifetime.Token()](bool ok, const std::string&,
                                                std::vector<std::unique_ptr<mireloom::Channel>>) {
        PostToWindow(alive, this, [this, ok] { OnChannelsFetched(ok); });
      });
}

// Each step only starts the next one; a failure ends the chain silently, and
// the window keeps what the cache gave it at start-up.
void MainWnd::OnChannelsFetched(bool ok) {
  if (!ok) return;
  quennet::log_event("updating IMs");
  mireloom::IMManager::DefaultManager()->GetIMs(
      [this, alive = m_lifetime.Token()](bool fetched, const std::string&, std::vector<std::unique_ptr<mireloom::IM>>) {
        PostToWindow(alive, this, [this, fetched] { OnImsFetched(fetched); });
      });
}

void MainWnd::OnImsFetched(bool ok) {
  if (!ok) return;
  quennet::log_event("syncing recent messages");
  mireloom::ChatManager::DefaultManager()->SyncRecentMessagesWithServer(
      kRecentMessageCount, [this, alive = m_lifetime.Token()](bool synced, const std::string&) {
        PostToWindow(alive, this, [this, synced] { OnRecentMessagesSynced(synced); });
      });
}

void MainWnd::OnRecentMessagesSynced(bool ok) {
  if (!ok) return;
  quennet::log_event("get num unread messages");
  mireloom::ChatManager::DefaultManager()->GetNumUnreadFromServer(
      [this, alive = m_lifetime.Token()](bool fetched, const std::string&) {
        PostToWindow(alive, this, [this, fetched] { OnUnreadFetched(fetched); });
      });
}

void MainWnd::OnUnreadFetched(bool ok) {
  if (ok) ::PostMessageW(GetHWND(), WM_SYNC_FINISHED, 0, 0);
}

void MainWnd::ReleaseWindowResources() {
  m_attention->RemoveIcon();
  DragAcceptFiles(GetHWND(), FALSE);
  m_trayMenu.reset();
  m_imItemMenu.reset();
  m_inputContextMenu.reset();
  m_readOnlyContextMenu.reset();
  m_attention->ReleaseIcons();
}

void MainWnd::OnFinalMessage(HWND hWnd) {
  RemoveListeners();
  m_chat->Detach();
  // Only while the slot still holds this window: after a reload or a
  // sign-out it may already hold the next one.
  WindowManager::GetInstance()->SetMainWnd(nullptr, this);
}

}  // namespace mireloomwnd
