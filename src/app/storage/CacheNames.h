#pragma once

// The names under which downloads are kept in the cache folder.

#include <string>

// The cached file's name for a download key: its first 36 bytes (a UUID's length).
std::string CacheKey(const std::string& key);

// CacheKey made safe as a file name: keys come from the server. Bytes that a
// file name cannot hold (and "%", and anything outside ASCII), a leading or
// trailing dot or space and the first letter of a device name ("CON", "lpt1")
// become "%XX", so distinct keys keep distinct names. Plain keys and UUIDs are
// unchanged; "" for an empty key.
std::string CacheFileName(const std::string& key);

// The one place that forms a cache path: GetDownloadTmpFolder + CacheFileName
// (key), narrow (code page 936); "" for an empty key.
std::string CachedFilePath(const std::string& key);
// Wide path under which the download of the key is cached; it need not exist.
std::wstring GetCachedFilePath(const std::string& key);
