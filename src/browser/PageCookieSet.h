#pragma once

// The cookies that sign the team's web pages in: the session's web token and
// two marker cookies, written to the browser's one cookie store before a host
// loads or switches a page. The names and values are the service's interface.
//
// The steps are built without the browser, so that their order can be
// checked on its own; posting them queues one task per step on the browser's
// IO thread, where tasks run in the order posted.

#include <string>
#include <vector>

// Which host is about to show a page. The module-details window marks its
// pages "client-type" = "detail"; the main window removes that marker first.
enum class PageCookieHost { MainWindow, ModuleDetails };

// The signed-in session, as the core library gives it (UTF-8).
struct PageCookieSession {
  std::string team_id;
  std::string team_subdomain;
  std::string web_token;
};

struct PageCookieStep {
  enum class Kind { Delete, Set };
  Kind kind = Kind::Set;
  std::wstring url;
  std::wstring name;
  std::wstring value;   // empty for a delete
  std::wstring domain;  // empty for a delete
  std::wstring path;    // empty for a delete
};

// "s-" followed by the team id.
[[nodiscard]] std::wstring SessionCookieName(const std::string& team_id);

[[nodiscard]] std::vector<PageCookieStep> BuildPageCookieSet(const PageCookieSession& session, PageCookieHost host);

// Queues the steps in order, each as its own task on the IO thread with copies
// of its values. False, with nothing queued, when there is no cookie store
// (the browser is not running); a step the store refuses is simply missing.
[[nodiscard]] bool PostPageCookieSet(const std::vector<PageCookieStep>& steps);
