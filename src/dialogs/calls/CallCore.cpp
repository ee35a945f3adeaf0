#include "dialogs/calls/CallCore.h"

#include <memory>

#include "app/ui/WindowRecords.h"
#include "mireloom/CallManager.h"

namespace mireloomwnd {

std::string MarkedAvatarKey(const std::string& source, CallAvatarMark mark) {
  if (source.size() < 2) return {};
  std::string key = source;
  if (mark == CallAvatarMark::LargeCallee) {
    key[1] = '+';
  } else {
    key[0] = '!';
  }
  return key;
}

CCallCore::PlacedHandler CCallCore::OnUiThread(PlacedHandler handler) const {
  std::weak_ptr<void> alive = m_guard.Token();
  return [alive, handler = std::move(handler)](bool ok, const std::string& error, std::string callId) {
    CUiThread::Post(alive, [handler, ok, error, callId = std::move(callId)] { handler(ok, error, callId); });
  };
}

CCallCore::DoneHandler CCallCore::OnUiThread(DoneHandler handler) const {
  std::weak_ptr<void> alive = m_guard.Token();
  return [alive, handler = std::move(handler)](bool ok, const std::string& error) {
    CUiThread::Post(alive, [handler, ok, error] { handler(ok, error); });
  };
}

void CCallCore::OnCallPlaced(bool ok, std::string callId) {
  if (ok) m_callId = std::move(callId);
}

void CCallCore::HangUp(DoneHandler handler) const {
  mireloom::CallManager::DefaultManager()->CancelCallById(m_callId, OnUiThread(std::move(handler)));
}

void CCallCore::OnHungUp(bool ok) const {
  if (ok && m_window.GetHWND()) CloseWindow();
}

void CCallCore::CloseWindow() const { (WindowManager::GetInstance()->*m_close)(); }

void CCallCore::OnNotify(const DuiLib::TNotifyUI& msg, DoneHandler onHungUp) const {
  if (msg.sType != L"click" || !msg.pSender) return;
  const DuiLib::CDuiString name = msg.pSender->GetName();
  if (name == L"closeBtn") {
    CloseWindow();
  } else if (name == L"delete_calling_btn") {
    HangUp(onHungUp ? std::move(onHungUp) : [this](bool ok, const std::string&) { OnHungUp(ok); });
  }
}

LRESULT CCallCore::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT taken = message == m_avatarMessage && lParam ? ReceiveImageDownloadedMsg(lParam) : 0;
  return PassOnMessage(m_window, message, wParam, lParam, taken);
}

void CCallCore::ShowCallAvatar(DuiLib::CButtonUI* button, const mireloom::User* user, int size, CallAvatarMark mark,
                               AvatarCompletion downloaded) const {
  const std::string source = user ? AvatarSource(*user, size) : std::string();
  const std::string cacheKey = MarkedAvatarKey(source, mark);
  // A callee without a picture, or not in the cache, shows the default face.
  if (!button) return;
  const AvatarDelivery delivery = MakeAvatarDelivery(m_window.GetHWND(), Token(), button);
  ShowAvatar(button, source, cacheKey, [delivery, downloaded, message = m_avatarMessage](const std::string& path) {
    if (downloaded) {
      downloaded(delivery, path);
    } else {
      SendImageDownloadedMsg(delivery, message, path);
    }
  });
}

}  // namespace mireloomwnd
