// The member card: a side panel filled once from the user cache.

#include "DialogFixture.h"
#include "app/UserFolders.h"
#include "support/TempFolder.h"
#include "app/WindowManager.h"
#include "dialogs/DialogMessages.h"
#include "duilib/testing.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr wchar_t kWindow[] = L"ViewImMemberWnd";
constexpr const wchar_t* kFields[] = {L"label_displayname", L"label_username", L"label_phone",
                                      L"label_email",       L"label_position", L"label_department"};

std::string CardAvatarKey(const std::string& uid) {
  auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return mireloom::avatar_url(user->header_uri(), 60, 60, 1);
}

// Moves the user's Documents folder (and so the download cache) for a test.
class ScopedDocumentsFolder final {
 public:
  explicit ScopedDocumentsFolder(const std::wstring& folder) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    wchar_t previous[MAX_PATH] = {};
    DWORD size = sizeof previous;
    m_hadValue = RegQueryValueExW(m_key, L"Personal", nullptr, &m_type, reinterpret_cast<BYTE*>(previous), &size) == 0;
    m_previous = previous;
    Write(folder, REG_EXPAND_SZ);
  }
  ~ScopedDocumentsFolder() {
    if (m_hadValue) {
      Write(m_previous, m_type);
    } else {
      RegDeleteValueW(m_key, L"Personal");
    }
    RegCloseKey(m_key);
  }

 private:
  static constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  void Write(const std::wstring& value, DWORD type) {
    RegSetValueExW(m_key, L"Personal", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  HKEY m_key = nullptr;
  bool m_hadValue = false;
  DWORD m_type = REG_EXPAND_SZ;
  std::wstring m_previous;
};

class ViewImMemberWndTest : public DialogTest {
 protected:
  static void Open(const std::string& uid, const std::function<void(HWND)>& script) {
    Drive(kWindow, [&] { WindowManager::GetInstance()->ShowViewImMemberWnd(uid, 600, 130, 560); }, script);
  }
  static std::vector<std::wstring> Fields(HWND window) {
    std::vector<std::wstring> texts;
    for (const wchar_t* field : kFields) texts.push_back(TextOf(window, field));
    return texts;
  }
};

TEST_F(ViewImMemberWndTest, ShowsTheSixFieldsOfLinBesideItsOpenerWithHerCachedAvatar) {
  const std::string key = CardAvatarKey("usr-lin");
  CacheAvatar(key);
  Open("usr-lin", [&](HWND window) {
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 600);
    EXPECT_EQ(placed.top, 130);
    EXPECT_EQ(placed.right - placed.left, 320) << "the skin's size gave way to the opener's";
    EXPECT_EQ(placed.bottom - placed.top, 560);
    const auto fields = Fields(window);
    EXPECT_EQ(fields[0], L"林晓");
    EXPECT_EQ(fields[1], L"@lin");
    EXPECT_FALSE(fields[2].empty());
    EXPECT_EQ(fields[3], L"lin@corvanel.test");
    EXPECT_EQ(fields[4], L"前端工程师");
    EXPECT_EQ(fields[5], L"前端组");
    EXPECT_EQ(TextOf(window, L"title_file"), L"Profile");
    EXPECT_EQ(NormalImage(Find(window, L"avatar_btn")), GetCachedFilePath(key));
    EXPECT_FALSE(AvatarRequested(key)) << "a cached avatar sends no request";

    // A second card while this one is open opens nothing.
    WindowManager::GetInstance()->ShowViewImMemberWnd("usr-sun", 0, 0, 300);
    EXPECT_EQ(TextOf(window, L"label_displayname"), L"林晓");
    // A message without a record is passed on untouched.
    SendMessageW(window, mireloomwnd::WM_PROFILE_AVATAR_DOWNLOADED, 0, 0);
    EXPECT_EQ(NormalImage(Find(window, L"avatar_btn")), GetCachedFilePath(key));
    SaveShot(window, L"member_card");
    Testing::Click(window, L"close_btn");
  });
}

TEST_F(ViewImMemberWndTest, AnEmptyUserNameShowsTheSignAndAnUnknownUidLeavesTheSkinAsItIs) {
  mireloom::User::Data nameless;
  nameless.uid = "usr-nameless";
  nameless.display_name = "无名氏";
  mt::PreloadUsers({nameless});
  Open("usr-nameless", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"label_username"), L"@");
    Testing::Click(window, L"close_btn");
  });

  Open("usr-nobody", [&](HWND window) {
    for (const std::wstring& field : Fields(window)) EXPECT_EQ(field, L"");
    EXPECT_EQ(TextOf(window, L"title_file"), L"") << "not even the captions";
    EXPECT_EQ(std::wstring(Find(window, L"close_btn")->GetToolTip().GetData()), L"");
    EXPECT_EQ(NormalImage(Find(window, L"avatar_btn")), L"");
    Testing::Click(window, L"close_btn");
  });
}

TEST_F(ViewImMemberWndTest, AnAvatarDownloadedIntoADocumentsFolderWithChineseCharactersIsShown) {
  test_support::TempFolder documents;
  const ScopedDocumentsFolder moved(documents.Path());
  ASSERT_EQ(GetDocumentsFolder(), documents.Path());
  const std::string key = CardAvatarKey("usr-lin");
  Open("usr-lin", [&](HWND window) {
    const std::wstring cached = GetCachedFilePath(key);
    EXPECT_NE(cached.find(documents.Path()), std::wstring::npos);
    EXPECT_TRUE(WaitUntil([&] { return NormalImage(Find(window, L"avatar_btn")) == cached; }))
        << "the whole path of the downloaded file comes back, Chinese characters included";
    Testing::Click(window, L"close_btn");
  });
}

}  // namespace
}  // namespace dialogs_test
