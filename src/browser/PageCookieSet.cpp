#include "browser/PageCookieSet.h"

#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "cef/cef_cookie.h"
#include "cef/cef_task.h"

namespace {

constexpr wchar_t kCookiePath[] = L"/";
constexpr wchar_t kClientCookie[] = L"client";
constexpr wchar_t kClientValue[] = L"windows";
constexpr wchar_t kClientTypeCookie[] = L"client-type";
constexpr wchar_t kDetailValue[] = L"detail";
// Every cookie is set through the https address, whatever scheme the page
// later loads with: the cookies are not secure-only, so they go with both.
constexpr wchar_t kCookieScheme[] = L"https://";

PageCookieStep SetStep(const std::wstring& host, std::wstring name, std::wstring value) {
  return {PageCookieStep::Kind::Set, kCookieScheme + host, std::move(name), std::move(value), host, kCookiePath};
}

CefCookie CookieOf(const PageCookieStep& step) {
  // A session cookie, neither secure-only nor hidden from the page's scripts.
  CefCookie cookie;
  cookie.name = step.name;
  cookie.value = step.value;
  cookie.domain = step.domain;
  cookie.path = step.path;
  return cookie;
}

CefRefPtr<CefTask> TaskOf(CefCookieManager* manager, const PageCookieStep& step) {
  if (step.kind == PageCookieStep::Kind::Delete) {
    return NewCefRunnableMethod(manager, &CefCookieManager::DeleteCookies, CefString(step.url), CefString(step.name));
  }
  return NewCefRunnableMethod(manager, &CefCookieManager::SetCookie, CefString(step.url), CookieOf(step));
}

}  // namespace

std::wstring SessionCookieName(const std::string& team_id) { return L"s-" + Utf8ToWide(team_id); }

std::vector<PageCookieStep> BuildPageCookieSet(const PageCookieSession& session, PageCookieHost host) {
  const std::wstring team_host = Utf8ToWide(TeamHost(session.team_subdomain));
  const std::wstring file_host = Utf8ToWide(FileHost);
  const std::wstring session_name = SessionCookieName(session.team_id);
  const std::wstring token = Utf8ToWide(session.web_token);

  std::vector<PageCookieStep> steps;
  if (host == PageCookieHost::MainWindow) {
    // A module-details page left its marker in the shared store.
    steps.push_back({PageCookieStep::Kind::Delete, kCookieScheme + team_host, kClientTypeCookie, {}, {}, {}});
  }
  steps.push_back(SetStep(team_host, session_name, token));
  steps.push_back(SetStep(team_host, kClientCookie, kClientValue));
  if (host == PageCookieHost::ModuleDetails) steps.push_back(SetStep(team_host, kClientTypeCookie, kDetailValue));
  steps.push_back(SetStep(file_host, session_name, token));
  return steps;
}

bool PostPageCookieSet(const std::vector<PageCookieStep>& steps) {
  const CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager();
  if (!manager) return false;
  bool all_queued = true;
  for (const PageCookieStep& step : steps) {
    all_queued = CefPostTask(TID_IO, TaskOf(manager.get(), step)) && all_queued;
  }
  return all_queued;
}
