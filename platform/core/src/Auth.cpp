#include "mireloom/Auth.h"

#include "ManagerSupport.h"

namespace mireloom {

using detail::Outcome;

Auth* Auth::SharedAuth() {
  static Auth* auth = new Auth;
  return auth;
}

void Auth::PostLoginRequest(const std::string& userName, const std::string& password, const std::string& teamId,
                            const std::string& teamSubdomain, LoginCompletion completion) {
  auto result = std::make_shared<service::LoginResult>();
  detail::RunOperation(
      "Auth::PostLoginRequest", userName + " " + teamId + " " + teamSubdomain, nullptr, false,
      [=] { return detail::EmbeddedService()->Login(userName, password, teamId, result.get()); },
      [result, completion](const Outcome& outcome) {
        if (!completion) return;
        if (!outcome.ok) {
          completion(false, outcome.code, nullptr, nullptr);
          return;
        }
        completion(true, outcome.code, std::make_unique<Token>(result->token), std::make_unique<User>(result->user));
      });
}

}  // namespace mireloom
