#include "ServiceHosts.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "../Operation.h"
#include "../Text.h"
#include "DemoService.h"
#include "ImageRenderer.h"
#include "mireloom/testing.h"
#include "mireloom/Types.h"

#ifndef MIRELOOM_SERVICE_DOMAIN
#define MIRELOOM_SERVICE_DOMAIN "corvanel.test"
#endif
#ifndef MIRELOOM_STORAGE_HOST
#define MIRELOOM_STORAGE_HOST "storage.corvanel.test"
#endif
#ifndef MIRELOOM_FILE_HOST
#define MIRELOOM_FILE_HOST "files.corvanel.test"
#endif

namespace mireloom::service {
namespace {

using quennet::HeaderMap;
using quennet::HttpResponse;

struct ScriptRule {
  std::string prefix;
  int status = 200;
  HeaderMap headers;
  std::string body;
  bool transport_failure = false;
};

struct Hooks {
  std::mutex mutex;
  std::vector<ScriptRule> scripts;
  std::vector<testing::HttpRecord> log;
};

Hooks& GetHooks() {
  static Hooks* hooks = new Hooks;
  return *hooks;
}

std::unique_ptr<HttpResponse> NotFound() {
  return HttpResponse::Make(404, {{"Content-Type", "text/html"}},
                            "<html><body><h1>404 Not Found</h1></body></html>");
}

std::unique_ptr<HttpResponse> Picture(const std::string& bytes, const std::string& mime) {
  if (bytes.empty()) return HttpResponse::Make(500, {}, "cannot draw");
  return HttpResponse::Make(200, {{"Content-Type", mime}}, bytes);
}

std::string PercentEncode(const std::string& text) {
  std::string encoded;
  for (unsigned char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      encoded += hex;
    }
  }
  return encoded;
}

// The first character of UTF-8 text, as wide text.
std::wstring Initial(const std::string& text) {
  const std::wstring wide = detail::Utf8ToWide(detail::Utf8Prefix(text, 1));
  return wide.empty() ? L"?" : wide;
}

std::string QueryValue(const std::string& query, const std::string& name) {
  for (const std::string& pair : {query}) {
    size_t at = 0;
    while (at <= pair.size()) {
      const size_t end = pair.find('&', at);
      const std::string item = pair.substr(at, end == std::string::npos ? std::string::npos : end - at);
      if (item.rfind(name + "=", 0) == 0) return item.substr(name.size() + 1);
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  return {};
}

std::unique_ptr<HttpResponse> AnswerAvatar(DemoService& service, const std::string& name) {
  int width = 0, height = 0;
  char uri[128] = {};
  if (sscanf(name.c_str(), "s%dx%d-%127[0-9a-z].png", &width, &height, uri) != 3) return NotFound();
  if (width <= 0 || height <= 0 || width > 1024 || height > 1024) return NotFound();
  User::Data user;
  if (!service.FindUserByAvatar(uri, &user)) return NotFound();
  return Picture(RenderTile(width, height, ColorOf(user.uid), Initial(user.display_name), ImageFormat::kPng),
                 "image/png");
}

std::unique_ptr<HttpResponse> AnswerStatic(DemoService& service, const std::string& name) {
  Service::Data found;
  if (!service.FindServiceByAvatar(name, &found)) return NotFound();
  return Picture(RenderTile(80, 80, ColorOf(found.service_id), Initial(found.display_name), ImageFormat::kPng),
                 "image/png");
}

// Where a file's bytes are fetched from: the download address that a file's
// own address and its entity's "from-s3" address both redirect to.
constexpr char kDownloadPrefix[] = "/download/";

std::unique_ptr<HttpResponse> RedirectToDownload(const std::string& encodedName) {
  return HttpResponse::Make(302, {{"Location", std::string("https://") + MIRELOOM_FILE_HOST + kDownloadPrefix + encodedName}},
                            "");
}

std::unique_ptr<HttpResponse> AnswerRedirect(DemoService& service, const quennet::HttpRequest& request,
                                             const std::string& entityId, const std::string& query) {
  std::string token;
  auto authorization = request.headers().find("Authorization");
  if (authorization != request.headers().end() && authorization->second.rfind("Bearer ", 0) == 0) {
    token = authorization->second.substr(7);
  }
  std::string location;
  const int status = service.FileLocation(token, QueryValue(query, "team_id"), entityId, &location);
  if (status != 302) return status == 404 ? NotFound() : HttpResponse::Make(status, {}, "");
  return RedirectToDownload(PercentEncode(location));
}

std::unique_ptr<HttpResponse> AnswerThumbnail(DemoService& service, const std::string& name) {
  // "<path>_<W>x<H>.<ext>"; paths never contain "_".
  const size_t bar = name.rfind('_');
  const size_t dot = name.rfind('.');
  int width = 0, height = 0;
  if (bar == std::string::npos || dot == std::string::npos || dot < bar ||
      sscanf(name.c_str() + bar + 1, "%dx%d", &width, &height) != 2) {
    return NotFound();
  }
  const ImageFormat format = FormatOfExtension(name.substr(dot + 1));
  std::string bytes;
  std::string mime;
  if (!service.FileBytes(name.substr(0, bar), &bytes, &mime)) return NotFound();
  if (width == 0 && height == 0) return Picture(bytes, mime);
  return Picture(ScaleImage(bytes, width, height, format), format == ImageFormat::kGif ? "image/gif" : "image/png");
}

std::unique_ptr<HttpResponse> AnswerFile(DemoService& service, const std::string& name) {
  const size_t dot = name.find('.');
  std::string bytes;
  std::string mime;
  if (!service.FileBytes(name.substr(0, dot), &bytes, &mime)) return NotFound();
  return HttpResponse::Make(200, {{"Content-Type", mime}}, bytes);
}

// A scripted answer for the address, if a test set one.
bool Scripted(const std::string& url, std::unique_ptr<HttpResponse>* response) {
  Hooks& hooks = GetHooks();
  std::lock_guard<std::mutex> lock(hooks.mutex);
  for (auto it = hooks.scripts.rbegin(); it != hooks.scripts.rend(); ++it) {
    if (url.rfind(it->prefix, 0) != 0) continue;
    *response = it->transport_failure ? HttpResponse::Failure("scripted transport failure")
                                      : HttpResponse::Make(it->status, it->headers, it->body);
    return true;
  }
  return false;
}

// Only while a test records: the running program answers every avatar and
// file of the session here, and nobody reads the record.
void Log(const quennet::HttpRequest& request, int status) {
  if (!detail::CallLogOn()) return;
  Hooks& hooks = GetHooks();
  std::lock_guard<std::mutex> lock(hooks.mutex);
  hooks.log.push_back({request.url(), request.request_type(), request.headers(), status});
}

}  // namespace

void ServiceHosts::Register(std::weak_ptr<DemoService> service) {
  quennet::RegisterLocalHost(MIRELOOM_SERVICE_DOMAIN, [service](const quennet::HttpRequest& request) {
    std::unique_ptr<HttpResponse> response;
    if (!Scripted(request.url(), &response)) {
      auto running = service.lock();
      response = running ? Answer(running, request) : HttpResponse::Failure("service stopped");
    }
    Log(request, response->status_code());
    return response;
  });
}

void ServiceHosts::Unregister() { quennet::UnregisterLocalHost(MIRELOOM_SERVICE_DOMAIN); }

void ServiceHosts::Script(const std::string& urlPrefix, int status, const HeaderMap& headers, const std::string& body,
                          bool transportFailure) {
  Hooks& hooks = GetHooks();
  std::lock_guard<std::mutex> lock(hooks.mutex);
  hooks.scripts.push_back({urlPrefix, status, headers, body, transportFailure});
}

void ServiceHosts::ClearScripts() {
  Hooks& hooks = GetHooks();
  std::lock_guard<std::mutex> lock(hooks.mutex);
  hooks.scripts.clear();
  hooks.log.clear();
}

std::unique_ptr<HttpResponse> ServiceHosts::Answer(const std::shared_ptr<DemoService>& service,
                                                   const quennet::HttpRequest& request) {
  if (service->InOutage()) return HttpResponse::Failure("unreachable");
  const std::string host = quennet::UrlHost(request.url());
  const size_t path_start = request.url().find('/', request.url().find("//") + 2);
  std::string path = path_start == std::string::npos ? "/" : request.url().substr(path_start);
  std::string query;
  const size_t question = path.find('?');
  if (question != std::string::npos) {
    query = path.substr(question + 1);
    path.erase(question);
  }
  auto starts = [&path](const char* prefix) { return path.rfind(prefix, 0) == 0; };
  if (host == MIRELOOM_STORAGE_HOST && starts("/mlavatar/")) return AnswerAvatar(*service, path.substr(10));
  if (host == MIRELOOM_STORAGE_HOST && starts("/mlstatic/")) return AnswerStatic(*service, path.substr(10));
  if (host == MIRELOOM_FILE_HOST && starts("/entities/")) {
    const std::string rest = path.substr(10);
    const size_t slash = rest.find('/');
    if (slash != std::string::npos && rest.substr(slash) == "/from-s3") {
      return AnswerRedirect(*service, request, rest.substr(0, slash), query);
    }
    return NotFound();
  }
  if (host == MIRELOOM_FILE_HOST && starts("/thumb/")) return AnswerThumbnail(*service, path.substr(7));
  const size_t download = std::char_traits<char>::length(kDownloadPrefix);
  if (host == MIRELOOM_FILE_HOST && starts(kDownloadPrefix) && path.find('/', download) == std::string::npos) {
    return AnswerFile(*service, path.substr(download));
  }
  // A file's own address ("/" + path + "." + extension) is answered as the
  // real service answers it: with a redirect to where its bytes lie.
  if (host == MIRELOOM_FILE_HOST && path.size() > 1 && path.find('/', 1) == std::string::npos) {
    return RedirectToDownload(path.substr(1));
  }
  return NotFound();
}

}  // namespace mireloom::service

namespace mireloom::testing {

void HttpScript(const std::string& urlPrefix, int status, const quennet::HeaderMap& headers, const std::string& body) {
  service::ServiceHosts::Script(urlPrefix, status, headers, body, false);
}

void HttpTransportFailure(const std::string& urlPrefix) { service::ServiceHosts::Script(urlPrefix, 0, {}, {}, true); }

std::vector<HttpRecord> HttpRequests() {
  auto& hooks = service::GetHooks();
  std::lock_guard<std::mutex> lock(hooks.mutex);
  return hooks.log;
}

}  // namespace mireloom::testing
