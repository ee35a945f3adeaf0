#pragma once

// The emoji picker: a small popup over the main window's emoji button with
// every emoji of EmojiList as a picture button, 20 to a row. A click closes
// it and appends the emoji's short code to the main window's chat input; it
// also closes as soon as it loses the keyboard focus. The window manager
// opens it modally, without an owner (its slot for the emoji picker).

#include <cstdint>
#include <string>

#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class SelectEmojiWnd final : public DuiLib::WindowImplBase {
 public:
  // (x, y) is the screen position of the picker's top-left corner, taken as
  // it is, also where part of the picker then lies off the screen.
  SelectEmojiWnd(const std::string& chatId, int x, int y);

  LPCTSTR GetWindowClassName() const override { return L"SelectEmojiWnd"; }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;
  void InitWindow() override;
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_select_emoji.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void Notify(DuiLib::TNotifyUI& msg) override;

 private:
  // One picture button, named by the code point in decimal digits.
  [[nodiscard]] DuiLib::CButtonUI* CreateEmojiButton(uint32_t codePoint, const std::string& imageName);
  // Closes the picker, then appends the emoji's short code to the chat input.
  void PickEmoji(const std::wstring& buttonName);

  CWndShadow m_shadow;
  // The conversation the picker was opened for; kept, not read.
  const std::string m_chatId;
  const int m_x;
  const int m_y;
  // "emoji_face"; null when the skin lacks it, and the picker then shows no emoji.
  DuiLib::CContainerUI* m_emojiFace = nullptr;
};

}  // namespace mireloomwnd
