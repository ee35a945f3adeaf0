#pragma once

#include <functional>
#include <string>

// Creates or replaces the file with the bytes; false when it cannot be written whole.
bool WriteWholeFile(const std::wstring& path, const void* bytes, size_t size);

// How far a file written anew is taken before it replaces the old one.
enum class Durability {
  Renamed,  // whole when renamed: a crash may still lose what the system had not written
  Flushed,  // on the disk before the rename: a crash or a full disk leaves the old file or the new one
};

// Writes the file anew without ever leaving it half-written: `write` fills a
// temporary file beside it, which then takes the file's place in one rename.
// On any failure the temporary file goes and the old file stays as it was.
bool ReplaceFileAtomically(const std::wstring& path, const std::function<bool(const std::wstring& temporary)>& write,
                           Durability durability);

// Number of sub-folders directly inside the folder; 0 when it cannot be read.
int CountSubfolders(const std::wstring& folder);

// "file_type/file_type_<ext>.png" (relative to the skin folder) when that picture
// exists, else "". The extension is what follows the name's last "."; one that is
// not made of ASCII letters and digits gives "".
std::string GetFileTypeIcon(const std::string& fileName);

// The cached file's name for a download key: its first 36 bytes (a UUID's length).
std::string CacheKey(const std::string& key);

// CacheKey made safe as a file name: keys come from the server. Bytes that a
// file name cannot hold (and "%", and anything outside ASCII), a leading or
// trailing dot or space and the first letter of a device name ("CON", "lpt1")
// become "%XX", so distinct keys keep distinct names. Plain keys and UUIDs are
// unchanged; "" for an empty key.
std::string CacheFileName(const std::string& key);
