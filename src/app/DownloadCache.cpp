#include "app/DownloadCache.h"

#include <windows.h>

#include <atomic>

#include "app/FileHelpers.h"
#include "app/TextHelpers.h"
#include "app/UserFolders.h"
#include "mireloom/HttpClient.h"
#include "mireloom/WebApi.h"
#include "quennet/EventLog.h"
#include "quennet/FileUtils.h"
#include "quennet/HttpClient.h"

namespace {

// A name beside the final one, different for every write in the process.
std::string TemporaryPath(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ".part";
}

// Writes the body under a temporary name and renames it into place, so that
// nobody ever finds a half-written file; a failed write leaves nothing.
bool SaveBody(const std::string& path, const std::vector<char>& body) {
  const std::string temporary = TemporaryPath(path);
  const std::wstring wide_temporary = AnsiToWide(temporary);
  const bool saved = WriteWholeFile(wide_temporary, body.data(), body.size()) &&
                     MoveFileExW(wide_temporary.c_str(), AnsiToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!saved) DeleteFileW(wide_temporary.c_str());
  return saved;
}

void OnDownloaded(const std::string& key, const std::function<void(const std::string&)>& callback,
                  const mireloom::HttpResponse& response) {
  const quennet::FileUtils* files = quennet::FileUtils::SharedFileUtils();
  const std::string folder = GetDownloadTmpFolder();
  if (!files->DirectoryExists(folder)) files->MakeDirectory(folder);
  const std::string path = CachedFilePath(key);
  const std::string name = CacheFileName(key);
  quennet::log_event("Try to save %s to file", path.c_str());
  if (files->FileExists(path)) {
    // Another download of the same key finished first.
    if (callback) callback(path);
    return;
  }
  // An error page is no picture, and an empty body is no file.
  if (!response.is_succeed() || response.raw_data().empty()) return;
  if (!SaveBody(path, response.raw_data())) {
    // A download of the same key may have put its whole file in place first.
    if (files->FileExists(path)) {
      if (callback) callback(path);
      return;
    }
    quennet::log_event("Save image %s failed", name.c_str());
    return;
  }
  quennet::log_event("Save image %s successed", name.c_str());
  if (callback) callback(path);
}

}  // namespace

void DownloadToCache(const std::string& url, const std::string& key,
                     std::function<void(const std::string& localPath)> callback) {
  const std::string path = CachedFilePath(key);
  if (path.empty()) return;  // no key, no file to keep it in
  if (quennet::FileUtils::SharedFileUtils()->FileExists(path)) {
    if (callback) callback(path);
    return;
  }
  auto request = std::make_unique<mireloom::HttpRequest>();
  request->set_url(url);
  request->set_request_type(0);
  mireloom::HttpClient::SharedClient()->Send(
      std::move(request), [key, callback = std::move(callback)](std::unique_ptr<mireloom::HttpResponse> response) {
        OnDownloaded(key, callback, *response);
      });
}

void RequestRedirectLocation(const std::string& url, std::function<void(const std::string& location)> callback) {
  std::unique_ptr<quennet::HttpRequest> request = mireloom::WebApi::Api()->GenBaseRequestForCurrentTeam(0);
  if (!request) return;
  request->set_url(url);
  request->set_request_type(0);
  quennet::HttpClient::SharedClient()->Send(
      std::move(request), [callback = std::move(callback)](std::unique_ptr<quennet::HttpResponse> response) {
        if (!response->is_succeed()) return;
        // Header names are compared without regard to case.
        const auto& headers = response->response_header();
        const auto location = headers.find("Location");
        if (callback) callback(location == headers.end() ? std::string() : location->second);
      });
}
