#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mireloom {

class User final {
 public:
  enum State : int { kActive = 0, kInvited = 1, kDisabled = 2 };
  enum Status : int { kOffline = 0, kOnline = 1, kBusy = 2, kAway = 3 };
  enum Role : int { kGuest = 1, kMember = 2, kAdmin = 3, kOwner = 4 };

  struct Data {
    std::string uid;
    std::string username;  // ASCII log-in name
    std::string display_name;
    std::string pinyin;      // lower-case latin spelling of the name
    std::string header_uri;  // avatar source; may be empty
    bool bot = false;
    int role = kMember;
    int state = kActive;
    int status = kOffline;  // last known presence
    std::string phone_number;  // empty: cannot be called
    std::string email;
    std::string department;
    std::string job_title;
    std::vector<int> team_permissions;
    std::vector<int> chat_module_permissions;
  };

  explicit User(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<User> Clone() const { return std::make_unique<User>(*this); }

  [[nodiscard]] const std::string& uid() const { return m_data.uid; }
  [[nodiscard]] const std::string& username() const { return m_data.username; }
  [[nodiscard]] const std::string& display_name() const { return m_data.display_name; }
  [[nodiscard]] const std::string& pinyin() const { return m_data.pinyin; }
  [[nodiscard]] const std::string& header_uri() const { return m_data.header_uri; }
  [[nodiscard]] bool IsBot() const { return m_data.bot; }
  [[nodiscard]] int role() const { return m_data.role; }
  [[nodiscard]] State state() const { return static_cast<State>(m_data.state); }
  [[nodiscard]] Status status() const { return static_cast<Status>(m_data.status); }
  [[nodiscard]] const std::string& phone_number() const { return m_data.phone_number; }
  [[nodiscard]] const std::string& email() const { return m_data.email; }
  [[nodiscard]] const std::string& department() const { return m_data.department; }
  [[nodiscard]] const std::string& job_title() const { return m_data.job_title; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
