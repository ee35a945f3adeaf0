#pragma once

// Records that carry a downloaded picture from a download callback to the
// window that shows it. The receiving window's handler frees the record; a
// record that cannot reach its window is freed by the sender.

#include <windows.h>

#include <memory>
#include <string>

namespace DuiLib {
class CButtonUI;
class CControlUI;
}  // namespace DuiLib

struct DownloadedImage {
  std::string session_id;  // the conversation it belongs to (message view only)
  std::string local_path;  // the cached file (code page 936)
  DuiLib::CControlUI* target = nullptr;
};

struct ImageDownloadedMsg {
  std::string local_path;
  DuiLib::CButtonUI* target = nullptr;
};

// Sends the record as the message's lParam; the window's handler takes it
// over. When the window is gone, the record is freed here. True when sent.
bool SendImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record);
bool SendImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record);
// The same, posted: a failed post frees the record here.
bool PostImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record);
bool PostImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record);
