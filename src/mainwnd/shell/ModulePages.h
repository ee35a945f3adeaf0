#pragma once

// The team's web modules shown in the main window: which page each one is,
// the script that switches a loaded page to it, and where the browser goes.

#include <windows.h>

#include <optional>
#include <string>

namespace mireloomwnd {

struct ModulePage {
  const wchar_t* page;
  const char* script;
};

// In the order they are compared.
inline constexpr ModulePage ModulePageTable[] = {
    {L"/tasks/my", "window.appGlobal.toModule('task')"},
    {L"/calendar", "window.appGlobal.toModule('calendar')"},
    {L"/drive/root", "window.appGlobal.toModule('drive')"},
    {L"/report", "window.appGlobal.toModule('report')"},
    {L"/crm", "window.appGlobal.toModule('crm')"},
    {L"/approval", "window.appGlobal.toModule('approval')"},
};

// The script of the first row with that page; nothing for a page of no row.
[[nodiscard]] std::optional<std::string> ModulePageScript(const std::wstring& page);

// "http://" + the team's host + page: the pages load over plain http, and
// the session cookies, not secure-only, go with them.
[[nodiscard]] std::wstring ModulePageAddress(const std::string& subdomain, const std::wstring& page);

// Where the browser goes on its laid-out area. Maximised, the area reaches
// the window's right and bottom edges (`window` is its window rectangle):
// right = width - left + 65, bottom = height - top.
[[nodiscard]] RECT ModuleBrowserArea(RECT area, bool maximised, const RECT& window);

}  // namespace mireloomwnd
