#pragma once

// Saving a picture downloads it to the chosen file on a thread of its own,
// so that neither the window nor the HTTP client's thread waits for it. The
// download goes beside the file and replaces it only once it is whole. It
// outlives the viewer; nothing is reported.

#include <windows.h>

#include <string>

namespace files {

void StartSavedImageDownload(const std::wstring& address, const std::wstring& path);
// Until every download started so far has ended; false on timeout.
bool WaitForSavedImageDownloads(DWORD timeoutMs);

}  // namespace files
