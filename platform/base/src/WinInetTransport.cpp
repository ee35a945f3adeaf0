#include "WinInetTransport.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>

namespace quennet::detail {
namespace {

constexpr size_t kMaxBody = 64u * 1024 * 1024;

struct InternetHandleCloser {
  void operator()(HINTERNET handle) const {
    if (handle) InternetCloseHandle(handle);
  }
};
using UniqueInternetHandle = std::unique_ptr<void, InternetHandleCloser>;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::string LastErrorText(const char* step) {
  return std::string(step) + " failed, error " + std::to_string(GetLastError());
}

// One session handle for the process, opened on first use.
HINTERNET Session() {
  static HINTERNET session = nullptr;
  static std::once_flag once;
  std::call_once(once, [] { session = InternetOpenW(L"Corvanel", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0); });
  return session;
}

const wchar_t* Verb(int type) {
  switch (type) {
    case HttpRequest::kPost: return L"POST";
    case HttpRequest::kPut: return L"PUT";
    case HttpRequest::kDelete: return L"DELETE";
    default: return L"GET";
  }
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

HeaderMap ParseRawHeaders(const std::string& raw) {
  HeaderMap headers;
  size_t start = raw.find("\r\n");  // the status line is not a header
  if (start == std::string::npos) return headers;
  start += 2;
  while (start < raw.size()) {
    size_t end = raw.find("\r\n", start);
    if (end == std::string::npos) end = raw.size();
    const std::string line = raw.substr(start, end - start);
    const size_t colon = line.find(':');
    if (colon != std::string::npos && colon > 0) AddHeader(headers, Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    start = end + 2;
  }
  return headers;
}

std::unique_ptr<HttpResponse> WinInetTransport::Perform(const HttpRequest& request) {
  HINTERNET session = Session();
  if (!session) return HttpResponse::Failure(LastErrorText("InternetOpen"));

  const std::wstring url = Widen(request.url());
  wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
  parts.dwUrlPathLength = 1;  // point into the URL
  parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    return HttpResponse::Failure(LastErrorText("InternetCrackUrl"));
  }
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  std::wstring path(parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : L"");
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  UniqueInternetHandle connection(
      InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return HttpResponse::Failure(LastErrorText("InternetConnect"));

  DWORD timeout = static_cast<DWORD>(request.timeout_ms());
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    InternetSetOptionW(connection.get(), option, &timeout, sizeof timeout);
  }

  DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  if (secure) flags |= INTERNET_FLAG_SECURE;
  UniqueInternetHandle handle(
      HttpOpenRequestW(connection.get(), Verb(request.request_type()), path.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!handle) return HttpResponse::Failure(LastErrorText("HttpOpenRequest"));
  for (DWORD option : {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    InternetSetOptionW(handle.get(), option, &timeout, sizeof timeout);
  }

  std::wstring header_block;
  for (const auto& header : request.headers()) header_block += Widen(header.first + ": " + header.second + "\r\n");
  const std::string& body = request.body();
  if (!HttpSendRequestW(handle.get(), header_block.empty() ? nullptr : header_block.c_str(),
                        static_cast<DWORD>(header_block.size()), body.empty() ? nullptr : const_cast<char*>(body.data()),
                        static_cast<DWORD>(body.size()))) {
    return HttpResponse::Failure(LastErrorText("HttpSendRequest"));
  }

  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(handle.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    return HttpResponse::Failure(LastErrorText("HttpQueryInfo"));
  }

  DWORD header_size = 0;
  HttpQueryInfoW(handle.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &header_size, nullptr);
  std::wstring raw_headers(header_size / sizeof(wchar_t) + 1, L'\0');
  if (!HttpQueryInfoW(handle.get(), HTTP_QUERY_RAW_HEADERS_CRLF, raw_headers.data(), &header_size, nullptr)) {
    raw_headers.clear();
  }
  raw_headers.resize(header_size / sizeof(wchar_t));

  std::string received;
  char chunk[16384];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(handle.get(), chunk, sizeof chunk, &read)) {
      return HttpResponse::Failure(LastErrorText("InternetReadFile"));
    }
    if (read == 0) break;
    if (received.size() + read > kMaxBody) return HttpResponse::Failure("reply body over 64 MiB");
    received.append(chunk, read);
  }
  return HttpResponse::Make(static_cast<int>(status), ParseRawHeaders(Narrow(raw_headers)), std::move(received));
}

}  // namespace quennet::detail
