#include "dialogs/OpenImWnd.h"

#include "app/ui/CachedImage.h"
#include "app/ui/SkinControls.h"
#include "app/frame/StringTable.h"
#include "app/ui/WindowConventions.h"
#include "app/frame/WindowManager.h"
#include "dialogs/ConversationSelection.h"
#include "dialogs/DialogMessages.h"
#include "dialogs/RowControls.h"
#include "dialogs/RowIds.h"
#include "dialogs/SearchBox.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 50;
constexpr int kAvatarSize = 40;

// Only the first entry of the signed-in user goes; the cache holds one.
void EraseSignedInUser(UserList& users) {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::User* me = director ? director->me() : nullptr;
  if (!me) return;
  for (auto user = users.begin(); user != users.end(); ++user) {
    if ((*user)->uid() == me->uid()) {
      users.erase(user);
      return;
    }
  }
}

}  // namespace

void WindowManager::ShowOpenImWnd() { Show<OpenImWnd>(WindowSlot::OpenImWnd, {}); }

CDuiString OpenImWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT OpenImWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void OpenImWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"open_im_title_label", "OpenImWndTitle"}});
  m_full = mireloom::UserManager::DefaultManager()->FetchUsersExceptStateFromCache(mireloom::User::kDisabled);
  EraseSignedInUser(m_full);
  FilterUsers({});
  m_searchBox = FindSkinControl<CEditUI>(m_PaintManager, L"search", L"Edit");
  ApplyTexts(m_PaintManager, {{L"search", "AddMembersWndSearchTip", TextTarget::TipValue}});
  m_rows.Attach(FindSkinControl<CListUI>(m_PaintManager, L"result_list", L"List"));
  FillResultList();
}

void OpenImWnd::FilterUsers(const std::string& keyword) { m_shown = SearchRows(m_full, m_shown, keyword); }

void OpenImWnd::FillResultList() {
  m_rows.Show(m_shown, [this](const mireloom::User& user) { return CreateUserItem(user); });
}

CListContainerElementUI* OpenImWnd::CreateUserItem(const mireloom::User& user) {
  auto* box = new CHorizontalLayoutUI;
  box->Add(NewRowAvatar(30, {0, 10, 0, 0}, 1, [this, source = AvatarSource(user, kAvatarSize)](CButtonUI& avatar) {
    const AvatarDelivery delivery = MakeAvatarDelivery(GetHWND(), m_guard.Token(), &avatar);
    ShowAvatar(&avatar, source, source, [delivery](const std::string& path) { OnRowAvatarDownloaded(delivery, path); });
  }));
  box->Add(NewUserNameBox(user));

  box->Add(NewOpenImActions(RowControlName(kUserIdPrefix, user.uid()), 4));
  return NewListRow(kRowHeight, box);
}

bool OpenImWnd::ParseUid(const std::wstring& name, std::string* uid) {
  return IdFromControlName(name, kUserIdPrefix, uid);
}

void OpenImWnd::Notify(TNotifyUI& msg) {
  if (std::string keyword; SearchKeywordOf(msg, m_searchBox, LocalizedText("AddMembersWndSearchTip"), &keyword)) {
    FilterUsers(keyword);
    FillResultList();
  } else if (msg.sType == L"click" && msg.pSender) {
    const std::wstring name = msg.pSender->GetName().GetData();
    std::string uid;
    if (ParseUid(name, &uid)) {
      OpenIm(uid);
    } else if (name == L"closeBtn") {
      WindowManager::GetInstance()->CloseOpenImWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void OpenImWnd::OpenIm(const std::string& uid) {
  // The dialog stays open until the answer closes it.
  RequestConversation({m_guard.Token(), this}, uid);
}

void OpenImWnd::RequestConversation(const WindowRecipient& window, const std::string& uid) {
  mireloom::IMManager::DefaultManager()->NewIM(
      uid, [window](bool ok, const std::string& error, std::unique_ptr<mireloom::IM> im) {
        OnNewImResult(window, ok, error, std::move(im));
      });
}

void OpenImWnd::OnNewImResult(const WindowRecipient& window, bool ok, const std::string& error,
                              std::unique_ptr<mireloom::IM> im) {
  if (ok) {
    DeliverRecord(window, WM_IM_OPENED, std::move(im));
  } else {
    DeliverMessage(window, WM_IM_OPEN_FAILED);
  }
}

LRESULT OpenImWnd::ShowOpenedIm(LPARAM lParam) {
  const std::unique_ptr<mireloom::IM> im(reinterpret_cast<mireloom::IM*>(lParam));
  if (im) SelectInMainWindow(im->im_id());
  return kRecordTaken;
}

LRESULT OpenImWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT taken = 0;
  switch (uMsg) {
    case WM_IM_OPENED:
      WindowManager::GetInstance()->CloseOpenImWnd();
      taken = ShowOpenedIm(lParam);
      break;
    case WM_IM_OPEN_FAILED:
      WindowManager::GetInstance()->CloseOpenImWnd();
      break;
    case WM_ROW_AVATAR_DOWNLOADED:
      if (lParam) taken = ReceiveDownloadedImage(lParam);
      break;
    case WM_DESTROY:
      m_shown.clear();
      m_full.clear();
      break;
    default:
      break;
  }
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void OpenImWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetOpenImWnd(nullptr, this); }

}  // namespace mireloomwnd
