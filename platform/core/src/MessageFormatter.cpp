#include "mireloom/MessageFormatter.h"

#include "Text.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"

namespace mireloom {
namespace {

using Result = MessageCheckingResult;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return detail::AsciiLower(text.substr(0, prefix.size())) == prefix;
}

bool HasSpace(const std::string& text) { return text.find_first_of(" \t\r\n") != std::string::npos; }

// "target|label" split at the first "|".
void SplitTarget(const std::string& inside, std::string* target, std::string* label) {
  const size_t bar = inside.find('|');
  *target = inside.substr(0, bar);
  *label = bar == std::string::npos ? std::string() : inside.substr(bar + 1);
}

std::string CachedUserName(const std::string& uid) {
  auto user = UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return user && !user->display_name().empty() ? user->display_name() : uid;
}

std::string CachedChannelName(const std::string& channelId) {
  auto channel = ChannelManager::DefaultManager()->FetchChannelFromCacheByChannelId(channelId);
  return channel && !channel->channel_name().empty() ? channel->channel_name() : channelId;
}

// The piece for the text between "[" and "]"; false when it is no piece.
bool ReadBracket(const std::string& inside, Result::Data* piece) {
  std::string target;
  std::string label;
  SplitTarget(inside, &target, &label);
  if (target.size() > 1 && target[0] == '@' && !HasSpace(target)) {
    piece->checking_type = Result::kUserMention;
    piece->uid = target.substr(1);
    piece->display_string = "@" + (label.empty() ? CachedUserName(piece->uid) : label);
    return true;
  }
  if (target.size() > 1 && target[0] == '#' && !HasSpace(target)) {
    piece->checking_type = Result::kChannelMention;
    piece->channel_id = target.substr(1);
    piece->display_string = "#" + (label.empty() ? CachedChannelName(piece->channel_id) : label);
    return true;
  }
  if (target.size() > 1 && target[0] == '!' && !HasSpace(target) && label.empty()) {
    piece->checking_type = Result::kCommand;
    piece->display_string = "@" + target.substr(1);
    return true;
  }
  const bool is_address = StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://") ||
                          StartsWithNoCase(target, "mailto:");
  if (is_address && target.size() > 7 && !HasSpace(target)) {
    piece->checking_type = Result::kLink;
    piece->link = target;
    piece->display_string = label.empty() ? target : label;
    return true;
  }
  return false;
}

}  // namespace

MessageFormatter* MessageFormatter::SharedFormatter() {
  static MessageFormatter* formatter = new MessageFormatter;
  return formatter;
}

std::vector<std::unique_ptr<MessageCheckingResult>> MessageFormatter::ReadFormattedMessage(
    const std::string& text) const {
  std::vector<std::unique_ptr<MessageCheckingResult>> pieces;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c != '[' && c != '`') {
      ++at;
      continue;
    }
    const size_t close = text.find(c == '[' ? ']' : '`', at + 1);
    if (close == std::string::npos) {
      ++at;  // unterminated: literal
      continue;
    }
    Result::Data piece;
    const std::string inside = text.substr(at + 1, close - at - 1);
    bool found = false;
    if (c == '`') {
      found = !inside.empty();
      piece.checking_type = Result::kCodeSpan;
      piece.display_string = inside;
    } else if (inside.find('[') == std::string::npos) {
      found = ReadBracket(inside, &piece);
    }
    if (!found) {
      ++at;
      continue;
    }
    piece.formatted_str = text.substr(at, close - at + 1);
    pieces.push_back(std::make_unique<Result>(std::move(piece)));
    at = close + 1;
  }
  return pieces;
}

}  // namespace mireloom
