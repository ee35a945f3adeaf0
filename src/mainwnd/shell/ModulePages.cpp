#include "mainwnd/shell/ModulePages.h"

#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"

namespace mireloomwnd {

namespace {

constexpr int kMaximisedRightAllowance = 65;

}  // namespace

std::optional<std::string> ModulePageScript(const std::wstring& page) {
  for (const ModulePage& row : ModulePageTable) {
    if (page == row.page) return std::string(row.script);
  }
  return std::nullopt;
}

std::wstring ModulePageAddress(const std::string& subdomain, const std::wstring& page) {
  return L"http://" + Utf8ToWide(TeamHost(subdomain)) + page;
}

RECT ModuleBrowserArea(RECT area, bool maximised, const RECT& window) {
  if (!maximised) return area;
  area.right = (window.right - window.left) - area.left + kMaximisedRightAllowance;
  area.bottom = (window.bottom - window.top) - area.top;
  return area;
}

}  // namespace mireloomwnd
