// The contacts panel's decisions without a window: letter groups, avatar
// keys, card lines and the call animation's steps.

#include <gtest/gtest.h>

#include <algorithm>

#include "mainwnd/contacts/ContactsLogic.h"

namespace mireloomwnd {
namespace {

std::unique_ptr<mireloom::User> UserWithPinyin(const std::string& pinyin) {
  mireloom::User::Data data;
  data.uid = "usr-" + pinyin;
  data.pinyin = pinyin;
  return std::make_unique<mireloom::User>(data);
}

std::vector<std::string> GroupOf(const std::vector<std::unique_ptr<mireloom::User>>& users, char letter) {
  const LetterGroup group = FindLetterGroup(users, letter);
  std::vector<std::string> pinyins;
  for (size_t i = group.first; i < group.last; ++i) pinyins.push_back(users[i]->pinyin());
  return pinyins;
}

TEST(ContactsLogicTest, MembersAreGroupedByTheLowerCaseFirstLetterOfTheirPinyin) {
  std::vector<std::unique_ptr<mireloom::User>> users;
  for (const char* pinyin : {"zhangsan", "an", "007tegong", "Zed", "", "anran", "bailu", "zhouyiming"}) {
    users.push_back(UserWithPinyin(pinyin));
  }
  std::sort(users.begin(), users.end(), &CompareUsersByPinyin);
  EXPECT_EQ(GroupOf(users, 'a'), (std::vector<std::string>{"an", "anran"}));
  EXPECT_EQ(GroupOf(users, 'z'), (std::vector<std::string>{"zhangsan", "zhouyiming"}));
  EXPECT_TRUE(FindLetterGroup(users, 'c').empty());
  // A digit, an upper-case letter or no pinyin is in no group.
  size_t grouped = 0;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const LetterGroup group = FindLetterGroup(users, letter);
    grouped += group.last - group.first;
  }
  EXPECT_EQ(grouped, 5u);
  EXPECT_EQ(LetterNodeName('a'), L"A_node");
  EXPECT_EQ(LetterNodeName('z'), L"Z_node");
}

TEST(ContactsLogicTest, AvatarKeysOfEachSizeStayApartAndShortKeysGiveNone) {
  EXPECT_EQ(AvatarCacheKey("s40x40-u1.png", 0), "s40x40-u1.png");
  EXPECT_EQ(AvatarCacheKey("s108x108-u1.png", '+'), "+108x108-u1.png");
  EXPECT_EQ(AvatarCacheKey("s60x60-u1.png", '!'), "!60x60-u1.png");
  EXPECT_EQ(AvatarCacheKey("", 0), std::nullopt);
  EXPECT_EQ(AvatarCacheKey("", '+'), std::nullopt);
  EXPECT_EQ(AvatarCacheKey("s", '+'), std::nullopt) << "the mark would leave nothing of the key";
}

TEST(ContactsLogicTest, CardLinesAndNodeTextsKeepMarkupOut) {
  EXPECT_EQ(MemberDetailLine(L"Phone", "555 1234"), L"Phone   {c #262626}555 1234{/c }");
  // A value holding markup is shown as typed, not read as markup.
  EXPECT_EQ(MemberDetailLine(L"Position", "{b}lead{/b}"), L"Position   {c #262626}{{b}}lead{{/b}}{/c }");
  EXPECT_EQ(CountedNodeText("示例团队", 18), L"示例团队(18)");
}

TEST(ContactsLogicTest, TheFirstCallAnimationTakesSevenStepsAndEveryLaterOneSix) {
  const CallingTexts texts = {L"one", L"two", L"three"};
  int ticks = 0;
  for (int animation = 0; animation < 2; ++animation) {
    std::wstring text = texts.three;
    std::vector<std::wstring> shown;
    while (AdvanceCallAnimation(ticks)) {
      text = NextCallingText(text, texts);
      shown.push_back(text);
    }
    const std::vector<std::wstring> first = {L"one", L"two", L"three", L"one", L"two", L"three", L"one"};
    EXPECT_EQ(shown, animation == 0 ? first : std::vector<std::wstring>(first.begin(), first.end() - 1));
    EXPECT_EQ(ticks, 1);
  }
  EXPECT_EQ(NextCallingText(L"Call", texts), L"Call") << "another text stays";
}

}  // namespace
}  // namespace mireloomwnd
