#include "dialogs/conversations/ViewImMemberWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "app/ui/WindowRecords.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowAvatar.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPanelWidth = 320;
constexpr int kAvatarSize = 60;

void SetLabel(CPaintManagerUI& manager, const wchar_t* name, const std::string& text) {
  if (CControlUI* label = FindSkinControl(manager, name)) label->SetText(Utf8ToWide(text).c_str());
}

}  // namespace

void WindowManager::ShowViewImMemberWnd(const std::string& uid, int x, int y, int height) {
  Show<ViewImMemberWnd>(WindowSlot::ViewImMemberWnd, {x, y, height}, uid, x, y, height);
}

ViewImMemberWnd::ViewImMemberWnd(const std::string& uid, int x, int y, int height)
    : m_uid(uid), m_x(x), m_y(y), m_height(height) {}

CDuiString ViewImMemberWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT ViewImMemberWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const RECT placement = {m_x, m_y, m_x + kPanelWidth, m_y + m_height};
  return CreateSidePanel(*this, m_shadow, placement, uMsg, wParam, lParam, bHandled);
}

void ViewImMemberWnd::InitWindow() {
  const std::unique_ptr<mireloom::User> user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(m_uid);
  // An unknown member leaves the skin as it is: a card of nobody says nothing.
  if (!user) return;
  ApplyTexts(m_PaintManager, {{L"close_btn", "CloseTips", TextTarget::ToolTip},
                              {L"title_file", "ProfileTitile"},
                              {L"phone_title_label", "Phone"},
                              {L"email_title_label", "Email"},
                              {L"position_title_label", "Position"},
                              {L"department_title_label", "Department"}});
  ShowMemberAvatar(*user);
  ShowFields(*user);
}

void ViewImMemberWnd::ShowMemberAvatar(const mireloom::User& user) {
  auto* avatar = FindSkinControl<CButtonUI>(m_PaintManager, L"avatar_btn", L"Button");
  if (!avatar) return;
  const AvatarDelivery delivery = MakeAvatarDelivery(GetHWND(), m_guard.Token(), avatar);
  const std::string source = AvatarSource(user, kAvatarSize);
  ShowAvatar(avatar, source, source, [delivery](const std::string& path) {
    SendImageDownloadedMsg(delivery, WM_PROFILE_AVATAR_DOWNLOADED, path);
  });
}

void ViewImMemberWnd::ShowFields(const mireloom::User& user) {
  SetLabel(m_PaintManager, L"label_displayname", user.display_name());
  SetLabel(m_PaintManager, L"label_username", "@" + user.username());
  SetLabel(m_PaintManager, L"label_phone", user.phone_number());
  SetLabel(m_PaintManager, L"label_email", user.email());
  SetLabel(m_PaintManager, L"label_position", user.job_title());
  SetLabel(m_PaintManager, L"label_department", user.department());
}

void ViewImMemberWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"close_btn") {
    WindowManager::GetInstance()->CloseViewImMemberWnd();
  }
  WindowImplBase::Notify(msg);
}

LRESULT ViewImMemberWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const LRESULT taken = uMsg == WM_PROFILE_AVATAR_DOWNLOADED && lParam ? ReceiveImageDownloadedMsg(lParam) : 0;
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void ViewImMemberWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetViewImMemberWnd(nullptr, this); }

}  // namespace mireloomwnd
