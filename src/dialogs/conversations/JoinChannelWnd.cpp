#include "dialogs/conversations/JoinChannelWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ColorText.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/ConversationSelection.h"
#include "dialogs/common/RowControls.h"
#include "dialogs/common/RowIds.h"
#include "dialogs/common/SearchBox.h"
#include "mainwnd/messages/MessageTimes.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kRowHeight = 55;
constexpr int kIconSize = 30;

// The reads that make the full list, in order.
struct ChannelRead {
  mireloom::Channel::Visibility visibility;
  bool joined;
  bool disabled;
};
constexpr ChannelRead kReads[] = {{mireloom::Channel::kPublic, true, false},
                                  {mireloom::Channel::kPublic, true, true},
                                  {mireloom::Channel::kPublic, false, false},
                                  {mireloom::Channel::kPrivate, true, false},
                                  {mireloom::Channel::kPrivate, true, true}};

mireloom::Channel::Visibility VisibilityOf(int value) {
  return value == mireloom::Channel::kPrivate ? mireloom::Channel::kPrivate : mireloom::Channel::kPublic;
}

CButtonUI* NewChannelIcon(const mireloom::Channel& channel) {
  auto* icon = new CButtonUI;
  icon->SetFixedWidth(kIconSize);
  icon->SetFixedHeight(kIconSize);
  icon->SetPadding({8, 11, 0, 0});
  icon->SetBorderRound({3, 3});
  // A colour the service sent garbled gives no background rather than a wrong one.
  if (const auto color = ParseChannelColor(channel.HexColor())) icon->SetBkColor(*color);
  icon->SetNormalImage(channel.visibility() == mireloom::Channel::kPublic ? L"SysBtn/public_group.png"
                                                                           : L"SysBtn/private_group.png");
  icon->SetMouseEnabled(false);
  return icon;
}

}  // namespace

void WindowManager::ShowJoinChannelWnd(int visibility) {
  Show<JoinChannelWnd>(WindowSlot::JoinChannelWnd, {}, visibility);
}

JoinChannelWnd::JoinChannelWnd(int visibility) : m_visibility(VisibilityOf(visibility)) {}

CDuiString JoinChannelWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT JoinChannelWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void JoinChannelWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"join_group_title_label", "JoinGroupWndTitle"},
                              {L"create_channel_btn", "CreateGroup"}});
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  for (const auto& channel : channels->FetchChannelsFromCache(m_visibility, false, false)) {
    m_joinSet.insert(channel->channel_id());
  }
  LoadChannels();
  FilterChannels({});
  m_searchBox = FindSkinControl<CEditUI>(m_PaintManager, L"search", L"Edit");
  ApplyTexts(m_PaintManager, {{L"search", "AddMembersWndSearchTip", TextTarget::TipValue}});
  m_resultList = FindSkinControl<CListUI>(m_PaintManager, L"result_list", L"List");
  FillChannelList();
}

void JoinChannelWnd::LoadChannels() {
  const mireloom::ChannelManager* channels = mireloom::ChannelManager::DefaultManager();
  // Neither sorted nor freed of doubles: the rows follow the reads.
  for (const ChannelRead& read : kReads) {
    for (auto& channel : channels->FetchChannelsFromCache(read.visibility, read.joined, read.disabled)) {
      m_full.push_back(std::move(channel));
    }
  }
}

void JoinChannelWnd::FilterChannels(const std::string& text) { m_shown = SearchRows(m_full, m_shown, text); }

void JoinChannelWnd::FillChannelList() {
  if (m_resultList) m_resultList->RemoveAll();
  for (const auto& channel : m_shown) {
    CListContainerElementUI* row = CreateChannelRow(*channel);
    if (m_resultList) {
      m_resultList->Add(row);
    } else {
      CControlUI::Release(row);
    }
  }
}

CListContainerElementUI* JoinChannelWnd::CreateChannelRow(const mireloom::Channel& channel) const {
  auto* line = new CHorizontalLayoutUI;
  line->Add(NewChannelIcon(channel));

  line->Add(NewTwoLineTexts(Utf8ToWide(channel.channel_name()), ChannelDetailText(channel), kRowHeight));

  const std::wstring controlName = RowControlName(kChannelIdPrefix, channel.channel_id());
  if (IsInJoinSet(channel.channel_id())) {
    AddFramedAction(*line, LocalizedText("JoinGroupBtn"), 35, controlName);
  } else {
    AddFramedTag(*line, 51, controlName);
  }
  return NewListRow(kRowHeight, line);
}

std::wstring JoinChannelWnd::ChannelDetailText(const mireloom::Channel& channel) {
  // A creator who has left the team is not in the cache: the row names nobody.
  const std::unique_ptr<mireloom::User> creator =
      mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(channel.creator_uid());
  const std::wstring creatorName = creator ? Utf8ToWide(creator->display_name()) : std::wstring();
  const std::wstring date = messageview::FormatLocalTime(channel.created_at(), LocalizedText("FormatGroupCreateDate"));
  return creatorName + L" " + LocalizedText("CreateOn") + L" " + date;
}

bool JoinChannelWnd::IsInJoinSet(const std::string& channelId) const { return m_joinSet.count(channelId) != 0; }

bool JoinChannelWnd::ChannelIdFromControlName(const std::wstring& name, std::string* channelId) {
  return IdFromControlName(name, kChannelIdPrefix, channelId);
}

void JoinChannelWnd::Notify(TNotifyUI& msg) {
  if (std::string keyword; SearchKeywordOf(msg, m_searchBox, LocalizedText("AddMembersWndSearchTip"), &keyword)) {
    FilterChannels(keyword);
    FillChannelList();
  } else if (msg.sType == L"click" && msg.pSender) {
    const std::wstring name = msg.pSender->GetName().GetData();
    std::string channelId;
    if (name == L"create_channel_btn") {
      // The create dialog's loop runs inside this handler, while this window
      // is destroyed: the framework has its share of the click first, and
      // nothing is touched afterwards.
      WindowImplBase::Notify(msg);
      OpenCreateChannel();
      return;
    }
    if (ChannelIdFromControlName(name, &channelId)) {
      JoinChannel(channelId);
    } else if (name == L"closeBtn") {
      WindowManager::GetInstance()->CloseJoinChannelWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void JoinChannelWnd::JoinChannel(const std::string& channelId) {
  // The core marks the channel joined before it returns, so the main window
  // finds it at once; a failed join simply leaves it out of the list.
  mireloom::ChannelManager::DefaultManager()->JoinChannel(channelId, [](bool, const std::string&) {});
  WindowManager::GetInstance()->CloseJoinChannelWnd();
  SelectInMainWindow(channelId);
}

void JoinChannelWnd::OpenCreateChannel() {
  WindowManager* manager = WindowManager::GetInstance();
  manager->CloseJoinChannelWnd();
  manager->ShowCreateChannelWnd();
}

LRESULT JoinChannelWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_DESTROY) {
    m_shown.clear();
    m_full.clear();
  }
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void JoinChannelWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetJoinChannelWnd(nullptr, this); }

}  // namespace mireloomwnd
