#include "browser/CefAppEx.h"

namespace {

constexpr wchar_t kNoProxySwitch[] = L"no-proxy-server";

}  // namespace

void CCefAppEx::OnBeforeCommandLineProcessing(const CefString& process_type,
                                              CefRefPtr<CefCommandLine> command_line) {
  // For every process type and every call, present already or not: a second
  // copy of the switch changes nothing.
  if (command_line) command_line->AppendSwitch(kNoProxySwitch);
}

CefRefPtr<CefBrowserProcessHandler> CCefAppEx::GetBrowserProcessHandler() { return this; }

CefRefPtr<CefRenderProcessHandler> CCefAppEx::GetRenderProcessHandler() { return this; }

void CCefAppEx::OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) {
  if (!context) return;
  context->Enter();
  context->Exit();
}

int CCefAppEx::AddRef() { return InterlockedIncrement(&m_ref_count); }

int CCefAppEx::Release() {
  const LONG count = InterlockedDecrement(&m_ref_count);
  if (count == 0) delete this;
  return count;
}

int CCefAppEx::GetRefCt() { return InterlockedCompareExchange(&m_ref_count, 0, 0); }
