#pragma once

// Hooks for tests only: the client's code never includes this header.
//
// Part A needs no CefInitialize: fakes for unit tests of the client's
// handlers. Part B drives and reads back the live stand-in. Every hook is
// callable from the test's (host) thread; the ones that wait handle sent
// messages only, so the host's windows keep answering the layer's threads.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cef/cef_app.h"
#include "cef/cef_browser.h"
#include "cef/cef_objects.h"
#include "cef/cef_types.h"

namespace cef_test {

// ---- A. Fakes ---------------------------------------------------------------

// A browser that lives outside the stand-in: its host returns `window` and
// counts ParentWindowWillClose; its frame records loads and scripts at once.
CefRefPtr<CefBrowser> MakeFakeBrowser(int id, HWND window);
CefRefPtr<CefCommandLine> MakeCommandLine();
CefRefPtr<CefV8Context> MakeV8Context();
// "Enter" and "Exit", in the order they were called.
std::vector<std::string> V8ContextCalls(const CefRefPtr<CefV8Context>& context);
CefRefPtr<CefContextMenuParams> MakeContextMenuParams(int type_flags);
CefRefPtr<CefMenuModel> MakeMenuModel(int item_count);
CefRefPtr<CefBeforeDownloadCallback> MakeBeforeDownloadCallback();
// An empty link address makes a drag of something that is not a link.
CefRefPtr<CefDragData> MakeDragData(const std::wstring& link_url);
CefRefPtr<CefDownloadItem> MakeDownloadItem(const std::wstring& url, const std::wstring& suggested_name);

struct DownloadContinuation {
  bool continued = false;
  std::wstring path;
  bool show_dialog = false;
};
DownloadContinuation ContinuationOf(const CefRefPtr<CefBeforeDownloadCallback>& callback);

// The layer's reference-counted objects alive now, to catch leaks.
int LiveObjectCount();

// ---- B. The live stand-in ---------------------------------------------------

bool IsInitialized();  // initialised and not shut down
bool IsShutDown();
int ShutdownCallCount();
CefSettings InitSettings();
std::vector<std::wstring> InitCommandLineSwitches();
// From now on a CefInitialize after cef_shutdown starts the layer again, so
// one test executable can hold several fixtures. Every start forgets the
// browsers, calls, cookie operations and violations seen before it.
void AllowReinitialize();

// Runs what the UI and IO threads have queued, and what that queues in turn.
bool Flush(int timeout_ms = 5000);
// Keeps CreateBrowser's creations pending until released.
void HoldBrowserCreation(bool hold);
void ReleaseHeldCreations();

struct ScriptRecord {
  std::wstring code;
  std::wstring script_url;
  int start_line = 0;
};

// What the stand-in knows of one browser.
struct BrowserInfo {
  bool found = false;
  int id = 0;
  bool popup = false;
  HWND parent = nullptr;
  HWND window = nullptr;  // null once closed
  RECT initial_rect = {};
  std::wstring default_encoding;
  cef_state_t universal_access_from_file_urls = STATE_DEFAULT;
  std::wstring url;  // the load begun last
  std::vector<std::wstring> url_history;  // the creation's load, then each LoadURL
  std::vector<ScriptRecord> scripts;
  int parent_will_close_calls = 0;
  bool closed = false;
  std::vector<std::string> dropped_calls;  // frame calls on a closed browser
  std::vector<std::wstring> painted_lines;  // the text of the last paint, top down
};

std::vector<int> Browsers();  // live or closed, in order of creation
BrowserInfo Browser(int id);
BrowserInfo Browser(const CefRefPtr<CefBrowser>& browser);  // fakes too

// Each runs on the UI thread and returns the client's answer.
struct PopupResult {
  bool cancelled = false;
  int popup_id = 0;  // the browser made when the client let the pop-up open
};
PopupResult SimulatePopup(int id, const std::wstring& url, const std::wstring& frame_name);
// The items left after OnBeforeContextMenu; 0 means no menu is shown.
int SimulateContextMenu(int id, int type_flags);
bool SimulateContextMenuCommand(int id, int command_id);
// True when the client refused the drag.
bool SimulateDragEnter(int id, uint32_t mask, const std::wstring& link_url);
// What the client answered through Continue; OnDownloadUpdated follows.
DownloadContinuation SimulateDownload(int id, const std::wstring& url, const std::wstring& suggested_name);
// Asks the client's DoClose first; true when the browser's window went.
bool CloseBrowser(int id, bool force);

struct CookieRecord {
  std::wstring domain;
  std::wstring path;
  std::wstring name;
  std::wstring value;
  bool secure = false;
  bool httponly = false;
  bool has_expires = false;
};
std::vector<CookieRecord> Cookies();
std::vector<CookieRecord> CookiesForUrl(const std::wstring& url);

enum class CookieOpKind { Set, Delete };
struct CookieOp {
  CookieOpKind op = CookieOpKind::Set;
  std::wstring url;
  std::wstring name;
  std::wstring value;
  std::wstring domain;
  std::wstring path;
  bool secure = false;
  bool httponly = false;
  DWORD thread_id = 0;
  bool on_io = false;
  bool accepted = false;
};
std::vector<CookieOp> CookieOps();
// Empties the store and the log of operations.
void ClearCookies();
// With false, GetGlobalManager returns null.
void SetGlobalManagerAvailable(bool available);

DWORD UIThreadId();
DWORD IOThreadId();

struct CallRecord {
  std::string interface_name;
  std::string op;
  int browser_id = 0;
  DWORD thread_id = 0;
};
// Every handler call the layer made, in order.
std::vector<CallRecord> CallLog();
// The process-level calls (cef_shutdown, cef_run_message_loop,
// cef_quit_message_loop) in order, each with whether the calling thread had a
// quit message waiting at that moment.
struct ProcessCall {
  std::string name;
  bool quit_pending = false;
};
std::vector<ProcessCall> ProcessCalls();
void ClearProcessCalls();
// Misuse the layer noticed: a cookie change off the IO thread, a second
// initialisation, Exit without Enter, a call after shutdown.
std::vector<std::string> Violations();

}  // namespace cef_test
