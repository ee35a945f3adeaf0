#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/User.h"

namespace mireloom {

class UserStatusHandler;

class UserManager final {
 public:
  static const UserManager* DefaultManager();

  void GetTeamMembers(
      std::function<void(bool ok, const std::string& error, std::vector<std::unique_ptr<User>> users)> completion)
      const;
  void GetUsersStatus(std::function<void(bool ok, const std::string& error)> completion) const;

  // Every cached user, in team order.
  [[nodiscard]] std::vector<std::unique_ptr<User>> FetchUsersFromCache() const;
  [[nodiscard]] std::vector<std::unique_ptr<User>> FetchUsersExceptStateFromCache(User::State state) const;
  [[nodiscard]] std::unique_ptr<User> FetchUserFromCacheByUid(const std::string& uid) const;
  // Users in no group, leaving out robots and users who left the team.
  [[nodiscard]] std::vector<std::unique_ptr<User>> FetchUsersFromCacheWithoutUsergroup() const;

  void AddUserStatusHandler(UserStatusHandler* handler) const;
  void RemoveUserStatusHandler(UserStatusHandler* handler) const;

 private:
  UserManager() = default;
};

}  // namespace mireloom
