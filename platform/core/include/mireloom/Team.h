#pragma once

#include <memory>
#include <string>

namespace mireloom {

class Team final {
 public:
  Team(const std::string& id, const std::string& subdomain, const std::string& name)
      : m_id(id), m_subdomain(subdomain), m_name(name) {}

  [[nodiscard]] std::unique_ptr<Team> Clone() const { return std::make_unique<Team>(*this); }

  [[nodiscard]] const std::string& team_id() const { return m_id; }
  // The first label of the team's host.
  [[nodiscard]] const std::string& team_subdomain() const { return m_subdomain; }
  [[nodiscard]] const std::string& team_name() const { return m_name; }

 private:
  std::string m_id;
  std::string m_subdomain;
  std::string m_name;
};

// The credentials of a signed-in session.
class Token final {
 public:
  struct Data {
    std::string web_token;  // value of the team's session cookie
    std::string api_token;  // credentials of the session's requests
  };

  explicit Token(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Token> Clone() const { return std::make_unique<Token>(*this); }

  [[nodiscard]] const std::string& web_token() const { return m_data.web_token; }
  [[nodiscard]] const std::string& api_token() const { return m_data.api_token; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
