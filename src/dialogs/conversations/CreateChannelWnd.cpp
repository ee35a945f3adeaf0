#include "dialogs/conversations/CreateChannelWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/ColorText.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "dialogs/common/ConversationSelection.h"
#include "dialogs/common/DialogMessages.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Director.h"
#include "mireloom/Types.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

constexpr int kSwatchSize = 38;
constexpr wchar_t kSelectedSwatchImage[] = L"SysBtn/select_color.png";
constexpr DWORD kTypedTextColor = 0xFF000000;
constexpr DWORD kPlaceholderColor = 0xFF989898;
constexpr DWORD kSwatchFocusColor = 0xFF1F2329;

bool MayChooseVisibility() {
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  return director && director->HasPermission(mireloom::Permission::kChatModuleSetVisibility);
}

}  // namespace

void WindowManager::ShowCreateChannelWnd() { Show<CreateChannelWnd>(WindowSlot::CreateChannelWnd, {}); }

CDuiString CreateChannelWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT CreateChannelWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void CreateChannelWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip},
                              {L"create_group_title", "CreateGroupWndTitle"},
                              {L"name_edit", "GroupNameTip", TextTarget::TipValue},
                              {L"color_label", "GroupColorLabel"},
                              {L"description_label", "GroupDescriptionLabel"},
                              {L"description_optional_tip", "GroupOptionalTip"},
                              {L"color_optional_tip", "GroupOptionalTip"},
                              {L"visibility_label", "GroupVisibilityLabel"},
                              {L"save_btn", "SaveGroupBtn"},
                              {L"cancel_btn", "CancelGroupBtn"},
                              {L"public_group_label", "PublicGroupLabel"},
                              {L"private_group_label", "PrivateGroupLabel"},
                              {L"topic_edit", "GroupDescriptionTip"}});
  m_nameEdit = FindSkinControl<CEditUI>(m_PaintManager, L"name_edit", L"Edit");
  m_descriptionEdit = FindSkinControl<CRichEditUI>(m_PaintManager, L"topic_edit", L"RichEdit");
  if (m_descriptionEdit) m_descriptionEdit->SetTextColor(kPlaceholderColor);
  m_colorLayout = FindSkinControl<CContainerUI>(m_PaintManager, L"group_color_layout", L"Container");
  m_visibilityChoice = FindSkinControl<CComboUI>(m_PaintManager, L"group_visual_range", L"Combo");
  LoadColors();
  DrawColorSwatches(0);
}

void CreateChannelWnd::LoadColors() {
  for (int color = mireloom::kPreferredColorFirst; color <= mireloom::kPreferredColorLast; ++color) {
    m_colorTexts.push_back(mireloom::preferred_color_to_hex_string(static_cast<mireloom::PreferredColor>(color)));
  }
}

void CreateChannelWnd::DrawColorSwatches(size_t selected) {
  m_selectedColor = selected;
  if (m_colorLayout) {
    m_colorLayout->RemoveAll();
    for (size_t i = 0; i < m_colorTexts.size(); ++i) m_colorLayout->Add(NewColorSwatch(i, i == selected));
  }
  // Asked at every redraw: the permission may change while the dialog is open.
  // Without it the keyboard cannot change the choice either.
  if (!m_visibilityChoice) return;
  const bool mayChoose = MayChooseVisibility();
  m_visibilityChoice->SetMouseEnabled(mayChoose);
  m_visibilityChoice->SetKeyboardEnabled(mayChoose);
}

CButtonUI* CreateChannelWnd::NewColorSwatch(size_t index, bool selected) const {
  auto* swatch = new CButtonUI;
  swatch->SetFixedWidth(kSwatchSize);
  swatch->SetFixedHeight(kSwatchSize);
  swatch->SetBorderRound({2, 2});
  if (selected) swatch->SetNormalImage(kSelectedSwatchImage);
  swatch->SetName(AnsiToWide(m_colorTexts[index]).c_str());
  if (const auto color = ParseChannelColor(m_colorTexts[index])) swatch->SetBkColor(*color);
  // Tab reaches the colours, one stop for all, the arrows walk them and Space
  // or Enter picks one; a frame shows where the focus is.
  swatch->SetKeyboardEnabled(true);
  swatch->SetFocusBorderColor(kSwatchFocusColor);
  swatch->SetBorderSize(2);
  return swatch;
}

void CreateChannelWnd::SelectColor(const std::string& colorText) {
  for (size_t i = 0; i < m_colorTexts.size(); ++i) {
    if (m_colorTexts[i] != colorText) continue;
    DrawColorSwatches(i);
    return;
  }
}

void CreateChannelWnd::TakePlaceholderOut() {
  if (m_descriptionEdit->GetText() != LocalizedText("GroupDescriptionTip").c_str()) return;
  m_descriptionEdit->SetText(L"");
  m_descriptionEdit->SetTextColor(kTypedTextColor);
}

void CreateChannelWnd::PutPlaceholderIn() {
  if (!m_descriptionEdit->GetText().IsEmpty()) return;
  m_descriptionEdit->SetText(LocalizedText("GroupDescriptionTip").c_str());
  m_descriptionEdit->SetTextColor(kPlaceholderColor);
}

void CreateChannelWnd::Notify(TNotifyUI& msg) {
  const bool fromDescription = m_descriptionEdit && msg.pSender == m_descriptionEdit;
  if (msg.sType == L"setfocus" && fromDescription) {
    TakePlaceholderOut();
  } else if (msg.sType == L"killfocus" && fromDescription) {
    PutPlaceholderIn();
  } else if (msg.sType == L"click" && msg.pSender) {
    const std::wstring name = msg.pSender->GetName().GetData();
    const std::string colorText = WideToUtf8(name);
    if (name == L"save_btn") {
      Save();
    } else if (name == L"closeBtn" || name == L"cancel_btn") {
      WindowManager::GetInstance()->CloseCreateChannelWnd();
    } else if (colorText.rfind('#', 0) == 0) {
      const bool focused = msg.pSender->IsFocused();
      SelectColor(colorText);
      // The swatches were made anew: the keyboard's focus moves to the chosen one.
      if (focused && m_colorLayout && m_selectedColor < static_cast<size_t>(m_colorLayout->GetCount())) {
        m_colorLayout->GetItemAt(static_cast<int>(m_selectedColor))->SetFocus();
      }
    }
  }
  WindowImplBase::Notify(msg);
}

void CreateChannelWnd::Save() {
  if (m_nameEdit && m_nameEdit->GetText().IsEmpty()) {
    m_nameEdit->SetFocus();
    return;
  }
  // The first creation's answer closes the dialog; until then a save adds nothing.
  if (m_creating) return;
  m_creating = true;
  const std::string name = m_nameEdit ? WideToUtf8(m_nameEdit->GetText().GetData()) : std::string();
  const mireloom::PreferredColor color = mireloom::preferred_color_from_hex_string(m_colorTexts[m_selectedColor]);
  const WindowRecipient self{m_guard.Token(), this};
  mireloom::ChannelManager::DefaultManager()->CreateChannel(
      name, ChosenDescription(), ChosenVisibility(), {}, color,
      [self](bool ok, const std::string& error, std::unique_ptr<mireloom::Channel> channel) {
        OnCreateChannelResult(self, ok, error, std::move(channel));
      });
}

std::string CreateChannelWnd::ChosenDescription() const {
  if (!m_descriptionEdit) return {};
  const std::wstring text = m_descriptionEdit->GetText().GetData();
  // The placeholder is the box's own text; typed word for word, it counts as nothing too.
  return text == LocalizedText("GroupDescriptionTip") ? std::string() : WideToUtf8(text);
}

mireloom::Channel::Visibility CreateChannelWnd::ChosenVisibility() const {
  // Without the choice in the skin, a channel is public.
  if (!m_visibilityChoice) return mireloom::Channel::kPublic;
  return m_visibilityChoice->GetCurSel() == 0 ? mireloom::Channel::kPublic : mireloom::Channel::kPrivate;
}

void CreateChannelWnd::OnCreateChannelResult(const WindowRecipient& window, bool ok, const std::string& error,
                                             std::unique_ptr<mireloom::Channel> channel) {
  if (ok) {
    DeliverRecord(window, WM_CHANNEL_CREATED, std::move(channel));
  } else {
    DeliverMessage(window, WM_CHANNEL_CREATE_FAILED);
  }
}

void CreateChannelWnd::OnChannelCreated(std::unique_ptr<mireloom::Channel> channel) {
  m_creating = false;
  WindowManager::GetInstance()->CloseCreateChannelWnd();
  if (channel) SelectInMainWindow(channel->channel_id());
}

LRESULT CreateChannelWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT taken = 0;
  switch (uMsg) {
    case WM_CHANNEL_CREATED:
      OnChannelCreated(std::unique_ptr<mireloom::Channel>(reinterpret_cast<mireloom::Channel*>(lParam)));
      taken = kRecordTaken;
      break;
    case WM_CHANNEL_CREATE_FAILED:
      m_creating = false;
      WindowManager::GetInstance()->CloseCreateChannelWnd();
      break;
    default:
      break;
  }
  return PassOnMessage(*this, uMsg, wParam, lParam, taken);
}

void CreateChannelWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetCreateChannelWnd(nullptr, this); }

}  // namespace mireloomwnd
