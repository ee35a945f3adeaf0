#include "files/FileAddresses.h"

#include "app/text/ServiceConstants.h"
#include "mireloom/Types.h"

namespace files {

namespace {

// "https://" + the file host, without the "/entities/" path.
std::string FileServiceOrigin() { return "https://" + FileHost; }

}  // namespace

std::string DownloadAddress(const std::string& entityId, const std::string& teamId) {
  return FileEntitiesUrl + entityId + "/from-s3?team_id=" + teamId;
}

std::string ThumbnailAddress(const std::string& path, int width, int height) {
  return FileServiceOrigin() + "/thumb/" + path + "_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
}

std::string FileAddress(const std::string& path, const std::string& extension) {
  return FileServiceOrigin() + "/" + path + "." + extension;
}

std::string ImageCacheKey(const std::string& path, const std::string& extension) {
  return path.empty() ? std::string() : path + "." + extension;
}

std::string DetailsThumbnailKey(const std::string& path, const std::string& extension) {
  std::string key = ImageCacheKey(path, extension);
  if (!key.empty()) key[0] = '-';
  return key;
}

std::string AvatarKey(const std::string& headerUri) { return mireloom::avatar_url(headerUri, 40, 40, 1); }

}  // namespace files
