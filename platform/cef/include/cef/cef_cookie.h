#pragma once

// The process's one cookie store. Its changes must run on the IO thread.

#include "cef/cef_base.h"
#include "cef/cef_types.h"

class CefCookieVisitor : public virtual CefBase {
 public:
  // Runs on the IO thread once per cookie; false stops the visit. Setting
  // delete_cookie removes the cookie just visited.
  virtual bool Visit(const CefCookie& cookie, int count, int total, bool& delete_cookie) = 0;
};

class CefCompletionHandler : public virtual CefBase {
 public:
  virtual void OnComplete() = 0;
};

class CefCookieManager : public virtual CefBase {
 public:
  // Null before initialisation and after shutdown. Callable from any thread.
  static CefRefPtr<CefCookieManager> GetGlobalManager();

  // IO thread only. The url is an absolute http or https address. An empty
  // domain makes a cookie for the url's host alone; a given domain must be
  // that host or one of its parent domains. An empty path becomes "/". A
  // cookie with the same domain, path and name is replaced.
  virtual bool SetCookie(const CefString& url, const CefCookie& cookie) = 0;
  // IO thread only. An empty url deletes every cookie; an empty name every
  // cookie that would be sent to the url; otherwise the cookies of that name
  // that would be sent to it.
  virtual bool DeleteCookies(const CefString& url, const CefString& cookie_name) = 0;
  // The visits run later on the IO thread; false when they cannot be queued.
  virtual bool VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) = 0;
  virtual bool VisitUrlCookies(const CefString& url, bool include_http_only, CefRefPtr<CefCookieVisitor> visitor) = 0;
};
