#pragma once

// One team of the demo, from its description (the lists of its files joined)
// into the service's model: accounts, groups, services, files, channels and
// one-to-one conversations with their messages and counts.

#include <cstdint>

#include <nlohmann/json.hpp>

namespace mireloom::service {

class ServiceModel;

// now: the service's current time; relative demo times count from its day,
// moved back a day when the day's latest demo time has not come yet.
void BuildTeam(ServiceModel& model, int64_t now, const nlohmann::json& team);

}  // namespace mireloom::service
