#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mireloom/Team.h"
#include "mireloom/User.h"

namespace mireloom {

class Auth final {
 public:
  // Never null.
  static Auth* SharedAuth();

  // ok with 200 (signed in) or 201 (the account must set its initial password
  // first; the token is good for that). Failures: -1 unreachable, 8000 wrong
  // user name or password, 8001 account disabled, 404 unknown team.
  using LoginCompletion =
      std::function<void(bool ok, int64_t code, std::unique_ptr<Token> token, std::unique_ptr<User> user)>;
  void PostLoginRequest(const std::string& userName, const std::string& password, const std::string& teamId,
                        const std::string& teamSubdomain, LoginCompletion completion);

 private:
  Auth() = default;
};

}  // namespace mireloom
