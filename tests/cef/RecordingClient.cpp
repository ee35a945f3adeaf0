#include "RecordingClient.h"

#include <algorithm>

namespace cef_testing {

namespace {

int IdOf(const CefRefPtr<CefBrowser>& browser) { return browser ? browser->GetIdentifier() : 0; }

}  // namespace

void EventRecorder::Note(const std::string& name, int browser_id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_events.push_back({name, browser_id, GetCurrentThreadId()});
}

std::vector<HandlerEvent> EventRecorder::Events() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

std::vector<std::string> EventRecorder::Names(int browser_id) const {
  std::vector<std::string> names;
  for (const auto& event : Events()) {
    if (event.browser_id == browser_id) names.push_back(event.name);
  }
  return names;
}

int EventRecorder::Count(const std::string& name) const {
  const auto events = Events();
  return static_cast<int>(
      std::count_if(events.begin(), events.end(), [&](const HandlerEvent& event) { return event.name == name; }));
}

bool RecordingClient::OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    const CefString& target_url, const CefString& target_frame_name,
                                    const CefPopupFeatures& popup_features, CefWindowInfo& window_info,
                                    CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                                    bool* no_javascript_access) {
  Note("OnBeforePopup", IdOf(browser));
  if (!cancel_popups && change_popup) change_popup(window_info);
  return cancel_popups;
}

void RecordingClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  Note("OnAfterCreated", IdOf(browser));
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_browser) m_browser = browser;
}

bool RecordingClient::DoClose(CefRefPtr<CefBrowser> browser) {
  Note("DoClose", IdOf(browser));
  return keep_on_do_close;
}

void RecordingClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  Note("OnBeforeClose", IdOf(browser));
  CefRefPtr<CefBrowser> closed;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_browser == browser) closed = std::move(m_browser);
}

CefRefPtr<CefBrowser> RecordingClient::Browser() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_browser;
}

void RecordingClient::OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool is_loading, bool can_go_back,
                                           bool can_go_forward) {
  Note(is_loading ? "OnLoadingStateChange(loading)" : "OnLoadingStateChange(done)", IdOf(browser));
}

void RecordingClient::OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) {
  Note("OnLoadStart", IdOf(browser));
}

void RecordingClient::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int http_status_code) {
  Note("OnLoadEnd " + std::to_string(http_status_code), IdOf(browser));
  if (on_load_end) on_load_end();
}

void RecordingClient::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
  Note("OnBeforeContextMenu", IdOf(browser));
  if (clear_menus) model->Clear();
}

bool RecordingClient::OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                           CefRefPtr<CefContextMenuParams> params, int command_id,
                                           EventFlags event_flags) {
  Note("OnContextMenuCommand", IdOf(browser));
  return command_id == 7;
}

bool RecordingClient::OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> drag_data,
                                  DragOperationsMask mask) {
  Note("OnDragEnter", IdOf(browser));
  return refuse_drags && drag_data->IsLink();
}

void RecordingClient::OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                       const CefString& suggested_name,
                                       CefRefPtr<CefBeforeDownloadCallback> callback) {
  Note("OnBeforeDownload", IdOf(browser));
  if (continue_downloads) callback->Continue(L"C:\\saved\\" + suggested_name.ToWString(), false);
}

void RecordingClient::OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                        CefRefPtr<CefDownloadItemCallback> callback) {
  Note("OnDownloadUpdated", IdOf(browser));
}

void RecordingApp::OnBeforeCommandLineProcessing(const CefString& process_type,
                                                 CefRefPtr<CefCommandLine> command_line) {
  Note("OnBeforeCommandLineProcessing", 0);
  command_line->AppendSwitch(L"test-switch");
}

void RecordingApp::OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefV8Context> context) {
  Note("OnContextCreated", IdOf(browser));
  context->Enter();
  context->Exit();
}

}  // namespace cef_testing
