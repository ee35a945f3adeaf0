#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "mireloom/Feedback.h"
#include "mireloom/WebApiSetting.h"

namespace quennet {
class HttpRequest;
}

namespace mireloom {

// The service's web interface: requests that need no session, and the few a
// session makes outside the managers.
class WebApi final {
 public:
  // Never null.
  static WebApi* Api();

  // Copies what it needs; requests work without it too.
  void InitWithConfiguration(const WebApiSetting& setting);

  using ClientVersionCompletion =
      std::function<void(bool ok, int64_t code, int64_t version, const std::string& versionName,
                         const std::string& releaseNotes, bool forceUpdate, int64_t releaseTime,
                         const std::string& downloadUrl, const std::string& checksum)>;
  void GetClientVersion(bool includePrerelease, ClientVersionCompletion completion);

  // Completion values in the order id, name, subdomain.
  using TeamLiteCompletion = std::function<void(bool ok, int64_t code, const std::string& teamId,
                                                const std::string& teamName, const std::string& teamSubdomain,
                                                bool active)>;
  void GetTeamLiteBySubdomain(const std::string& subdomain, TeamLiteCompletion completion);

  // Replaces the initial password of the installed director's account.
  // Codes: 200 ok, -1 unreachable, 401 no session, 8002 refused.
  void PutInitPassword(const std::string& password, std::function<void(bool ok, int64_t code)> completion);

  void PostFeedback(const Feedback& feedback, std::function<void(bool ok, const std::string& error)> completion);

  // A request of the base library carrying the signed-in team's credentials;
  // null without a signed-in team.
  std::unique_ptr<quennet::HttpRequest> GenBaseRequestForCurrentTeam(int requestType);

  [[nodiscard]] std::string api_version() const;
  [[nodiscard]] std::string client_channel() const;

 private:
  WebApi() = default;
};

}  // namespace mireloom
