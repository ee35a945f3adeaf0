#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mireloom {

// Phone calls placed by the service.
class CallManager final {
 public:
  static const CallManager* DefaultManager();

  using CallCompletion = std::function<void(bool ok, const std::string& error, std::string callId)>;

  // The callee must exist, not be a robot and have a phone number.
  void MakeCallByUid(const std::string& uid, CallCompletion completion) const;
  // At least two distinct known users (duplicates ignored), none a robot.
  void MakeGroupCall(const std::vector<std::string>& uids, const std::vector<std::string>& phoneNumbers,
                     CallCompletion completion) const;
  void CancelCallById(const std::string& callId, std::function<void(bool ok, const std::string& error)> completion) const;

 private:
  CallManager() = default;
};

}  // namespace mireloom
