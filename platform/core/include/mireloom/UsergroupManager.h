#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Usergroup.h"

namespace mireloom {

class UsergroupManager final {
 public:
  static const UsergroupManager* DefaultManager();

  // Refreshes the groups and their memberships; "" asks for every group.
  void GetUsergroups(const std::string& parentId,
                     std::function<void(bool ok, const std::string& error,
                                        std::vector<std::unique_ptr<Usergroup>> groups)>
                         completion) const;
  // In name order.
  [[nodiscard]] std::vector<std::unique_ptr<Usergroup>> FetchRootUsergroupsFromCache() const;
  [[nodiscard]] std::vector<std::unique_ptr<Usergroup>> FetchUsergroupsFromCacheByParentId(
      const std::string& parentId) const;

 private:
  UsergroupManager() = default;
};

class MembershipManager final {
 public:
  static const MembershipManager* DefaultManager();

  // The group's direct memberships of that type (kAllTypes: every one).
  [[nodiscard]] std::vector<std::unique_ptr<Membership>> FetchMembershipsFromCache(const std::string& usergroupId,
                                                                                   Membership::Type type) const;

 private:
  MembershipManager() = default;
};

}  // namespace mireloom
