#pragma once

#include <memory>
#include <string>

namespace mireloom {

// A group of the team's organisation tree.
class Usergroup final {
 public:
  struct Data {
    std::string usergroup_id;
    std::string name;
    std::string parent_id;  // "" for a root group
    int num_users = 0;      // memberships of the group
  };

  explicit Usergroup(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Usergroup> Clone() const { return std::make_unique<Usergroup>(*this); }

  [[nodiscard]] const std::string& usergroup_id() const { return m_data.usergroup_id; }
  [[nodiscard]] const std::string& name() const { return m_data.name; }
  [[nodiscard]] const std::string& parent_id() const { return m_data.parent_id; }
  [[nodiscard]] int num_users() const { return m_data.num_users; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

// A user's place in a group.
class Membership final {
 public:
  enum Type : int { kAllTypes = 0, kMember = 1, kManager = 2 };

  struct Data {
    std::string usergroup_id;
    std::string uid;
    int type = kMember;
  };

  explicit Membership(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Membership> Clone() const { return std::make_unique<Membership>(*this); }

  [[nodiscard]] const std::string& usergroup_id() const { return m_data.usergroup_id; }
  [[nodiscard]] const std::string& uid() const { return m_data.uid; }
  [[nodiscard]] Type type() const { return static_cast<Type>(m_data.type); }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
