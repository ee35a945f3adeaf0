#pragma once

// Starts a one-to-one conversation with any member of the team but the
// signed-in user and those who left. A search box narrows the rows; a row's
// send icon or "Messages" button opens the conversation (the core creates it
// when it is new), after which the dialog closes and the main window shows it.

#include <memory>
#include <string>

#include "app/ui/UiThread.h"
#include "app/ui/WindowRecords.h"
#include "app/ui/WndShadow.h"
#include "dialogs/common/MemberPicker.h"
#include "duilib/UIlib.h"
#include "mireloom/IM.h"

namespace mireloomwnd {

class OpenImWnd final : public DuiLib::WindowImplBase {
 public:
  OpenImWnd();

  LPCTSTR GetWindowClassName() const override { return L"OpenImWnd"; }
  DuiLib::CDuiString GetSkinFolder() override;
  DuiLib::CDuiString GetSkinFile() override { return L"skin_open_im.xml"; }
  LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  void InitWindow() override;
  void Notify(DuiLib::TNotifyUI& msg) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // The uid of a row control's name ("ueid_" and the uid).
  static bool ParseUid(const std::wstring& name, std::string* uid = nullptr);
  // Asks the core for the conversation with the member; the answer reaches
  // the window through OnNewImResult.
  static void RequestConversation(const WindowRecipient& window, const std::string& uid);
  // The NewIM completion of this dialog and of the channel members panel, on
  // a core thread: the conversation (which may be null) goes to the window's
  // WM_IM_OPENED, a failure to WM_IM_OPEN_FAILED.
  static void OnNewImResult(const WindowRecipient& window, bool ok, const std::string& error,
                            std::unique_ptr<mireloom::IM> im);
  // What WM_IM_OPENED does in both windows once the window is asked to close:
  // the main window shows the conversation. The record is freed here.
  static LRESULT ShowOpenedIm(LPARAM lParam);

 private:
  void FilterUsers(const std::string& keyword);
  void FillResultList();
  [[nodiscard]] DuiLib::CListContainerElementUI* CreateUserItem(const mireloom::User& user);
  void OpenIm(const std::string& uid);

  CWndShadow m_shadow;
  CMemberPicker m_picker;  // offers every member but the signed-in user
  CLifetimeGuard m_guard;  // last member: late completions find the window gone first
};

}  // namespace mireloomwnd
