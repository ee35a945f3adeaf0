#include "dialogs/conversations/OpenImWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/ui/CachedImage.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/ConversationSelection.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "mireloom/Director.h"
#include "mireloom/IMManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 50;

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

OpenImWnd::OpenImWnd()
    : m_picker(*this, m_guard, {{0, 10, 0, 0}, 1, WM_ROW_AVATAR_DOWNLOADED, &OnRowAvatarDownloaded},
               CMemberPicker::Refill::Narrow, [this](const mireloom::User& user) { return CreateUserItem(user); }) {}

CDuiString OpenImWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT OpenImWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void OpenImWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"open_im_title_label", "OpenImWndTitle"}});
  UserList offered = mireloom::UserManager::DefaultManager()->FetchUsersExceptStateFromCache(mireloom::User::kDisabled);
  EraseSignedInUser(offered);
  m_picker.Offer(std::move(offered));
  FilterUsers({});
  m_picker.Attach(m_PaintManager);
  FillResultList();
}

void OpenImWnd::FilterUsers(const std::string& keyword) { m_picker.Filter(keyword); }

void OpenImWnd::FillResultList() { m_picker.Fill(); }

CListContainerElementUI* OpenImWnd::CreateUserItem(const mireloom::User& user) {
  return m_picker.NewNamedRow(user, kRowHeight, NewOpenImActions(RowControlName(kUserIdPrefix, user.uid()), 4));
}

bool OpenImWnd::ParseUid(const std::wstring& name, std::string* uid) { return CMemberPicker::ParseUid(name, uid); }

void OpenImWnd::Notify(TNotifyUI& msg) {
  if (m_picker.OnSearch(msg, LocalizedText("AddMembersWndSearchTip"))) {
    // the rows are narrowed
  } else if (std::string uid; m_picker.RowClickOf(msg, &uid)) {
    OpenIm(uid);
  } else if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"closeBtn") {
    WindowManager::GetInstance()->CloseOpenImWnd();
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
  LRESULT taken = m_picker.OnMessage(uMsg, lParam);
  if (uMsg == WM_IM_OPENED || uMsg == WM_IM_OPEN_FAILED) {
    WindowManager::GetInstance()->CloseOpenImWnd();
    if (uMsg == WM_IM_OPENED) taken = ShowOpenedIm(lParam);
  }
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void OpenImWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetOpenImWnd(nullptr, this); }

}  // namespace mireloomwnd
