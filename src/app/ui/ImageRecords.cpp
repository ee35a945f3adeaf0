#include "app/ui/ImageRecords.h"

#include "app/text/TextHelpers.h"
#include "duilib/UIlib.h"

namespace {

template <class Record>
bool Send(HWND window, UINT message, std::unique_ptr<Record> record) {
  if (!record || !IsWindow(window)) return false;  // the record dies here
  // The window may end while the message waits: only the handler's answer
  // says that it took the record.
  Record* sent = record.release();
  if (SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(sent)) == kImageRecordTaken) return true;
  delete sent;
  return false;
}

template <class Record>
bool Post(HWND window, UINT message, std::unique_ptr<Record> record) {
  if (!record || !IsWindow(window)) return false;
  if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(record.get()))) return false;
  record.release();  // the window's handler owns it now
  return true;
}

template <class Record>
bool Apply(const Record& record) {
  if (!record.target || record.target_alive.expired() || record.local_path.empty()) return false;
  SetControlImage(record.target, AnsiToWide(record.local_path));
  return true;
}

}  // namespace

bool SendImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record) {
  return Send(window, message, std::move(record));
}

bool SendImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record) {
  return Send(window, message, std::move(record));
}

bool PostImageRecord(HWND window, UINT message, std::unique_ptr<DownloadedImage> record) {
  return Post(window, message, std::move(record));
}

bool PostImageRecord(HWND window, UINT message, std::unique_ptr<ImageDownloadedMsg> record) {
  return Post(window, message, std::move(record));
}

std::unique_ptr<DownloadedImage> TakeDownloadedImage(LPARAM lParam) {
  return std::unique_ptr<DownloadedImage>(reinterpret_cast<DownloadedImage*>(lParam));
}

std::unique_ptr<ImageDownloadedMsg> TakeImageDownloadedMsg(LPARAM lParam) {
  return std::unique_ptr<ImageDownloadedMsg>(reinterpret_cast<ImageDownloadedMsg*>(lParam));
}

void SetControlImage(DuiLib::CControlUI* target, const std::wstring& path) {
  if (auto* button = static_cast<DuiLib::CButtonUI*>(target->GetInterface(L"Button"))) {
    button->SetNormalImage(path.c_str());
  } else {
    target->SetBkImage(path.c_str());
  }
}

bool ApplyImageRecord(const DownloadedImage& record) { return Apply(record); }

bool ApplyImageRecord(const ImageDownloadedMsg& record) { return Apply(record); }
