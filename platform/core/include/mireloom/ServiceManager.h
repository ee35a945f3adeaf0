#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Service.h"

namespace mireloom {

class ServiceManager final {
 public:
  static const ServiceManager* DefaultManager();

  void GetServices(std::function<void(bool ok, const std::string& error,
                                      std::vector<std::unique_ptr<Service>> services)>
                       completion) const;
  [[nodiscard]] std::vector<std::unique_ptr<Service>> FetchServicesFromCache() const;
  [[nodiscard]] std::unique_ptr<Service> FetchServiceFromCacheByServiceId(const std::string& serviceId) const;

 private:
  ServiceManager() = default;
};

}  // namespace mireloom
