#pragma once

// Keeps a control and its ancestors alive while an event or notification is
// being dispatched to or from it. A control removed meanwhile is detached
// and deleted when the last pin on it goes.

#include <vector>

#include "duilib/Control.h"

namespace DuiLib {

class CControlPin final {
 public:
  explicit CControlPin(CControlUI* pControl);
  ~CControlPin();
  CControlPin(const CControlPin&) = delete;
  CControlPin& operator=(const CControlPin&) = delete;

 private:
  std::vector<CControlUI*> m_chain;
};

namespace detail {
// Controls alive in the process (tests look for leaks with it).
size_t LiveControlCount();
}  // namespace detail

}  // namespace DuiLib
