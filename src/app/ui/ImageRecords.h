#pragma once

// Records that carry a downloaded picture from a download callback to the
// window that shows it. The receiving window's handler takes the record over
// and answers kImageRecordTaken; a record that does not reach a handler
// (window gone, post failed, answered otherwise) is freed by its sender.

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
  std::weak_ptr<void> target_alive;  // expires with the target: never touch a removed control
};

struct ImageDownloadedMsg {
  std::string local_path;
  DuiLib::CButtonUI* target = nullptr;
  std::weak_ptr<void> target_alive;
};

// What a handler of an image record returns once it owns the record.
inline constexpr LRESULT kImageRecordTaken = 1;

// Sends the record as the message's lParam; true when the window's handler
// took it over. Otherwise the record is freed here.
bool SendImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record);
bool SendImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record);
// The same, posted: a failed post frees the record here.
bool PostImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record);
bool PostImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record);

// The receiving side: the record of a message's lParam, owned from here on.
[[nodiscard]] std::unique_ptr<DownloadedImage> TakeDownloadedImage(LPARAM lParam);
[[nodiscard]] std::unique_ptr<ImageDownloadedMsg> TakeImageDownloadedMsg(LPARAM lParam);

// Sets the picture as the target's image (a button's normal image, any other
// control's background) when the target still lives; false when it is gone or
// there is none. The path is converted from code page 936.
bool ApplyImageRecord(const DownloadedImage& record);
// The same setting of a picture, for a path already converted.
void SetControlImage(DuiLib::CControlUI* target, const std::wstring& path);
bool ApplyImageRecord(const ImageDownloadedMsg& record);
