#include "app/storage/PictureSources.h"

#include <mutex>
#include <unordered_map>

#include "app/storage/CacheNames.h"

namespace {

struct Source {
  std::string key;
  std::string url;
};

struct Sources {
  std::mutex mutex;
  // By cache file name: the key that names the file and where it comes from.
  std::unordered_map<std::string, Source> byName;
};

Sources& TheSources() {
  static auto* sources = new Sources;
  return *sources;
}

}  // namespace

void NoteCachedPictureAddress(const std::string& key, const std::string& url) {
  if (key.empty() || url.empty()) return;
  const std::string name = CacheFileName(key);
  Sources& sources = TheSources();
  std::lock_guard<std::mutex> lock(sources.mutex);
  sources.byName[name] = Source{key, url};
}

bool FindCachedPictureSource(const std::string& cacheName, std::string* key, std::string* url) {
  Sources& sources = TheSources();
  std::lock_guard<std::mutex> lock(sources.mutex);
  const auto found = sources.byName.find(cacheName);
  if (found == sources.byName.end()) return false;
  *key = found->second.key;
  *url = found->second.url;
  return true;
}
