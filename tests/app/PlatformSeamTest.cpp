#include <gtest/gtest.h>

#include "app/ui/PlatformSeam.h"
#include "mireloom/testing.h"
#include "quennet/testing.h"
#include "support/RecordingPlatform.h"
#include "support/TempFolder.h"

namespace {

TEST(OpenAddressTest, OnlyAbsoluteWebAddressesAreOpenable) {
  struct Case {
    const wchar_t* address;
    bool web;
    bool mail;
  };
  const Case cases[] = {
      {L"https://demo.corvanel.test/forgot", true, true},
      {L"HTTP://www.corvanel.test/signup", true, true},
      {L"http://example.com", true, true},
      {L"mailto:someone@corvanel.test", false, true},
      {L"", false, false},
      {L"https://", false, false},
      {L"http:///path", false, false},
      {L"file:///C:/windows/system32/calc.exe", false, false},
      {L"C:\\windows\\system32\\cmd.exe", false, false},
      {L"calc", false, false},
      {L"javascript:alert(1)", false, false},
      {L"https://a.test/x y", false, false},
      {L"https://a.test/\n", false, false},
      {L"mailto:", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsOpenableAddress(c.address, AddressPolicy::Web), c.web) << c.address;
    EXPECT_EQ(IsOpenableAddress(c.address, AddressPolicy::WebAndMail), c.mail) << c.address;
  }
}

TEST(OpenAddressTest, OpensThroughThePlatformAndLogsRefusals) {
  CRecordingPlatform platform;
  quennet::ScopedLogCapture log;
  EXPECT_TRUE(OpenAddress(L"https://demo.corvanel.test/admin/members"));
  EXPECT_FALSE(OpenAddress(L"C:\\evil.exe"));
  EXPECT_FALSE(OpenAddress(L"mailto:a@b.test"));
  EXPECT_TRUE(OpenAddress(L"mailto:a@b.test", AddressPolicy::WebAndMail));

  const auto opened = platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].text, L"https://demo.corvanel.test/admin/members");
  EXPECT_EQ(opened[1].text, L"mailto:a@b.test");
  EXPECT_TRUE(log.Contains("Refused to open address C:\\evil.exe"));
}

TEST(RecordingPlatformTest, AnswersFromItsScriptAndRestoresTheRealPlatform) {
  {
    CRecordingPlatform platform;
    platform.QueueMessageBoxResult(IDCANCEL);
    EXPECT_EQ(Platform().ShowMessageBox(nullptr, L"text", L"caption", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(Platform().ShowMessageBox(nullptr, L"again", L"caption", MB_OK), IDOK);

    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    EXPECT_FALSE(Platform().ShowOpenFileDialog(&dialog)) << "no scripted file: cancelled";
    platform.SetOpenFileName(L"C:\\文件\\a.png");
    EXPECT_TRUE(Platform().ShowOpenFileDialog(&dialog));
    EXPECT_STREQ(file, L"C:\\文件\\a.png");

    platform.SetOnline(false);
    EXPECT_FALSE(Platform().IsOnline());
    EXPECT_EQ(platform.Count(PlatformCall::MessageBox), 2u);
    EXPECT_EQ(platform.CallsOf(PlatformCall::MessageBox)[0].caption, L"caption");
    EXPECT_EQ(&Platform(), &platform);
  }
  EXPECT_NE(dynamic_cast<CWin32Platform*>(&Platform()), nullptr);
}

}  // namespace

namespace {

TEST(Win32PlatformTest, DownloadsFromTheServicesHostsGoThroughTheHttpClientAndKeepOnlyWholeReplies) {
  mireloom::testing::ScopedCore core;
  mireloom::testing::HttpScript("https://files.corvanel.test/saved.png", 200, {}, "picture bytes");
  mireloom::testing::HttpScript("https://files.corvanel.test/moved.png", 302,
                                {{"Location", "https://files.corvanel.test/saved.png"}}, "");
  test_support::TempFolder folder;
  CWin32Platform platform;
  EXPECT_TRUE(platform.DownloadUrlToFile(L"https://files.corvanel.test/saved.png", folder / L"图.png"));
  EXPECT_EQ(test_support::ReadFileBytes(folder / L"图.png"), "picture bytes");
  EXPECT_FALSE(platform.DownloadUrlToFile(L"https://files.corvanel.test/moved.png", folder / L"b.png"))
      << "a redirect is not the file";
  EXPECT_EQ(GetFileAttributesW((folder / L"b.png").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32PlatformTest, TheSniffNamesAPictureFromItsBytes) {
  const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  const std::wstring mime = CWin32Platform().SniffMimeType(png, sizeof png);
  EXPECT_NE(mime.find(L"png"), std::wstring::npos) << mime.c_str();
}

}  // namespace
