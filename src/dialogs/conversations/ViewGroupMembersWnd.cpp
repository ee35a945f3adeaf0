#include "dialogs/conversations/ViewGroupMembersWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowAvatar.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "dialogs/conversations/OpenImWnd.h"
#include "mireloom/ChannelManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPanelWidth = 320;
constexpr int kRowHeight = 50;
constexpr int kAvatarSize = 40;

}  // namespace

void WindowManager::ShowViewGroupMembersWnd(const std::string& channelId, int x, int y, int height) {
  Show<ViewGroupMembersWnd>(WindowSlot::ViewGroupMembersWnd, {x, y, height}, channelId, x, y, height);
}

ViewGroupMembersWnd::ViewGroupMembersWnd(const std::string& channelId, int x, int y, int height)
    : m_channelId(channelId), m_x(x), m_y(y), m_height(height) {}

CDuiString ViewGroupMembersWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT ViewGroupMembersWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const RECT placement = {m_x, m_y, m_x + kPanelWidth, m_y + m_height};
  return CreateSidePanel(*this, m_shadow, placement, uMsg, wParam, lParam, bHandled);
}

void ViewGroupMembersWnd::InitWindow() {
  m_members = mireloom::ChannelManager::DefaultManager()->FetchMembersOfChannelFromCache(m_channelId);
  m_list = FindSkinControl<CContainerUI>(m_PaintManager, L"group_members_list", L"Container");
  ApplyTexts(m_PaintManager, {{L"close_btn", "CloseTips", TextTarget::ToolTip},
                              {L"group_members_label", "Members"}});
  BuildMemberList();
}

void ViewGroupMembersWnd::BuildMemberList() {
  if (m_list) m_list->RemoveAll();
  for (const auto& member : m_members) {
    CListContainerElementUI* item = CreateMemberItem(*member);
    if (m_list) {
      m_list->Add(item);
    } else {
      CControlUI::Release(item);
    }
  }
}

CListContainerElementUI* ViewGroupMembersWnd::CreateMemberItem(const mireloom::User& member) {
  auto* row = new CHorizontalLayoutUI;
  row->Add(NewRowAvatar(30, {8, 10, 0, 0}, 1, [this, source = AvatarSource(member, kAvatarSize)](CButtonUI& avatar) {
    const AvatarDelivery delivery = MakeAvatarDelivery(GetHWND(), m_guard.Token(), &avatar);
    ShowAvatar(&avatar, source, source, [delivery](const std::string& path) {
      SendImageDownloadedMsg(delivery, WM_MEMBER_AVATAR_DOWNLOADED, path);
    });
  }));
  CLabelUI* name =
      NewRowLabel(Utf8ToWide(member.display_name() + " (@" + member.username() + ")"), 0xFF000000, 0);
  name->SetTextPadding({10, 2, 0, 0});
  name->SetAttribute(L"endellipsis", L"true");
  row->Add(name);

  row->Add(NewOpenImActions(RowControlName(kUserIdPrefix, member.uid()), 0));
  return NewListRow(kRowHeight, row);
}

bool ViewGroupMembersWnd::GetUidFromControlName(const std::wstring& name, std::string* uid) {
  return IdFromControlName(name, kUserIdPrefix, uid);
}

void ViewGroupMembersWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    const std::wstring name = msg.pSender->GetName().GetData();
    std::string uid;
    if (GetUidFromControlName(name, &uid)) {
      OpenIm(uid);
    } else if (name == L"close_btn") {
      WindowManager::GetInstance()->CloseViewGroupMembersWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void ViewGroupMembersWnd::OpenIm(const std::string& uid) {
  // The panel stays until the answer closes it, or until it loses the focus.
  OpenImWnd::RequestConversation({m_guard.Token(), this}, uid);
}

LRESULT ViewGroupMembersWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT taken = 0;
  switch (uMsg) {
    case WM_MEMBER_AVATAR_DOWNLOADED:
      if (lParam) taken = ReceiveImageDownloadedMsg(lParam);
      break;
    case WM_IM_OPENED:
      WindowManager::GetInstance()->CloseViewGroupMembersWnd();
      taken = OpenImWnd::ShowOpenedIm(lParam);
      break;
    case WM_IM_OPEN_FAILED:
    case WM_KILLFOCUS:
      WindowManager::GetInstance()->CloseViewGroupMembersWnd();
      break;
    case WM_DESTROY:
      m_members.clear();
      break;
    default:
      break;
  }
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void ViewGroupMembersWnd::OnFinalMessage(HWND hWnd) {
  WindowManager::GetInstance()->SetViewGroupMembersWnd(nullptr, this);
}

}  // namespace mireloomwnd
