#pragma once

// The download cache: avatars, chat pictures and thumbnails are fetched once
// and kept as files in the cache folder, named after the caller's key.

#include <functional>
#include <string>

// Calls back with the cached file's path (code page 936): at once, on this
// thread, when the key's file exists; otherwise after a successful download,
// on the HTTP thread. Not called for an empty key, a failed or empty reply, or
// a file that cannot be written.
void DownloadToCache(const std::string& url, const std::string& key,
                     std::function<void(const std::string& localPath)> callback);

// Asks the service, with the signed-in team's credentials, where the address
// really lies: calls back with the reply's "Location" ("" when it has none).
// Not called without a signed-in team or when the request fails.
void RequestRedirectLocation(const std::string& url, std::function<void(const std::string& location)> callback);
