// cef_test.h: the fakes and the read-back of the live stand-in.

#include "cef/cef_test.h"

#include "Browser.h"
#include "BrowserRegistry.h"
#include "CookieStore.h"
#include "LiveObjects.h"
#include "Objects.h"
#include "Runtime.h"

using cef_internal::BrowserRegistry;
using cef_internal::CookieStore;
using cef_internal::Runtime;

namespace cef_test {

namespace {

CookieRecord Describe(const cef_internal::StoredCookie& stored) {
  const CefCookie& cookie = stored.cookie;
  return {cookie.domain.ToWString(), cookie.path.ToWString(), cookie.name.ToWString(), cookie.value.ToWString(),
          cookie.secure,             cookie.httponly,         cookie.has_expires};
}

std::vector<CookieRecord> Describe(const std::vector<cef_internal::StoredCookie>& cookies) {
  std::vector<CookieRecord> records;
  for (const auto& stored : cookies) records.push_back(Describe(stored));
  return records;
}

}  // namespace

CefRefPtr<CefBrowser> MakeFakeBrowser(int id, HWND window) {
  auto state = std::make_shared<cef_internal::BrowserState>();
  state->id = id;
  state->fake = true;
  state->window = window;
  return new cef_internal::BrowserImpl(state);
}

CefRefPtr<CefCommandLine> MakeCommandLine() { return new cef_internal::CommandLineImpl; }

CefRefPtr<CefV8Context> MakeV8Context() { return new cef_internal::V8ContextImpl; }

std::vector<std::string> V8ContextCalls(const CefRefPtr<CefV8Context>& context) {
  const auto* impl = dynamic_cast<const cef_internal::V8ContextImpl*>(context.get());
  return impl ? impl->Calls() : std::vector<std::string>();
}

CefRefPtr<CefContextMenuParams> MakeContextMenuParams(int type_flags) {
  return new cef_internal::ContextMenuParamsImpl(type_flags);
}

CefRefPtr<CefMenuModel> MakeMenuModel(int item_count) {
  CefRefPtr<CefMenuModel> model = new cef_internal::MenuModelImpl;
  for (int i = 0; i < item_count; ++i) model->AddItem(100 + i, L"Item " + std::to_wstring(i + 1));
  return model;
}

CefRefPtr<CefBeforeDownloadCallback> MakeBeforeDownloadCallback() {
  return new cef_internal::BeforeDownloadCallbackImpl;
}

CefRefPtr<CefDragData> MakeDragData(const std::wstring& link_url) { return new cef_internal::DragDataImpl(link_url); }

CefRefPtr<CefDownloadItem> MakeDownloadItem(const std::wstring& url, const std::wstring& suggested_name) {
  return new cef_internal::DownloadItemImpl(url, suggested_name);
}

DownloadContinuation ContinuationOf(const CefRefPtr<CefBeforeDownloadCallback>& callback) {
  const auto* impl = dynamic_cast<const cef_internal::BeforeDownloadCallbackImpl*>(callback.get());
  return impl ? impl->Continuation() : DownloadContinuation();
}

int LiveObjectCount() { return cef_internal::LiveObjects(); }

bool IsInitialized() { return Runtime::Get().IsRunning(); }

bool IsShutDown() { return Runtime::Get().State() == cef_internal::RunState::ShutDown; }

int ShutdownCallCount() { return Runtime::Get().ShutdownCalls(); }

CefSettings InitSettings() { return Runtime::Get().InitSettings(); }

std::vector<std::wstring> InitCommandLineSwitches() { return Runtime::Get().InitSwitches(); }

void AllowReinitialize() { Runtime::Get().AllowReinitialize(); }

bool Flush(int timeout_ms) { return Runtime::Get().Flush(static_cast<DWORD>(timeout_ms)); }

void HoldBrowserCreation(bool hold) { BrowserRegistry::Get().HoldCreations(hold); }

void ReleaseHeldCreations() { BrowserRegistry::Get().ReleaseHeldCreations(); }

std::vector<int> Browsers() { return BrowserRegistry::Get().Ids(); }

BrowserInfo Browser(int id) {
  const auto state = BrowserRegistry::Get().Find(id);
  return state ? cef_internal::DescribeBrowser(*state) : BrowserInfo();
}

BrowserInfo Browser(const CefRefPtr<CefBrowser>& browser) {
  const auto* impl = dynamic_cast<const cef_internal::BrowserImpl*>(browser.get());
  return impl ? cef_internal::DescribeBrowser(*impl->State()) : BrowserInfo();
}

std::vector<CookieRecord> Cookies() { return Describe(CookieStore::Get().All()); }

std::vector<CookieRecord> CookiesForUrl(const std::wstring& url) { return Describe(CookieStore::Get().ForUrl(url)); }

std::vector<CookieOp> CookieOps() { return CookieStore::Get().Ops(); }

void ClearCookies() {
  CookieStore::Get().Clear();
  CookieStore::Get().ClearOps();
}

void SetGlobalManagerAvailable(bool available) { Runtime::Get().SetGlobalManagerAvailable(available); }

DWORD UIThreadId() { return Runtime::Get().UiThreadId(); }

DWORD IOThreadId() { return Runtime::Get().IoThreadId(); }

std::vector<CallRecord> CallLog() { return Runtime::Get().Calls(); }

std::vector<std::string> Violations() { return Runtime::Get().Violations(); }

}  // namespace cef_test
