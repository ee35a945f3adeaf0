#pragma once

// What the contacts panel decides without a window: the order of the team by
// pinyin and its letter groups, the cache key of an avatar in its size, the
// texts of the organisation tree and the member card, and the steps of the
// call button's animation.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mireloom/Channel.h"
#include "mireloom/User.h"

namespace mireloomwnd {

// True when a's pinyin sorts before b's, byte by byte.
[[nodiscard]] bool CompareUsersByPinyin(const std::unique_ptr<mireloom::User>& a,
                                        const std::unique_ptr<mireloom::User>& b);

// Holds for a user whose pinyin begins with the letter; an empty pinyin
// begins with nothing.
class PinyinStartsWith final {
 public:
  explicit PinyinStartsWith(char letter) : m_letter(letter) {}
  [[nodiscard]] bool operator()(const std::unique_ptr<mireloom::User>& user) const;

 private:
  char m_letter;
};

// The members of a team sorted by pinyin whose pinyin begins with the letter:
// [first, last) of the list.
struct LetterGroup {
  size_t first = 0;
  size_t last = 0;
  [[nodiscard]] bool empty() const { return first == last; }
};
[[nodiscard]] LetterGroup FindLetterGroup(const std::vector<std::unique_ptr<mireloom::User>>& sortedUsers,
                                          char letter);

// The letter's node in the contacts tree: "A_node" for 'a'.
[[nodiscard]] std::wstring LetterNodeName(char letter);

// How a member's row looks in either tree.
struct MemberRowStyle {
  int avatarLeft;
  RECT namePadding;
  bool fixedRow;  // the row layout 44 x 210, the name a left-aligned label
};

// The four cache reads whose channels the contacts tree lists, in order;
// a channel two reads return is listed twice.
struct ContactChannelRead {
  mireloom::Channel::Visibility visibility;
  bool first;
  bool second;
};
inline constexpr ContactChannelRead kContactChannelReads[] = {
    {mireloom::Channel::kPublic, true, false},
    {mireloom::Channel::kPublic, true, true},
    {mireloom::Channel::kPublic, false, false},
    {mireloom::Channel::kPrivate, true, false},
};

// The download-cache key of an avatar of one size. The marks ('+', '!') keep
// the sizes of one avatar apart in the cache, whose file names are the keys'
// first 36 characters; they replace the key's first character. Nothing for
// an empty key, or a marked key too short to keep anything of its own.
[[nodiscard]] std::optional<std::string> AvatarCacheKey(const std::string& avatarName, char mark);

// "name(count)", the text of the organisation tree's root and group nodes.
[[nodiscard]] std::wstring CountedNodeText(const std::string& name, size_t count);

// A line of the member card: the caption in the label's colour, three
// spaces, then the value in #262626. The value is escaped: a name or title
// holding "{" cannot change the markup.
[[nodiscard]] std::wstring MemberDetailLine(const std::wstring& caption, const std::string& value);

// The call button's animation: the calling texts cycle one, two, three, and
// the seventh tick ends it. The counter starts at 0 with the program and is
// set to 1 at each end, so the first animation shows seven steps and every
// later one six.
struct CallingTexts {
  std::wstring one;
  std::wstring two;
  std::wstring three;
};
// The text after the current one; any other text stays.
[[nodiscard]] std::wstring NextCallingText(const std::wstring& current, const CallingTexts& texts);
// Counts one tick: true while the animation goes on, false at its end.
[[nodiscard]] bool AdvanceCallAnimation(int& ticks);

}  // namespace mireloomwnd
