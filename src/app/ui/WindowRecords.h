#pragma once

// Records that a core completion hands to a window's own message. The
// completion runs on a core thread; the record reaches the window on the
// user-interface thread, and only while the window lives. A record that
// cannot be delivered (window object gone, its window already destroyed, or
// not taken) is freed here, never left behind in a queue.

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "app/ui/ImageRecords.h"
#include "app/ui/UiThread.h"
#include "duilib/UIlib.h"
#include "quennet/EventLog.h"

namespace mireloomwnd {

// What a handler of a window record returns once it owns the record.
inline constexpr LRESULT kRecordTaken = kImageRecordTaken;

// The window a completion answers; made on the user-interface thread.
struct WindowRecipient {
  std::weak_ptr<void> alive;  // expires with the window object
  DuiLib::CWindowWnd* window = nullptr;
};

// A record on its way to a window: frees it, and says so in the log, unless
// the window took it.
template <class Record>
class HeldRecord final {
 public:
  HeldRecord(UINT message, std::unique_ptr<Record> record) : m_message(message), m_record(std::move(record)) {}
  HeldRecord(const HeldRecord&) = delete;
  HeldRecord& operator=(const HeldRecord&) = delete;
  ~HeldRecord() {
    if (m_record) quennet::log_event("A record for message 0x%X was freed: its window had gone", m_message);
  }

  [[nodiscard]] LPARAM AsParam() const { return reinterpret_cast<LPARAM>(m_record.get()); }
  // The window's handler owns it now.
  void Taken() { (void)m_record.release(); }

 private:
  UINT m_message;
  std::unique_ptr<Record> m_record;
};

// Runs the send on the user-interface thread while the window object and its
// window live: the check and the send run on one thread, so the window cannot
// go between them.
inline void SendToLiveWindow(const WindowRecipient& to, std::function<void(HWND)> send) {
  DuiLib::CWindowWnd* window = to.window;
  CUiThread::Post(to.alive, [window, send = std::move(send)] {
    if (const HWND hwnd = window->GetHWND()) send(hwnd);
  });
}

// Hands the record (null for a message without one) to the window's message
// as lParam, on the user-interface thread.
template <class Record>
void DeliverRecord(const WindowRecipient& to, UINT message, std::unique_ptr<Record> record) {
  auto held = std::make_shared<HeldRecord<Record>>(message, std::move(record));
  SendToLiveWindow(to, [message, held](HWND hwnd) {
    if (::SendMessageW(hwnd, message, 0, held->AsParam()) == kRecordTaken) held->Taken();
  });
}

// The framework's share of a message, after the window's own: every message
// goes on to it. Answers `taken` when the window took a record from lParam,
// so that its sender does not free it again; else the framework's answer.
inline LRESULT PassOnMessage(DuiLib::WindowImplBase& window, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT taken) {
  const LRESULT result = window.WindowImplBase::HandleMessage(message, wParam, lParam);
  return taken ? taken : result;
}

// A message without a record.
inline void DeliverMessage(const WindowRecipient& to, UINT message) {
  DeliverRecord<int>(to, message, nullptr);
}

// A message that carries a plain value (an error code) as lParam.
inline void DeliverValue(const WindowRecipient& to, UINT message, LPARAM value) {
  SendToLiveWindow(to, [message, value](HWND hwnd) { ::SendMessageW(hwnd, message, 0, value); });
}

}  // namespace mireloomwnd
