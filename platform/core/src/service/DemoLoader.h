#pragma once

// Builds the service's state from the demo files: "service.json" (the client
// version record and the team folders) and, per team folder, JSON files whose
// lists are joined (team, users, groups, services, channels, ims, entities,
// conversations). Times are absolute ("2015-03-03 10:00", local time) or
// relative to the day the store is built ({"day": -1, "time": "09:05"}).

#include <cstdint>
#include <string>
#include <vector>

namespace mireloom::service {

class ServiceModel;

class DemoLoader final {
 public:
  // now: the service's current time; the build day is its local date.
  explicit DemoLoader(int64_t now) : m_now(now) {}

  // The demo files' contents, for telling whether the store is still current.
  [[nodiscard]] static std::string Fingerprint(const std::wstring& demoFolder);
  // Fills the model from the folder; false when the folder holds no demo.
  bool LoadFolder(const std::wstring& demoFolder, ServiceModel& model);
  // Fills the model from one JSON text holding "version" and a "teams" list
  // of team objects.
  bool LoadInline(const std::string& json, ServiceModel& model);

 private:
  int64_t m_now;
};

// 16 lower-case hex characters derived from the text (avatar and storage keys).
std::string HexKey(const std::string& text);

}  // namespace mireloom::service
