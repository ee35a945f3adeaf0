#include "dialogs/SwitchLanguageWnd.h"

#include "app/frame/WindowManager.h"
#include "app/storage/Settings.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ConversationHost.h"
#include "app/ui/PlatformSeam.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

// The combo's entries follow the stored values in the skin's order: the
// stored value is the index + 1.
constexpr int EntryOf(settings::Language language) { return static_cast<int>(language) - 1; }

// The language of a combo entry; no entry or an unknown one is English.
settings::Language LanguageOfEntry(int entry) {
  for (const auto language : {settings::Language::SimplifiedChinese, settings::Language::TraditionalChinese}) {
    if (entry == EntryOf(language)) return language;
  }
  return settings::Language::English;
}

SwitchLanguageWnd::UiLanguageFunction s_uiLanguage = nullptr;

LANGID SystemUiLanguage() { return s_uiLanguage ? s_uiLanguage() : GetUserDefaultUILanguage(); }

}  // namespace

void WindowManager::ShowSwitchLanguageWnd() { Show<SwitchLanguageWnd>(WindowSlot::SwitchLanguageWnd, {}); }

void SwitchLanguageWnd::SetUiLanguageFunction(UiLanguageFunction function) { s_uiLanguage = function; }

CDuiString SwitchLanguageWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT SwitchLanguageWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void SwitchLanguageWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"switch_language_title_label", "SwitchLanguageWndTitle"},
                              {L"save_btn", "SaveSwitchLanguageBtn"},
                              {L"cancel_btn", "CancelSwitchLanguageBtn"}});
  m_languageCombo = FindSkinControl<CComboUI>(m_PaintManager, L"switch_language_combo", L"Combo");
  m_storedLanguage = settings::ReadInt(settings::kLanguageKey);
  if (!m_languageCombo) return;
  if (const std::optional<int> index = PresetIndex(m_storedLanguage, &SystemUiLanguage)) {
    m_languageCombo->SelectItem(*index, false);
  }
}

std::optional<int> SwitchLanguageWnd::PresetIndex(int storedLanguage, UiLanguageFunction uiLanguage) {
  const auto language = static_cast<settings::Language>(storedLanguage);
  switch (language) {
    case settings::Language::SimplifiedChinese:
    case settings::Language::TraditionalChinese:
    case settings::Language::English:
      return EntryOf(language);
    case settings::Language::FollowSystem:
      return EntryOf(SystemLanguage(uiLanguage()));
  }
  return std::nullopt;  // a value nobody stores: the skin's choice stays
}

const wchar_t* SwitchLanguageWnd::StoredValueOf(const CComboUI* combo) {
  static const wchar_t* const kStoredTexts[] = {L"0", L"1", L"2", L"3"};
  const settings::Language language = combo ? LanguageOfEntry(combo->GetCurSel()) : settings::Language::English;
  return kStoredTexts[static_cast<int>(language)];
}

void SwitchLanguageWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closeBtn" || name == L"cancel_btn") {
      WindowManager::GetInstance()->CloseSwitchLanguageWnd();
    } else if (name == L"save_btn") {
      Save();
    }
  }
  WindowImplBase::Notify(msg);
}

void SwitchLanguageWnd::Save() {
  // A stored 0 (follow the system) never equals an entry: saving it writes.
  if (m_languageCombo && m_languageCombo->GetCurSel() == EntryOf(static_cast<settings::Language>(m_storedLanguage))) {
    WindowManager::GetInstance()->CloseSwitchLanguageWnd();
    return;
  }
  const int answer = Platform().ShowMessageBox(nullptr, LocalizedText("ConfirmSwitchLanguageContent"),
                                               LocalizedText("ConfirmSwitchLanguageTitle"), MB_OK);
  if (answer != IDOK) return;
  const wchar_t* const chosen = StoredValueOf(m_languageCombo);
  if (!settings::WriteString(settings::kLanguageKey, chosen)) {
    // The window still switches: the choice holds until the program ends.
    quennet::log_error("Cannot store the language %s: the settings file %s cannot be written",
                       WideToUtf8(chosen).c_str(), WideToUtf8(settings::FilePath()).c_str());
    Platform().ShowMessageBox(nullptr, LocalizedText("LanguageNotKept"), LocalizedText("ConfirmSwitchLanguageTitle"),
                              MB_OK | MB_ICONWARNING);
  }
  const HWND mainWindow = GetParent(GetHWND());
  WindowManager::GetInstance()->CloseSwitchLanguageWnd();
  // Close only posts the request: the main window rebuilds itself after this
  // handler has returned, in the new language. The choice goes with it, so
  // that the reload does not depend on a file that may not have taken it.
  ::PostMessageW(mainWindow, WM_LANGUAGE_CHANGED, static_cast<WPARAM>(_wtoi(chosen)), 0);
}

void SwitchLanguageWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetSwitchLanguageWnd(nullptr, this); }

}  // namespace mireloomwnd
