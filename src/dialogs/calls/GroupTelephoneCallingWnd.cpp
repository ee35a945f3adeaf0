#include "dialogs/calls/GroupTelephoneCallingWnd.h"

#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/RowControls.h"
#include "mireloom/CallManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kAvatarSize = 60;
constexpr int kTileNameFont = 5;

}  // namespace

void WindowManager::ShowGroupTelephoneCallingWnd(const std::vector<std::string>& uids) {
  Show<GroupTelephoneCallingWnd>(WindowSlot::GroupTelephoneCallingWnd, {}, uids);
}

GroupTelephoneCallingWnd::GroupTelephoneCallingWnd(const std::vector<std::string>& uids) : m_calleeUids(uids) {}

CDuiString GroupTelephoneCallingWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT GroupTelephoneCallingWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void GroupTelephoneCallingWnd::InitWindow() {
  auto* tiles = FindSkinControl<CContainerUI>(m_PaintManager, L"group_phone_members_tile_layout", L"Container");
  if (tiles) tiles->RemoveAll();
  for (const std::string& uid : m_calleeUids) {
    CVerticalLayoutUI* tile = CreateTile(uid);
    if (tiles) {
      tiles->Add(tile);
    } else {
      CControlUI::Release(tile);
    }
  }
  // The count includes the signed-in user, and a uid given twice counts twice.
  if (CControlUI* line = FindSkinControl(m_PaintManager, L"calling_name")) {
    line->SetText((L"正在与" + std::to_wstring(m_calleeUids.size()) + L"人通话中").c_str());
  }
  mireloom::CallManager::DefaultManager()->MakeGroupCall(
      m_calleeUids, {}, m_call.OnUiThread([this](bool ok, const std::string& error, std::string callId) {
        OnMakeCallResult(ok, error, std::move(callId));
      }));
}

CVerticalLayoutUI* GroupTelephoneCallingWnd::CreateTile(const std::string& uid) {
  auto* tile = new CVerticalLayoutUI;
  tile->SetFixedHeight(90);
  tile->SetFixedWidth(80);
  tile->SetPadding({10, 10, 0, 0});
  const std::unique_ptr<mireloom::User> user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  CButtonUI* avatar = NewAvatarButton(kAvatarSize, {10, 0, 0, 0}, 3);
  // A participant missing from the cache gets an empty name and no picture.
  m_call.ShowCallAvatar(avatar, user.get(), kAvatarSize, CallAvatarMark::GroupTile, &OnCalleeAvatarDownloaded);
  CLabelUI* name = NewRowLabel(user ? Utf8ToWide(user->display_name()) : std::wstring(), 0xFF627180, kTileNameFont);
  name->SetAttribute(L"align", L"center");
  name->SetAttribute(L"endellipsis", L"true");
  tile->Add(avatar);
  tile->Add(name);
  return tile;
}

void GroupTelephoneCallingWnd::OnMakeCallResult(bool ok, const std::string& error, std::string callId) {
  // A failed call changes nothing the user sees; the id stays empty.
  m_call.OnCallPlaced(ok, std::move(callId));
}

void GroupTelephoneCallingWnd::OnCancelCallResult(bool ok, const std::string& error) { m_call.OnHungUp(ok); }

void GroupTelephoneCallingWnd::OnCalleeAvatarDownloaded(const AvatarDelivery& delivery, const std::string& localPath) {
  SendImageDownloadedMsg(delivery, WM_GROUP_CALLEE_AVATAR_DOWNLOADED, localPath);
}

void GroupTelephoneCallingWnd::Notify(TNotifyUI& msg) {
  m_call.OnNotify(msg, [this](bool ok, const std::string& error) { OnCancelCallResult(ok, error); });
  WindowImplBase::Notify(msg);
}

LRESULT GroupTelephoneCallingWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return m_call.HandleMessage(uMsg, wParam, lParam);
}

void GroupTelephoneCallingWnd::OnFinalMessage(HWND hWnd) {
  WindowManager::GetInstance()->SetGroupTelephoneCallingWnd(nullptr, this);
}

}  // namespace mireloomwnd
