#pragma once

// What the one-to-one and the group call windows share: the id of the call
// they placed, the hang-up by that id, closing without ending the call, their
// buttons, and their avatars under keys of their own. The core answers on its
// own threads; every answer is handed to the window on the user-interface
// thread, and an answer that comes after the window has gone is dropped.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/frame/WindowManager.h"
#include "app/ui/UiThread.h"
#include "dialogs/common/RowAvatar.h"
#include "duilib/UIlib.h"

namespace mireloom {
class User;
}

namespace mireloomwnd {

// The call windows keep their avatars apart from the other windows' copies of
// the same picture: the callee's large one with '+' as the key's second
// character, a group tile's with '!' as its first.
enum class CallAvatarMark { LargeCallee, GroupTile };
// The marked key; "" for a key too short to mark (a user missing from the
// cache has none), which shows no picture and fetches nothing.
[[nodiscard]] std::string MarkedAvatarKey(const std::string& source, CallAvatarMark mark);

class CCallCore final {
 public:
  using PlacedHandler = std::function<void(bool ok, const std::string& error, std::string callId)>;
  using DoneHandler = std::function<void(bool ok, const std::string& error)>;

  using CloseOperation = void (WindowManager::*)();
  using AvatarCompletion = void (*)(const AvatarDelivery& delivery, const std::string& localPath);

  // `close` is the window manager's Close operation of the window; a
  // downloaded avatar reaches the window as `avatarMessage`.
  CCallCore(DuiLib::WindowImplBase& window, CloseOperation close, UINT avatarMessage)
      : m_window(window), m_close(close), m_avatarMessage(avatarMessage) {}
  CCallCore(const CCallCore&) = delete;
  CCallCore& operator=(const CCallCore&) = delete;

  // Completions for the core that run `handler` on the user-interface thread
  // while this core lives, and drop the answer otherwise.
  [[nodiscard]] PlacedHandler OnUiThread(PlacedHandler handler) const;
  [[nodiscard]] DoneHandler OnUiThread(DoneHandler handler) const;

  // Keeps the id of a placed call; a failed call leaves the id as it was.
  void OnCallPlaced(bool ok, std::string callId);
  // Cancels the call by the id known now, which is empty before the service
  // has answered (the core refuses that); `handler` gets the answer.
  void HangUp(DoneHandler handler) const;
  // A successful hang-up closes the window while it lives; a failed one leaves it open.
  void OnHungUp(bool ok) const;
  // Closes the window and leaves the call running.
  void CloseWindow() const;
  // The window's Notify share, its buttons: "closeBtn" closes without ending
  // the call, "delete_calling_btn" hangs up and hands the answer to
  // `onHungUp`, or, without one, to OnHungUp.
  void OnNotify(const DuiLib::TNotifyUI& msg, DoneHandler onHungUp = nullptr) const;
  // The window's HandleMessage: a downloaded avatar's record is taken, then
  // every message goes on to the framework.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Shows the user's avatar of `size` on `button` under the key `mark` gives,
  // from the cache or downloaded and handed to `downloaded`, or, without
  // one, sent to the window as its avatar message. No button or no user (no
  // key): nothing shown, nothing fetched.
  void ShowCallAvatar(DuiLib::CButtonUI* button, const mireloom::User* user, int size, CallAvatarMark mark,
                      AvatarCompletion downloaded = nullptr) const;

  // Expires with the call core, for the window's other deliveries.
  [[nodiscard]] std::weak_ptr<void> Token() const { return m_guard.Token(); }

 private:
  DuiLib::WindowImplBase& m_window;
  const CloseOperation m_close;
  const UINT m_avatarMessage;
  std::string m_callId;  // user-interface thread only
  CLifetimeGuard m_guard;  // last member: it expires before the rest goes
};

}  // namespace mireloomwnd
