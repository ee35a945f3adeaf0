#pragma once

// The main window's contacts panel: the contacts tree by letter (channels,
// robots, members under the letter of their pinyin), the organisation tree,
// the member card or a channel's tiles beside them, and the animation of the
// card's call button. The window owns one and reaches it through the
// operations it keeps for the panel.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ui/MemberAvatar.h"
#include "duilib/UIlib.h"
#include "mainwnd/contacts/ContactsLogic.h"
#include "mireloom/Channel.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"

namespace mireloomwnd {

// Build-once guards of the two contacts trees; the language reload resets them.
extern int ContactsTreeBuildCount;
extern int OrganizationTreeBuildCount;
// Ticks of the call button's animation; 0 at start, 1 after each end.
extern int CallAnimationTicks;

class CContactsPanel final {
 public:
  using Users = std::vector<std::unique_ptr<mireloom::User>>;
  using Channels = std::vector<std::unique_ptr<mireloom::Channel>>;

  // The panel's controls are `paintManager`'s; the avatar records and the
  // animation's timer go to `window`'s handle.
  CContactsPanel(DuiLib::CWindowWnd& window, DuiLib::CPaintManagerUI& paintManager)
      : m_window(window), m_paintManager(paintManager) {}
  CContactsPanel(const CContactsPanel&) = delete;
  CContactsPanel& operator=(const CContactsPanel&) = delete;

  // The members (robots moved out once the tree by letter is built) and the
  // channels the panel lists; the search reads them.
  [[nodiscard]] const Users& TeamUsers() const { return LoadedTeamUsers(); }
  [[nodiscard]] const Channels& ContactChannels() const { return m_contactChannels; }

  // Contacts tree (ContactsTree.cpp)
  void BuildContactsTree();
  // The download's completion, on any thread: the record goes to the window,
  // which sets the picture while the button lives.
  static void OnTreeAvatarDownloaded(HWND window, DuiLib::CButtonUI* button, std::weak_ptr<void> buttonAlive,
                                     const std::string& localPath);
  // Organisation tree (OrganizationTree.cpp)
  void BuildOrganizationTree();
  void ExpandUsergroupNode(const std::string& usergroupId, DuiLib::CTreeNodeUI* node);
  // Member details and the call animation (MemberDetails.cpp)
  // Which of the panel's lists hold the id; none for a user group's.
  struct ContactLists {
    bool channel = false;
    bool member = false;
    bool robot = false;
    [[nodiscard]] bool any() const { return channel || member || robot; }
  };
  [[nodiscard]] ContactLists ListsHolding(const std::string& id) const;
  void ShowUserDetails(const std::string& id);
  void ShowRobotDetails(const std::string& id);
  void ShowChannelMembers(const std::string& id);
  void StartCallAnimation(bool start);
  void OnCallAnimationTick();

 private:
  // The team's members but the disabled ones, read from the cache when first
  // needed: only the contacts tab, the member card and the search ask, and a
  // team of thousands takes its while to copy.
  Users& LoadedTeamUsers() const;
  void AddContactChannels(DuiLib::CTreeNodeUI* group);
  void MoveRobotsOutOfTeam();
  void AddLetterGroups();
  [[nodiscard]] DuiLib::CTreeNodeUI* MakeMemberNode(const mireloom::User& user, const MemberRowStyle& style);
  [[nodiscard]] DuiLib::CTreeNodeUI* FindTreeNode(const wchar_t* name);
  // The avatar of the size into the button, from the cache or downloaded;
  // the mark keeps the sizes of one avatar apart in the cache (0: none).
  void LoadAvatar(DuiLib::CButtonUI* button, const mireloom::User& user, int size, char mark);
  // An avatar button that shows it when first painted.
  [[nodiscard]] CMemberAvatarUI* MakeAvatar(const std::string& headerUri, int size, char mark);
  void ShowAvatar(DuiLib::CButtonUI* button, const AvatarPicture& picture);
  void ShowCardHead(const mireloom::User& user);
  // The make-call button as the card shown now needs it.
  void RestoreMakeCallButton(DuiLib::CButtonUI* button);
  [[nodiscard]] DuiLib::CButtonUI* FindButton(const wchar_t* name);
  void SetControlVisible(const wchar_t* name, bool visible);

  DuiLib::CWindowWnd& m_window;
  DuiLib::CPaintManagerUI& m_paintManager;
  mutable Users m_teamUsers;
  mutable bool m_teamUsersLoaded = false;
  Channels m_contactChannels;
  Users m_robots;
  std::vector<std::unique_ptr<mireloom::Usergroup>> m_rootUsergroups;
  // The member or robot the card shows last; the call animation's end
  // restores the make-call button for it.
  std::string m_detailsCardId;
};

}  // namespace mireloomwnd
