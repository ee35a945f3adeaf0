#include "app/ImageRecords.h"

namespace {

template <class Record>
bool Send(HWND window, UINT message, std::unique_ptr<Record> record) {
  if (!record || !IsWindow(window)) return false;  // the record dies here
  SendMessageW(window, message, 0, reinterpret_cast<LPARAM>(record.release()));
  return true;
}

template <class Record>
bool Post(HWND window, UINT message, std::unique_ptr<Record> record) {
  if (!record || !IsWindow(window)) return false;
  if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(record.get()))) return false;
  record.release();  // the window's handler owns it now
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
