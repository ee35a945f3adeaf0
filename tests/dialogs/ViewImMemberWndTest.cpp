// The member card: a side panel filled once from the user cache.

#include "app/frame/WindowManager.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "DialogFixture.h"
#include "dialogs/common/DialogMessages.h"
#include "duilib/testing.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"
#include "support/TempFolder.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace mt = mireloom::testing;

constexpr const wchar_t* kFields[] = {L"label_displayname", L"label_username", L"label_position",
                                      L"label_department",  L"label_email",    L"label_phone"};

std::string CardAvatarKey(const std::string& uid) {
  auto user = mireloom::UserManager::DefaultManager()->FetchUserFromCacheByUid(uid);
  return mireloom::avatar_url(user->header_uri(), 60, 60, 1);
}

// Moves the user's Documents folder, and with it the download cache, while it lives.
class MovedDocumentsFolder final {
 public:
  explicit MovedDocumentsFolder(const std::wstring& folder) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    DWORD size = sizeof m_previous;
    m_had = RegQueryValueExW(m_key, L"Personal", nullptr, nullptr, reinterpret_cast<BYTE*>(m_previous), &size) == 0;
    Set(folder.c_str());
  }
  ~MovedDocumentsFolder() {
    m_had ? Set(m_previous) : RegDeleteValueW(m_key, L"Personal");
    RegCloseKey(m_key);
  }

 private:
  LSTATUS Set(const wchar_t* path) {
    return RegSetValueExW(m_key, L"Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path),
                          static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
  }
  HKEY m_key = nullptr;
  wchar_t m_previous[MAX_PATH] = {};
  bool m_had = false;
};

class ViewImMemberWndTest : public DialogTest {
 protected:
  static void Open(const std::string& uid, const std::function<void(HWND)>& script) {
    Drive(L"ViewImMemberWnd", [&] { WindowManager::GetInstance()->ShowViewImMemberWnd(uid, 600, 130, 560); }, script);
  }
  static std::vector<std::wstring> Fields(HWND window) {
    std::vector<std::wstring> texts;
    for (const wchar_t* field : kFields) texts.push_back(TextOf(window, field));
    return texts;
  }
};

TEST_F(ViewImMemberWndTest, ShowsLinBesideItsOpenerWithHerCachedAvatar) {
  const std::string key = CardAvatarKey("usr-lin");
  SetCached(key, true);
  Open("usr-lin", [&](HWND window) {
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 600);
    EXPECT_EQ(placed.right - placed.left, 320) << "the opener's rectangle, not the skin's size";
    EXPECT_EQ(placed.bottom - placed.top, 560);
    const auto fields = Fields(window);
    EXPECT_EQ(std::vector<std::wstring>(fields.begin(), fields.end() - 1),
              (std::vector<std::wstring>{L"林晓", L"@lin", L"前端工程师", L"前端组", L"lin@corvanel.test"}));
    EXPECT_EQ(fields.back().rfind(L"555 01", 0), 0u);
    EXPECT_EQ(TextOf(window, L"title_file"), L"Profile");
    EXPECT_EQ(ImageOf(Find(window, L"avatar_btn")), GetCachedFilePath(key));
    EXPECT_FALSE(AvatarRequested(key)) << "a cached avatar sends no request";

    WindowManager::GetInstance()->ShowViewImMemberWnd("usr-sun", 0, 0, 300);  // opens nothing while one is open
    SendMessageW(window, mireloomwnd::WM_PROFILE_AVATAR_DOWNLOADED, 0, 0);    // passed on untouched
    EXPECT_EQ(TextOf(window, L"label_displayname"), L"林晓");
    SaveShot(window, L"member_card");
    Testing::Click(window, L"close_btn");
  });
}

TEST_F(ViewImMemberWndTest, AnEmptyUserNameShowsTheSignAndAnUnknownUidLeavesTheSkinAsItIs) {
  mireloom::User::Data nameless;
  nameless.uid = "usr-nameless";
  mt::PreloadUsers({nameless});
  Open("usr-nameless", [&](HWND window) {
    EXPECT_EQ(TextOf(window, L"label_username"), L"@");
    Testing::Click(window, L"close_btn");
  });
  Open("usr-nobody", [&](HWND window) {
    EXPECT_EQ(Fields(window), std::vector<std::wstring>(6));
    EXPECT_EQ(TextOf(window, L"title_file"), L"") << "not even the captions";
    EXPECT_EQ(Find(window, L"close_btn")->GetToolTip(), L"");
    EXPECT_EQ(ImageOf(Find(window, L"avatar_btn")), L"");
    Testing::Click(window, L"close_btn");
  });
}

TEST_F(ViewImMemberWndTest, AnAvatarDownloadedIntoADocumentsFolderWithChineseCharactersIsShown) {
  test_support::TempFolder documents;
  const MovedDocumentsFolder moved(documents.Path());
  ASSERT_EQ(GetDocumentsFolder(), documents.Path());
  Open("usr-lin", [&](HWND window) {
    const std::wstring cached = GetCachedFilePath(CardAvatarKey("usr-lin"));
    EXPECT_EQ(cached.rfind(documents.Path(), 0), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ImageOf(Find(window, L"avatar_btn")) == cached; }))
        << "the whole path of the download comes back, Chinese characters included";
    Testing::Click(window, L"close_btn");
  });
}

}  // namespace
}  // namespace dialogs_test
