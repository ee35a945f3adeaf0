#include "TeamBuilder.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include "../Json.h"
#include "DemoLoader.h"
#include "quennet/EventLog.h"
#include "ServiceJson.h"
#include "ServiceModel.h"

namespace mireloom::service {
namespace {

using nlohmann::json;

constexpr int64_t kDay = 86400;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string ShareText(int type, const std::string& title) {
  switch (type) {
    case Entity::kImage: return "分享了图片: " + title;
    case Entity::kDocument: return "分享了文档: " + title;
    case Entity::kSnippet: return "分享了代码片段: " + title;
    default: return "分享了文件: " + title;
  }
}

// Builds one team from its merged description.
class TeamBuilder final {
 public:
  TeamBuilder(ServiceModel& model, int64_t now) : m_model(model), m_now(now), m_base_day(LocalMidnight(now)) {}

  void Build(const json& team) {
    // Nothing of the demo lies in the future: before the day's latest demo
    // time, "today" is the day before.
    const int64_t latest = LatestRelative(team);
    while (m_base_day + latest > m_now) m_base_day -= kDay;
    m_team = team.at("team").get<TeamInfo>();
    m_model.teams[m_team.id] = m_team;
    AddUsers(team.value("users", json::array()));
    AddGroups(team.value("groups", json::array()));
    AddServices(team.value("services", json::array()));
    AddEntities(team.value("entities", json::array()));
    AddChannels(team.value("channels", json::array()));
    AddIms(team.value("ims", json::array()));
    AddRobotIms(team.value("robot", std::string()));
    for (const auto& conversation : team.value("conversations", json::array())) {
      AddMessages(conversation.at("id").get<std::string>(), conversation.value("messages", json::array()));
    }
    PostMessages();
  }

 private:
  struct Pending {
    Message::Data message;
    std::string entity;
  };

  // The latest {"day", "time"} of the description, as seconds after the base day.
  static int64_t LatestRelative(const json& item) {
    int64_t latest = INT64_MIN;
    if (item.is_object() && item.contains("day") && item.contains("time") && item.at("time").is_string()) {
      int hour = 0, minute = 0;
      sscanf(item.at("time").get<std::string>().c_str(), "%d:%d", &hour, &minute);
      latest = item.value("day", int64_t{0}) * kDay + hour * 3600 + minute * 60;
    }
    if (item.is_structured()) {
      for (const auto& child : item) latest = std::max(latest, LatestRelative(child));
    }
    return latest;
  }

  static int64_t LocalMidnight(int64_t now) {
    time_t seconds = static_cast<time_t>(now);
    tm local = *localtime(&seconds);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    return static_cast<int64_t>(mktime(&local));
  }

  int64_t At(const json& at, int64_t fallback) const {
    if (at.is_string()) {
      tm local = {};
      int year = 0, month = 0, day = 0, hour = 0, minute = 0;
      if (sscanf(at.get<std::string>().c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) != 5) {
        return fallback;
      }
      local.tm_year = year - 1900;
      local.tm_mon = month - 1;
      local.tm_mday = day;
      local.tm_hour = hour;
      local.tm_min = minute;
      local.tm_isdst = -1;
      return static_cast<int64_t>(mktime(&local));
    }
    if (!at.is_object()) return fallback;
    int hour = 9, minute = 0;
    sscanf(at.value("time", std::string("09:00")).c_str(), "%d:%d", &hour, &minute);
    return m_base_day + at.value("day", int64_t{0}) * kDay + hour * 3600 + minute * 60;
  }

  // Evenly spaced times from "first" to "last" of a repeated item.
  std::vector<int64_t> Spread(const json& item, int count) const {
    const int64_t first = At(item.value("first", json{{"day", -30}}), m_now - 30 * kDay);
    const int64_t last = At(item.value("last", json{{"day", -1}}), m_now - kDay);
    std::vector<int64_t> times;
    for (int i = 0; i < count; ++i) times.push_back(count > 1 ? first + (last - first) * i / (count - 1) : first);
    return times;
  }

  void AddUsers(const json& users) {
    int index = 0;
    for (const auto& item : users) {
      Account account;
      account.team = m_team.id;
      account.user = item.get<User::Data>();
      account.order = index++;
      if (!item.contains("header_uri")) account.user.header_uri = HexKey(m_team.id + account.user.uid);
      if (!item.contains("phone_number") && !account.user.bot) {
        char phone[16];
        snprintf(phone, sizeof phone, "555 01%02d", index);
        account.user.phone_number = phone;
      }
      if (!item.contains("email") && !account.user.username.empty()) {
        account.user.email = account.user.username + "@corvanel.test";
      }
      if (item.contains("initial_password")) {
        account.initial_password = true;
        account.initial = item.at("initial_password").get<std::string>();
        account.password = account.initial;
      } else {
        account.password = item.value("password", std::string("demo1234"));
      }
      m_model.accounts[m_team.id + "/" + account.user.uid] = account;
    }
  }

  void AddGroups(const json& groups) {
    for (const auto& item : groups) {
      Usergroup::Data group;
      group.usergroup_id = item.at("id").get<std::string>();
      group.name = item.at("name").get<std::string>();
      group.parent_id = item.value("parent", std::string());
      for (const auto& member : item.value("members", json::array())) {
        Membership::Data membership;
        membership.usergroup_id = group.usergroup_id;
        membership.uid = member.is_string() ? member.get<std::string>() : member.at("uid").get<std::string>();
        membership.type = member.is_object() ? member.value("type", int{Membership::kMember}) : Membership::kMember;
        m_model.memberships.emplace_back(m_team.id, membership);
        ++group.num_users;
      }
      m_model.groups[group.usergroup_id] = {m_team.id, group};
    }
  }

  void AddServices(const json& services) {
    for (const auto& item : services) {
      Service::Data service;
      service.service_id = item.at("id").get<std::string>();
      service.display_name = item.value("name", std::string());
      service.service_type = item.value("type", std::string());
      service.avatar_url = item.value("avatar", "service-" + service.service_type + ".png");
      m_model.services[service.service_id] = {m_team.id, service};
    }
  }

  void AddEntity(const json& item, const std::string& number, int64_t created) {
    EntityRecord record;
    record.team = m_team.id;
    Entity::Data& entity = record.entity;
    entity.entity_id = Replace(item.at("id").get<std::string>(), "{n}", number);
    entity.entity_type = item.value("type", int{Entity::kFile});
    entity.title = Replace(item.value("title", std::string()), "{n}", number);
    const size_t dot = entity.title.rfind('.');
    entity.file_extension = item.value("ext", dot == std::string::npos ? std::string() : entity.title.substr(dot + 1));
    entity.path = HexKey(m_team.id + "/" + entity.entity_id);
    entity.thumb_width = item.value("width", 0);
    entity.thumb_height = item.value("height", 0);
    entity.created_at = created;
    entity.creator_uid = item.value("creator", std::string());
    entity.file_size = item.value("size", int64_t{0});
    entity.content = item.value("content", std::string());
    entity.snippet_type = item.value("snippet_type", std::string());
    entity.subject = item.value("subject", std::string());
    entity.from = item.value("from", std::string());
    entity.public_url = item.value("public_url", std::string());
    entity.summary = item.value("summary", std::string());
    if (entity.file_size == 0 && !entity.content.empty()) entity.file_size = static_cast<int64_t>(entity.content.size());
    for (const auto& comment : item.value("comments", json::array())) {
      Comment::Data data;
      data.comment_id = "cmt-" + HexKey(entity.entity_id + std::to_string(entity.comments.size())).substr(0, 8);
      data.entity_id = entity.entity_id;
      data.creator_uid = comment.value("from", std::string());
      data.content = comment.value("text", std::string());
      data.created_at = At(comment.value("at", json()), created + 60 * static_cast<int64_t>(entity.comments.size() + 1));
      entity.comments.push_back(data);
    }
    for (const auto& conversation : item.value("post_in", json::array())) {
      Pending share;
      share.message.channel_id = conversation.get<std::string>();
      share.message.uid = entity.creator_uid;
      share.message.timestamp = created;
      share.message.content_type = entity.entity_type == Entity::kImage ? Message::kImageShare
                                   : entity.entity_type == Entity::kDocument ? Message::kDocumentShare
                                   : entity.entity_type == Entity::kSnippet ? Message::kSnippetShare
                                                                           : Message::kFileShare;
      share.message.content = ShareText(entity.entity_type, entity.title);
      share.entity = entity.entity_id;
      m_pending.push_back(share);
    }
    m_model.entities[entity.entity_id] = std::move(record);
  }

  void AddEntities(const json& entities) {
    for (const auto& item : entities) {
      const int repeat = item.value("repeat", 0);
      if (repeat <= 0) {
        AddEntity(item, "", At(item.value("created", json()), m_now - kDay));
        continue;
      }
      const std::vector<int64_t> times = Spread(item, repeat);
      for (int i = 0; i < repeat; ++i) AddEntity(item, std::to_string(i + 1), times[i]);
    }
  }

  std::vector<std::string> ActiveUsers() {
    std::vector<std::string> uids;
    for (Account* account : m_model.TeamAccounts(m_team.id)) {
      if (account->user.state != User::kDisabled) uids.push_back(account->user.uid);
    }
    return uids;
  }

  static bool Listed(const json& item, const char* key, const std::string& uid) {
    for (const auto& listed : item.value(key, json::array())) {
      if (listed.get<std::string>() == uid) return true;
    }
    return false;
  }

  void SetUnread(const std::string& conversation, const json& unread) {
    for (const auto& entry : unread.items()) {
      m_model.unread[conversation + "/" + entry.key()] = entry.value().get<uint32_t>();
    }
  }

  void AddChannels(const json& channels) {
    int64_t order = 0;
    for (const auto& item : channels) {
      ChannelRecord record;
      record.team = m_team.id;
      record.order = order++;
      Channel::Data& channel = record.channel;
      channel.channel_id = item.at("id").get<std::string>();
      channel.channel_name = item.value("name", std::string());
      channel.pinyin = item.value("pinyin", std::string());
      channel.preferred_color = item.value("color", 0);
      channel.hex_color = preferred_color_to_hex_string(static_cast<PreferredColor>(channel.preferred_color));
      channel.visibility = item.value("visibility", int{Channel::kPublic});
      channel.general = item.value("general", false);
      channel.created_at = At(item.value("created", json()), m_now - 400 * kDay);
      channel.creator_uid = item.value("creator", std::string());
      channel.purpose = item.value("purpose", std::string());
      const json members = item.value("members", json("all"));
      const std::vector<std::string> uids =
          members.is_string() ? ActiveUsers() : members.get<std::vector<std::string>>();
      for (const std::string& uid : uids) {
        record.members.push_back({uid, !Listed(item, "closed_by", uid), Listed(item, "muted_by", uid)});
      }
      m_model.channels[channel.channel_id] = record;
      SetUnread(channel.channel_id, item.value("unread", json::object()));
      AddMessages(channel.channel_id, item.value("messages", json::array()));
    }
  }

  void AddIm(const std::string& id, const std::string& a, const std::string& b, const json& item) {
    ImRecord im;
    im.team = m_team.id;
    im.id = id;
    im.a = a;
    im.b = b;
    im.open_a = !Listed(item, "closed_by", a);
    im.open_b = !Listed(item, "closed_by", b);
    im.muted_a = Listed(item, "muted_by", a);
    im.muted_b = Listed(item, "muted_by", b);
    m_model.ims[id] = im;
  }

  void AddIms(const json& ims) {
    for (const auto& item : ims) {
      const auto users = item.at("users").get<std::vector<std::string>>();
      const std::string id = item.at("id").get<std::string>();
      AddIm(id, users.at(0), users.at(1), item);
      SetUnread(id, item.value("unread", json::object()));
      AddMessages(id, item.value("messages", json::array()));
    }
  }

  // Every member of the team has an open conversation with the robot.
  void AddRobotIms(const std::string& robot) {
    Account* bot = m_model.FindAccount(m_team.id, robot);
    if (!bot) return;
    for (Account* account : m_model.TeamAccounts(m_team.id)) {
      const User::Data& user = account->user;
      if (user.uid == robot || user.bot || user.state == User::kDisabled) continue;
      if (m_model.FindIm(m_team.id, user.uid, robot)) continue;
      AddIm("im-" + user.username + "-" + bot->user.username, user.uid, robot, json::object());
    }
  }

  void AddMessage(const std::string& conversation, const json& item, int64_t time, const std::string& number,
                  const std::string& text) {
    Pending pending;
    Message::Data& message = pending.message;
    message.channel_id = conversation;
    message.uid = item.value("from", std::string());
    message.sender_type = item.value("sender", int{Message::kUserSender});
    message.content_type = item.value("type", int{Message::kText});
    message.content = Replace(text, "{n}", number);
    message.timestamp = time;
    if (item.contains("card")) {
      message.has_attachment = true;
      message.attachment = item.at("card").get<Attachment::Data>();
    }
    pending.entity = item.value("entity", std::string());
    m_pending.push_back(std::move(pending));
  }

  void AddMessages(const std::string& conversation, const json& messages) {
    int64_t fallback = m_now - 2 * kDay;
    for (const auto& item : messages) {
      const int repeat = item.value("repeat", 0);
      if (repeat <= 0) {
        fallback = At(item.value("at", json()), fallback + 60);
        AddMessage(conversation, item, fallback, "", item.value("text", std::string()));
        continue;
      }
      // A repeated message rotates through its senders and texts.
      const std::vector<int64_t> times = Spread(item, repeat);
      const auto senders = item.value("senders", std::vector<std::string>{item.value("from", std::string())});
      const auto texts = item.value("texts", std::vector<std::string>{item.value("text", std::string())});
      for (int i = 0; i < repeat; ++i) {
        json one = item;
        one["from"] = senders[static_cast<size_t>(i) % senders.size()];
        AddMessage(conversation, one, times[i], std::to_string(i + 1), texts[static_cast<size_t>(i) % texts.size()]);
      }
    }
  }

  // Gives every message its place, id and conversation type, and links shares
  // to their entities.
  void PostMessages() {
    std::stable_sort(m_pending.begin(), m_pending.end(),
                     [](const Pending& a, const Pending& b) { return a.message.timestamp < b.message.timestamp; });
    for (Pending& pending : m_pending) {
      Message::Data& message = pending.message;
      message.channel_type = m_model.ims.count(message.channel_id) ? Message::kDirectMessage : Message::kChannelMessage;
      if (!pending.entity.empty()) {
        auto entity = m_model.entities.find(pending.entity);
        if (entity != m_model.entities.end()) {
          message.entity_json = detail::EntityShareJson(entity->second.entity);
          auto& shared = entity->second.shared_in;
          if (std::find(shared.begin(), shared.end(), message.channel_id) == shared.end()) {
            shared.push_back(message.channel_id);
          }
        } else {
          quennet::log_error("Demo message refers to unknown entity %s", pending.entity.c_str());
        }
      }
      MessageRecord record;
      record.seq = m_model.next_seq++;
      record.team = m_team.id;
      message.message_id = m_model.MessageId(record.seq);
      record.message = message;
      m_model.messages[message.channel_id].push_back(std::move(record));
    }
  }

  ServiceModel& m_model;
  const int64_t m_now;
  int64_t m_base_day;
  TeamInfo m_team;
  std::vector<Pending> m_pending;
};

}  // namespace

void BuildTeam(ServiceModel& model, int64_t now, const nlohmann::json& team) { TeamBuilder(model, now).Build(team); }

}  // namespace mireloom::service
