#include "mireloom/ChannelManager.h"

#include <algorithm>

#include "ManagerSupport.h"

namespace mireloom {

using detail::CachedChannel;
using detail::NoResult;
using detail::Outcome;
using detail::RunSessionOperation;
using detail::SessionForReads;

namespace {

CachedChannel FromView(const service::ChannelView& view) { return {view.channel, view.members}; }

// Sets the user's flags at once, so that lists refresh before the service
// answers; returns the previous state for undoing it.
std::optional<CachedChannel> MarkJoinedOptimistically(Session& session, const std::string& channelId) {
  auto before = session.cache().FindChannel(channelId);
  if (!before) return std::nullopt;
  CachedChannel joined = *before;
  joined.channel.is_member = true;
  joined.channel.is_enabled = true;
  const std::string me = session.my_uid();
  if (std::find(joined.members.begin(), joined.members.end(), me) == joined.members.end()) {
    joined.members.push_back(me);
  }
  session.cache().PutChannel(joined);
  return before;
}

void RunOptimisticJoin(const char* name, const std::string& channelId,
                       std::function<Outcome(Session&, service::DemoService&, service::ChannelView*)> call,
                       ChannelManager::Completion completion) {
  struct Undo {
    std::optional<CachedChannel> before;
    std::shared_ptr<Session> session;
  };
  auto undo = std::make_shared<Undo>();
  undo->session = SessionForReads();
  if (undo->session) undo->before = MarkJoinedOptimistically(*undo->session, channelId);
  RunSessionOperation<NoResult>(
      name, channelId,
      [channelId, call](Session& session, service::DemoService& service, NoResult&) {
        service::ChannelView view;
        Outcome outcome = call(session, service, &view);
        if (!outcome.ok) return outcome;
        session.cache().PutChannel(FromView(view));
        detail::SyncHistory(session, service, {channelId});
        return outcome;
      },
      [undo, completion](const Outcome& outcome, NoResult&) {
        if (!outcome.ok && undo->session && undo->before) undo->session->cache().PutChannel(*undo->before);
        if (completion) completion(outcome.ok, outcome.error);
      });
}

bool ByPinyinThenId(const Channel::Data& a, const Channel::Data& b) {
  if (a.pinyin != b.pinyin) return a.pinyin < b.pinyin;
  return a.channel_id < b.channel_id;
}

}  // namespace

const ChannelManager* ChannelManager::DefaultManager() {
  static ChannelManager* manager = new ChannelManager;
  return manager;
}

void ChannelManager::GetChannels(bool incremental, ChannelsCompletion completion) const {
  using Result = std::vector<Channel::Data>;
  RunSessionOperation<Result>(
      "ChannelManager::GetChannels", incremental ? "incremental" : "full",
      [](Session& session, service::DemoService& service, Result& result) {
        std::vector<service::ChannelView> views;
        Outcome outcome = service.Channels(session.api_token(), &views);
        if (!outcome.ok) return outcome;
        std::vector<CachedChannel> channels;
        for (const auto& view : views) {
          channels.push_back(FromView(view));
          result.push_back(view.channel);
        }
        session.cache().ReplaceChannels(channels);
        return outcome;
      },
      [completion](const Outcome& outcome, Result& result) {
        if (completion) completion(outcome.ok, outcome.error, detail::MakeAll<Channel>(outcome.ok ? result : Result()));
      });
}

std::vector<std::unique_ptr<Channel>> ChannelManager::FetchChannelsFromCache() const {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<Channel::Data> channels = session->cache().Channels();
  std::sort(channels.begin(), channels.end(), ByPinyinThenId);
  return detail::MakeAll<Channel>(channels);
}

std::vector<std::unique_ptr<Channel>> ChannelManager::FetchChannelsFromCache(Channel::Visibility visibility,
                                                                           bool joined, bool disabled) const {
  auto session = SessionForReads();
  if (!session) return {};
  std::vector<Channel::Data> channels;
  for (const Channel::Data& channel : session->cache().Channels()) {
    if (channel.visibility != visibility || channel.is_member != joined) continue;
    // Not joined: only public channels, and none is "closed".
    const bool matches = joined ? channel.is_enabled != disabled : (!disabled && visibility == Channel::kPublic);
    if (matches) channels.push_back(channel);
  }
  std::sort(channels.begin(), channels.end(), ByPinyinThenId);
  return detail::MakeAll<Channel>(channels);
}

std::unique_ptr<Channel> ChannelManager::FetchChannelFromCacheByChannelId(const std::string& channelId) const {
  auto session = SessionForReads();
  if (!session) return nullptr;
  auto cached = session->cache().FindChannelData(channelId);
  return cached ? std::make_unique<Channel>(std::move(*cached)) : nullptr;
}

std::vector<std::unique_ptr<User>> ChannelManager::FetchMembersOfChannelFromCache(const std::string& channelId) const {
  auto session = SessionForReads();
  if (!session) return {};
  auto cached = session->cache().FindChannel(channelId);
  std::vector<std::unique_ptr<User>> members;
  if (!cached) return members;
  for (const std::string& uid : cached->members) {
    if (auto user = session->cache().FindUser(uid)) members.push_back(std::make_unique<User>(std::move(*user)));
  }
  return members;
}

void ChannelManager::JoinChannel(const std::string& channelId, Completion completion) const {
  RunOptimisticJoin(
      "ChannelManager::JoinChannel", channelId,
      [channelId](Session& session, service::DemoService& service, service::ChannelView* view) {
        return service.JoinChannel(session.api_token(), channelId, view);
      },
      std::move(completion));
}

void ChannelManager::EnableChannel(const std::string& channelId, Completion completion) const {
  RunOptimisticJoin(
      "ChannelManager::EnableChannel", channelId,
      [channelId](Session& session, service::DemoService& service, service::ChannelView* view) {
        return service.EnableChannel(session.api_token(), channelId, view);
      },
      std::move(completion));
}

void ChannelManager::LeaveChannel(const std::string& channelId, Completion completion) const {
  RunSessionOperation<NoResult>(
      "ChannelManager::LeaveChannel", channelId,
      [channelId](Session& session, service::DemoService& service, NoResult&) {
        Outcome outcome = service.LeaveChannel(session.api_token(), channelId);
        if (!outcome.ok) return outcome;
        auto cached = session.cache().FindChannel(channelId);
        if (!cached) return outcome;
        if (cached->channel.visibility == Channel::kPrivate) {
          session.cache().RemoveChannel(channelId);  // invisible to non-members
        } else {
          cached->channel.is_member = false;
          cached->channel.is_enabled = false;
          const std::string me = session.my_uid();
          cached->members.erase(std::remove(cached->members.begin(), cached->members.end(), me),
                                cached->members.end());
          session.cache().PutChannel(*cached);
        }
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

void ChannelManager::InviteToChannel(const std::string& channelId, const std::string& uid,
                                     Completion completion) const {
  RunSessionOperation<NoResult>(
      "ChannelManager::InviteToChannel", channelId + " " + uid,
      [channelId, uid](Session& session, service::DemoService& service, NoResult&) {
        service::ChannelView view;
        Outcome outcome = service.Invite(session.api_token(), channelId, uid, &view);
        if (outcome.ok) session.cache().PutChannel(FromView(view));
        return outcome;
      },
      detail::PlainFinish(std::move(completion)));
}

void ChannelManager::CreateChannel(const std::string& name, const std::string& description,
                                   Channel::Visibility visibility, const std::vector<std::string>& memberUids,
                                   PreferredColor color, ChannelCompletion completion) const {
  RunSessionOperation<Channel::Data>(
      "ChannelManager::CreateChannel", name + " " + std::to_string(visibility) + " " + std::to_string(color),
      [=](Session& session, service::DemoService& service, Channel::Data& created) {
        service::ChannelView view;
        Outcome outcome = service.CreateChannel(session.api_token(), name, description, visibility, memberUids,
                                                color, &view);
        if (!outcome.ok) return outcome;
        session.cache().PutChannel(FromView(view));
        created = view.channel;
        return outcome;
      },
      [completion](const Outcome& outcome, Channel::Data& created) {
        // A success that carries no channel (a scripted answer) hands over none.
        const bool has_channel = outcome.ok && !created.channel_id.empty();
        if (completion) completion(outcome.ok, outcome.error, has_channel ? std::make_unique<Channel>(created) : nullptr);
      });
}

}  // namespace mireloom
