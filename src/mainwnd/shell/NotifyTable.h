#pragma once

// The main window's dispatch of control notifications as one table: the
// notification types in the order they are tried, and for each type the chain
// of senders in the order they are tried. Every position of every chain is
// fixed here; each area of the window binds its handlers to the positions it
// serves, so a later area adds its rows without touching anyone else's.

#include <string>
#include <vector>

#include "duilib/UIlib.h"

namespace mireloomwnd {

class MainWnd;

// A handler gets the record and the sender's name, copied before the handler
// runs: the sender may die in a modal loop the handler runs, so a handler reads
// msg.pSender only before it does anything that may run one.
using NotifyHandler = void (MainWnd::*)(DuiLib::TNotifyUI& msg, const std::wstring& sender);

enum class SenderMatch {
  Name,      // the sender's name equals the position's name
  Control,   // the sender is the control the window finds under that name
  Contains,  // the sender's name contains the position's name
  Any,       // every sender
};

class CNotifyTable final {
 public:
  CNotifyTable();

  // Binds the handler to the position of the type's chain named so (nullptr
  // names the position of an "any sender" chain). False, and logged, for a
  // position the dispatch does not have.
  bool Bind(const wchar_t* type, const wchar_t* name, NotifyHandler handler);

  // The handler of the first position of the type's chain that the sender
  // matches; null when none matches or the matching position has no handler.
  [[nodiscard]] NotifyHandler Find(const DuiLib::TNotifyUI& msg, const std::wstring& sender,
                                   DuiLib::CPaintManagerUI& manager) const;

 private:
  struct Position {
    SenderMatch match;
    std::wstring name;
    NotifyHandler handler = nullptr;
  };
  struct Chain {
    std::wstring type;
    std::vector<Position> positions;
  };
  [[nodiscard]] static bool Matches(const Position& position, const DuiLib::TNotifyUI& msg, const std::wstring& sender,
                                    DuiLib::CPaintManagerUI& manager);

  std::vector<Chain> m_chains;
};

}  // namespace mireloomwnd
