#pragma once

#include <string>

namespace mireloom {

// What the client reports with its requests.
class WebApiSetting final {
 public:
  WebApiSetting(const std::string& apiVersion, const std::string& requestNo, const std::string& clientChannel)
      : m_api_version(apiVersion), m_request_no(requestNo), m_client_channel(clientChannel) {}

  // Takes ownership of the setting and deletes the previous one.
  static void ResetInstance(WebApiSetting* setting);
  // The current setting; null before the first ResetInstance. Valid until the
  // next ResetInstance.
  static const WebApiSetting* Instance();

  [[nodiscard]] const std::string& api_version() const { return m_api_version; }
  [[nodiscard]] const std::string& request_no() const { return m_request_no; }
  [[nodiscard]] const std::string& client_channel() const { return m_client_channel; }

 private:
  std::string m_api_version;
  std::string m_request_no;
  std::string m_client_channel;
};

}  // namespace mireloom
