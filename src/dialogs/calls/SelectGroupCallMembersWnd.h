#pragma once

// Picks the members of a channel who take part in a group call. The signed-in
// user always does (a ticked box that cannot change); members without a phone
// number cannot be picked. The call button closes this window and opens the
// group call with the picked uids, the signed-in user's first.

#include <optional>
#include <string>
#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "dialogs/common/MemberPicker.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class SelectGroupCallMembersWnd final : public DuiLib::WindowImplBase {
 public:
  explicit SelectGroupCallMembersWnd(const std::string& channelId);

  LPCTSTR GetWindowClassName() const override { return L"SelectGroupCallMembersWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_select_group_call_members_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The uid of a check box's name ("ueid_" and the uid).
  static bool ParseUid(const std::wstring& name, std::string* uid = nullptr);

 private:
  void FilterUsers(const std::string& keyword);
  void FillResultList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateUserItem(const mireloom::User& user);
  [[nodiscard]] DuiLib::CCheckBoxUI* CreateCheckBox(const mireloom::User& user) const;
  [[nodiscard]] bool IsMe(const mireloom::User& user) const;
  [[nodiscard]] bool IsChosen(const mireloom::User& user) const;
  void OnSelectChanged(DuiLib::TNotifyUI& msg);
  void ShowCount(size_t chosen);
  // Closes this window and runs the group call in its place.
  void StartGroupCall();

  CWndShadow m_shadow;
  DuiLib::CControlUI* m_numberLabel = nullptr;
  const std::string m_channelId;
  // Offers the channel's members when the window opened, the signed-in user included.
  CMemberPicker m_picker;
  std::vector<std::string> m_selectedUids;  // in the order they were picked; the signed-in user first
  std::optional<std::string> m_myUid;  // none without a signed-in user
  CLifetimeGuard m_guard;  // last member: a late download finds the window gone first
};

}  // namespace mireloomwnd
