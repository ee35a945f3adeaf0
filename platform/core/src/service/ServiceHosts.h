#pragma once

// The web addresses of the embedded service, answered in-process for both
// HTTP clients: avatars and static pictures on the storage host, and file
// downloads, their redirects and thumbnails on the file host.

#include <memory>
#include <string>

#include "quennet/HttpClient.h"

namespace mireloom::service {

class DemoService;

class ServiceHosts final {
 public:
  // Registers the deployment domain with the base library's HTTP client.
  static void Register(std::weak_ptr<DemoService> service);
  static void Unregister();

  // Test scripts for addresses under the domain.
  static void Script(const std::string& urlPrefix, int status, const quennet::HeaderMap& headers,
                     const std::string& body, bool transportFailure);
  static void ClearScripts();

 private:
  static std::unique_ptr<quennet::HttpResponse> Answer(const std::shared_ptr<DemoService>& service,
                                                       const quennet::HttpRequest& request);
};

}  // namespace mireloom::service
