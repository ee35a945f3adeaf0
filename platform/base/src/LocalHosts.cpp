#include "LocalHosts.h"

#include <cctype>
#include <map>
#include <mutex>

namespace quennet {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string WithoutPort(std::string host) {
  const size_t colon = host.find(':');
  if (colon != std::string::npos) host.erase(colon);
  return host;
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, LocalHandler> handlers;
};

Registry& GetRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

void RegisterLocalHost(const std::string& host_or_suffix, LocalHandler handler) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.handlers[Lower(WithoutPort(host_or_suffix))] = std::move(handler);
}

void UnregisterLocalHost(const std::string& host_or_suffix) {
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.handlers.erase(Lower(WithoutPort(host_or_suffix)));
}

bool IsLocalHost(const std::string& host) { return !host.empty() && detail::FindLocalHandler(host) != nullptr; }

namespace detail {

LocalHandler FindLocalHandler(const std::string& host) {
  const std::string wanted = Lower(WithoutPort(host));
  Registry& registry = GetRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  // The longest registered name that is the host itself or one of its parents.
  for (size_t start = 0; start != std::string::npos;) {
    auto found = registry.handlers.find(wanted.substr(start));
    if (found != registry.handlers.end()) return found->second;
    const size_t dot = wanted.find('.', start);
    start = dot == std::string::npos ? dot : dot + 1;
  }
  return {};
}

}  // namespace detail
}  // namespace quennet
