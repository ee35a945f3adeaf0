#pragma once

// JSON forms of the service's records (store bodies).

#include "../Json.h"
#include "ServiceModel.h"

namespace mireloom::testing {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(FeedbackRecord, client_type, client_version, description, title,
                                                web_api_version, uid, time)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PhoneCall, call_id, caller, callees, state, requested,
                                                phone_numbers)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(LoginAttempt, user_name, team_id, code)
}  // namespace mireloom::testing

namespace mireloom::service {
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(TeamInfo, id, subdomain, name, answering, robot, notifier)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(VersionRecord, version, name, notes, force, release_time, url,
                                                checksum)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Account, team, user, password, initial_password, initial, order)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ChannelMember, uid, enabled, muted)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ChannelRecord, team, channel, members, order)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ImRecord, team, id, a, b, open_a, open_b, muted_a, muted_b)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(MessageRecord, seq, team, message)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(EntityRecord, team, entity, shared_in, uploaded)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(TokenRecord, api_token, web_token, team, uid, revoked)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(CallRecord, team, call, created_at)
}  // namespace mireloom::service
