#include "signin/AvatarPrefetch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/storage/CacheNames.h"
#include "app/storage/DownloadCache.h"
#include "app/storage/UserFolders.h"
#include "mireloom/Director.h"
#include "mireloom/ServiceManager.h"
#include "mireloom/UserManager.h"
#include "quennet/EventLog.h"

namespace signin {
namespace {

constexpr int kAvatarSize = 40;
// A download that never ends must not hold the rest back for good.
constexpr auto kLongestWaitForASlot = std::chrono::seconds(30);

// One prefetch: its downloads under way, and whether a later sign-in ended it.
class PrefetchRun final {
 public:
  void Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
  }

  [[nodiscard]] bool Stopped() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
  }

  // Waits for one of the slots; false when the run was stopped meanwhile.
  bool TakeSlot() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, kLongestWaitForASlot,
                       [this] { return m_stopped || m_running < CAvatarPrefetch::kDownloadsAtOnce; });
    if (m_stopped) return false;
    ++m_running;
    return true;
  }

  // What a download's end calls, once whichever way it ends.
  [[nodiscard]] std::function<void(const std::string&)> SlotRelease() {
    auto released = std::make_shared<std::atomic<bool>>(false);
    return [this, keep = m_self.lock(), released](const std::string&) {
      if (released->exchange(true)) return;
      std::lock_guard<std::mutex> lock(m_mutex);
      --m_running;
      m_changed.notify_all();
    };
  }

  void Finish() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, kLongestWaitForASlot, [this] { return m_stopped || m_running == 0; });
    m_done = true;
    m_changed.notify_all();
  }

  bool WaitDone(DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_done; });
  }

  static std::shared_ptr<PrefetchRun> Make() {
    auto run = std::make_shared<PrefetchRun>();
    run->m_self = run;
    return run;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_running = 0;
  bool m_stopped = false;
  bool m_done = false;
  std::weak_ptr<PrefetchRun> m_self;
};

std::mutex g_currentMutex;
std::shared_ptr<PrefetchRun> g_current;

// Runs while the session that started it lasts: a sign-out or another
// sign-in replaces the core library's director, and ends it.
void Prefetch(const std::shared_ptr<PrefetchRun>& run, const mireloom::Director* session) {
  // Read here, not on the sign-in's last step, which the main window waits
  // for: a team of thousands takes its while. A later session's members are
  // not this run's to fetch.
  if (mireloom::Director::DefaultDirector() != session) {
    run->Stop();
    run->Finish();
    return;
  }
  const std::vector<AvatarPicture> pictures = CAvatarPrefetch::TeamPictures();
  // Thousands of pictures are looked for in the cache folder: the Documents
  // folder is asked for once.
  const DocumentsFolderSnapshot documents;
  size_t fetched = 0;
  for (const AvatarPicture& picture : pictures) {
    if (GetFileAttributesW(GetCachedFilePath(picture.cacheKey).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (mireloom::Director::DefaultDirector() != session || !run->TakeSlot()) {
      run->Stop();
      break;
    }
    const auto release = run->SlotRelease();
    DownloadToCache(picture.address, picture.cacheKey, release, release);
    ++fetched;
  }
  run->Finish();
  if (!run->Stopped()) quennet::log_event("Avatars prefetched: %zu of %zu fetched", fetched, pictures.size());
}

}  // namespace

void CAvatarPrefetch::Start() {
  std::shared_ptr<PrefetchRun> run = PrefetchRun::Make();
  {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    if (g_current) g_current->Stop();
    g_current = run;
  }
  // The session that asked; the thread reads its members unless another has
  // begun meanwhile.
  const mireloom::Director* session = mireloom::Director::DefaultDirector();
  try {
    std::thread([run, session] { Prefetch(run, session); }).detach();
  } catch (const std::system_error& error) {
    // Without the prefetch every list still fetches the pictures it shows.
    quennet::log_error("Cannot start the avatar prefetch: %s", error.what());
    run->Finish();
  }
}

bool CAvatarPrefetch::WaitUntilDone(DWORD timeoutMs) {
  std::shared_ptr<PrefetchRun> run;
  {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    run = g_current;
  }
  return !run || run->WaitDone(timeoutMs);
}

std::vector<AvatarPicture> CAvatarPrefetch::TeamPictures() {
  std::vector<AvatarPicture> pictures;
  for (const auto& user : mireloom::UserManager::DefaultManager()->FetchUsersFromCache()) {
    AvatarPicture picture = MemberAvatarPicture(user->header_uri(), kAvatarSize);
    if (!picture.empty()) pictures.push_back(std::move(picture));
  }
  for (const auto& service : mireloom::ServiceManager::DefaultManager()->FetchServicesFromCache()) {
    AvatarPicture picture = ServiceAvatarPicture(service->avatar_url());
    if (!picture.empty()) pictures.push_back(std::move(picture));
  }
  return pictures;
}

}  // namespace signin
