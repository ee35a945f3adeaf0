#pragma once

// The main window's six popup menus. Each is created with `new` for one
// opening and handed to ShowAt, after which it frees itself (PopupMenuWnd).
// A click on an item reaches the owner's Notify as an "itemclick" whose
// sender is the item, named as in the menu's skin.

#include <string>

#include "mainwnd/shell/PopupMenuWnd.h"

namespace mireloomwnd {

// The team's menu: services, members, home page, team settings; greyed by the
// user's permission and role.
class TeamMenuWnd final : public PopupMenuWnd {
 public:
  TeamMenuWnd();
  void InitWindow() override;
};

// The application modules: report, customer management, approval.
class ApplicationsMenuWnd final : public PopupMenuWnd {
 public:
  ApplicationsMenuWnd();
  void InitWindow() override;
};

// Account settings, language, sign-out and the client's version; opens
// upwards from its point.
class PersonalMenuWnd final : public PopupMenuWnd {
 public:
  PersonalMenuWnd();
  void InitWindow() override;
};

// New chat: create a channel, join one, or open a one-to-one conversation.
class ImOrChannelMenuWnd final : public PopupMenuWnd {
 public:
  ImOrChannelMenuWnd();
  void InitWindow() override;
};

// The open one-to-one conversation's menu.
class ImDropDownMenuWnd final : public PopupMenuWnd {
 public:
  ImDropDownMenuWnd();
  void InitWindow() override;
};

// The open channel's menu; the team's general channel cannot be left.
class GroupDropDownMenuWnd final : public PopupMenuWnd {
 public:
  explicit GroupDropDownMenuWnd(const std::string& channelId);
  void InitWindow() override;

 private:
  const std::string m_channelId;
};

}  // namespace mireloomwnd
