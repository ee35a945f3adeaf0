#include "dialogs/CallCore.h"

#include <memory>

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
  if (ok) WindowManager::GetInstance()->Close(m_slot);
}

void CCallCore::CloseWindow() const { WindowManager::GetInstance()->Close(m_slot); }

void CCallCore::OnClick(const std::wstring& name, DoneHandler onHungUp) const {
  if (name == L"closeBtn") {
    CloseWindow();
  } else if (name == L"delete_calling_btn") {
    HangUp(std::move(onHungUp));
  }
}

}  // namespace mireloomwnd
