#pragma once

// Creates a channel: a name, an optional description, one of the 18 channel
// colours and the visibility. The dialog stays open while the core creates
// the channel; then it closes, and on success the main window shows the new
// channel. A failure closes it without a word.

#include <memory>
#include <string>
#include <vector>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "mireloom/Channel.h"

namespace mireloomwnd {

class CreateChannelWnd final : public DuiLib::WindowImplBase {
 public:
  CreateChannelWnd() = default;

  LPCTSTR GetWindowClassName() const override { return L"CreateChannelWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_create_channel.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The completion of CreateChannel, on a core thread: the new channel goes
  // to WM_CHANNEL_CREATED, a failure to WM_CHANNEL_CREATE_FAILED.
  static void OnCreateChannelResult(const WindowRecipient& window, bool ok, const std::string& error,
                                    std::unique_ptr<mireloom::Channel> channel);

 private:
  void LoadColors();
  void DrawColorSwatches(size_t selected);
  [[nodiscard]] DuiLib::CButtonUI* NewColorSwatch(size_t index, bool selected) const;
  void SelectColor(const std::string& colorText);
  // The description box holds its placeholder as its own text.
  void TakePlaceholderOut();
  void PutPlaceholderIn();
  void Save();
  [[nodiscard]] mireloom::Channel::Visibility ChosenVisibility() const;
  [[nodiscard]] std::string ChosenDescription() const;
  void OnChannelCreated(std::unique_ptr<mireloom::Channel> channel);

  CWndShadow m_shadow;
  DuiLib::CEditUI* m_nameEdit = nullptr;
  DuiLib::CRichEditUI* m_descriptionEdit = nullptr;
  DuiLib::CContainerUI* m_colorLayout = nullptr;
  DuiLib::CComboUI* m_visibilityChoice = nullptr;
  std::vector<std::string> m_colorTexts;  // "#rrggbb" of the colours 0 to 17
  size_t m_selectedColor = 0;
  // A second save while the core creates would make a second channel.
  bool m_creating = false;
  CLifetimeGuard m_guard;  // last member: a late answer finds the dialog gone first
};

}  // namespace mireloomwnd
