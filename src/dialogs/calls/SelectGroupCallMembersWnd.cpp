#include "dialogs/calls/SelectGroupCallMembersWnd.h"

#include <algorithm>

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "app/ui/WindowRecords.h"
#include "dialogs/common/DialogMessages.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 50;
constexpr int kCheckSize = 22;
constexpr wchar_t kChosenImage[] = L"SysBtn/group_call_select.png";
constexpr wchar_t kNotChosenImage[] = L"SysBtn/group_call_not_select.png";
// Between a focusable box's picture and its focus frame.
constexpr int kFocusGap = 3;

// The picture drawn inside the box, clear of the focus frame.
std::wstring InsetImage(const wchar_t* file) {
  const std::wstring from = std::to_wstring(kFocusGap);
  const std::wstring to = std::to_wstring(kFocusGap + kCheckSize);
  return L"file='" + std::wstring(file) + L"' dest='" + from + L"," + from + L"," + to + L"," + to + L"'";
}

}  // namespace

void WindowManager::ShowSelectGroupCallMembersWnd(const std::string& channelId) {
  Show<SelectGroupCallMembersWnd>(WindowSlot::SelectGroupCallMembersWnd, {}, channelId);
}

// A search builds every row again: each check box shows whether its member
// is in the call as the rows are made.
SelectGroupCallMembersWnd::SelectGroupCallMembersWnd(const std::string& channelId)
    : m_channelId(channelId),
      m_picker(*this, m_guard, {{0, 10, 0, 0}, 1, WM_ROW_AVATAR_DOWNLOADED, &OnRowAvatarDownloaded},
               CMemberPicker::Refill::Rebuild, [this](const mireloom::User& user) { return CreateUserItem(user); }) {}

CDuiString SelectGroupCallMembersWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT SelectGroupCallMembersWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void SelectGroupCallMembersWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"make_call_button", "MakeCallBtn"},
                              {L"cancel_button", "CancelGroupCall"},
                              {L"select_group_call_title", "SelectGroupCallWndTitle"}});
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::User* me = director ? director->me() : nullptr;
  if (me) m_myUid = me->uid();
  m_picker.Offer(mireloom::ChannelManager::DefaultManager()->FetchMembersOfChannelFromCache(m_channelId));
  if (m_myUid) m_selectedUids.push_back(*m_myUid);
  FilterUsers({});
  // The label starts at one: the signed-in user always takes part.
  m_numberLabel = FindSkinControl(m_PaintManager, L"number_label");
  if (m_numberLabel) {
    m_numberLabel->SetText(
        (LocalizedText("SelectNumsToCall") + L"1/" + std::to_wstring(m_picker.offered().size())).c_str());
  }
  m_picker.Attach(m_PaintManager);
  FillResultList();
}

void SelectGroupCallMembersWnd::FilterUsers(const std::string& keyword) { m_picker.Filter(keyword); }

void SelectGroupCallMembersWnd::FillResultList() { m_picker.Fill(); }

CListContainerElementUI* SelectGroupCallMembersWnd::CreateUserItem(const mireloom::User& user) {
  return m_picker.NewNamedRow(user, kRowHeight, CreateCheckBox(user));
}

CCheckBoxUI* SelectGroupCallMembersWnd::CreateCheckBox(const mireloom::User& user) const {
  auto* check = new CCheckBoxUI;
  check->SetPadding({11, 17, 0, 0});
  check->SetFixedHeight(kCheckSize);
  check->SetFixedWidth(kCheckSize);
  check->SetName(RowControlName(kUserIdPrefix, user.uid()).c_str());
  if (IsMe(user)) {
    // Always ticked to the eye, never changed.
    check->SetNormalImage(kChosenImage);
    check->SetSelectedImage(kChosenImage);
    check->SetMouseEnabled(false);
  } else if (user.phone_number().empty()) {
    check->SetFixedWidth(100);
    check->SetTextColor(0xFFB2B2B2);
    check->SetPadding({4, 17, 0, 0});
    check->SetText(LocalizedText("NotBoundPhone").c_str());
    check->SetMouseEnabled(false);
  } else {
    // A search builds the rows again: each shows whether its member is in
    // the call, as the count and the call itself go by the chosen uids.
    check->SetCheck(IsChosen(user));
    // Tab reaches it, Space or Enter ticks it, and a frame shows where the
    // focus is. The frame rings the box at a gap: drawn on its edge, it would
    // vanish into a ticked box of the same colour.
    check->SetPadding({11 - kFocusGap, 17 - kFocusGap, 0, 0});
    check->SetFixedHeight(kCheckSize + 2 * kFocusGap);
    check->SetFixedWidth(kCheckSize + 2 * kFocusGap);
    check->SetNormalImage(InsetImage(kNotChosenImage).c_str());
    check->SetSelectedImage(InsetImage(kChosenImage).c_str());
    check->SetKeyboardEnabled(true);
    check->SetFocusBorderColor(0xFF3FD1BE);
    check->SetBorderSize(2);
    check->SetBorderRound({10, 10});
  }
  return check;
}

bool SelectGroupCallMembersWnd::IsMe(const mireloom::User& user) const { return m_myUid && user.uid() == *m_myUid; }

bool SelectGroupCallMembersWnd::IsChosen(const mireloom::User& user) const {
  return std::find(m_selectedUids.begin(), m_selectedUids.end(), user.uid()) != m_selectedUids.end();
}

bool SelectGroupCallMembersWnd::ParseUid(const std::wstring& name, std::string* uid) {
  return CMemberPicker::ParseUid(name, uid);
}

void SelectGroupCallMembersWnd::Notify(TNotifyUI& msg) {
  // This box's text is compared with the Chinese tip, in every language.
  if (m_picker.OnSearch(msg, Utf8ToWide(kMemberSearchTip))) {
    // the rows are built again
  } else if (msg.sType == L"selectchanged") {
    OnSelectChanged(msg);
  } else if (msg.sType == L"click" && msg.pSender) {
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closeBtn" || name == L"cancel_button") {
      WindowManager::GetInstance()->CloseSelectGroupCallMembersWnd();
    } else if (name == L"make_call_button") {
      if (m_selectedUids.size() == 1) {
        Platform().ShowMessageBox(nullptr, LocalizedText("NoSelectTip"), LocalizedText("NoSelectTipTitle"), MB_OK);
      } else {
        // The group call's loop runs inside this handler, while this window
        // is destroyed: the framework has its share of the click first, and
        // nothing is touched afterwards.
        WindowImplBase::Notify(msg);
        StartGroupCall();
        return;
      }
    }
  }
  WindowImplBase::Notify(msg);
}

void SelectGroupCallMembersWnd::OnSelectChanged(TNotifyUI& msg) {
  if (!msg.pSender) return;
  std::string uid;
  if (!ParseUid(msg.pSender->GetName().GetData(), &uid)) return;
  auto* option = static_cast<COptionUI*>(msg.pSender->GetInterface(L"Option"));
  if (option && option->IsSelected()) {
    m_selectedUids.push_back(uid);
  } else {
    m_selectedUids.erase(std::remove(m_selectedUids.begin(), m_selectedUids.end(), uid), m_selectedUids.end());
  }
  ShowCount(m_selectedUids.size());
  // Once someone besides the user is chosen, the call can start: Enter in the
  // search box starts it, as Enter does in the other dialogs with a main button.
  m_PaintManager.SetDefaultButton(m_selectedUids.size() > 1 ? L"make_call_button" : L"");
}

void SelectGroupCallMembersWnd::ShowCount(size_t chosen) {
  if (!m_numberLabel) return;
  const std::wstring text =
      LocalizedText("SelectNumsToCall") + std::to_wstring(chosen) + L"/" + std::to_wstring(m_picker.offered().size());
  m_numberLabel->SetText(text.c_str());
}

void SelectGroupCallMembersWnd::StartGroupCall() {
  const std::vector<std::string> uids = m_selectedUids;
  WindowManager* manager = WindowManager::GetInstance();
  manager->CloseSelectGroupCallMembersWnd();
  manager->ShowGroupTelephoneCallingWnd(uids);
}

LRESULT SelectGroupCallMembersWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const LRESULT taken = m_picker.OnMessage(uMsg, lParam);
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void SelectGroupCallMembersWnd::OnFinalMessage(HWND hWnd) {
  WindowManager::GetInstance()->SetSelectGroupCallMembersWnd(nullptr, this);
}

}  // namespace mireloomwnd
