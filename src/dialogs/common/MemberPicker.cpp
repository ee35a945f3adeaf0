#include "dialogs/common/MemberPicker.h"

#include <algorithm>

#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "dialogs/common/SearchBox.h"
#include "mireloom/User.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kAvatarButtonSize = 30;
constexpr int kAvatarPictureSize = 40;

void EraseFirst(UserList& users, const std::string& uid) {
  const auto found = std::find_if(users.begin(), users.end(), [&](const auto& user) { return user->uid() == uid; });
  if (found != users.end()) users.erase(found);
}

}  // namespace

CMemberPicker::CMemberPicker(CWindowWnd& window, const CLifetimeGuard& windowGuard, AvatarStyle avatar, Refill refill,
                             RowBuilder build, std::string showAllText)
    : m_window(window),
      m_windowGuard(windowGuard),
      m_avatar(avatar),
      m_refill(refill),
      m_build(std::move(build)),
      m_showAllText(std::move(showAllText)) {}

void CMemberPicker::Attach(CPaintManagerUI& manager) {
  m_searchBox = FindSkinControl<CEditUI>(manager, L"search", L"Edit");
  ApplyTexts(manager, {{L"search", "AddMembersWndSearchTip", TextTarget::TipValue}});
  m_rows.Attach(FindSkinControl<CListUI>(manager, L"result_list", L"List"));
}

void CMemberPicker::Remove(const std::string& uid) {
  EraseFirst(m_offered, uid);
  EraseFirst(m_shown, uid);
}

bool CMemberPicker::OnSearch(const TNotifyUI& msg, const std::wstring& tipText) {
  std::string keyword;
  if (!SearchKeywordOf(msg, m_searchBox, tipText, &keyword)) return false;
  Filter(keyword);
  Fill();
  return true;
}

std::string CMemberPicker::SearchText() const {
  return m_searchBox ? WideToUtf8(m_searchBox->GetText().GetData()) : std::string();
}

void CMemberPicker::Filter(const std::string& keyword) {
  const bool showAll = !m_showAllText.empty() && keyword == m_showAllText;
  m_shown = SearchRows(m_offered, m_shown, showAll ? std::string() : keyword);
}

void CMemberPicker::Fill() {
  if (m_refill == Refill::Rebuild) {
    m_rows.Rebuild(m_shown, m_build);
  } else {
    m_rows.Show(m_shown, m_build);
  }
}

bool CMemberPicker::ParseUid(const std::wstring& name, std::string* uid) {
  return IdFromControlName(name, kUserIdPrefix, uid);
}

bool CMemberPicker::RowClickOf(const TNotifyUI& msg, std::string* uid) {
  return msg.sType == L"click" && msg.pSender && ParseUid(msg.pSender->GetName().GetData(), uid);
}

bool CMemberPicker::AcceptActionClick(const TNotifyUI& msg) {
  return m_rows.AcceptActionClick(msg.dwTimestamp, msg.ptMouse);
}

CButtonUI* CMemberPicker::NewAvatar(const mireloom::User& user) const {
  return NewRowAvatar(kAvatarButtonSize, m_avatar.padding, m_avatar.round,
                      [this, source = AvatarSource(user, kAvatarPictureSize)](CButtonUI& avatar) {
                        const AvatarDelivery delivery =
                            MakeAvatarDelivery(m_window.GetHWND(), m_windowGuard.Token(), &avatar);
                        ShowAvatar(&avatar, source, source, [delivery, downloaded = m_avatar.downloaded](
                                                                const std::string& path) { downloaded(delivery, path); });
                      });
}

CListContainerElementUI* CMemberPicker::NewNamedRow(const mireloom::User& user, int height, CControlUI* action) const {
  auto* box = new CHorizontalLayoutUI;
  box->Add(NewAvatar(user));
  box->Add(NewUserNameBox(user));
  box->Add(action);
  return NewListRow(height, box);
}

LRESULT CMemberPicker::OnMessage(UINT message, LPARAM lParam) {
  if (message == WM_DESTROY) {
    m_shown.clear();
    m_offered.clear();
  }
  return message == m_avatar.message && lParam ? ReceiveDownloadedImage(lParam) : 0;
}

}  // namespace mireloomwnd
