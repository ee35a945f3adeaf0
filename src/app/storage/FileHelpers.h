#pragma once

#include <functional>
#include <string>

// Creates or replaces the file with the bytes; false when it cannot be written whole.
bool WriteWholeFile(const std::wstring& path, const void* bytes, size_t size);
// Whether a replaced file must reach the disk before it takes the old one's
// place: a file that is the only copy must; a cached download need not.
enum class FileSync { Later, BeforeReplacing };
// Writes the file anew without ever leaving it half-written: `write` fills a
// temporary file beside it, which then takes the file's place in one rename,
// so that a full disk (or, synced, a crash) leaves the old one as it was. On
// any failure the temporary file goes and the old file stays; false then.
bool ReplaceFileWhole(const std::wstring& path, const std::function<bool(const std::wstring& temporary)>& write,
                      FileSync sync);
// The same with the bytes as the new file.
bool ReplaceFileWhole(const std::wstring& path, const void* bytes, size_t size, FileSync sync);

// Number of sub-folders directly inside the folder; 0 when it cannot be read.
int CountSubfolders(const std::wstring& folder);

// "file_type/file_type_<ext>.png" (relative to the skin folder) when that picture
// exists, else "". The extension is what follows the name's last "."; one that is
// not made of ASCII letters and digits gives "".
std::string GetFileTypeIcon(const std::string& fileName);
