#pragma once

// The process's cookies, in memory, kept across browsers until shutdown.
// Matching for "would be sent" looks at host and path only: a cookie that is
// not secure-only and was set through an https address goes with http pages
// of the same host too.

#include <mutex>
#include <string>
#include <vector>

#include "cef/cef_test.h"
#include "cef/cef_types.h"

namespace cef_internal {

struct StoredCookie {
  CefCookie cookie;  // domain filled in with the host for host-only cookies
  bool host_only = false;
};

class CookieStore final {
 public:
  static CookieStore& Get();

  // False for an address that is not absolute http/https and for a domain
  // that does not match its host (the store refuses the cookie).
  bool Set(const std::wstring& url, const CefCookie& cookie);
  // False only for a non-empty address that is not absolute http/https.
  bool Delete(const std::wstring& url, const std::wstring& name);
  // Removes the cookie with the same domain, path and name.
  void Erase(const CefCookie& cookie);
  void Clear();

  [[nodiscard]] std::vector<StoredCookie> All() const;
  // Those that would be sent to the address, in the order they were stored.
  [[nodiscard]] std::vector<StoredCookie> ForUrl(const std::wstring& url) const;

  void RecordOp(cef_test::CookieOp op);
  [[nodiscard]] std::vector<cef_test::CookieOp> Ops() const;
  void ClearOps();

 private:
  CookieStore() = default;

  mutable std::mutex m_mutex;
  std::vector<StoredCookie> m_cookies;
  std::vector<cef_test::CookieOp> m_ops;
};

}  // namespace cef_internal
