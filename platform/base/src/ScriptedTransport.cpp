#include <windows.h>

#include <thread>

#include "quennet/EventLog.h"
#include "quennet/testing.h"

namespace quennet {

void Gate::Release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_released = true;
  m_released_cv.notify_all();
}

bool Gate::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  ++m_waiting;
  const bool released = m_released_cv.wait_for(lock, timeout, [this] { return m_released; });
  --m_waiting;
  return released;
}

int Gate::Waiting() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_waiting;
}

void ScriptedTransport::AddRule(Rule rule) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_rules.push_back(std::move(rule));
}

void ScriptedTransport::Reply(const std::string& url, int status, std::string body, HeaderMap headers) {
  Rule rule;
  rule.url = url;
  rule.status = status;
  rule.body = std::move(body);
  rule.headers = std::move(headers);
  AddRule(std::move(rule));
}

void ScriptedTransport::ReplyPrefix(const std::string& url_prefix, int status, std::string body, HeaderMap headers) {
  Rule rule;
  rule.url = url_prefix;
  rule.prefix = true;
  rule.status = status;
  rule.body = std::move(body);
  rule.headers = std::move(headers);
  AddRule(std::move(rule));
}

void ScriptedTransport::Fail(const std::string& url, std::string error) {
  Rule rule;
  rule.url = url;
  rule.fail = true;
  rule.error = std::move(error);
  AddRule(std::move(rule));
}

std::shared_ptr<Gate> ScriptedTransport::Hold(const std::string& url, int status, std::string body) {
  Rule rule;
  rule.url = url;
  rule.status = status;
  rule.body = std::move(body);
  rule.gate = std::make_shared<Gate>();
  std::shared_ptr<Gate> gate = rule.gate;
  AddRule(std::move(rule));
  return gate;
}

std::vector<ScriptedTransport::Call> ScriptedTransport::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls;
}

size_t ScriptedTransport::CallCount(const std::string& url) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  size_t count = 0;
  for (const auto& call : m_calls) count += call.url == url ? 1 : 0;
  return count;
}

std::unique_ptr<HttpResponse> ScriptedTransport::Perform(const HttpRequest& request) {
  Rule rule;
  bool matched = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({request.url(), request.request_type(), request.headers(), request.body(),
                       static_cast<uint32_t>(GetCurrentThreadId()), std::chrono::steady_clock::now()});
    for (const auto& candidate : m_rules) {
      const bool type_ok = candidate.type < 0 || candidate.type == request.request_type();
      const bool url_ok = candidate.prefix ? request.url().rfind(candidate.url, 0) == 0 : request.url() == candidate.url;
      if (type_ok && url_ok) {
        rule = candidate;
        matched = true;
        break;
      }
    }
  }
  if (!matched) {
    log_error("Scripted transport has no answer for %s", request.url().c_str());
    return HttpResponse::Failure("no scripted answer for " + request.url());
  }
  if (rule.gate && !rule.gate->Wait(std::chrono::seconds(30))) return HttpResponse::Failure("gate never released");
  if (rule.delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(rule.delay_ms));
  if (rule.fail) return HttpResponse::Failure(rule.error);
  return HttpResponse::Make(rule.status, rule.headers, rule.body);
}

}  // namespace quennet
