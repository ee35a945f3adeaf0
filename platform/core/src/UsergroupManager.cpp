#include "mireloom/UsergroupManager.h"

#include <algorithm>

#include "ManagerSupport.h"

namespace mireloom {

using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

namespace {

std::vector<std::unique_ptr<Usergroup>> GroupsWithParent(const std::string& parentId) {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<Usergroup::Data> groups = session->cache().Groups();
  groups.erase(std::remove_if(groups.begin(), groups.end(),
                              [&](const Usergroup::Data& group) { return group.parent_id != parentId; }),
               groups.end());
  std::stable_sort(groups.begin(), groups.end(), [](const Usergroup::Data& a, const Usergroup::Data& b) {
    return a.name != b.name ? a.name < b.name : a.usergroup_id < b.usergroup_id;
  });
  return detail::MakeAll<Usergroup>(groups);
}

}  // namespace

const UsergroupManager* UsergroupManager::DefaultManager() {
  static UsergroupManager* manager = new UsergroupManager;
  return manager;
}

void UsergroupManager::GetUsergroups(
    const std::string& parentId,
    std::function<void(bool, const std::string&, std::vector<std::unique_ptr<Usergroup>>)> completion) const {
  using Result = std::vector<Usergroup::Data>;
  RunSessionOperation<Result>(
      "UsergroupManager::GetUsergroups", parentId,
      [parentId](Session& session, service::DemoService& service, Result& groups) {
        // The cache always holds the whole tree; the answer is the part asked for.
        std::vector<Membership::Data> memberships;
        Outcome outcome = service.Groups(session.api_token(), "", &groups, &memberships);
        if (!outcome.ok) return outcome;
        session.cache().ReplaceGroups(groups, memberships);
        if (!parentId.empty()) {
          groups.erase(std::remove_if(groups.begin(), groups.end(),
                                      [&](const Usergroup::Data& group) { return group.parent_id != parentId; }),
                       groups.end());
        }
        return outcome;
      },
      [completion](const Outcome& outcome, Result& groups) {
        if (completion) completion(outcome.ok, outcome.error, detail::MakeAll<Usergroup>(outcome.ok ? groups : Result()));
      });
}

std::vector<std::unique_ptr<Usergroup>> UsergroupManager::FetchRootUsergroupsFromCache() const {
  return GroupsWithParent("");
}

std::vector<std::unique_ptr<Usergroup>> UsergroupManager::FetchUsergroupsFromCacheByParentId(
    const std::string& parentId) const {
  // "" would be the roots, which have their own call.
  return parentId.empty() ? std::vector<std::unique_ptr<Usergroup>>() : GroupsWithParent(parentId);
}

const MembershipManager* MembershipManager::DefaultManager() {
  static MembershipManager* manager = new MembershipManager;
  return manager;
}

std::vector<std::unique_ptr<Membership>> MembershipManager::FetchMembershipsFromCache(const std::string& usergroupId,
                                                                                      Membership::Type type) const {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<Membership::Data> memberships;
  for (const auto& membership : session->cache().Memberships()) {
    if (membership.usergroup_id != usergroupId) continue;
    if (type == Membership::kAllTypes || membership.type == type) memberships.push_back(membership);
  }
  return detail::MakeAll<Membership>(memberships);
}

}  // namespace mireloom
