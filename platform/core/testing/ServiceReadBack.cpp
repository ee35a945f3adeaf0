// What the embedded service stored, read back by tests; the database helpers
// and the generator of large teams for the benchmarks.

#include <windows.h>

#include "../src/Database.h"
#include "../src/service/DemoLoader.h"
#include "../src/service/DemoService.h"
#include "../src/service/ServiceModel.h"
#include "../src/Text.h"
#include "mireloom/testing.h"

namespace mireloom::testing {
namespace {

using service::DemoService;
using service::ServiceModel;

// Runs the reader on the running service's model under its lock.
template <class Result>
Result Read(const std::function<Result(ServiceModel&)>& reader) {
  auto running = DemoService::Get();
  std::lock_guard<std::mutex> lock(running->mutex());
  return reader(running->model());
}

}  // namespace

std::vector<FeedbackRecord> ServiceFeedback() {
  return Read<std::vector<FeedbackRecord>>([](ServiceModel& model) { return model.feedback; });
}

std::vector<PhoneCall> ServiceCalls() {
  return Read<std::vector<PhoneCall>>([](ServiceModel& model) {
    std::vector<PhoneCall> calls;
    for (const auto& entry : model.calls) calls.push_back(entry.second.call);
    return calls;
  });
}

std::vector<Comment::Data> ServiceComments(const std::string& entityId) {
  return Read<std::vector<Comment::Data>>([&](ServiceModel& model) {
    auto found = model.entities.find(entityId);
    return found == model.entities.end() ? std::vector<Comment::Data>() : found->second.entity.comments;
  });
}

std::vector<Message::Data> ServiceMessages(const std::string& conversationId) {
  return Read<std::vector<Message::Data>>([&](ServiceModel& model) {
    std::vector<Message::Data> messages;
    for (const auto& record : model.messages[conversationId]) messages.push_back(record.message);
    return messages;
  });
}

std::optional<Channel::Data> ServiceChannel(const std::string& channelId) {
  return Read<std::optional<Channel::Data>>([&](ServiceModel& model) -> std::optional<Channel::Data> {
    auto found = model.channels.find(channelId);
    if (found == model.channels.end()) return std::nullopt;
    return found->second.channel;
  });
}

std::vector<std::string> ServiceChannelMembers(const std::string& channelId) {
  return Read<std::vector<std::string>>([&](ServiceModel& model) {
    std::vector<std::string> uids;
    auto found = model.channels.find(channelId);
    if (found != model.channels.end()) {
      for (const auto& member : found->second.members) uids.push_back(member.uid);
    }
    return uids;
  });
}

std::vector<UploadRecord> ServiceUploads() {
  return Read<std::vector<UploadRecord>>([](ServiceModel& model) {
    std::vector<UploadRecord> uploads;
    for (const service::UploadEntry& entry : model.uploads) {
      UploadRecord upload{entry.name, entry.mime, entry.conversation_id, {}};
      model.LoadFile(entry.path, &upload.bytes);
      uploads.push_back(std::move(upload));
    }
    return uploads;
  });
}

int64_t ServiceReadCursor(const std::string& conversationId, const std::string& uid) {
  return Read<int64_t>([&](ServiceModel& model) { return model.cursors[conversationId + "/" + uid]; });
}

uint32_t ServiceUnread(const std::string& conversationId, const std::string& uid) {
  return Read<uint32_t>([&](ServiceModel& model) { return model.unread[conversationId + "/" + uid]; });
}

bool ServiceHasInitialPassword(const std::string& userName, const std::string& teamId) {
  return Read<bool>([&](ServiceModel& model) {
    service::Account* account = model.FindAccountByName(teamId, userName);
    return account && account->initial_password;
  });
}

std::vector<LoginAttempt> ServiceLoginAttempts() {
  return Read<std::vector<LoginAttempt>>([](ServiceModel& model) { return model.logins; });
}

bool ServiceTokenValid(const std::string& apiToken) {
  return Read<bool>([&](ServiceModel& model) {
    auto found = model.tokens.find(apiToken);
    return found != model.tokens.end() && !found->second.revoked;
  });
}

User::Status ServiceStatus(const std::string& uid) {
  return Read<User::Status>([&](ServiceModel& model) {
    for (const auto& entry : model.accounts) {
      if (entry.second.user.uid == uid) return static_cast<User::Status>(entry.second.user.status);
    }
    return User::kOffline;
  });
}

void SetClientVersion(int64_t version, const std::string& versionName) {
  Read<bool>([&](ServiceModel& model) {
    model.version.version = version;
    model.version.name = versionName;
    model.SaveVersion();
    return true;
  });
}

// ---- Databases ---------------------------------------------------------------------

bool WriteMetaSchema(const std::wstring& folder, int version) {
  return detail::MakeFolders(folder) && WriteSchemaVersion(detail::JoinPath(folder, L"Meta.db"), version);
}

bool WriteSchemaVersion(const std::wstring& databaseFile, int version) {
  auto database = detail::Database::Open(databaseFile);
  return database && database->SetUserVersion(version);
}

bool MakeSessionFolders(const std::wstring& folder, int n) {
  for (int i = 0; i < n; ++i) {
    const std::wstring session = detail::JoinPath(folder, L"team-old" + std::to_wstring(i) + L"\\usr-old");
    if (!detail::MakeFolders(session)) return false;
    auto cache = detail::Database::Open(detail::JoinPath(session, L"Cache.db"));
    if (!cache || !cache->SetUserVersion(34)) return false;
  }
  return true;
}

// ---- Generator ------------------------------------------------------------------------

void GenerateTeam(int users, int messagesPerConversation) {
  auto running = DemoService::Get();
  const int64_t now = running->Now();
  std::lock_guard<std::mutex> lock(running->mutex());
  ServiceModel& model = running->model();
  auto transaction = model.Begin();
  const std::string team = "team-demo";
  auto general = model.channels.find("chn-general");
  const int64_t first_order = static_cast<int64_t>(model.accounts.size());
  for (int i = 0; i < users; ++i) {
    service::Account account;
    account.team = team;
    account.order = first_order + i;
    account.user.uid = "usr-gen" + std::to_string(i);
    account.user.username = "gen" + std::to_string(i);
    account.user.display_name = "成员" + std::to_string(i);
    account.user.pinyin = "chengyuan" + std::to_string(i);
    account.user.header_uri = service::HexKey(account.user.uid);
    account.user.phone_number = "555 9" + std::to_string(1000 + i % 9000);
    model.accounts[team + "/" + account.user.uid] = account;
    model.SaveAccount(account);
    if (general != model.channels.end()) general->second.members.push_back({account.user.uid, true, false});
  }
  if (general != model.channels.end()) model.SaveChannel(general->second);
  for (const auto& conversation : {std::string("chn-general"), std::string("chn-fe"), std::string("im-zhou-lin")}) {
    const std::vector<std::string> participants = model.Participants(conversation);
    if (participants.empty()) continue;
    for (int i = 0; i < messagesPerConversation; ++i) {
      service::MessageRecord record;
      record.seq = model.next_seq++;
      record.team = team;
      Message::Data& message = record.message;
      message.message_id = model.MessageId(record.seq);
      message.channel_id = conversation;
      message.channel_type = conversation.rfind("im-", 0) == 0 ? Message::kDirectMessage : Message::kChannelMessage;
      message.uid = participants[static_cast<size_t>(i) % participants.size()];
      message.content = "生成的消息 " + std::to_string(i) + "：测试大量消息时的加载速度";
      message.timestamp = now - (messagesPerConversation - i) * 60;
      model.messages[conversation].push_back(record);
      model.SaveMessage(record);
    }
  }
  model.SaveCounters();
  if (transaction) transaction->Commit();
}

}  // namespace mireloom::testing
