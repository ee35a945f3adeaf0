#pragma once

#include <memory>
#include <string>

namespace mireloom {

// An integrated service of the team (tasks, calendar, mail, ...).
class Service final {
 public:
  struct Data {
    std::string service_id;
    std::string display_name;
    std::string avatar_url;    // name relative to the static-file address
    std::string service_type;  // module word
  };

  explicit Service(Data data) : m_data(std::move(data)) {}
  [[nodiscard]] std::unique_ptr<Service> Clone() const { return std::make_unique<Service>(*this); }

  [[nodiscard]] const std::string& service_id() const { return m_data.service_id; }
  [[nodiscard]] const std::string& display_name() const { return m_data.display_name; }
  [[nodiscard]] const std::string& avatar_url() const { return m_data.avatar_url; }
  [[nodiscard]] const std::string& service_type() const { return m_data.service_type; }
  [[nodiscard]] const Data& data() const { return m_data; }

 private:
  Data m_data;
};

}  // namespace mireloom
