#include "files/ViewSnippetWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/Entity.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

using namespace DuiLib;

void WindowManager::ShowViewSnippetWnd(const std::string& entityId) {
  Show<ViewSnippetWnd>(WindowSlot::ViewSnippetWnd, {}, entityId);
}

ViewSnippetWnd::ViewSnippetWnd(const std::string& entityId) : m_entityId(entityId) {}

CDuiString ViewSnippetWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT ViewSnippetWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void ViewSnippetWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"closeBtn", "CloseTips", TextTarget::ToolTip}});
  m_copyMenu.Create(LocalizedText("CopyButton"));
  m_richEdit = FindSkinControl<CRichEditUI>(m_PaintManager, L"snippet_richedit", L"RichEdit");
  FetchEntity();
}

void ViewSnippetWnd::FetchEntity() {
  const bool asked = FetchEntityForWindow(m_entityId, m_guard.Token(), [this](std::unique_ptr<mireloom::Entity> entity) {
    ShowSnippet(std::move(entity));
  });
  if (!asked) quennet::log_error("Snippet %s: no signed-in session", m_entityId.c_str());
}

void ViewSnippetWnd::ShowSnippet(std::unique_ptr<mireloom::Entity> entity) {
  if (!GetHWND() || !entity || !m_richEdit) return;
  m_richEdit->SetText(Utf8ToWide(entity->content()).c_str());
}

void ViewSnippetWnd::Notify(TNotifyUI& msg) {
  const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
  if (msg.sType == L"click" && name == L"closeBtn") {
    WindowManager::GetInstance()->CloseViewSnippetWnd();
  } else if (msg.sType == L"richedit_click" && name == L"snippet_richedit") {
    m_copyMenu.TrackAndCopy(GetHWND(), msg.ptMouse, static_cast<CRichEditUI*>(msg.pSender->GetInterface(L"RichEdit")));
  }
  WindowImplBase::Notify(msg);
}

LRESULT ViewSnippetWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_DESTROY) m_copyMenu.Destroy();
  return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void ViewSnippetWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetViewSnippetWnd(nullptr, this); }

}  // namespace mireloomwnd
