#pragma once

// The HTTP client: requests are sent on worker threads and answered through a
// completion, exactly once, never on the caller's thread. Redirects are never
// followed, so that callers can read "Location". Hosts of the embedded service
// are answered in-process; everything else goes through WinINet.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quennet {

// Header names compare without regard to ASCII case.
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
using HeaderMap = std::map<std::string, std::string, CaseInsensitiveLess>;

class HttpRequest final {
 public:
  enum Type { kGet = 0, kPost = 1, kPut = 2, kDelete = 3 };

  HttpRequest() = default;

  void set_url(const std::string& url) { m_url = url; }
  void set_request_type(int type) { m_type = type; }
  void set_header(const std::string& name, const std::string& value) { m_headers[name] = value; }
  void set_body(std::string body) { m_body = std::move(body); }
  void set_timeout_ms(int timeout_ms) { m_timeout_ms = timeout_ms; }

  [[nodiscard]] const std::string& url() const { return m_url; }
  [[nodiscard]] int request_type() const { return m_type; }
  [[nodiscard]] const HeaderMap& headers() const { return m_headers; }
  [[nodiscard]] const std::string& body() const { return m_body; }
  [[nodiscard]] int timeout_ms() const { return m_timeout_ms; }

 private:
  std::string m_url;
  int m_type = kGet;
  HeaderMap m_headers;
  std::string m_body;
  int m_timeout_ms = 30000;
};

class HttpResponse final {
 public:
  static std::unique_ptr<HttpResponse> Make(int status, HeaderMap headers, std::string body);
  static std::unique_ptr<HttpResponse> Failure(std::string error);

  // The reply arrived and its status is 200 to 399: an unfollowed redirect is a success.
  [[nodiscard]] bool is_succeed() const { return m_status >= 200 && m_status < 400; }
  [[nodiscard]] const HeaderMap& response_header() const { return m_headers; }
  [[nodiscard]] int status_code() const { return m_status; }  // 0 on a transport failure
  [[nodiscard]] const std::vector<unsigned char>& raw_data() const { return m_body; }
  [[nodiscard]] std::string body_text() const { return std::string(m_body.begin(), m_body.end()); }
  [[nodiscard]] const std::string& error() const { return m_error; }

 private:
  HttpResponse() = default;

  int m_status = 0;
  HeaderMap m_headers;
  std::vector<unsigned char> m_body;
  std::string m_error;
};

// Adds a received header, joining a repeated name with ", ".
void AddHeader(HeaderMap& headers, const std::string& name, const std::string& value);

// Carries one request to a reply. Called on a worker thread.
class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  virtual std::unique_ptr<HttpResponse> Perform(const HttpRequest& request) = 0;
};

using HttpCompletion = std::function<void(std::unique_ptr<HttpResponse>)>;

class HttpClient final {
 public:
  // Never null and never destroyed.
  static HttpClient* SharedClient();

  // Returns at once. The completion (which may be empty) is called exactly once
  // with a non-null response on a worker thread, with no lock of the client held.
  void Send(std::unique_ptr<HttpRequest> request, HttpCompletion completion);

 private:
  HttpClient() = default;
};

// In-process answers for the hosts of the embedded service. "a.test" also
// matches every host under it; matching ignores case and port.
using LocalHandler = std::function<std::unique_ptr<HttpResponse>(const HttpRequest&)>;
void RegisterLocalHost(const std::string& host_or_suffix, LocalHandler handler);
void UnregisterLocalHost(const std::string& host_or_suffix);
// Whether the host (as UrlHost gives it) is answered in-process.
[[nodiscard]] bool IsLocalHost(const std::string& host);

// The host of an absolute http or https URL, lower case, without user or port;
// empty when the URL is not one.
std::string UrlHost(const std::string& url);

}  // namespace quennet
