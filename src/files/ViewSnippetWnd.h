#pragma once

// The text of a snippet shared in a conversation, in a read-only rich edit
// with a menu that copies the selection. The main window opens it through
// the window manager with the snippet's entity id.

#include <memory>
#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"
#include "files/FileActions.h"

namespace mireloom {
class Entity;
}

namespace mireloomwnd {

class ViewSnippetWnd final : public DuiLib::WindowImplBase {
 public:
  explicit ViewSnippetWnd(const std::string& entityId);

  LPCTSTR GetWindowClassName() const override { return L"ViewSnippetWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_view_snippet_wnd.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void FetchEntity();
  // The entity's text becomes the rich edit's; null leaves the edit as it is.
  void ShowSnippet(std::unique_ptr<mireloom::Entity> entity);

  CWndShadow m_shadow;
  std::string m_entityId;
  CCopyMenu m_copyMenu;
  DuiLib::CRichEditUI* m_richEdit = nullptr;
  // Last: completions still queued for this window are dropped once it goes.
  CLifetimeGuard m_guard;
};

}  // namespace mireloomwnd
