#include "dialogs/FeedbackWnd.h"

#include "app/frame/WindowManager.h"
#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "app/ui/SkinControls.h"
#include "app/ui/WindowConventions.h"
#include "mireloom/Feedback.h"
#include "mireloom/WebApi.h"

namespace mireloomwnd {

using namespace DuiLib;

void WindowManager::ShowFeedbackWnd() { Show<FeedbackWnd>(WindowSlot::FeedbackWnd, {}); }

CDuiString FeedbackWnd::GetSkinFolder() { return SkinFolder(); }

LRESULT FeedbackWnd::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  return CreateWithShadow(*this, m_shadow, uMsg, wParam, lParam, bHandled);
}

void FeedbackWnd::InitWindow() {
  ApplyTexts(m_PaintManager, {{L"feedback_window_title", "FeedbackWndTitle"},
                              {L"close_btn", "CloseTips", TextTarget::ToolTip},
                              {L"save_btn", "FeedbackOkButton"},
                              {L"cancel_btn", "FeedbackCancelButton"},
                              {L"feedback_edit", "FeedbackTips", TextTarget::TipValue}});
  m_feedbackEdit = FindSkinControl(m_PaintManager, L"feedback_edit");
  m_sendButton = FindSkinControl(m_PaintManager, L"save_btn", L"Button");
  m_cancelButton = FindSkinControl(m_PaintManager, L"cancel_btn", L"Button");
}

void FeedbackWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"click" && msg.pSender) {
    if (msg.pSender->GetName() == L"save_btn") {
      Send();
    } else if (msg.pSender == m_cancelButton || msg.pSender->GetName() == L"close_btn") {
      WindowManager::GetInstance()->CloseFeedbackWnd();
    }
  }
  WindowImplBase::Notify(msg);
}

void FeedbackWnd::Send() {
  if (m_feedbackEdit && m_feedbackEdit->GetText().IsEmpty()) {
    m_feedbackEdit->SetFocus();
    return;
  }
  mireloom::Feedback feedback;
  feedback.set_client_type(mireloom::kClientTypeWindows);
  feedback.set_client_version(WideToUtf8(ClientVersion));
  // Exactly as typed: blanks and line breaks are feedback too.
  feedback.set_description(m_feedbackEdit ? WideToUtf8(m_feedbackEdit->GetText().GetData()) : std::string());
  feedback.set_title("Windows Feedback");
  feedback.set_web_api_version("1");
  // Nobody could act on a failed post: the window has closed by then.
  mireloom::WebApi::Api()->PostFeedback(feedback, [](bool, const std::string&) {});
  WindowManager::GetInstance()->CloseFeedbackWnd();
}

void FeedbackWnd::OnFinalMessage(HWND hWnd) { WindowManager::GetInstance()->SetFeedbackWnd(nullptr, this); }

}  // namespace mireloomwnd
