#pragma once

// A list row (or tree node) whose controls are made the first time it is
// laid out in view. A list places the rows out of view without laying them
// out, so a list of thousands of rows creates, registers and deletes only
// those that are seen.

#include <functional>
#include <utility>

#include "duilib/UIlib.h"

// Row: the framework's row class; Self: the class deriving from this one,
// which its builder is given.
template <class Row, class Self>
class CLazyRow : public Row {
 public:
  // The builder adds the row's controls to it; it runs once, while the list
  // lays the row out, with the row already in the window.
  using Builder = std::function<void(Self&)>;

  explicit CLazyRow(Builder build) : m_build(std::move(build)) {}

  void SetPos(RECT rc, bool bNeedInvalidate = true) override {
    // A list lays out the rows in view; others are placed, and at times set
    // again where they lie (a pending update) or emptied (hidden): those wait.
    if (m_build && this->GetManager() && InView(rc)) {
      const Builder build = std::move(m_build);
      m_build = nullptr;
      build(static_cast<Self&>(*this));
    }
    Row::SetPos(rc, bNeedInvalidate);
  }

 private:
  [[nodiscard]] bool InView(const RECT& rc) const {
    RECT shown;
    const DuiLib::CControlUI* list = this->GetParent();
    return !IsRectEmpty(&rc) && (!list || IntersectRect(&shown, &rc, &list->GetPos()));
  }

  Builder m_build;
};
