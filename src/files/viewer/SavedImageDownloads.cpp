#include "files/viewer/SavedImageDownloads.h"

#include <objbase.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/storage/FileHelpers.h"
#include "app/text/TextHelpers.h"
#include "app/ui/PlatformSeam.h"
#include "quennet/EventLog.h"

namespace files {

namespace {

struct Downloads {
  std::mutex mutex;
  std::condition_variable ended;
  int running = 0;
};

Downloads& State() {
  static auto* downloads = new Downloads;  // threads may still end it at exit
  return *downloads;
}

void Download(const std::wstring& address, const std::wstring& path) {
  // The system's download needs COM on the thread that calls it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // The chosen file may be one the user keeps: it is replaced only by a
  // whole picture, never left half-written by a failed download or a full disk.
  const bool saved = ReplaceFileWhole(
      path, [&address](const std::wstring& temporary) { return Platform().DownloadUrlToFile(address, temporary); },
      FileSync::BeforeReplacing);
  if (!saved) quennet::log_error("Picture not saved from %s", WideToUtf8(address).c_str());
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

void StartSavedImageDownload(const std::wstring& address, const std::wstring& path) {
  Downloads& downloads = State();
  {
    std::lock_guard<std::mutex> lock(downloads.mutex);
    ++downloads.running;
  }
  std::thread([address, path, &downloads] {
    Download(address, path);
    std::lock_guard<std::mutex> lock(downloads.mutex);
    --downloads.running;
    downloads.ended.notify_all();
  }).detach();
}

bool WaitForSavedImageDownloads(DWORD timeoutMs) {
  Downloads& downloads = State();
  std::unique_lock<std::mutex> lock(downloads.mutex);
  return downloads.ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return downloads.running == 0; });
}

}  // namespace files
