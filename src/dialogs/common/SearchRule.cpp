#include "dialogs/common/SearchRule.h"

#include "mireloom/Channel.h"
#include "mireloom/User.h"

namespace mireloomwnd {

namespace {

bool Contains(const std::string& text, const std::string& keyword) { return text.find(keyword) != std::string::npos; }

template <class Item, class Match>
std::vector<std::unique_ptr<Item>> CloneMatching(const std::vector<std::unique_ptr<Item>>& items, Match match) {
  std::vector<std::unique_ptr<Item>> kept;
  for (const auto& item : items) {
    if (match(*item)) kept.push_back(item->Clone());
  }
  return kept;
}

}  // namespace

bool IsSearchText(const std::wstring& text, const std::wstring& tipText) { return text != tipText; }

bool UserMatches(const mireloom::User& user, const std::string& keyword) {
  return Contains(user.display_name(), keyword) || Contains(user.username(), keyword);
}

bool ChannelMatches(const mireloom::Channel& channel, const std::string& keyword) {
  return Contains(channel.channel_name(), keyword);
}

void AppendClones(const UserList& users, UserList& into) {
  into.reserve(into.size() + users.size());
  for (const auto& user : users) into.push_back(user->Clone());
}

void AppendClones(const ChannelList& channels, ChannelList& into) {
  into.reserve(into.size() + channels.size());
  for (const auto& channel : channels) into.push_back(channel->Clone());
}

UserList NarrowUsers(const UserList& shown, const std::string& keyword) {
  return CloneMatching(shown, [&](const mireloom::User& user) { return UserMatches(user, keyword); });
}

ChannelList NarrowChannels(const ChannelList& shown, const std::string& keyword) {
  return CloneMatching(shown, [&](const mireloom::Channel& channel) { return ChannelMatches(channel, keyword); });
}

UserList SearchRows(const UserList& all, const UserList& shown, const std::string& keyword) {
  if (!keyword.empty()) return NarrowUsers(shown, keyword);
  UserList rows;
  AppendClones(all, rows);
  return rows;
}

ChannelList SearchRows(const ChannelList& all, const ChannelList& shown, const std::string& keyword) {
  if (!keyword.empty()) return NarrowChannels(shown, keyword);
  ChannelList rows;
  AppendClones(all, rows);
  return rows;
}

}  // namespace mireloomwnd
