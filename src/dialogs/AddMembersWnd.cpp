#include "dialogs/AddMembersWnd.h"

#include <algorithm>

#include "app/frame/StringTable.h"
#include "app/frame/TextHelpers.h"
#include "app/ui/WindowConventions.h"
#include "app/frame/WindowManager.h"
#include "dialogs/DialogMessages.h"
#include "dialogs/RowControls.h"
#include "dialogs/RowIds.h"
#include "dialogs/SearchBox.h"
#include "app/ui/SkinControls.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 55;
constexpr int kAvatarSize = 40;
void EraseFirst(UserList& users, const std::string& uid) {
  const auto found = std::find_if(users.begin(), users.end(), [&](const auto& user) { return user->uid() == uid; });
  if (found != users.end()) users.erase(found);
}

}  // namespace

void WindowManager::ShowAddMembersWnd(const std::string& channelId) {
  Show<AddMembersWnd>(WindowSlot::AddMembersWnd, {}, channelId);
}

AddMembersWnd::AddMembersWnd(const std::string& channelId) : m_channelId(channelId) {}

CDuiString AddMembersWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT AddMembersWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void AddMembersWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"add_members_title_label", "AddMembersWndTitle"}});
  // The channel's members are read once: asking the cache again for every
  // member of a large team would take seconds and give the same answer.
  m_members = mireloom::ChannelManager::DefaultManager()->FetchMembersOfChannelFromCache(m_channelId);
  for (const auto& member : m_members) m_memberUids.insert(member->uid());
  for (auto& user : mireloom::UserManager::DefaultManager()->FetchUsersExceptStateFromCache(mireloom::User::kDisabled)) {
    if (IsChannelMember(user->uid()) || user->IsBot()) continue;
    m_candidates.push_back(std::move(user));
  }
  FilterUsers({});
  m_searchBox = FindSkinControl<CEditUI>(m_PaintManager, L"search", L"Edit");
  ApplyTexts(m_PaintManager, {{L"search", "AddMembersWndSearchTip", TextTarget::TipValue}});
  m_rows.Attach(FindSkinControl<CListUI>(m_PaintManager, L"result_list", L"List"));
  FillResultList();
}

bool AddMembersWnd::IsChannelMember(const std::string& uid) const { return m_memberUids.count(uid) != 0; }

void AddMembersWnd::FilterUsers(const std::string& keyword) {
  // A box holding the Chinese tip as its text shows the whole list too.
  if (keyword.empty() || keyword == kMemberSearchTip) {
    UserList all;
    AppendClones(m_candidates, all);
    AppendClones(m_members, all);
    m_shown = std::move(all);
    return;
  }
  m_shown = NarrowUsers(m_shown, keyword);
}

void AddMembersWnd::FillResultList() {
  m_rows.Show(m_shown, [this](const mireloom::User& user) { return CreateUserItem(user); });
}

CListContainerElementUI* AddMembersWnd::CreateUserItem(const mireloom::User& user) {
  auto* box = new CHorizontalLayoutUI;
  box->Add(NewRowAvatar(30, {8, 11, 0, 0}, 3, [this, source = AvatarSource(user, kAvatarSize)](CButtonUI& avatar) {
    const AvatarDelivery delivery = MakeAvatarDelivery(GetHWND(), m_guard.Token(), &avatar);
    ShowAvatar(&avatar, source, source,
               [delivery](const std::string& path) { OnInviteeAvatarDownloaded(delivery, path); });
  }));

  box->Add(NewTwoLineTexts(Utf8ToWide(user.display_name()), L"@" + Utf8ToWide(user.username()), kRowHeight));

  if (IsChannelMember(user.uid())) {
    AddMemberTag(*box, user.uid());
  } else {
    AddInviteControls(*box, user.uid());
  }
  return NewListRow(kRowHeight, box);
}

void AddMembersWnd::AddInviteControls(CContainerUI& row, const std::string& uid) {
  AddFramedAction(row, LocalizedText("InviteMemberToGroup"), 50, RowControlName(kUserIdPrefix, uid));
}

void AddMembersWnd::AddMemberTag(CContainerUI& row, const std::string& uid) {
  AddFramedTag(row, 55, RowControlName(kUserIdPrefix, uid));
}

bool AddMembersWnd::ParseUid(const std::wstring& name, std::string* uid) {
  return IdFromControlName(name, kUserIdPrefix, uid);
}

void AddMembersWnd::Notify(TNotifyUI& msg) {
  if (std::string keyword; SearchKeywordOf(msg, m_searchBox, LocalizedText("AddMembersWndSearchTip"), &keyword)) {
    FilterUsers(keyword);
    FillResultList();
  } else if (msg.sType == L"click" && msg.pSender) {
    const std::wstring name = msg.pSender->GetName().GetData();
    std::string uid;
    if (ParseUid(name, &uid)) {
      if (m_rows.AcceptActionClick(msg.dwTimestamp, msg.ptMouse)) Invite(uid);
    } else if (name == L"closeBtn") {
      WindowManager::GetInstance()->CloseAddMembersWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void AddMembersWnd::Invite(const std::string& uid) {
  const WindowRecipient self{m_guard.Token(), this};
  // Any number of invitations may be under way; each answer names its user.
  mireloom::ChannelManager::DefaultManager()->InviteToChannel(
      m_channelId, uid, [self, uid](bool ok, const std::string& error) { OnInviteResult(self, uid, ok, error); });
}

void AddMembersWnd::OnInviteResult(const WindowRecipient& window, const std::string& uid, bool ok,
                                   const std::string& error) {
  if (!ok) {
    DeliverMessage(window, WM_MEMBER_INVITE_FAILED);
    return;
  }
  auto record = std::make_unique<InvitedUserMsg>();
  record->uid = uid;
  DeliverRecord(window, WM_MEMBER_INVITED, std::move(record));
}

void AddMembersWnd::OnInviteeAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath) {
  DeliverRowAvatar(delivery, WM_INVITEE_AVATAR_DOWNLOADED, localPath);
}

void AddMembersWnd::OnMemberInvited(const std::string& uid) {
  EraseFirst(m_candidates, uid);
  // A search keeps narrowing the rows shown now: the invited row goes from
  // there too, or it would come back with its invite button.
  EraseFirst(m_shown, uid);
  FilterUsers(m_searchBox ? WideToUtf8(m_searchBox->GetText().GetData()) : std::string());
  FillResultList();
}

LRESULT AddMembersWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT taken = 0;
  switch (uMsg) {
    case WM_MEMBER_INVITED: {
      const std::unique_ptr<InvitedUserMsg> record(reinterpret_cast<InvitedUserMsg*>(lParam));
      OnMemberInvited(record ? record->uid : std::string());
      taken = kRecordTaken;
      break;
    }
    case WM_MEMBER_INVITE_FAILED:
      break;  // the row keeps its invite button: the user may try again
    case WM_INVITEE_AVATAR_DOWNLOADED:
      if (lParam) taken = ReceiveDownloadedImage(lParam);
      break;
    case WM_DESTROY:
      m_shown.clear();
      m_candidates.clear();
      m_members.clear();
      break;
    default:
      break;
  }
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void AddMembersWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetAddMembersWnd(nullptr, this); }

}  // namespace mireloomwnd
