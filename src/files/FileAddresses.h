#pragma once

// The file service's addresses of a shared file and the cache keys of its
// pictures. Every address is on the host of FileEntitiesUrl.

#include <string>

namespace files {

// FileEntitiesUrl + entity id + "/from-s3?team_id=" + team id: answered with
// a redirect to where the file lies.
[[nodiscard]] std::string DownloadAddress(const std::string& entityId, const std::string& teamId);
// "/thumb/" + path + "_" + W + "x" + H + ".png".
[[nodiscard]] std::string ThumbnailAddress(const std::string& path, int width, int height);
// "/" + path + "." + extension: the file itself.
[[nodiscard]] std::string FileAddress(const std::string& path, const std::string& extension);
// path + "." + extension; "" without a path, so that nothing is cached under
// a key that names no picture.
[[nodiscard]] std::string ImageCacheKey(const std::string& path, const std::string& extension);
// The details' larger thumbnail: the image's key with "-" for its first
// character, so that the two sizes are cached apart; "" without a path.
[[nodiscard]] std::string DetailsThumbnailKey(const std::string& path, const std::string& extension);

// The cache key (and the name after AvatarBaseUrl) of a 40 x 40 avatar; ""
// for a user without one.
[[nodiscard]] std::string AvatarKey(const std::string& headerUri);

}  // namespace files
