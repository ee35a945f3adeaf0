#include "ImageCache.h"

#include <windows.h>

#include <algorithm>
#include <list>
#include <set>
#include <string>
#include <unordered_map>

#include "quennet/EventLog.h"

namespace DuiLib::detail {

namespace {

constexpr size_t kDefaultLimit = 32u * 1024u * 1024u;

struct Cache {
  size_t limit = kDefaultLimit;
  size_t bytes = 0;
  // Most recently used at the front.
  std::list<std::pair<std::wstring, std::shared_ptr<DecodedImage>>> order;
  std::unordered_map<std::wstring, decltype(order)::iterator> index;
  std::set<std::wstring> loggedFailures;
  std::function<void(LPCTSTR path)> failureListener;
};

Cache& TheCache() {
  static auto* cache = new Cache;
  return *cache;
}

size_t BytesOf(const DecodedImage& image) {
  return static_cast<size_t>(image.width) * image.height * 4 * std::max<size_t>(1, image.frames.size());
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

void Trim(Cache& cache) {
  while (cache.bytes > cache.limit && cache.order.size() > 1) {
    auto& last = cache.order.back();
    cache.bytes -= BytesOf(*last.second);
    cache.index.erase(last.first);
    cache.order.pop_back();
  }
}

}  // namespace

std::shared_ptr<DecodedImage> LoadImageFile(const std::wstring& path) {
  Cache& cache = TheCache();
  if (auto it = cache.index.find(path); it != cache.index.end()) {
    cache.order.splice(cache.order.begin(), cache.order, it->second);
    return it->second->second;
  }
  auto image = DecodeImageFile(path);
  if (!image) {
    if (cache.loggedFailures.insert(path).second) {
      quennet::log_error("Image could not be loaded: %s", Narrow(path).c_str());
    }
    if (cache.failureListener) cache.failureListener(path.c_str());
    return nullptr;
  }
  cache.order.emplace_front(path, image);
  cache.index[path] = cache.order.begin();
  cache.bytes += BytesOf(*image);
  Trim(cache);
  return image;
}

void SetImageFailureListener(std::function<void(LPCTSTR path)> listener) {
  TheCache().failureListener = std::move(listener);
}

void SetImageCacheLimit(size_t bytes) {
  TheCache().limit = bytes;
  Trim(TheCache());
}

size_t ImageCacheBytes() { return TheCache().bytes; }

void ClearImageCache() {
  Cache& cache = TheCache();
  cache.order.clear();
  cache.index.clear();
  cache.bytes = 0;
}

}  // namespace DuiLib::detail
