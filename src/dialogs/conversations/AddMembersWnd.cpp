#include "dialogs/conversations/AddMembersWnd.h"

#include <iterator>

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 55;

}  // namespace

void WindowManager::ShowAddMembersWnd(const std::string& channelId) {
  Show<AddMembersWnd>(WindowSlot::AddMembersWnd, {}, channelId);
}

AddMembersWnd::AddMembersWnd(const std::string& channelId)
    : m_channelId(channelId),
      m_picker(*this, m_guard, {{8, 11, 0, 0}, 3, WM_INVITEE_AVATAR_DOWNLOADED, &OnInviteeAvatarDownloaded},
               CMemberPicker::Refill::Narrow, [this](const mireloom::User& user) { return CreateUserItem(user); },
               // A box holding the Chinese tip as its text shows the whole list too.
               kMemberSearchTip) {}

CDuiString AddMembersWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT AddMembersWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void AddMembersWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"add_members_title_label", "AddMembersWndTitle"}});
  // The channel's members are read once: asking the cache again for every
  // member of a large team would take seconds and give the same answer.
  UserList members = mireloom::ChannelManager::DefaultManager()->FetchMembersOfChannelFromCache(m_channelId);
  for (const auto& member : members) m_memberUids.insert(member->uid());
  UserList offered;
  for (auto& user : mireloom::UserManager::DefaultManager()->FetchUsersExceptStateFromCache(mireloom::User::kDisabled)) {
    if (IsChannelMember(user->uid()) || user->IsBot()) continue;
    offered.push_back(std::move(user));
  }
  std::move(members.begin(), members.end(), std::back_inserter(offered));
  m_picker.Offer(std::move(offered));
  FilterUsers({});
  m_picker.Attach(m_PaintManager);
  FillResultList();
}

bool AddMembersWnd::IsChannelMember(const std::string& uid) const { return m_memberUids.count(uid) != 0; }

void AddMembersWnd::FilterUsers(const std::string& keyword) { m_picker.Filter(keyword); }

void AddMembersWnd::FillResultList() { m_picker.Fill(); }

CListContainerElementUI* AddMembersWnd::CreateUserItem(const mireloom::User& user) {
  auto* box = new CHorizontalLayoutUI;
  box->Add(m_picker.NewAvatar(user));
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

bool AddMembersWnd::ParseUid(const std::wstring& name, std::string* uid) { return CMemberPicker::ParseUid(name, uid); }

void AddMembersWnd::Notify(TNotifyUI& msg) {
  if (m_picker.OnSearch(msg, LocalizedText("AddMembersWndSearchTip"))) {
    // the rows are narrowed
  } else if (std::string uid; m_picker.RowClickOf(msg, &uid)) {
    if (m_picker.AcceptActionClick(msg)) Invite(uid);
  } else if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"closeBtn") {
    WindowManager::GetInstance()->CloseAddMembersWnd();
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
  // A search keeps narrowing the rows shown now: the invited row goes from
  // there too, or it would come back with its invite button.
  m_picker.Remove(uid);
  FilterUsers(m_picker.SearchText());
  FillResultList();
}

LRESULT AddMembersWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT taken = m_picker.OnMessage(uMsg, lParam);
  if (uMsg == WM_MEMBER_INVITED) {
    const std::unique_ptr<InvitedUserMsg> record(reinterpret_cast<InvitedUserMsg*>(lParam));
    OnMemberInvited(record ? record->uid : std::string());
    taken = kRecordTaken;
  }
  // WM_MEMBER_INVITE_FAILED changes nothing: the row keeps its invite button and the user may try again.
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void AddMembersWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetAddMembersWnd(nullptr, this); }

}  // namespace mireloomwnd
