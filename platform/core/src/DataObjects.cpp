// Behaviour of the data objects beyond their accessors.

#include <mutex>

#include "Json.h"
#include "mireloom/Entity.h"
#include "mireloom/Message.h"
#include "mireloom/WebApiSetting.h"

namespace mireloom {

std::unique_ptr<Message> Message::TextMessageForChannel(const std::string& channelId, const std::string& text) {
  Data data;
  data.channel_id = channelId;
  data.channel_type = kChannelMessage;
  data.content = text;
  return std::make_unique<Message>(std::move(data));
}

std::unique_ptr<Message> Message::TextMessageForIM(const std::string& imId, const std::string& toUid,
                                                   const std::string& text) {
  Data data;
  data.channel_id = imId;
  data.channel_type = kDirectMessage;
  data.to_uid = toUid;
  data.content = text;
  return std::make_unique<Message>(std::move(data));
}

std::unique_ptr<Attachment> Message::GetAttachment() const {
  if (!m_data.has_attachment) return nullptr;
  return std::make_unique<Attachment>(m_data.attachment);
}

Entity::Entity(Data data) : m_data(std::move(data)) { BuildComments(); }

Entity::Entity(const Entity& other) : m_data(other.m_data) { BuildComments(); }

Entity& Entity::operator=(const Entity& other) {
  if (this != &other) {
    m_data = other.m_data;
    BuildComments();
  }
  return *this;
}

void Entity::BuildComments() {
  m_comments.clear();
  for (const Comment::Data& comment : m_data.comments) m_comments.push_back(std::make_unique<Comment>(comment));
}

bool Entity::InitWithJsonOrDie(const std::string& json) {
  Data parsed;
  if (!detail::FromJsonText(json, &parsed) || parsed.entity_id.empty()) return false;
  m_data = std::move(parsed);
  BuildComments();
  return true;
}

namespace detail {

std::string EntityShareJson(const Entity::Data& entity) {
  Entity::Data shared = entity;
  shared.comments.clear();
  nlohmann::json json = shared;
  json.erase("comments");
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace detail

namespace {

std::mutex& SettingMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

std::unique_ptr<WebApiSetting>& SettingInstance() {
  static auto* instance = new std::unique_ptr<WebApiSetting>;
  return *instance;
}

}  // namespace

void WebApiSetting::ResetInstance(WebApiSetting* setting) {
  std::unique_ptr<WebApiSetting> previous;
  std::lock_guard<std::mutex> lock(SettingMutex());
  previous = std::move(SettingInstance());
  SettingInstance().reset(setting);
}

const WebApiSetting* WebApiSetting::Instance() {
  std::lock_guard<std::mutex> lock(SettingMutex());
  return SettingInstance().get();
}

}  // namespace mireloom
