#pragma once

// Where each cached picture came from, so that a file found broken can be
// fetched again. The download cache notes every address it is asked for.

#include <string>

// Any thread; an empty key or address is not noted.
void NoteCachedPictureAddress(const std::string& key, const std::string& url);

// The key and address noted for the cache file name; false when none was.
[[nodiscard]] bool FindCachedPictureSource(const std::string& cacheName, std::string* key, std::string* url);
