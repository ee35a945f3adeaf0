#pragma once

// Records that a core completion hands to a dialog's own message. The
// completion runs on a core thread; the record reaches the window on the
// user-interface thread, and only while the window lives. A record that
// cannot be delivered (window gone, or its window already destroyed) is freed
// here, never left behind in a queue.

#include <windows.h>

#include <memory>
#include <utility>

#include "app/ui/ImageRecords.h"
#include "app/ui/UiThread.h"
#include "duilib/UIlib.h"

namespace mireloomwnd {

// What a handler of a dialog record returns once it owns the record.
inline constexpr LRESULT kRecordTaken = kImageRecordTaken;

// The window a completion answers; made on the user-interface thread.
struct WindowRecipient {
  std::weak_ptr<void> alive;  // expires with the window object
  DuiLib::CWindowWnd* window = nullptr;
};

// Hands the record (null for a message without one) to the window's message
// as lParam, on the user-interface thread.
template <class Record>
void DeliverRecord(const WindowRecipient& to, UINT message, std::unique_ptr<Record> record) {
  auto held = std::make_shared<std::unique_ptr<Record>>(std::move(record));
  DuiLib::CWindowWnd* window = to.window;
  CUiThread::Post(to.alive, [window, message, held] {
    const HWND hwnd = window->GetHWND();
    if (!hwnd) return;  // the object outlived its window: the record dies with the closure
    Record* sent = held->release();
    if (::SendMessageW(hwnd, message, 0, reinterpret_cast<LPARAM>(sent)) != kRecordTaken) delete sent;
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

}  // namespace mireloomwnd
