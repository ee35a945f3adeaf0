#include "mireloom/CallManager.h"

#include "ManagerSupport.h"

namespace mireloom {

using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;

namespace {

std::function<void(const Outcome&, std::string&)> CallFinish(CallManager::CallCompletion completion) {
  return [completion = std::move(completion)](const Outcome& outcome, std::string& callId) {
    if (completion) completion(outcome.ok, outcome.error, outcome.ok ? callId : std::string());
  };
}

}  // namespace

const CallManager* CallManager::DefaultManager() {
  static CallManager* manager = new CallManager;
  return manager;
}

void CallManager::MakeCallByUid(const std::string& uid, CallCompletion completion) const {
  RunSessionOperation<std::string>(
      "CallManager::MakeCallByUid", uid,
      [uid](Session& session, service::DemoService& service, std::string& callId) {
        return service.MakeCall(session.api_token(), uid, &callId);
      },
      CallFinish(std::move(completion)));
}

void CallManager::MakeGroupCall(const std::vector<std::string>& uids, const std::vector<std::string>& phoneNumbers,
                                CallCompletion completion) const {
  std::string arguments;
  for (const auto& uid : uids) arguments += uid + " ";
  RunSessionOperation<std::string>(
      "CallManager::MakeGroupCall", arguments,
      [uids, phoneNumbers](Session& session, service::DemoService& service, std::string& callId) {
        return service.MakeGroupCall(session.api_token(), uids, phoneNumbers, &callId);
      },
      CallFinish(std::move(completion)));
}

void CallManager::CancelCallById(const std::string& callId,
                                 std::function<void(bool, const std::string&)> completion) const {
  RunSessionOperation<NoResult>(
      "CallManager::CancelCallById", callId,
      [callId](Session& session, service::DemoService& service, NoResult&) {
        return service.CancelCall(session.api_token(), callId);
      },
      detail::PlainFinish(std::move(completion)));
}

}  // namespace mireloom
