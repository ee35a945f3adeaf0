#include "app/ui/PlatformSeam.h"

#include <mmsystem.h>
#include <urlmon.h>
#include <wininet.h>

#include <chrono>
#include <cwctype>
#include <future>
#include <memory>

#include "app/storage/FileHelpers.h"
#include "app/text/TextHelpers.h"
#include "quennet/EventLog.h"
#include "quennet/HttpClient.h"

namespace {

CPlatformSeam* g_test_platform = nullptr;

// A function of a library the program needs only now and then (sounds, file
// dialogs, type sniffing), found at its first use: under Wine every library
// loaded at start-up adds to the time to the first window. Null when the
// library or the function is missing.
template <class Function>
Function LateBound(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return module ? reinterpret_cast<Function>(GetProcAddress(module, name)) : nullptr;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t length = wcslen(prefix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::towlower(text[i]) != prefix[i]) return false;
  }
  return true;
}

// A GET through the base library's client, waited for; only a 2xx body is
// the file (a redirect's body is not).
bool DownloadThroughHttpClient(const std::string& url, const std::wstring& path) {
  auto request = std::make_unique<quennet::HttpRequest>();
  request->set_url(url);
  request->set_request_type(quennet::HttpRequest::kGet);
  const int timeout_ms = request->timeout_ms();
  auto answer = std::make_shared<std::promise<std::unique_ptr<quennet::HttpResponse>>>();
  std::future<std::unique_ptr<quennet::HttpResponse>> reply = answer->get_future();
  quennet::HttpClient::SharedClient()->Send(
      std::move(request), [answer](std::unique_ptr<quennet::HttpResponse> response) { answer->set_value(std::move(response)); });
  // The client answers every request once; the wait only guards against a stuck transport.
  if (reply.wait_for(std::chrono::milliseconds(timeout_ms + 5000)) != std::future_status::ready) return false;
  const std::unique_ptr<quennet::HttpResponse> response = reply.get();
  if (response->status_code() < 200 || response->status_code() >= 300) return false;
  return WriteWholeFile(path, response->raw_data().data(), response->raw_data().size());
}

}  // namespace

CPlatformSeam& Platform() {
  static CWin32Platform real;
  return g_test_platform ? *g_test_platform : real;
}

void SetPlatformForTesting(CPlatformSeam* platform) { g_test_platform = platform; }

int CWin32Platform::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  // No caption gives the system's own ("Error").
  return MessageBoxW(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
}

bool CWin32Platform::ShellOpen(const std::wstring& target) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

UINT CWin32Platform::TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  return static_cast<UINT>(::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
}

bool CWin32Platform::ShowOpenFileDialog(OPENFILENAMEW* dialog) {
  static const auto open = LateBound<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  return open && open(dialog) != FALSE;
}

bool CWin32Platform::ShowSaveFileDialog(OPENFILENAMEW* dialog) {
  static const auto save = LateBound<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  return save && save(dialog) != FALSE;
}

bool CWin32Platform::NotifyIcon(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data) != FALSE; }

bool CWin32Platform::PlaySoundFile(const std::wstring& path, DWORD flags) {
  static const auto play = LateBound<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
  return play && play(path.c_str(), nullptr, flags | SND_FILENAME) != FALSE;
}

bool CWin32Platform::FlashWindow(const FLASHWINFO& info) {
  FLASHWINFO copy = info;
  return FlashWindowEx(&copy) != FALSE;
}

bool CWin32Platform::IsOnline() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

std::wstring CWin32Platform::SniffMimeType(const void* bytes, DWORD size) {
  LPWSTR found = nullptr;
  // The call reads the buffer only; its parameter is not declared const.
  static const auto sniff = LateBound<decltype(&FindMimeFromData)>(L"urlmon.dll", "FindMimeFromData");
  if (!sniff) return {};
  const HRESULT result = sniff(nullptr, nullptr, const_cast<void*>(bytes), size, nullptr, 0, &found, 0);
  std::wstring mime = SUCCEEDED(result) && found ? found : L"";
  if (found) CoTaskMemFree(found);
  return mime;
}

bool CWin32Platform::DownloadUrlToFile(const std::wstring& address, const std::wstring& path) {
  const std::string url = WideToUtf8(address);
  if (quennet::IsLocalHost(quennet::UrlHost(url))) return DownloadThroughHttpClient(url, path);
  static const auto download = LateBound<decltype(&URLDownloadToFileW)>(L"urlmon.dll", "URLDownloadToFileW");
  return download && SUCCEEDED(download(nullptr, address.c_str(), path.c_str(), 0, nullptr));
}

bool IsOpenableAddress(const std::wstring& address, AddressPolicy policy) {
  if (StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://")) {
    const size_t scheme_end = address.find(L"://") + 3;
    const size_t host_end = address.find_first_of(L"/?#", scheme_end);
    const bool has_host = (host_end == std::wstring::npos ? address.size() : host_end) > scheme_end;
    // No white space or control characters: the shell would read them as arguments.
    for (wchar_t c : address) {
      if (c <= L' ' || c == 0x7F) return false;
    }
    return has_host;
  }
  if (policy == AddressPolicy::WebAndMail && StartsWithNoCase(address, L"mailto:")) {
    for (wchar_t c : address) {
      if (c < L' ' || c == 0x7F) return false;
    }
    return address.size() > wcslen(L"mailto:");
  }
  return false;
}

bool OpenAddress(const std::wstring& address, AddressPolicy policy) {
  if (!IsOpenableAddress(address, policy)) {
    quennet::log_error("Refused to open address %s", WideToUtf8(address).c_str());
    return false;
  }
  return Platform().ShellOpen(address);
}
