#pragma once

// Takes a free text from the user and sends it to the service as feedback of
// this client. An empty text is refused by moving the focus into the box; a
// sent one closes the window at once, without waiting for the answer.

#include "app/ui/WndShadow.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

class FeedbackWnd final : public DuiLib::WindowImplBase {
 public:
  FeedbackWnd() = default;

  LPCTSTR GetWindowClassName() const override { return L"FeedbackWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_feedback.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  void OnFinalMessage(HWND hWnd) override;

 private:
  void Send();

  CWndShadow m_shadow;
  DuiLib::CControlUI* m_sendButton = nullptr;
  DuiLib::CControlUI* m_cancelButton = nullptr;
  DuiLib::CControlUI* m_feedbackEdit = nullptr;
};

}  // namespace mireloomwnd
