#pragma once

// The searchable member list of the add-members, open-conversation and
// group-call pickers: the "search" box with its tip, the "result_list" rows
// kept in step with the members shown, the members the window offers and
// those a search leaves, and each row's avatar, looked up when the row is
// first painted and handed to the window while it lives. The window decides
// what a row holds, what a search keeps and what a click does.

#include <windows.h>

#include <string>

#include "app/ui/UiThread.h"
#include "dialogs/common/RowAvatar.h"
#include "dialogs/common/SearchRule.h"
#include "dialogs/common/UserRowList.h"
#include "duilib/UIlib.h"
#include "mireloom/User.h"

namespace mireloomwnd {

class CMemberPicker final {
 public:
  using RowBuilder = CUserRowList::RowBuilder;
  // How a row's avatar looks, and the completion that hands a downloaded one
  // to the window's own message.
  struct AvatarStyle {
    RECT padding;
    int round;
    UINT message;
    void (*downloaded)(const AvatarDelivery& delivery, const std::string& localPath);
  };
  // How the rows follow a search: keep the rows of the members that stay, or
  // build every row again (for rows whose look depends on more than the member).
  enum class Refill { Narrow, Rebuild };

  // `windowGuard` is the window's own, read only once the window runs. A
  // search for `showAllText`, when not empty, shows every member as an empty one does.
  CMemberPicker(DuiLib::CWindowWnd& window, const CLifetimeGuard& windowGuard, AvatarStyle avatar, Refill refill,
                RowBuilder build, std::string showAllText = {});
  CMemberPicker(const CMemberPicker&) = delete;
  CMemberPicker& operator=(const CMemberPicker&) = delete;

  // Finds the box and the list once and gives the box its tip.
  void Attach(DuiLib::CPaintManagerUI& manager);

  // The members the window offers, in their order: an empty search shows them all.
  void Offer(UserList members) { m_offered = std::move(members); }
  [[nodiscard]] const UserList& offered() const { return m_offered; }
  // The members a search left, in row order.
  [[nodiscard]] const UserList& shown() const { return m_shown; }
  // Takes the member's first entry out of the offered and the shown members.
  void Remove(const std::string& uid);

  // The window's Notify share: a change of the box's text to one that is
  // not `tipText` filters the members and shows them. True when `msg` was one.
  bool OnSearch(const DuiLib::TNotifyUI& msg, const std::wstring& tipText);
  // The box's text now, in UTF-8; "" without a box.
  [[nodiscard]] std::string SearchText() const;
  // The members the keyword leaves: all offered for an empty one, else those shown that match.
  void Filter(const std::string& keyword);
  // The rows made those of the shown members.
  void Fill();

  // The uid of a row control's name ("ueid_" and the uid).
  static bool ParseUid(const std::wstring& name, std::string* uid);
  // True, with the uid, when `msg` is a click on a control named after a row's member.
  [[nodiscard]] static bool RowClickOf(const DuiLib::TNotifyUI& msg, std::string* uid);
  // Whether a click on a row's action counts (see CUserRowList::AcceptActionClick).
  [[nodiscard]] bool AcceptActionClick(const DuiLib::TNotifyUI& msg);

  // A row's avatar for the user, 30 pixels square.
  [[nodiscard]] DuiLib::CButtonUI* NewAvatar(const mireloom::User& user) const;
  // A row of `height`: the avatar, the user's names and `action` at the end.
  [[nodiscard]] DuiLib::CListContainerElementUI* NewNamedRow(const mireloom::User& user, int height,
                                                             DuiLib::CControlUI* action) const;

  // The window's HandleMessage share: takes a downloaded avatar's record
  // (the answer is then kRecordTaken), and drops every member on WM_DESTROY.
  [[nodiscard]] LRESULT OnMessage(UINT message, LPARAM lParam);

 private:
  DuiLib::CWindowWnd& m_window;
  const CLifetimeGuard& m_windowGuard;
  const AvatarStyle m_avatar;
  const Refill m_refill;
  const RowBuilder m_build;
  const std::string m_showAllText;
  CUserRowList m_rows;
  DuiLib::CEditUI* m_searchBox = nullptr;
  UserList m_offered;
  UserList m_shown;
};

}  // namespace mireloomwnd
