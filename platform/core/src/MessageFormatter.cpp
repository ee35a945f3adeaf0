#include "mireloom/MessageFormatter.h"

#include "mireloom/ChannelManager.h"
#include "mireloom/UserManager.h"
#include "Text.h"

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
  VisitFormattedMessage(text, [&pieces](const Result& piece) { pieces.push_back(std::make_unique<Result>(piece)); });
  return pieces;
}

void MessageFormatter::VisitFormattedMessage(const std::string& text,
                                             const std::function<void(const MessageCheckingResult&)>& visit) const {
  // The next "]" and the last "[" before it, found once and reused by every
  // "[" in front of them: a text of many "[" without a "]" (or with one far
  // behind) is read in one pass, not once per "[". A "`" needs no such care:
  // the text up to its closing "`" is never read again.
  size_t bracket_close = 0;
  size_t last_open_before_close = std::string::npos;
  bool bracket_close_known = false;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c != '[' && c != '`') {
      ++at;
      continue;
    }
    size_t close = std::string::npos;
    bool nested = false;
    if (c == '[') {
      if (!bracket_close_known || (bracket_close != std::string::npos && bracket_close <= at)) {
        bracket_close = text.find(']', at + 1);
        last_open_before_close = bracket_close == std::string::npos ? std::string::npos : text.rfind('[', bracket_close);
        bracket_close_known = true;
      }
      close = bracket_close;
      nested = close != std::string::npos && last_open_before_close > at;
    } else {
      close = text.find('`', at + 1);
    }
    if (close == std::string::npos) {
      ++at;  // unterminated: literal
      continue;
    }
    Result::Data piece;
    bool found = false;
    if (c == '`') {
      piece.checking_type = Result::kCodeSpan;
      piece.display_string = text.substr(at + 1, close - at - 1);
      found = !piece.display_string.empty();
    } else if (!nested) {
      found = ReadBracket(text.substr(at + 1, close - at - 1), &piece);
    }
    if (!found) {
      ++at;
      continue;
    }
    piece.formatted_str = text.substr(at, close - at + 1);
    visit(Result(std::move(piece)));
    at = close + 1;
  }
}

}  // namespace mireloom
