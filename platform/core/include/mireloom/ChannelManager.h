#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mireloom/Channel.h"
#include "mireloom/Types.h"
#include "mireloom/User.h"

namespace mireloom {

class ChannelManager final {
 public:
  static const ChannelManager* DefaultManager();

  using ChannelsCompletion =
      std::function<void(bool ok, const std::string& error, std::vector<std::unique_ptr<Channel>> channels)>;
  using ChannelCompletion = std::function<void(bool ok, const std::string& error, std::unique_ptr<Channel> channel)>;
  using Completion = std::function<void(bool ok, const std::string& error)>;

  // Refreshes every channel visible to the user, with its members.
  void GetChannels(bool incremental, ChannelsCompletion completion) const;

  [[nodiscard]] std::vector<std::unique_ptr<Channel>> FetchChannelsFromCache() const;
  // joined and enabled: (v, true, false); joined but closed: (v, true, true);
  // public and not joined: (1, false, false). Ordered by pinyin, then id.
  [[nodiscard]] std::vector<std::unique_ptr<Channel>> FetchChannelsFromCache(Channel::Visibility visibility,
                                                                             bool joined, bool disabled) const;
  [[nodiscard]] std::unique_ptr<Channel> FetchChannelFromCacheByChannelId(const std::string& channelId) const;
  // In join order; users missing from the user cache are left out.
  [[nodiscard]] std::vector<std::unique_ptr<User>> FetchMembersOfChannelFromCache(const std::string& channelId) const;

  // Join and enable show in the cache at once and are undone on failure.
  void JoinChannel(const std::string& channelId, Completion completion) const;
  void EnableChannel(const std::string& channelId, Completion completion) const;
  void LeaveChannel(const std::string& channelId, Completion completion) const;
  void InviteToChannel(const std::string& channelId, const std::string& uid, Completion completion) const;
  void CreateChannel(const std::string& name, const std::string& description, Channel::Visibility visibility,
                     const std::vector<std::string>& memberUids, PreferredColor color,
                     ChannelCompletion completion) const;

 private:
  ChannelManager() = default;
};

}  // namespace mireloom
