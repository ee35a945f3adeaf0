#include "mireloom/ServiceManager.h"

#include "ManagerSupport.h"

namespace mireloom {

using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

const ServiceManager* ServiceManager::DefaultManager() {
  static ServiceManager* manager = new ServiceManager;
  return manager;
}

void ServiceManager::GetServices(
    std::function<void(bool, const std::string&, std::vector<std::unique_ptr<Service>>)> completion) const {
  using Result = std::vector<Service::Data>;
  RunSessionOperation<Result>(
      "ServiceManager::GetServices", "",
      [](Session& session, service::DemoService& service, Result& services) {
        Outcome outcome = service.Services(session.api_token(), &services);
        if (outcome.ok) session.cache().ReplaceServices(services);
        return outcome;
      },
      [completion](const Outcome& outcome, Result& services) {
        if (completion) completion(outcome.ok, outcome.error, detail::MakeAll<Service>(outcome.ok ? services : Result()));
      });
}

std::vector<std::unique_ptr<Service>> ServiceManager::FetchServicesFromCache() const {
  auto session = SessionForReads();
  return session ? detail::MakeAll<Service>(session->cache().Services()) : std::vector<std::unique_ptr<Service>>();
}

std::unique_ptr<Service> ServiceManager::FetchServiceFromCacheByServiceId(const std::string& serviceId) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  for (const auto& service : session->cache().Services()) {
    if (service.service_id == serviceId) return std::make_unique<Service>(service);
  }
  return nullptr;
}

}  // namespace mireloom
