#include "app/storage/DownloadCache.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "app/storage/CacheNames.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/PictureSources.h"
#include "app/storage/UserFolders.h"
#include "app/text/ServiceConstants.h"
#include "app/text/TextHelpers.h"
#include "mireloom/Director.h"
#include "mireloom/HttpClient.h"
#include "mireloom/Team.h"
#include "mireloom/WebApi.h"
#include "quennet/EventLog.h"
#include "quennet/FileUtils.h"
#include "quennet/HttpClient.h"

namespace {

using Callback = std::function<void(const std::string&)>;

// The callbacks of downloads whose file could not be written (a full disk),
// by cache file name. Such a download is not done: the next display of the
// picture fetches it again, and the callbacks waiting for it are answered
// with that file. The first ones of a picture are kept: they are for the
// controls that stay (the own avatar), while later ones come from lists that
// are rebuilt, and so ask again, anyway.
class WaitingCallbacks final {
 public:
  static constexpr size_t kPerPicture = 32;

  static WaitingCallbacks& Instance() {
    static auto* waiting = new WaitingCallbacks;
    return *waiting;
  }

  void Wait(const std::string& name, Callback callback) {
    if (!callback) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Callback>& callbacks = m_byName[name];
    if (callbacks.size() < kPerPicture) callbacks.push_back(std::move(callback));
    m_any = true;
  }

  // Without a lock: lists of thousands of rows ask for every picture they show.
  [[nodiscard]] bool Any() const { return m_any; }

  // Called without the lock held: a callback may send a window a message.
  void Answer(const std::string& name, const std::string& path) {
    if (!m_any) return;
    std::vector<Callback> callbacks;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      const auto found = m_byName.find(name);
      if (found == m_byName.end()) return;
      callbacks = std::move(found->second);
      m_byName.erase(found);
      m_any = !m_byName.empty();
    }
    for (const Callback& callback : callbacks) callback(path);
  }

 private:
  std::mutex m_mutex;
  std::unordered_map<std::string, std::vector<Callback>> m_byName;
  std::atomic<bool> m_any{false};
};

// The download's own callback, and those that waited for the same file.
void Report(const std::string& name, const std::string& path, const Callback& callback) {
  if (callback) callback(path);
  WaitingCallbacks::Instance().Answer(name, path);
}

bool SaveBody(const std::string& path, const std::vector<char>& body) {
  return ReplaceFileWhole(AnsiToWide(path), body.data(), body.size(), FileSync::Later);
}

void Fail(const FetchFailed& failed, const std::string& reason) {
  if (failed) failed(reason);
}

void OnDownloaded(const std::string& key, const std::function<void(const std::string&)>& callback,
                  const FetchFailed& failed, const mireloom::HttpResponse& response) {
  // The folder and the path ask the shell for the Documents folder once:
  // a big team's avatars arrive by the thousand.
  const DocumentsFolderSnapshot documents;
  const quennet::FileUtils* files = quennet::FileUtils::SharedFileUtils();
  const std::string folder = GetDownloadTmpFolder();
  if (!files->DirectoryExists(folder)) files->MakeDirectory(folder);
  const std::string path = CachedFilePath(key);
  const std::string name = CacheFileName(key);
  quennet::log_event("Try to save %s to file", path.c_str());
  if (files->FileExists(path)) {
    // Another download of the same key finished first.
    Report(name, path, callback);
    return;
  }
  // An error page is no picture, and an empty body is no file.
  if (!response.is_succeed()) return Fail(failed, "the reply was " + std::to_string(response.status_code()));
  if (response.raw_data().empty()) return Fail(failed, "the reply was empty");
  if (!SaveBody(path, response.raw_data())) {
    // A download of the same key may have put its whole file in place first.
    if (files->FileExists(path)) {
      Report(name, path, callback);
      return;
    }
    quennet::log_event("Save image %s failed", name.c_str());
    WaitingCallbacks::Instance().Wait(name, callback);
    return Fail(failed, "the file could not be written");
  }
  quennet::log_event("Save image %s successed", name.c_str());
  Report(name, path, callback);
}

// The team's credentials are for the service alone: the team's own host and
// the file host. A server-given link may name any other.
bool IsServiceHost(const std::string& url) {
  const std::string host = quennet::UrlHost(url);
  if (host.empty()) return false;
  if (host == FileHost) return true;
  const mireloom::Director* director = mireloom::Director::DefaultDirector();
  const mireloom::Team* team = director ? director->current_team() : nullptr;
  return team && host == TeamHost(team->team_subdomain());
}

}  // namespace

void DownloadToCache(const std::string& url, const std::string& key,
                     std::function<void(const std::string& localPath)> callback, FetchFailed failed) {
  const std::string path = CachedFilePath(key);
  if (path.empty()) return Fail(failed, "no cache key");  // no key, no file to keep it in
  NoteCachedPictureAddress(key, url);
  if (quennet::FileUtils::SharedFileUtils()->FileExists(path)) {
    Report(CacheFileName(key), path, callback);
    return;
  }
  auto request = std::make_unique<mireloom::HttpRequest>();
  request->set_url(url);
  request->set_request_type(0);
  mireloom::HttpClient::SharedClient()->Send(
      std::move(request), [key, callback = std::move(callback),
                           failed = std::move(failed)](std::unique_ptr<mireloom::HttpResponse> response) {
        OnDownloaded(key, callback, failed, *response);
      });
}

void AnswerWaitingDownloads(const std::string& key) {
  if (key.empty() || !WaitingCallbacks::Instance().Any()) return;
  WaitingCallbacks::Instance().Answer(CacheFileName(key), CachedFilePath(key));
}

void RequestRedirectLocation(const std::string& url, std::function<void(const std::string& location)> callback,
                             FetchFailed failed) {
  std::unique_ptr<quennet::HttpRequest> request = mireloom::WebApi::Api()->GenBaseRequestForCurrentTeam(0);
  if (!request) return Fail(failed, "nobody is signed in");
  if (!IsServiceHost(url)) {
    quennet::log_event("Asking %s where it leads without the team's credentials", quennet::UrlHost(url).c_str());
    request = std::make_unique<quennet::HttpRequest>();
  }
  request->set_url(url);
  request->set_request_type(0);
  quennet::HttpClient::SharedClient()->Send(
      std::move(request), [callback = std::move(callback),
                           failed = std::move(failed)](std::unique_ptr<quennet::HttpResponse> response) {
        if (!response->is_succeed()) return Fail(failed, "the reply was " + std::to_string(response->status_code()));
        // Header names are compared without regard to case.
        const auto& headers = response->response_header();
        const auto location = headers.find("Location");
        if (callback) callback(location == headers.end() ? std::string() : location->second);
      });
}
