#pragma once

// Invites members of the team into one channel: first the team's members who
// are not in it (robots and members who left are never offered), each with an
// invite button, then the channel's members with a tag. A search box narrows
// the rows. An accepted invitation takes the user out of the list; the window
// stays open until the user closes it.

#include <string>
#include <unordered_set>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "dialogs/common/MemberPicker.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// The record of an accepted invitation.
struct InvitedUserMsg {
  std::string uid;
};

class AddMembersWnd final : public DuiLib::WindowImplBase {
 public:
  explicit AddMembersWnd(const std::string& channelId);

  LPCTSTR GetWindowClassName() const override { return L"AddMembersWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_add_members.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The uid of an invite control's name ("ueid_" and the uid).
  static bool ParseUid(const std::wstring& name, std::string* uid = nullptr);

 private:
  // Whether the uid is among the channel's members as read when the window opened.
  [[nodiscard]] bool IsChannelMember(const std::string& uid) const;
  void FilterUsers(const std::string& keyword);
  void FillResultList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateUserItem(const mireloom::User& user);
  void AddInviteControls(DuiLib::CContainerUI& row, const std::string& uid);
  void AddMemberTag(DuiLib::CContainerUI& row, const std::string& uid);
  void Invite(const std::string& uid);
  void OnMemberInvited(const std::string& uid);

  // Completions, on the core's threads: they only hand a record to the window.
  static void OnInviteResult(const WindowRecipient& window, const std::string& uid, bool ok, const std::string& error);
  static void OnInviteeAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath);

  CWndShadow m_shadow;
  const std::string m_channelId;
  // Offers the members not in the channel when the window opened (nor
  // robots), then the channel's members.
  CMemberPicker m_picker;
  std::unordered_set<std::string> m_memberUids;
  CLifetimeGuard m_guard;  // last member: late completions find the window gone first
};

}  // namespace mireloomwnd
