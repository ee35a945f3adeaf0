#include "emoji/SelectEmojiWnd.h"

#include <array>
#include <cstdlib>

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ConversationHost.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "emoji/EmojiTables.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kPickerWidth = 432;
constexpr int kPickerHeight = 236;
constexpr int kColumns = 20;
// Room for 840 emoji, of which EmojiList fills 824.
constexpr size_t kRows = 42;
constexpr int kRowHeight = 22;
constexpr int kButtonSize = 20;
constexpr RECT kButtonPadding = {1, 1, 0, 1};
constexpr SIZE kButtonRound = {3, 3};

CHorizontalLayoutUI* CreateRow() {
  auto* row = new CHorizontalLayoutUI;
  row->SetFixedWidth(kPickerWidth);
  row->SetFixedHeight(kRowHeight);
  row->SetPadding(RECT{0, 0, 0, 0});
  return row;
}

// The leading decimal digits of a button's name; 0 when there are none.
uint32_t CodePointOfName(const std::wstring& name) {
  return static_cast<uint32_t>(std::strtoul(WideToUtf8(name).c_str(), nullptr, 10));
}

}  // namespace

void WindowManager::ShowSelectEmojiWnd(const std::string& chatId, int x, int y) {
  Show<SelectEmojiWnd>(WindowSlot::SelectEmojiWnd, {x, y}, chatId, x, y);
}

SelectEmojiWnd::SelectEmojiWnd(const std::string& chatId, int x, int y) : m_chatId(chatId), m_x(x), m_y(y) {}

CDuiString SelectEmojiWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT SelectEmojiWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  // The picker keeps the style it was created with, as the side panels do.
  const RECT placement = {m_x, m_y, m_x + kPickerWidth, m_y + kPickerHeight};
  return CreateSidePanel(*this, m_shadow, placement, uMsg, wParam, lParam, bHandled);
}

void SelectEmojiWnd::InitWindow() {
  m_emojiFace = FindSkinControl<CContainerUI>(m_PaintManager, L"emoji_face", L"Container");

  // All rows first. Without the container they are not freed: our skin always has it.
  std::array<CHorizontalLayoutUI*, kRows> rows{};
  for (CHorizontalLayoutUI*& row : rows) row = CreateRow();
  size_t rowIndex = 0;
  int column = 0;
  for (const auto& [codePoint, imageName] : EmojiList) {
    if (rowIndex >= kRows) break;
    rows[rowIndex]->Add(CreateEmojiButton(codePoint, imageName));
    if (++column == kColumns) {
      column = 0;
      if (m_emojiFace) m_emojiFace->Add(rows[rowIndex]);
      ++rowIndex;
    }
  }
  // The partly filled last row.
  if (rowIndex < kRows && m_emojiFace) m_emojiFace->Add(rows[rowIndex]);
}

CButtonUI* SelectEmojiWnd::CreateEmojiButton(uint32_t codePoint, const std::string& imageName) {
  auto* button = new CButtonUI;
  // The skin's look of a button (its hover) first; what makes an emoji button comes after.
  if (LPCTSTR defaults = m_PaintManager.GetDefaultAttributeList(L"Button")) button->ApplyAttributeList(defaults);
  button->SetNormalImage(EmojiImagePath(AnsiToWide(imageName)).c_str());
  button->SetBorderRound(kButtonRound);
  button->SetPadding(kButtonPadding);
  button->SetFixedHeight(kButtonSize);
  button->SetFixedWidth(kButtonSize);
  button->SetMouseEnabled(true);
  button->SetName(std::to_wstring(codePoint).c_str());
  return button;
}

void SelectEmojiWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) PickEmoji(msg.pSender->GetName().GetData());
  WindowImplBase::Notify(msg);
}

void SelectEmojiWnd::PickEmoji(const std::wstring& buttonName) {
  const std::string& shortcode = EmojiInsertedShortcode(CodePointOfName(buttonName));
  WindowManager::GetInstance()->CloseSelectEmojiWnd();
  // The window manager leaves this slot open when the main window ends, so the
  // chat input may be gone by now; the main window clears the pointer then.
  if (!ChatInputEdit) return;
  // Appending moves the caret to the end, also when there is nothing to append.
  ChatInputEdit->AppendText(AnsiToWide(shortcode).c_str(), false);
  // The picker took the keyboard; the input gets it back, so that Enter sends.
  ChatInputEdit->SetFocus();
}

LRESULT SelectEmojiWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // The picker has no close button: Esc closes it as the loss of the focus does.
  const bool escape = uMsg == WM_KEYDOWN && wParam == VK_ESCAPE;
  if (uMsg == WM_KILLFOCUS || escape) WindowManager::GetInstance()->CloseSelectEmojiWnd();
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void SelectEmojiWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetSelectEmojiWnd(nullptr, this); }

}  // namespace mireloomwnd
