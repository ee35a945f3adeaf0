#include "mireloom/UserManager.h"

#include <algorithm>
#include <set>

#include "ManagerSupport.h"
#include "mireloom/Handlers.h"

namespace mireloom {

using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

const UserManager* UserManager::DefaultManager() {
  static UserManager* manager = new UserManager;
  return manager;
}

void UserManager::GetTeamMembers(
    std::function<void(bool, const std::string&, std::vector<std::unique_ptr<User>>)> completion) const {
  using Result = std::vector<User::Data>;
  RunSessionOperation<Result>(
      "UserManager::GetTeamMembers", "",
      [](Session& session, service::DemoService& service, Result& users) {
        Outcome outcome = service.Users(session.api_token(), &users);
        if (outcome.ok) session.cache().ReplaceUsers(users);
        return outcome;
      },
      [completion](const Outcome& outcome, Result& users) {
        if (completion) completion(outcome.ok, outcome.error, detail::MakeAll<User>(outcome.ok ? users : Result()));
      });
}

void UserManager::GetUsersStatus(std::function<void(bool, const std::string&)> completion) const {
  RunSessionOperation<NoResult>(
      "UserManager::GetUsersStatus", "",
      [](Session& session, service::DemoService& service, NoResult&) {
        std::map<std::string, int> statuses;
        Outcome outcome = service.Statuses(session.api_token(), &statuses);
        if (!outcome.ok) return outcome;
        for (const auto& entry : statuses) session.DeliverStatus(entry.first, entry.second);
        outcome.after_listeners = true;
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

std::vector<std::unique_ptr<User>> UserManager::FetchUsersFromCache() const {
  auto session = SessionForReads();
  return session ? detail::MakeAll<User>(session->cache().Users()) : std::vector<std::unique_ptr<User>>();
}

std::vector<std::unique_ptr<User>> UserManager::FetchUsersExceptStateFromCache(User::State state) const {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<User::Data> users = session->cache().Users();
  users.erase(std::remove_if(users.begin(), users.end(), [state](const User::Data& user) { return user.state == state; }),
              users.end());
  return detail::MakeAll<User>(users);
}

std::unique_ptr<User> UserManager::FetchUserFromCacheByUid(const std::string& uid) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  auto user = session->cache().FindUser(uid);
  return user ? std::make_unique<User>(std::move(*user)) : nullptr;
}

std::vector<std::unique_ptr<User>> UserManager::FetchUsersFromCacheWithoutUsergroup() const {
  auto session = SessionForReads();
  if (!session) return {};
  std::set<std::string> grouped;
  for (const auto& membership : session->cache().Memberships()) grouped.insert(membership.uid);
  std::vector<User::Data> users = session->cache().Users();
  users.erase(std::remove_if(users.begin(), users.end(),
                             [&](const User::Data& user) {
                               return grouped.count(user.uid) || user.bot || user.state == User::kDisabled;
                             }),
              users.end());
  return detail::MakeAll<User>(users);
}

void UserManager::AddUserStatusHandler(UserStatusHandler* handler) const { detail::StatusHandlers().Add(handler); }
void UserManager::RemoveUserStatusHandler(UserStatusHandler* handler) const {
  detail::StatusHandlers().Remove(handler);
}

}  // namespace mireloom
