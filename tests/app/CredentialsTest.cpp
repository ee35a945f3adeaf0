#include <windows.h>
#include <wincred.h>

#include <gtest/gtest.h>

#include "app/storage/Credentials.h"

namespace {

class CredentialsTest : public testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* team : {L"mireloom/team-a", L"mireloom/团队", L"mireloom/team-limits"}) {
      CredDeleteW(team, CRED_TYPE_GENERIC, 0);
    }
  }
};

TEST_F(CredentialsTest, RoundTripsForTheSameUser) {
  ASSERT_TRUE(SaveCredential("team-a", "zhou", "secret 密码"));
  EXPECT_EQ(LoadCredential("team-a", "zhou"), L"secret 密码");
  ASSERT_TRUE(SaveCredential("团队", "周", "p"));
  EXPECT_EQ(LoadCredential("团队", "周"), L"p");
}

TEST_F(CredentialsTest, IsStoredAsTheTeamsGenericCredential) {
  ASSERT_TRUE(SaveCredential("team-a", "zhou", "abc"));
  PCREDENTIALW stored = nullptr;
  ASSERT_TRUE(CredReadW(L"mireloom/team-a", CRED_TYPE_GENERIC, 0, &stored));
  EXPECT_STREQ(stored->UserName, L"zhou");
  ASSERT_EQ(stored->CredentialBlobSize, 4u) << "the password with its NUL";
  EXPECT_EQ(memcmp(stored->CredentialBlob, "abc", 4), 0);
  EXPECT_EQ(stored->Persist, static_cast<DWORD>(CRED_PERSIST_LOCAL_MACHINE));
  CredFree(stored);
}

TEST_F(CredentialsTest, OnlyTheExactUserGetsThePassword) {
  ASSERT_TRUE(SaveCredential("team-a", "zhou", "pw"));
  EXPECT_EQ(LoadCredential("team-a", "Zhou"), L"");
  EXPECT_EQ(LoadCredential("team-a", "zhou "), L"");
  EXPECT_EQ(LoadCredential("team-a", "li"), L"");
  EXPECT_EQ(LoadCredential("other-team", "zhou"), L"");
}

TEST_F(CredentialsTest, ASecondUserReplacesTheFirst) {
  ASSERT_TRUE(SaveCredential("team-a", "a", "pa"));
  ASSERT_TRUE(SaveCredential("team-a", "b", "pb"));
  EXPECT_EQ(LoadCredential("team-a", "b"), L"pb");
  EXPECT_EQ(LoadCredential("team-a", "a"), L"");
}

TEST_F(CredentialsTest, AnEmptyPasswordReadsBackEmpty) {
  ASSERT_TRUE(SaveCredential("team-a", "zhou", ""));
  PCREDENTIALW stored = nullptr;
  ASSERT_TRUE(CredReadW(L"mireloom/team-a", CRED_TYPE_GENERIC, 0, &stored));
  EXPECT_EQ(stored->CredentialBlobSize, 1u);
  CredFree(stored);
  EXPECT_EQ(LoadCredential("team-a", "zhou"), L"");
}

TEST_F(CredentialsTest, ValuesOverTheirLimitsAreRefused) {
  EXPECT_TRUE(SaveCredential("team-limits", "u", std::string(254, 'p')));
  EXPECT_EQ(LoadCredential("team-limits", "u"), std::wstring(254, L'p'));
  EXPECT_FALSE(SaveCredential("team-limits", "u", std::string(255, 'q')));
  EXPECT_EQ(LoadCredential("team-limits", "u"), std::wstring(254, L'p')) << "the refused save changed nothing";
  EXPECT_FALSE(SaveCredential("team-limits", std::string(255, 'u'), "p"));
  EXPECT_FALSE(SaveCredential(std::string(1020, 't'), "u", "p"));
}

TEST_F(CredentialsTest, ARecordWithoutUserOrBlobGivesNothing) {
  CREDENTIALW credential = {};
  credential.Type = CRED_TYPE_GENERIC;
  credential.TargetName = const_cast<wchar_t*>(L"mireloom/team-a");
  credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
  ASSERT_TRUE(CredWriteW(&credential, 0));
  EXPECT_EQ(LoadCredential("team-a", ""), L"");
  EXPECT_EQ(LoadCredential("team-a", "zhou"), L"");
}

}  // namespace
