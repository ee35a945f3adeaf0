#include "Operation.h"

#include <atomic>

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "CorePool.h"
#include "ListenerHub.h"
#include "mireloom/testing.h"
#include "Session.h"

namespace mireloom::detail {
namespace {

using Rule = testing::OperationScript::Rule;

struct PendingOperation {
  OperationSpec spec;
  std::function<Outcome()> work;
  std::function<void(const Outcome&)> finish;
};
using OperationPtr = std::shared_ptr<PendingOperation>;

struct HeldCall {
  std::string operation;
  std::weak_ptr<Session> session;
  bool had_session = false;
  std::function<void()> resume;
};

// Scripts, held calls, the ordered queue and the call log of the process.
struct Registry {
  std::mutex mutex;
  std::condition_variable held_cv;
  std::map<std::string, Rule> scripts;
  std::map<int, HeldCall> held;
  int next_handle = 1;
  std::deque<OperationPtr> ordered;
  bool ordered_running = false;
  std::vector<testing::CallRecord> log;
};

Registry& GetRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

// The script rule for this call, counting down limited ones.
std::optional<Rule> TakeRule(const std::string& operation) {
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto found = r.scripts.find(operation);
  if (found == r.scripts.end()) return std::nullopt;
  Rule rule = found->second;
  if (found->second.times > 0 && --found->second.times == 0) r.scripts.erase(found);
  return rule;
}

void RunNextOrdered();
void Execute(const OperationPtr& operation);

void Complete(const OperationPtr& operation, const Outcome& outcome) {
  auto report = [operation, outcome] {
    operation->finish(outcome);
    RecordCall(CallKind::kCompletion, operation->spec.name, outcome.error, outcome.ok, outcome.code);
    if (operation->spec.ordered) RunNextOrdered();
  };
  if (outcome.after_listeners) {
    ListenerHub::Instance().Enqueue([report] { CorePool::Instance().Deliver(report); });
  } else {
    CorePool::Instance().Deliver(report);
  }
}

bool SessionEnded(const OperationSpec& spec) { return spec.session && spec.session->ended(); }

void Continue(const OperationPtr& operation, const std::optional<Rule>& rule) {
  const OperationSpec& spec = operation->spec;
  if (rule && rule->delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(rule->delay_ms));
  Outcome outcome;
  if (rule && rule->fail) {
    outcome = Outcome::Failure(rule->code, rule->text);
  } else if (spec.needs_session && (!spec.session || !spec.session->initialised())) {
    outcome = Outcome::NotSignedIn();
  } else if (SessionEnded(spec)) {
    outcome = Outcome::SessionEnded();
  } else {
    try {
      outcome = operation->work();
    } catch (...) {
      outcome = Outcome::Failure(500, "internal error");
    }
  }
  if (spec.needs_session && SessionEnded(spec)) outcome = Outcome::SessionEnded();
  if (rule && rule->answer) {
    outcome.ok = true;
    outcome.code = rule->code;
    outcome.error.clear();
  }
  Complete(operation, outcome);
}

void Execute(const OperationPtr& operation) {
  std::optional<Rule> rule = TakeRule(operation->spec.name);
  if (rule && rule->hold) {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    HeldCall held;
    held.operation = operation->spec.name;
    held.session = operation->spec.session;
    held.had_session = operation->spec.session != nullptr;
    held.resume = [operation, rule] { Continue(operation, rule); };
    r.held.emplace(r.next_handle++, std::move(held));
    r.held_cv.notify_all();
    return;
  }
  Continue(operation, rule);
}

void RunNextOrdered() {
  OperationPtr next;
  {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.ordered.empty()) {
      r.ordered_running = false;
      return;
    }
    next = std::move(r.ordered.front());
    r.ordered.pop_front();
  }
  CorePool::Instance().Run([next] { Execute(next); });
  CorePool::Instance().EndActivity();  // it left the ordered queue
}

void ResumeHeld(std::vector<std::function<void()>> resumes) {
  for (auto& resume : resumes) CorePool::Instance().Run(std::move(resume));
}

}  // namespace

void StartOperation(OperationSpec spec, std::function<Outcome()> work, std::function<void(const Outcome&)> finish) {
  RecordCall(CallKind::kCall, spec.name, spec.arguments);
  auto operation = std::make_shared<PendingOperation>(
      PendingOperation{std::move(spec), std::move(work), std::move(finish)});
  if (!operation->spec.ordered) {
    CorePool::Instance().Run([operation] { Execute(operation); });
    return;
  }
  Registry& r = GetRegistry();
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.ordered_running) {
      CorePool::Instance().BeginActivity();  // waiting in the ordered queue
      r.ordered.push_back(operation);
      return;
    }
    r.ordered_running = true;
  }
  CorePool::Instance().Run([operation] { Execute(operation); });
}

void ReleaseHeldOperations(const Session* session) {
  std::vector<std::function<void()>> resumes;
  {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto it = r.held.begin(); it != r.held.end();) {
      auto owner = it->second.session.lock();
      const bool belongs = it->second.had_session && (!owner || owner.get() == session);
      if (belongs) {
        resumes.push_back(std::move(it->second.resume));
        it = r.held.erase(it);
      } else {
        ++it;
      }
    }
  }
  ResumeHeld(std::move(resumes));
}

void ReleaseAllHeldOperations() {
  std::vector<std::function<void()>> resumes;
  {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto& entry : r.held) resumes.push_back(std::move(entry.second.resume));
    r.held.clear();
  }
  ResumeHeld(std::move(resumes));
}

void ClearOperationScripts() {
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.scripts.clear();
  r.log.clear();
}

namespace {

// Off in the running program, whose log nobody reads and which would grow for
// the whole session; a test turns it on.
std::atomic<bool> g_call_log_on{false};

}  // namespace

bool CallLogOn() { return g_call_log_on.load(std::memory_order_relaxed); }

void RecordCall(CallKind kind, const std::string& name, const std::string& detail, bool ok, int64_t code) {
  if (!CallLogOn()) return;
  testing::CallRecord record;
  record.kind = static_cast<testing::CallRecord::Kind>(kind);
  record.name = name;
  record.detail = detail;
  record.ok = ok;
  record.code = code;
  record.thread = GetCurrentThreadId();
  Registry& r = GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.log.push_back(std::move(record));
}

}  // namespace mireloom::detail

namespace mireloom::testing {



OperationScript& OperationScript::Update(const std::function<void(Rule&)>& change) {
  auto& r = detail::GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  change(r.scripts[m_operation]);
  return *this;
}

OperationScript& OperationScript::Fail(int64_t code, const std::string& text) {
  return Update([&](Rule& rule) {
    rule.fail = true;
    rule.answer = false;
    rule.code = code;
    rule.text = text;
  });
}

OperationScript& OperationScript::Answer(int64_t code) {
  return Update([&](Rule& rule) {
    rule.answer = true;
    rule.fail = false;
    rule.code = code;
  });
}

OperationScript& OperationScript::Times(int n) {
  return Update([&](Rule& rule) { rule.times = n; });
}

OperationScript& OperationScript::Delay(int ms) {
  return Update([&](Rule& rule) { rule.delay_ms = ms; });
}

OperationScript& OperationScript::Hold() {
  return Update([&](Rule& rule) { rule.hold = true; });
}

OperationScript Script(const std::string& operation) { return OperationScript(operation); }

int WaitForHeld(const std::string& operation, int timeoutMs) {
  auto& r = detail::GetRegistry();
  std::unique_lock<std::mutex> lock(r.mutex);
  int handle = 0;
  r.held_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (const auto& entry : r.held) {
      if (entry.second.operation == operation) {
        handle = entry.first;
        return true;
      }
    }
    return false;
  });
  return handle;
}

bool Release(int handle) {
  std::function<void()> resume;
  {
    auto& r = detail::GetRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto found = r.held.find(handle);
    if (found == r.held.end()) return false;
    resume = std::move(found->second.resume);
    r.held.erase(found);
  }
  detail::CorePool::Instance().Run(std::move(resume));
  return true;
}

void RecordCallLog(bool on) { detail::g_call_log_on.store(on); }

std::vector<CallRecord> CallLog() {
  auto& r = detail::GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.log;
}

void ClearCallLog() {
  auto& r = detail::GetRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.log.clear();
}

}  // namespace mireloom::testing
