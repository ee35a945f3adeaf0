#pragma once

// Chooses the interface language: simplified Chinese, traditional Chinese or
// English, preset to the language in force. Saving another one asks for a
// confirmation, stores it in the settings file and tells the main window,
// which rebuilds itself in that language.

#include <windows.h>

#include <optional>

#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class SwitchLanguageWnd final : public DuiLib::WindowImplBase {
 public:
  // The system's interface language; GetUserDefaultUILanguage unless a test
  // puts another in place (null puts it back).
  using UiLanguageFunction = LANGID (*)();
  static void SetUiLanguageFunction(UiLanguageFunction function);

  SwitchLanguageWnd() = default;

  LPCTSTR GetWindowClassName() const override { return L"SwitchLanguageWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_switch_language_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  void OnFinalMessage(HWND hWnd) override;

  // The combo's entry for a stored language (0 follows the system's
  // interface language); none for a value outside 0 to 3.
  [[nodiscard]] static std::optional<int> PresetIndex(int storedLanguage, UiLanguageFunction uiLanguage);
  // The stored value of the combo's entry ("1", "2", "3"); "3" without a combo.
  [[nodiscard]] static const wchar_t* StoredValueOf(const DuiLib::CComboUI* combo);

 private:
  void Save();

  CWndShadow m_shadow;
  int m_storedLanguage = 0;  // as read when the window opened
  DuiLib::CComboUI* m_languageCombo = nullptr;
};

}  // namespace mireloomwnd
