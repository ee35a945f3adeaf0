#pragma once

// Shared road of the managers' server operations: the current session, a
// result slot filled by the work on a core thread, and the caller's completion.

#include <memory>
#include <string>
#include <utility>

#include "CoreState.h"
#include "Operation.h"
#include "service/DemoService.h"
#include "Session.h"

namespace mireloom::detail {

// Starts an operation on the given session (null: none needed or none there).
inline void RunOperation(const char* name, std::string arguments, std::shared_ptr<Session> session,
                         bool needsSession, std::function<Outcome()> work, std::function<void(const Outcome&)> finish) {
  OperationSpec spec;
  spec.name = name;
  spec.arguments = std::move(arguments);
  spec.session = std::move(session);
  spec.needs_session = needsSession;
  StartOperation(std::move(spec), std::move(work), std::move(finish));
}

// The conversations' whole histories into the cache (every conversation of
// the user when none is named), so that they open from there.
inline Outcome SyncHistory(Session& session, service::DemoService& service,
                           const std::vector<std::string>& conversations) {
  std::vector<Message::Data> messages;
  std::string generation;
  Outcome outcome = service.History(session.api_token(), conversations, &messages, &generation);
  if (!outcome.ok) return outcome;
  session.cache().FollowStoreGeneration(generation);
  session.cache().AddMessages(messages);
  return outcome;
}

template <class Result>
using Work = std::function<Outcome(Session& session, service::DemoService& service, Result& result)>;
template <class Result>
using Finish = std::function<void(const Outcome& outcome, Result& result)>;

// Runs `work` for the current session and reports through `finish`, once.
template <class Result>
void RunSessionOperation(const char* name, std::string arguments, Work<Result> work, Finish<Result> finish,
                         bool ordered = false) {
  OperationSpec spec;
  spec.name = name;
  spec.arguments = std::move(arguments);
  spec.session = CurrentSession();
  spec.ordered = ordered;
  auto result = std::make_shared<Result>();
  auto session = spec.session;
  StartOperation(
      std::move(spec),
      [session, result, work = std::move(work)] { return work(*session, *session->service(), *result); },
      [result, finish = std::move(finish)](const Outcome& outcome) { finish(outcome, *result); });
}

struct NoResult {};

// For completions of the form (bool ok, const std::string& error).
inline std::function<void(const Outcome&, NoResult&)> PlainFinish(
    std::function<void(bool, const std::string&)> completion) {
  return [completion = std::move(completion)](const Outcome& outcome, NoResult&) {
    if (completion) completion(outcome.ok, outcome.error);
  };
}

// The session's cache when a session is installed and signed in.
inline std::shared_ptr<Session> SessionForReads() {
  auto session = CurrentSession();
  return session && session->initialised() && !session->ended() ? session : nullptr;
}

template <class T, class Data>
std::vector<std::unique_ptr<T>> MakeAll(const std::vector<Data>& items) {
  std::vector<std::unique_ptr<T>> objects;
  objects.reserve(items.size());
  for (const Data& item : items) objects.push_back(std::make_unique<T>(item));
  return objects;
}

}  // namespace mireloom::detail
