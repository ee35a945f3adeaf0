#include "mainwnd/contacts/ContactsLogic.h"

#include <algorithm>

#include "app/text/TextHelpers.h"
#include "mainwnd/messages/MessageMarkup.h"

namespace mireloomwnd {

namespace {

constexpr int kCallAnimationSteps = 7;

}  // namespace

bool CompareUsersByPinyin(const std::unique_ptr<mireloom::User>& a, const std::unique_ptr<mireloom::User>& b) {
  return a->pinyin() < b->pinyin();
}

bool PinyinStartsWith::operator()(const std::unique_ptr<mireloom::User>& user) const {
  const std::string& pinyin = user->pinyin();
  return !pinyin.empty() && pinyin.front() == m_letter;
}

LetterGroup FindLetterGroup(const std::vector<std::unique_ptr<mireloom::User>>& sortedUsers, char letter) {
  const PinyinStartsWith starts(letter);
  const auto first = std::find_if(sortedUsers.begin(), sortedUsers.end(), starts);
  const auto last = std::find_if_not(first, sortedUsers.end(), starts);
  return {static_cast<size_t>(first - sortedUsers.begin()), static_cast<size_t>(last - sortedUsers.begin())};
}

std::wstring LetterNodeName(char letter) {
  return std::wstring(1, static_cast<wchar_t>(letter - 'a' + 'A')) + L"_node";
}

std::optional<std::string> AvatarCacheKey(const std::string& avatarName, char mark) {
  if (avatarName.empty()) return std::nullopt;
  if (!mark) return avatarName;
  if (avatarName.size() < 2) return std::nullopt;
  return mark + avatarName.substr(1);
}

std::wstring CountedNodeText(const std::string& name, size_t count) {
  return Utf8ToWide(name) + L"(" + std::to_wstring(count) + L")";
}

std::wstring MemberDetailLine(const std::wstring& caption, const std::string& value) {
  return caption + L"   {c #262626}" + messageview::EscapeText(Utf8ToWide(value)) + L"{/c }";
}

std::wstring NextCallingText(const std::wstring& current, const CallingTexts& texts) {
  if (current == texts.three) return texts.one;
  if (current == texts.one) return texts.two;
  if (current == texts.two) return texts.three;
  return current;
}

bool AdvanceCallAnimation(int& ticks) {
  if (ticks < kCallAnimationSteps) {
    ++ticks;
    return true;
  }
  ticks = 1;
  return false;
}

}  // namespace mireloomwnd
