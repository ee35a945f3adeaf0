#pragma once

// The team's channels as the cache has them, with a search box: a channel of
// the visibility the dialog was opened with that the user may join gets a
// join button, every other one a member tag. A join closes the dialog and
// shows the channel in the main window; the dialog also leads on to creating
// a channel.

#include <string>
#include <unordered_set>

#include "app/ui/WndShadow.h"
#include "dialogs/common/SearchRule.h"
#include "duilib/UIlib.h"
#include "mireloom/Channel.h"

namespace mireloomwnd {

class JoinChannelWnd final : public DuiLib::WindowImplBase {
 public:
  // 1 public, 2 private.
  explicit JoinChannelWnd(int visibility);

  LPCTSTR GetWindowClassName() const override { return L"JoinChannelWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_join_channel.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The id of a join control's name ("ceid_" and the id).
  static bool ChannelIdFromControlName(const std::wstring& name, std::string* channelId = nullptr);
  // The row's second line: the creator's name (empty when the creator is not
  // cached), "created on" and the creation date ("" when it has no local
  // time or does not fit).
  [[nodiscard]] static std::wstring ChannelDetailText(const mireloom::Channel& channel);

 private:
  // The five reads of the cache, in their fixed order.
  void LoadChannels();
  void FilterChannels(const std::string& text);
  void FillChannelList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateChannelRow(const mireloom::Channel& channel) const;
  [[nodiscard]] bool IsInJoinSet(const std::string& channelId) const;
  void JoinChannel(const std::string& channelId);
  // Closes this dialog and runs the create dialog in its place.
  void OpenCreateChannel();

  CWndShadow m_shadow;
  const mireloom::Channel::Visibility m_visibility;
  DuiLib::CListUI* m_resultList = nullptr;
  DuiLib::CEditUI* m_searchBox = nullptr;
  std::unordered_set<std::string> m_joinSet;  // ids of the channels that get a join button
  ChannelList m_full;     // in load order
  ChannelList m_shown;    // in row order
};

}  // namespace mireloomwnd
