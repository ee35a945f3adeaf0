#pragma once

// Builds a control tree from skin XML: a file relative to the resource
// folder, or XML text starting with "<".

#include <functional>

#include "duilib/Control.h"

namespace DuiLib {

class CDialogBuilder final {
 public:
  // With a manager, <Window>, <Font> and <Default> configure it. With a
  // parent container, the built control is added to it. NULL on failure
  // (missing or malformed skin, no root control); the reason is logged.
  CControlUI* Create(LPCTSTR xmlOrFile, LPCTSTR type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                     CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);

  using ControlFactory = std::function<CControlUI*()>;
  // Adds a class name the builder knows (element name without "C...UI").
  static void RegisterControlClass(LPCTSTR pstrClass, ControlFactory factory);
  // A new control of a known class, or NULL.
  [[nodiscard]] static CControlUI* CreateKnownControl(LPCTSTR pstrClass);
};

}  // namespace DuiLib
