// The global cookie manager: a thin face over the one cookie store that
// checks the thread, logs every change for the tests and repaints the pages.

#include "cef/cef_cookie.h"

#include <algorithm>

#include "BrowserRegistry.h"
#include "CookieStore.h"
#include "Runtime.h"

namespace cef_internal {

namespace {

cef_test::CookieOp DescribeOp(cef_test::CookieOpKind kind, const CefString& url, const CefCookie& cookie) {
  cef_test::CookieOp op;
  op.op = kind;
  op.url = url.ToWString();
  op.name = cookie.name.ToWString();
  op.value = cookie.value.ToWString();
  op.domain = cookie.domain.ToWString();
  op.path = cookie.path.ToWString();
  op.secure = cookie.secure;
  op.httponly = cookie.httponly;
  op.thread_id = GetCurrentThreadId();
  op.on_io = Runtime::Get().IsIoThread();
  return op;
}

// Changes run on the IO thread only; anything else is the caller's fault.
bool MayChange(const cef_test::CookieOp& op, const char* call) {
  if (op.on_io) return true;
  Runtime& runtime = Runtime::Get();
  runtime.RecordViolation(std::string(call) +
                          (runtime.State() == RunState::ShutDown ? " after shutdown" : " off the IO thread"));
  return false;
}

void VisitOnIo(const std::vector<StoredCookie>& cookies, const CefRefPtr<CefCookieVisitor>& visitor) {
  const int total = static_cast<int>(cookies.size());
  for (int count = 0; count < total; ++count) {
    bool delete_cookie = false;
    const bool go_on = visitor->Visit(cookies[count].cookie, count, total, delete_cookie);
    if (delete_cookie) CookieStore::Get().Erase(cookies[count].cookie);
    if (!go_on) break;
  }
}

class CookieManagerImpl final : public CefCookieManager, public CefCountedObject {
 public:
  bool SetCookie(const CefString& url, const CefCookie& cookie) override {
    cef_test::CookieOp op = DescribeOp(cef_test::CookieOpKind::Set, url, cookie);
    op.accepted = MayChange(op, "SetCookie") && CookieStore::Get().Set(op.url, cookie);
    return Finish(std::move(op));
  }

  bool DeleteCookies(const CefString& url, const CefString& cookie_name) override {
    CefCookie named;
    named.name = cookie_name;
    cef_test::CookieOp op = DescribeOp(cef_test::CookieOpKind::Delete, url, named);
    op.accepted = MayChange(op, "DeleteCookies") && CookieStore::Get().Delete(op.url, op.name);
    return Finish(std::move(op));
  }

  bool VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) override {
    if (!visitor) return false;
    return Runtime::Get().PostToIo([visitor] { VisitOnIo(CookieStore::Get().All(), visitor); });
  }

  bool VisitUrlCookies(const CefString& url, bool include_http_only, CefRefPtr<CefCookieVisitor> visitor) override {
    if (!visitor) return false;
    return Runtime::Get().PostToIo([visitor, url = url.ToWString(), include_http_only] {
      std::vector<StoredCookie> cookies = CookieStore::Get().ForUrl(url);
      if (!include_http_only) {
        cookies.erase(std::remove_if(cookies.begin(), cookies.end(),
                                     [](const StoredCookie& stored) { return stored.cookie.httponly; }),
                      cookies.end());
      }
      VisitOnIo(cookies, visitor);
    });
  }

 private:
  static bool Finish(cef_test::CookieOp op) {
    const bool accepted = op.accepted;
    CookieStore::Get().RecordOp(std::move(op));
    if (accepted) BrowserRegistry::Get().RepaintAll();
    return accepted;
  }
};

}  // namespace

}  // namespace cef_internal

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager() {
  using cef_internal::Runtime;
  Runtime& runtime = Runtime::Get();
  if (!runtime.IsRunning() || !runtime.GlobalManagerAvailable()) return nullptr;
  // A fresh face each time; the store behind it is the one of the process.
  return new cef_internal::CookieManagerImpl;
}
