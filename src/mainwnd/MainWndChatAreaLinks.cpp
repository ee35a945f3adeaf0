// Clicks in the message view: pictures, files, snippets, cards and the links
// in message texts, each opened where it belongs.

#include "app/frame/PlatformSeam.h"
#include "app/frame/TextHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/frame/WindowManager.h"
#include "files/FileActions.h"
#include "mainwnd/ChatAreaLogic.h"
#include "mainwnd/MainWnd.h"

namespace mireloomwnd {

using namespace DuiLib;

namespace {

std::wstring UserDataOf(const TNotifyUI& msg) {
  return msg.pSender ? std::wstring(msg.pSender->GetUserData().GetData()) : std::wstring();
}

std::wstring ToolTipOf(const TNotifyUI& msg) {
  return msg.pSender ? std::wstring(msg.pSender->GetToolTip().GetData()) : std::wstring();
}

}  // namespace

void MainWnd::OnMessageLinkNotified(TNotifyUI& msg, const std::wstring& sender) {
  // The link the user clicked, by the index the notification carries; the
  // control's own text may hold several links, or none.
  auto* label = msg.pSender ? static_cast<CLabelUI*>(msg.pSender->GetInterface(L"Label")) : nullptr;
  const CDuiString* content = label ? label->GetLinkContent(static_cast<int>(msg.wParam)) : nullptr;
  const std::wstring link = content ? content->GetData() : L"";
  OpenMessageClick(sender, content ? &link : nullptr, UserDataOf(msg), ToolTipOf(msg));
}

void MainWnd::OnImageItemClicked(TNotifyUI& msg, const std::wstring& sender) {
  OpenMessageClick(sender, nullptr, UserDataOf(msg), ToolTipOf(msg));
}

void MainWnd::OpenMessageClick(const std::wstring& sender, const std::wstring* linkContent, const std::wstring& address,
                               const std::wstring& title) {
  const MessageClick click = ReadMessageClick(sender, linkContent);
  WindowManager* manager = WindowManager::GetInstance();
  switch (click.kind) {
    case MessageClick::Kind::ImageViewer:
      // The picture was downloaded for the view: the viewer shows the cached
      // file, and the item's address and title.
      manager->ShowImageViewerWnd(GetCachedFilePath(click.value).c_str(), address.c_str(), title.c_str());
      break;
    case MessageClick::Kind::FileDownload:
      OpenDownloadAddress(WideToAnsi(Utf8ToWide(click.value)));
      break;
    case MessageClick::Kind::SnippetViewer:
      manager->ShowViewSnippetWnd(click.value);
      break;
    case MessageClick::Kind::ModuleDetails:
      manager->ShowModuleDetailsWnd(click.value);
      break;
    case MessageClick::Kind::WebAddress:
      // A message may link a web page or a mail address, nothing else.
      OpenAddress(Utf8ToWide(click.value), AddressPolicy::WebAndMail);
      break;
    case MessageClick::Kind::None:
      break;
  }
}

}  // namespace mireloomwnd
