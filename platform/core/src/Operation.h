#pragma once

// The road of every server operation: logged, run on a core thread, answered
// by a script when a test set one, failed when its session ended meanwhile,
// and completed exactly once.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace mireloom {
class Session;
}

namespace mireloom::detail {

struct Outcome {
  bool ok = true;
  int64_t code = 200;
  std::string error;
  // Completes only after the listener calls the work queued have been made.
  bool after_listeners = false;

  static Outcome Success(int64_t code = 200) { return {true, code, {}, false}; }
  // The error text starts with the code: "404 unknown channel".
  static Outcome Failure(int64_t code, const std::string& reason) {
    return {false, code, std::to_string(code) + " " + reason, false};
  }
  static Outcome Unreachable() { return Failure(-1, "unreachable"); }
  static Outcome SessionEnded() { return Failure(-2, "session ended"); }
  static Outcome NotSignedIn() { return Failure(401, "not signed in"); }
};

struct OperationSpec {
  const char* name = "";
  std::string arguments;
  // The session the operation acts on; null when none is installed.
  std::shared_ptr<Session> session;
  bool needs_session = true;
  // Completions of ordered operations run one after another in call order.
  bool ordered = false;
};

// `work` runs on a core thread and returns the outcome (the cache already
// changed on success); `finish` then reports it to the caller.
void StartOperation(OperationSpec spec, std::function<Outcome()> work, std::function<void(const Outcome&)> finish);

// Lets held calls of the session go on (they fail as their session ended).
void ReleaseHeldOperations(const Session* session);
void ReleaseAllHeldOperations();
void ClearOperationScripts();

// The call log (read back by tests).
enum class CallKind { kCall, kCompletion, kListener };
void RecordCall(CallKind kind, const std::string& name, const std::string& detail, bool ok = true, int64_t code = 0);
// Whether a test records the calls, and with them the service hosts' requests.
bool CallLogOn();

}  // namespace mireloom::detail
