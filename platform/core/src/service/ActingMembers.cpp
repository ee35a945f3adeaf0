#include "ActingMembers.h"

#include <algorithm>
#include <sstream>

#include "../CorePool.h"
#include "../Text.h"
#include "DemoService.h"
#include "ServiceModel.h"

namespace mireloom::service {
namespace {

constexpr int kCallRingMs = 60000;
constexpr int kDropReconnectMs = 3000;
constexpr int kMaxBurst = 1000;
constexpr const char* kShowcase = "chn-showcase";

std::vector<std::string> Words(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

// The text after the first n words.
std::string Rest(const std::string& text, size_t n) {
  size_t at = 0;
  for (size_t i = 0; i < n; ++i) {
    at = text.find_first_not_of(" \t\r\n", at);
    if (at == std::string::npos) return {};
    at = text.find_first_of(" \t\r\n", at);
    if (at == std::string::npos) return {};
  }
  const size_t start = text.find_first_not_of(" \t\r\n", at);
  return start == std::string::npos ? std::string() : text.substr(start);
}

int StatusOf(const std::string& word) {
  if (word == "online") return User::kOnline;
  if (word == "busy") return User::kBusy;
  if (word == "away") return User::kAway;
  if (word == "offline") return User::kOffline;
  return -1;
}

// Which showcase message a kind word copies.
bool MatchesKind(const Message::Data& message, const std::string& kind) {
  static const std::map<std::string, int> kCards = {{"task", 34},  {"calendar", 35}, {"drive", 36},
                                                    {"report", 37}, {"phone", 38},    {"crm", 39},
                                                    {"approval", 40}, {"webhook", 32}};
  auto card = kCards.find(kind);
  if (card != kCards.end()) return message.content_type == card->second;
  if (kind == "mail") return message.content_type == Message::kMailNotice;
  if (kind == "share") return message.sender_type == Message::kServiceShareSender;
  if (kind == "image") return message.content_type == Message::kImageShare;
  if (kind == "file") return message.content_type == Message::kFileShare;
  if (kind == "snippet") return message.content_type == Message::kSnippetShare;
  if (kind == "comment") return message.content_type == Message::kFileComment;
  if (kind == "notice") return message.content_type == Message::kNotice;
  if (kind == "unsupported") return message.content_type == Message::kVote;
  return false;
}

}  // namespace

struct ActingMembers::Context {
  std::string team;
  std::string conversation;
  std::string sender;
  std::string partner;
  TeamInfo info;
};

ActingMembers::ActingMembers(DemoService& service) : m_service(service) {}

ActingMembers::~ActingMembers() {
  m_timer.reset();  // waits for an action in progress, drops the rest
  for (int i = m_counted_pending->exchange(0); i > 0; --i) detail::CorePool::Instance().EndActivity();
}

void ActingMembers::Schedule(int delayMs, std::function<void()> action, bool counted) {
  if (counted) {
    detail::CorePool::Instance().BeginActivity();
    ++*m_counted_pending;
  }
  auto pending = m_counted_pending;
  m_timer->Schedule(std::chrono::milliseconds(std::max(delayMs, 0)), [action = std::move(action), counted, pending] {
    detail::CallGuarded("Acting member", action);
    if (counted && pending->fetch_sub(1) > 0) detail::CorePool::Instance().EndActivity();
  });
}

void ActingMembers::OnPosted(const Message::Data& message) {
  if (!m_service.options().actingMembers || message.sender_type != Message::kUserSender) return;
  Context context;
  {
    std::lock_guard<std::mutex> lock(m_service.mutex());
    ServiceModel& model = m_service.model();
    auto im = model.ims.find(message.channel_id);
    if (im == model.ims.end()) return;
    context.team = im->second.team;
    context.conversation = im->first;
    context.sender = message.uid;
    context.partner = im->second.a == message.uid ? im->second.b : im->second.a;
    context.info = model.teams[context.team];
  }
  if (!context.info.answering.empty() && context.partner == context.info.answering) {
    Schedule(m_service.options().replyDelayMs, [this, context, message] { Reply(context, message); }, true);
  } else if (!context.info.robot.empty() && context.partner == context.info.robot) {
    Schedule(0, [this, context, message] { RunCommand(context, message); }, true);
  }
}

void ActingMembers::EndCallLater(const std::string& callId) {
  Schedule(kCallRingMs, [this, callId] {
    std::lock_guard<std::mutex> lock(m_service.mutex());
    auto found = m_service.model().calls.find(callId);
    if (found == m_service.model().calls.end() || found->second.call.state != "ringing") return;
    found->second.call.state = "ended";
    m_service.model().SaveCall(found->second);
  }, false);
}

void ActingMembers::Say(const std::string& conversation, const std::string& from, const std::string& text,
                        int contentType) {
  Message::Data message;
  message.channel_id = conversation;
  message.uid = from;
  message.content = text;
  message.content_type = contentType;
  m_service.PostAs(message);
}

void ActingMembers::Reply(const Context& context, const Message::Data& message) {
  Say(context.conversation, context.partner, "收到：" + detail::Utf8Prefix(message.content, 40), Message::kText);
}

std::string ActingMembers::CommandHelp() const {
  return "可用命令：help | drop | fail | outage <秒> | status <用户名> online|busy|away|offline | "
         "post <频道id> [文字] | dm <用户名> [文字] | burst <n> | card task|calendar|drive|report|phone|crm|"
         "approval|webhook | mail | share | image | file | snippet | comment | notice | unsupported | failure";
}

void ActingMembers::RunCommand(const Context& context, const Message::Data& message) {
  const std::vector<std::string> words = Words(message.content);
  const std::string command = words.empty() ? std::string() : detail::AsciiLower(words[0]);
  const std::string robot = context.partner;
  auto say = [&](const std::string& text) { Say(context.conversation, robot, text, Message::kRobotText); };

  if (command == "help" || command == "帮助") return say(CommandHelp());
  if (command == "drop") return m_service.DropConnections(context.sender, kDropReconnectMs);
  if (command == "fail") return m_service.DropConnections(context.sender, -1);
  if (command == "failure") return m_service.PushFailure(context.sender, "无法读取的推送事件");
  if (command == "outage" && words.size() >= 2) {
    const int seconds = std::max(1, atoi(words[1].c_str()));
    m_service.SetOutage(true);
    Schedule(seconds * 1000, [this] { m_service.SetOutage(false); }, false);
    return;
  }
  if (command == "status" && words.size() >= 3 && StatusOf(words[2]) >= 0) {
    std::string uid;
    {
      std::lock_guard<std::mutex> lock(m_service.mutex());
      if (Account* account = m_service.model().FindAccountByName(context.team, words[1])) uid = account->user.uid;
    }
    if (!uid.empty()) m_service.SetStatus(context.team, uid, StatusOf(words[2]));
    return;
  }
  if (command == "post" && words.size() >= 2) {
    std::string from;
    std::string text = Rest(message.content, 2);
    {
      std::lock_guard<std::mutex> lock(m_service.mutex());
      ServiceModel& model = m_service.model();
      auto channel = model.channels.find(words[1]);
      if (channel == model.channels.end()) return say("没有这个频道：" + words[1]);
      for (const auto& member : channel->second.members) {
        Account* account = model.FindAccount(context.team, member.uid);
        if (member.uid != context.sender && account && !account->user.bot) {
          from = member.uid;
          if (text.empty()) text = account->user.display_name + " 发来一条新消息";
          break;
        }
      }
    }
    if (!from.empty()) Say(words[1], from, text, Message::kText);
    return;
  }
  if (command == "dm" && words.size() >= 2) {
    std::string from;
    std::string conversation;
    std::string text = Rest(message.content, 2);
    {
      std::lock_guard<std::mutex> lock(m_service.mutex());
      ServiceModel& model = m_service.model();
      Account* account = model.FindAccountByName(context.team, words[1]);
      if (!account || account->user.uid == context.sender) return;
      ImRecord* im = model.FindIm(context.team, context.sender, account->user.uid);
      if (!im) {
        ImRecord created;
        created.team = context.team;
        created.id = model.NewId("im-");
        created.a = account->user.uid;
        created.b = context.sender;
        im = &(model.ims[created.id] = created);
        model.SaveIm(*im);
      }
      from = account->user.uid;
      conversation = im->id;
      if (text.empty()) text = "你好，我是" + account->user.display_name;
    }
    Say(conversation, from, text, Message::kText);
    return;
  }
  if (command == "burst" && words.size() >= 2) {
    const int count = std::min(std::max(atoi(words[1].c_str()), 1), kMaxBurst);
    std::string conversation;
    {
      std::lock_guard<std::mutex> lock(m_service.mutex());
      if (ImRecord* im = m_service.model().FindIm(context.team, context.sender, context.info.notifier)) {
        conversation = im->id;
      }
    }
    for (int i = 1; !conversation.empty() && i <= count; ++i) {
      Say(conversation, context.info.notifier, "通知 " + std::to_string(i), Message::kText);
    }
    return;
  }
  const std::string kind = command == "card" && words.size() >= 2 ? detail::AsciiLower(words[1]) : command;
  std::optional<Message::Data> copy;
  {
    std::lock_guard<std::mutex> lock(m_service.mutex());
    const auto& showcase = m_service.model().messages[kShowcase];
    for (auto it = showcase.rbegin(); it != showcase.rend(); ++it) {
      if (MatchesKind(it->message, kind)) {
        copy = it->message;
        break;
      }
    }
  }
  if (!copy) return say("未知命令，发送 help 查看命令列表");
  copy->timestamp = 0;  // now
  m_service.PostAs(*copy);
}

}  // namespace mireloom::service
