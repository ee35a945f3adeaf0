#include <gtest/gtest.h>

#include "app/text/StringTable.h"
#include "signin/SigninTexts.h"

using namespace signin;
using mireloomwnd::NextBusyText;

namespace {

// The texts of the current language, as the windows see them.
class SigninTextsTest : public testing::Test {
 protected:
  void SetUp() override {
    StringTable = {{"CheckDomainOne", "Checking."},
                   {"CheckDomainTwo", "Checking.."},
                   {"CheckDomainThree", "Checking..."},
                   {"LoggingOne", "登录中."},
                   {"LoggingTwo", "登录中.."},
                   {"LoggingThree", "登录中..."},
                   {"DomainError", "No such team"},
                   {"ConnectServerFailed", "Cannot reach the server"},
                   {"UsernameOrPasswordError", "Wrong user name or password"},
                   {"LogInFailed", "Sign-in failed"},
                   {"ServiceStoreInUse", "The store is in use"},
                   {"ServiceStoreNotWritable", "The store cannot be written"}};
  }
  void TearDown() override { StringTable.clear(); }
};

TEST_F(SigninTextsTest, TheBusyTextsCycleFromThreeDotsToOne) {
  EXPECT_EQ(NextBusyText(L"Checking...", kCheckingKeys), L"Checking.") << "the first tick after the busy look";
  EXPECT_EQ(NextBusyText(L"Checking.", kCheckingKeys), L"Checking..");
  EXPECT_EQ(NextBusyText(L"Checking..", kCheckingKeys), L"Checking...");
  EXPECT_EQ(NextBusyText(L"登录中...", kLoggingKeys), L"登录中.");
  EXPECT_EQ(NextBusyText(L"登录中.", kLoggingKeys), L"登录中..");
  EXPECT_EQ(NextBusyText(L"Continue", kCheckingKeys), L"") << "another text stays as it is";
  EXPECT_EQ(NextBusyText(L"Checking...", kLoggingKeys), L"");
}

TEST_F(SigninTextsTest, VersionsFromSixteenOnAreNewer) {
  EXPECT_TRUE(IsNewerClientVersion(16));
  EXPECT_TRUE(IsNewerClientVersion(1LL << 40));
  EXPECT_FALSE(IsNewerClientVersion(15));
  EXPECT_FALSE(IsNewerClientVersion(0));
  EXPECT_FALSE(IsNewerClientVersion(-16));
  EXPECT_FALSE(IsNewerClientVersion(INT64_MIN));
}

TEST_F(SigninTextsTest, TeamLookupFailuresShowTheirCode) {
  EXPECT_EQ(TeamLookupFailureText(404), L"No such team (code:404)");
  EXPECT_EQ(TeamLookupFailureText(-1), L"No such team (code:-1)");
  EXPECT_EQ(TeamLookupFailureText(INT32_MIN), L"No such team (code:-2147483648)");
}

TEST_F(SigninTextsTest, LoginFailuresHaveOneTextPerKnownCode) {
  EXPECT_EQ(LoginFailureText(-1), L"Cannot reach the server");
  EXPECT_EQ(LoginFailureText(8000), L"Wrong user name or password");
  EXPECT_EQ(LoginFailureText(8001), L"Sign-in failed (code:8001)");
  EXPECT_EQ(LoginFailureText(8003), L"The store is in use");
  EXPECT_EQ(LoginFailureText(8004), L"The store cannot be written");
  EXPECT_EQ(LoginFailureText(202), L"Sign-in failed (code:202)");
  // Only the whole 64-bit value -1 means "unreachable".
  EXPECT_EQ(LoginFailureText(0xFFFFFFFFLL), L"Sign-in failed (code:4294967295)");
  EXPECT_EQ(LoginFailureText(-2), L"Sign-in failed (code:-2)");
}

TEST_F(SigninTextsTest, InitialPasswordFailuresUseTheirFixedTexts) {
  EXPECT_EQ(InitPasswordFailureText(-1), L"链接到服务器失败");
  EXPECT_EQ(InitPasswordFailureText(8002), L"初始化密码失败 (code:8002)");
  EXPECT_EQ(InitPasswordFailureText(0xFFFFFFFFLL), L"初始化密码失败 (code:4294967295)");
}

TEST_F(SigninTextsTest, ANewPasswordMustMatchFirstThenHaveSixBytes) {
  EXPECT_EQ(CheckNewPassword(L"abc", L"abc"), NewPasswordCheck::TooShort);
  EXPECT_EQ(CheckNewPassword(L"abcdef", L"abcdef"), NewPasswordCheck::Accepted);
  EXPECT_EQ(CheckNewPassword(L"密码", L"密码"), NewPasswordCheck::Accepted) << "two characters, six bytes of UTF-8";
  EXPECT_EQ(CheckNewPassword(L"密", L"密"), NewPasswordCheck::TooShort);
  EXPECT_EQ(CheckNewPassword(L"ab", L"abc"), NewPasswordCheck::Mismatch) << "the mismatch is told even when short";
  EXPECT_EQ(CheckNewPassword(L"abcdefg", L"abcdefG"), NewPasswordCheck::Mismatch);
  EXPECT_EQ(CheckNewPassword(L"", L""), NewPasswordCheck::TooShort);
  EXPECT_EQ(NewPasswordCheckText(NewPasswordCheck::Mismatch), L"两次输入的密码不一致");
  EXPECT_EQ(NewPasswordCheckText(NewPasswordCheck::TooShort), L"密码长度至少为6位");
}

}  // namespace
