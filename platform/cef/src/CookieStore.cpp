#include "CookieStore.h"

#include <algorithm>

#include "Url.h"

namespace cef_internal {

namespace {

std::wstring WithoutLeadingDot(const std::wstring& domain) {
  return !domain.empty() && domain[0] == L'.' ? domain.substr(1) : domain;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The host is the domain itself or lies under it.
bool DomainMatches(const std::wstring& host, const std::wstring& domain) {
  const std::wstring bare = AsciiLower(WithoutLeadingDot(domain));
  return !bare.empty() && (host == bare || EndsWith(host, L"." + bare));
}

bool PathMatches(const std::wstring& request_path, const std::wstring& cookie_path) {
  if (request_path == cookie_path) return true;
  if (request_path.compare(0, cookie_path.size(), cookie_path) != 0) return false;
  return cookie_path.back() == L'/' || request_path[cookie_path.size()] == L'/';
}

bool WouldBeSent(const StoredCookie& stored, const WebAddress& address) {
  const std::wstring& domain = stored.cookie.domain.ToWString();
  const bool host_matches = stored.host_only ? address.host == AsciiLower(domain) : DomainMatches(address.host, domain);
  return host_matches && PathMatches(address.path, stored.cookie.path.ToWString());
}

bool SameKey(const CefCookie& a, const CefCookie& b) {
  return AsciiLower(a.domain.ToWString()) == AsciiLower(b.domain.ToWString()) && a.path == b.path && a.name == b.name;
}

}  // namespace

CookieStore& CookieStore::Get() {
  static CookieStore* store = new CookieStore;  // never destroyed: the IO thread may outlive exit
  return *store;
}

bool CookieStore::Set(const std::wstring& url, const CefCookie& cookie) {
  const WebAddress address = ParseWebAddress(url);
  if (!address.valid) return false;
  StoredCookie stored{cookie, cookie.domain.empty()};
  if (stored.host_only) {
    stored.cookie.domain = address.host;
  } else if (!DomainMatches(address.host, cookie.domain.ToWString())) {
    return false;
  }
  if (stored.cookie.path.empty()) stored.cookie.path = L"/";

  std::lock_guard<std::mutex> lock(m_mutex);
  auto same = std::find_if(m_cookies.begin(), m_cookies.end(),
                           [&](const StoredCookie& existing) { return SameKey(existing.cookie, stored.cookie); });
  if (same != m_cookies.end()) {
    *same = std::move(stored);
  } else {
    m_cookies.push_back(std::move(stored));
  }
  return true;
}

bool CookieStore::Delete(const std::wstring& url, const std::wstring& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (url.empty()) {
    m_cookies.clear();
    return true;
  }
  const WebAddress address = ParseWebAddress(url);
  if (!address.valid) return false;
  m_cookies.erase(std::remove_if(m_cookies.begin(), m_cookies.end(),
                                 [&](const StoredCookie& stored) {
                                   return (name.empty() || stored.cookie.name.ToWString() == name) &&
                                          WouldBeSent(stored, address);
                                 }),
                  m_cookies.end());
  return true;
}

void CookieStore::Erase(const CefCookie& cookie) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cookies.erase(std::remove_if(m_cookies.begin(), m_cookies.end(),
                                 [&](const StoredCookie& stored) { return SameKey(stored.cookie, cookie); }),
                  m_cookies.end());
}

void CookieStore::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cookies.clear();
}

std::vector<StoredCookie> CookieStore::All() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_cookies;
}

std::vector<StoredCookie> CookieStore::ForUrl(const std::wstring& url) const {
  const WebAddress address = ParseWebAddress(url);
  std::vector<StoredCookie> sent;
  if (!address.valid) return sent;
  std::lock_guard<std::mutex> lock(m_mutex);
  for (const StoredCookie& stored : m_cookies) {
    if (WouldBeSent(stored, address)) sent.push_back(stored);
  }
  return sent;
}

void CookieStore::RecordOp(cef_test::CookieOp op) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_ops.push_back(std::move(op));
}

std::vector<cef_test::CookieOp> CookieStore::Ops() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_ops;
}

void CookieStore::ClearOps() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_ops.clear();
}

}  // namespace cef_internal
