#pragma once

#include <string>

#include "mireloom/Types.h"

namespace mireloom {

class Feedback final {
 public:
  void set_client_type(ClientType type) { m_client_type = type; }
  void set_client_version(const std::string& version) { m_client_version = version; }
  void set_description(const std::string& description) { m_description = description; }
  void set_title(const std::string& title) { m_title = title; }
  void set_web_api_version(const std::string& version) { m_web_api_version = version; }

  [[nodiscard]] ClientType client_type() const { return m_client_type; }
  [[nodiscard]] const std::string& client_version() const { return m_client_version; }
  [[nodiscard]] const std::string& description() const { return m_description; }
  [[nodiscard]] const std::string& title() const { return m_title; }
  [[nodiscard]] const std::string& web_api_version() const { return m_web_api_version; }

 private:
  ClientType m_client_type = kClientTypeWindows;
  std::string m_client_version;
  std::string m_description;
  std::string m_title;
  std::string m_web_api_version;
};

}  // namespace mireloom
