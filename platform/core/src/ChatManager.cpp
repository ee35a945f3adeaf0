#include "mireloom/ChatManager.h"

#include <windows.h>

#include <algorithm>

#include "ManagerSupport.h"
#include "mireloom/Handlers.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"
#include "Text.h"

namespace mireloom {

using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

namespace {

constexpr DWORD kUploadChunkBytes = 1024 * 1024;

// A local file handed to the service a chunk at a time: however big the file,
// the upload holds one chunk of it.
class FileUploadSource final : public service::UploadSource {
 public:
  // False when the file cannot be opened for reading.
  bool Open(const std::wstring& path) {
    m_file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (m_file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(m_file.get(), &size)) return false;
    m_size = size.QuadPart;
    return true;
  }
  [[nodiscard]] int64_t Size() const override { return m_size; }
  bool Read(std::string* chunk) override {
    chunk->resize(kUploadChunkBytes);
    DWORD read = 0;
    const bool ok = ReadFile(m_file.get(), chunk->data(), kUploadChunkBytes, &read, nullptr) != FALSE;
    chunk->resize(ok ? read : 0);
    return ok;
  }

 private:
  quennet::UniqueHandle m_file;
  int64_t m_size = 0;
};

// Conversations of the signed-in user that count for the team's total:
// joined and enabled channels, and every one-to-one conversation (a closed
// one counts only while it has unread messages, which is the same sum).
std::vector<std::string> CountedConversations(detail::SessionCache& cache) {
  std::vector<std::string> ids;
  for (const Channel::Data& channel : cache.Channels()) {
    if (channel.is_member && channel.is_enabled) ids.push_back(channel.channel_id);
  }
  for (const auto& im : cache.Ims()) ids.push_back(im.im_id);
  return ids;
}

}  // namespace

const ChatManager* ChatManager::DefaultManager() {
  static ChatManager* manager = new ChatManager;
  return manager;
}

void ChatManager::AddMessageHandler(MessageHandler* handler) const { detail::MessageHandlers().Add(handler); }
void ChatManager::RemoveMessageHandler(MessageHandler* handler) const { detail::MessageHandlers().Remove(handler); }
void ChatManager::AddNumUnreadHandler(NumUnreadHandler* handler) const { detail::UnreadHandlers().Add(handler); }
void ChatManager::RemoveNumUnreadHandler(NumUnreadHandler* handler) const {
  detail::UnreadHandlers().Remove(handler);
}

_NumUnread ChatManager::NumUnreadInCurrentTeam() const {
  auto session = SessionForReads();
  return session ? session->cache().CountedUnreadTotal() : _NumUnread{};
}

_NumUnread ChatManager::NumUnreadInChannelFromMemCache(const std::string& conversationId) const {
  auto session = SessionForReads();
  return session ? session->cache().Unread(conversationId) : _NumUnread{};
}

std::string ChatManager::FirstChannelHasUnreadMessage() const {
  auto session = SessionForReads();
  if (!session) return {};
  std::string first;
  int64_t newest = INT64_MIN;
  for (const std::string& id : CountedConversations(session->cache())) {
    if (session->cache().Unread(id).num_unread == 0) continue;
    const int64_t activity = session->cache().LastActivity(id);
    if (activity > newest || (activity == newest && id < first)) {
      newest = activity;
      first = id;
    }
  }
  return first;
}

void ChatManager::SyncRecentMessagesWithServer(int count, std::function<void(bool, const std::string&)> completion) const {
  RunSessionOperation<NoResult>(
      "ChatManager::SyncRecentMessagesWithServer", std::to_string(count),
      [](Session& session, service::DemoService& service, NoResult&) {
        return detail::SyncHistory(session, service, {});
      },
      detail::PlainFinish(std::move(completion)));
}

void ChatManager::GetNumUnreadFromServer(std::function<void(bool, const std::string&)> completion) const {
  RunSessionOperation<NoResult>(
      "ChatManager::GetNumUnreadFromServer", "",
      [](Session& session, service::DemoService& service, NoResult&) {
        std::map<std::string, _NumUnread> counts;
        Outcome outcome = service.Unread(session.api_token(), &counts);
        if (!outcome.ok) return outcome;
        // Conversations the service no longer counts are read.
        for (const auto& cached : session.cache().AllUnread()) {
          if (!counts.count(cached.first)) counts[cached.first] = {};
        }
        for (const auto& entry : counts) session.DeliverUnread(entry.first, entry.second);
        outcome.after_listeners = true;
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

std::unique_ptr<Message> ChatManager::FetchLastMessageFromCache(const std::string& conversationId) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  auto last = session->cache().LastDelivered(conversationId);
  return last ? std::make_unique<Message>(std::move(*last)) : nullptr;
}

std::vector<std::unique_ptr<Message>> ChatManager::FetchMessagesFromCache(const std::string& conversationId,
                                                                         int64_t fromTs, int64_t toTs, int count,
                                                                         int* total, bool* hasMore,
                                                                         bool newestFirst) const {
  auto session = SessionForReads();
  if (!session) {
    if (total) *total = 0;
    if (hasMore) *hasMore = false;
    return {};
  }
  return detail::MakeAll<Message>(
      session->cache().Messages(conversationId, fromTs, toTs, count, total, hasMore, newestFirst));
}

void ChatManager::MarkReadCursorForChannelInCache(const std::string& conversationId, int64_t timestamp,
                                                  bool notify) const {
  auto session = SessionForReads();
  if (!session) return;
  detail::RecordCall(detail::CallKind::kCall, "ChatManager::MarkReadCursorForChannelInCache",
                     conversationId + " " + std::to_string(timestamp) + (notify ? " notify" : " silent"));
  if (notify) {
    session->DeliverUnread(conversationId, {});
  } else {
    session->cache().SetUnread(conversationId, {});
  }
  // The service hears of it in the background; nobody waits for the answer.
  RunSessionOperation<NoResult>(
      "ChatManager::SendReadCursor", conversationId,
      [conversationId, timestamp](Session& session, service::DemoService& service, NoResult&) {
        return service.MarkRead(session.api_token(), conversationId, timestamp);
      },
      [](const Outcome&, NoResult&) {});
}

void ChatManager::MarkAsRead(const std::string& conversationId, Message::ChannelType type, int64_t timestamp,
                             std::function<void(bool, const std::string&)> completion) const {
  RunSessionOperation<NoResult>(
      "ChatManager::MarkAsRead", conversationId + " " + std::to_string(type) + " " + std::to_string(timestamp),
      [conversationId, timestamp](Session& session, service::DemoService& service, NoResult&) {
        Outcome outcome = service.MarkRead(session.api_token(), conversationId, timestamp);
        if (!outcome.ok) return outcome;
        session.DeliverUnread(conversationId, {});
        outcome.after_listeners = true;
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

void ChatManager::SendMessage(std::unique_ptr<Message> message,
                              std::function<void(bool, std::unique_ptr<Message>)> completion) const {
  struct Sent {
    Message::Data message;
    std::shared_ptr<Session> session;
  };
  Message::Data outgoing = message ? message->data() : Message::Data();
  RunSessionOperation<Sent>(
      "ChatManager::SendMessage", outgoing.channel_id + " " + std::to_string(outgoing.content.size()) + " bytes",
      [outgoing](Session& session, service::DemoService& service, Sent& sent) {
        if (outgoing.channel_id.empty()) return Outcome::Failure(400, "no conversation");
        Outcome outcome = service.Send(session.api_token(), outgoing, &sent.message);
        if (!outcome.ok) return outcome;
        session.cache().AddMessage(sent.message, false);
        sent.session = session.shared_from_this();
        return outcome;
      },
      [completion](const Outcome& outcome, Sent& sent) {
        if (completion) completion(outcome.ok, outcome.ok ? std::make_unique<Message>(sent.message) : nullptr);
        // Only after its completion is it the conversation's last message.
        if (outcome.ok && sent.session) sent.session->cache().MarkDelivered(sent.message.channel_id, sent.message.message_id);
      },
      /*ordered=*/true);
}

void ChatManager::SendFileMessage(const std::string& localPathCp936, const std::string& name, const std::string& mime,
                                  const std::string& conversationId, bool isChannel,
                                  std::function<void(bool, const std::string&)> completion) const {
  const std::wstring path = detail::Cp936ToWide(localPathCp936);
  RunSessionOperation<NoResult>(
      "ChatManager::SendFileMessage", localPathCp936 + " " + name + " " + mime + " " + conversationId,
      [path, name, mime, conversationId](Session& session, service::DemoService& service, NoResult&) {
        if (name.empty() || conversationId.empty()) return Outcome::Failure(400, "no name or conversation");
        FileUploadSource file;
        if (path.empty() || !file.Open(path)) return Outcome::Failure(400, "file cannot be read");
        Message::Data share;
        Outcome outcome = service.Upload(session.api_token(), file, name, mime, conversationId, &share);
        if (!outcome.ok) return outcome;
        // No other road shows the share to this session.
        session.DeliverIncoming(share, std::nullopt);
        outcome.after_listeners = true;
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

void ChatManager::SaveDraftToCache(const Draft& draft) const {
  auto session = SessionForReads();
  if (session) session->cache().PutDraft(draft.channel_id(), {draft.text(), draft.time()});
}

std::unique_ptr<Draft> ChatManager::FetchDraftFromCacheByChannelId(const std::string& conversationId) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  auto draft = session->cache().FindDraft(conversationId);
  return draft ? std::make_unique<Draft>(conversationId, draft->text, draft->time) : nullptr;
}

}  // namespace mireloom
