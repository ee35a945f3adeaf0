// The language window: its preset, and what saving writes to the settings
// file. The main window's rebuild is tested with the main window.

#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "app/storage/UserFolders.h"
#include "DialogFixture.h"
#include "dialogs/SwitchLanguageWnd.h"
#include "duilib/testing.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
using mireloomwnd::SwitchLanguageWnd;

LANGID s_uiLanguage = 0x0409;
int s_uiLanguageAsked = 0;
LANGID InjectedUiLanguage() {
  ++s_uiLanguageAsked;
  return s_uiLanguage;
}

std::wstring StoredLanguageText() {
  wchar_t value[16] = L"";
  GetPrivateProfileStringW(settings::kSection, settings::kLanguageKey, L"<none>", value, 16, settings::FilePath().c_str());
  return value;
}

CComboUI* Combo(HWND window) {
  return static_cast<CComboUI*>(DialogTest::Find(window, L"switch_language_combo")->GetInterface(L"Combo"));
}

class SwitchLanguageWndTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(EnsureUserDataFolder());
    m_saved = StoredLanguageText();
    SwitchLanguageWnd::SetUiLanguageFunction(&InjectedUiLanguage);
  }
  void TearDown() override {
    SwitchLanguageWnd::SetUiLanguageFunction(nullptr);
    WritePrivateProfileStringW(settings::kSection, settings::kLanguageKey,
                               m_saved == L"<none>" ? nullptr : m_saved.c_str(), settings::FilePath().c_str());
    DialogTest::TearDown();
  }
  static void Store(const wchar_t* value) { settings::WriteString(settings::kLanguageKey, value); }
  static void Open(const std::function<void(HWND)>& script) {
    Drive(L"SwitchLanguageWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowSwitchLanguageWnd(); }, script);
  }

 private:
  std::wstring m_saved;
};

TEST_F(SwitchLanguageWndTest, ThePresetIsTheStoredLanguageOrForZeroTheSystemsInterfaceLanguage) {
  const auto preset = [](int stored, LANGID system) {
    s_uiLanguage = system;
    s_uiLanguageAsked = 0;
    const std::optional<int> index = SwitchLanguageWnd::PresetIndex(stored, &InjectedUiLanguage);
    EXPECT_EQ(s_uiLanguageAsked, stored == 0 ? 1 : 0) << "asked for a stored 0 only";
    return index.value_or(-1);
  };
  EXPECT_EQ(preset(1, 0x0404), 0);
  EXPECT_EQ(preset(2, 0x0804), 1);
  EXPECT_EQ(preset(3, 0x0804), 2);
  EXPECT_EQ(preset(0, 0x0804), 0);
  EXPECT_EQ(preset(0, 0x0404), 1);
  EXPECT_EQ(preset(0, 0x0C04), 2) << "Hong Kong's traditional Chinese is not Taiwan's";
  EXPECT_EQ(preset(4, 0x0804), -1) << "an unknown value leaves the skin's entry";
  EXPECT_EQ(SwitchLanguageWnd::StoredValueOf(nullptr), std::wstring(L"3")) << "without a combo, English";

  s_uiLanguage = 0x0404;
  Store(L"0");
  Open([&](HWND window) {
    EXPECT_EQ(Combo(window)->GetText(), L"繁體中文");
    EXPECT_EQ(TextOf(window, L"switch_language_title_label"), L"Language");
    SaveShot(window, L"switch_language");
    Testing::Click(window, L"cancel_btn");
  });
  EXPECT_EQ(StoredLanguageText(), L"0") << "cancel writes nothing";
}

TEST_F(SwitchLanguageWndTest, TheLanguageInForceClosesWithoutABoxOrAWrite) {
  Store(L"02");  // read as 2; a write would make it "2"
  Open([&](HWND window) {
    EXPECT_EQ(Combo(window)->GetCurSel(), 1);
    Testing::Click(window, L"save_btn");
  });
  EXPECT_EQ(m_platform.Count(PlatformCall::MessageBox), 0u);
  EXPECT_EQ(StoredLanguageText(), L"02");
}

TEST_F(SwitchLanguageWndTest, ANewLanguageIsConfirmedWithOnlyAnOkButtonThenWritten) {
  Store(L"1");
  Open([&](HWND window) {
    Combo(window)->SelectItem(2, false);
    Testing::Click(window, L"save_btn");
  });
  ASSERT_EQ(m_platform.Count(PlatformCall::MessageBox), 1u);
  const auto box = m_platform.CallsOf(PlatformCall::MessageBox)[0];
  EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK));
  EXPECT_EQ(box.caption, L"Switch language");
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(StoredLanguageText(), L"3");

  // A stored 0 never equals an entry: saving the preset asks and writes it.
  s_uiLanguage = 0x0804;
  Store(L"0");
  Open([&](HWND window) { Testing::Click(window, L"save_btn"); });
  EXPECT_EQ(m_platform.Count(PlatformCall::MessageBox), 2u);
  EXPECT_EQ(StoredLanguageText(), L"1");
}

}  // namespace
}  // namespace dialogs_test
