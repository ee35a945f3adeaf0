#pragma once

// A list row whose controls are made the first time it is laid out in view.
// The list places the rows out of view without laying them out, so a list of
// thousands of rows creates, registers and deletes only those that are seen.

#include <functional>
#include <utility>

#include "duilib/UIlib.h"

namespace mireloomwnd {

class CLazyListItemUI final : public DuiLib::CListContainerElementUI {
 public:
  // The builder adds the row's controls to it; it runs once, while the list
  // lays the row out, with the row already in the window.
  using Builder = std::function<void(CLazyListItemUI&)>;

  explicit CLazyListItemUI(Builder build) : m_build(std::move(build)) {}

  void SetPos(RECT rc, bool bNeedInvalidate = true) override {
    if (m_build && GetManager()) {
      const Builder build = std::move(m_build);
      m_build = nullptr;
      build(*this);
    }
    DuiLib::CListContainerElementUI::SetPos(rc, bNeedInvalidate);
  }

 private:
  Builder m_build;
};

}  // namespace mireloomwnd
