#pragma once

// The download cache: avatars, chat pictures and thumbnails are fetched once
// and kept as files in the cache folder, named after the caller's key.

#include <functional>
#include <string>

// Why a fetch came to nothing, for callers that must say so.
using FetchFailed = std::function<void(const std::string& reason)>;

// Calls back with the cached file's path (code page 936): at once, on this
// thread, when the key's file exists; otherwise after a successful download,
// on the HTTP thread. Not called for an empty key or a failed or empty reply;
// `failed`, when given, is called instead. A file that cannot be written (a
// full disk) is not taken as done: `failed` hears of it, and the callback
// waits until the key is asked for again and its file is there.
void DownloadToCache(const std::string& url, const std::string& key,
                     std::function<void(const std::string& localPath)> callback, FetchFailed failed = nullptr);

// Answers the callbacks waiting for the key's file, for whoever found that
// file cached without asking DownloadToCache. Any thread.
void AnswerWaitingDownloads(const std::string& key);

// Asks the service where the address really lies: calls back with the
// reply's "Location" ("" when it has none). The signed-in team's credentials
// go only to the service's own hosts (the team's and the file host); any
// other host is asked without them. Not called without a signed-in team or
// when the request fails; `failed`, when given, is called instead.
void RequestRedirectLocation(const std::string& url, std::function<void(const std::string& location)> callback,
                             FetchFailed failed = nullptr);
