#include "Objects.h"

#include <algorithm>

#include "Runtime.h"

namespace cef_internal {

void CommandLineImpl::AppendSwitch(const CefString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_switches.push_back(name.ToWString());
}

bool CommandLineImpl::HasSwitch(const CefString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::find(m_switches.begin(), m_switches.end(), name.ToWString()) != m_switches.end();
}

void CommandLineImpl::GetSwitches(std::vector<CefString>& switches) {
  std::lock_guard<std::mutex> lock(m_mutex);
  switches.assign(m_switches.begin(), m_switches.end());
}

std::vector<std::wstring> CommandLineImpl::Switches() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_switches;
}

bool V8ContextImpl::Enter() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_calls.push_back("Enter");
  ++m_depth;
  return true;
}

bool V8ContextImpl::Exit() {
  bool entered = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back("Exit");
    entered = m_depth > 0;
    if (entered) --m_depth;
  }
  if (!entered) Runtime::Get().RecordViolation("CefV8Context::Exit without Enter");
  return entered;
}

std::vector<std::string> V8ContextImpl::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls;
}

bool MenuModelImpl::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_items.clear();
  return true;
}

int MenuModelImpl::GetCount() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_items.size());
}

bool MenuModelImpl::AddItem(int command_id, const CefString& label) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_items.push_back({command_id, label.ToWString()});
  return true;
}

void BeforeDownloadCallbackImpl::Continue(const CefString& download_path, bool show_dialog) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_continuation = {true, download_path.ToWString(), show_dialog};
}

cef_test::DownloadContinuation BeforeDownloadCallbackImpl::Continuation() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_continuation;
}

}  // namespace cef_internal
