#pragma once

// JSON forms of the data objects: the bodies of the stores' records, the demo
// files and Entity::InitWithJsonOrDie. Missing fields keep their defaults.

#include <nlohmann/json.hpp>

#include "mireloom/Attachment.h"
#include "mireloom/Channel.h"
#include "mireloom/Entity.h"
#include "mireloom/IM.h"
#include "mireloom/Message.h"
#include "mireloom/Service.h"
#include "mireloom/Team.h"
#include "mireloom/User.h"
#include "mireloom/Usergroup.h"

namespace mireloom {

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(User::Data, uid, username, display_name, pinyin, header_uri, bot, role,
                                                state, status, phone_number, email, department, job_title,
                                                team_permissions, chat_module_permissions)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Token::Data, web_token, api_token)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Channel::Data, channel_id, channel_name, pinyin, preferred_color,
                                                hex_color, visibility, general, created_at, creator_uid, purpose,
                                                is_member, is_enabled, is_muted)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(IM::Data, im_id, to_uid, is_open, is_muted)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Attachment::Field, title, value, is_short)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Attachment::Data, pretext, color, title, title_link, author_name,
                                                author_link, text, fields)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Message::Data, message_id, channel_id, channel_type, to_uid, content,
                                                timestamp, content_type, sender_type, uid, entity_json,
                                                has_attachment, attachment)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Comment::Data, comment_id, entity_id, creator_uid, created_at, content)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Entity::Data, entity_id, entity_type, title, path, file_extension,
                                                thumb_width, thumb_height, created_at, creator_uid, file_size, content,
                                                snippet_type, subject, from, public_url, summary, comments)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Service::Data, service_id, display_name, avatar_url, service_type)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Usergroup::Data, usergroup_id, name, parent_id, num_users)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Membership::Data, usergroup_id, uid, type)

namespace detail {

// Parses a record body; false (and `out` unchanged) for bad JSON or wrong types.
template <class T>
bool FromJsonText(const std::string& text, T* out) {
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded() || !json.is_object()) return false;
  try {
    T value = json.get<T>();
    *out = std::move(value);
    return true;
  } catch (const nlohmann::json::exception&) {
    return false;
  }
}

template <class T>
std::string ToJsonText(const T& value) {
  return nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The JSON of an entity as a share message carries it: without its comments.
std::string EntityShareJson(const Entity::Data& entity);

}  // namespace detail
}  // namespace mireloom
