#pragma once

// The core library's HTTP client. Requests go through the base library's
// client: never redirected automatically, answered in-process for the
// embedded service's hosts, through WinINet otherwise.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quennet/HttpClient.h"

namespace mireloom {

class HttpRequest final {
 public:
  enum Type { kGet = 0, kPost = 1, kPut = 2, kDelete = 3 };

  HttpRequest() = default;
  void set_url(const std::string& url) { m_url = url; }
  void set_request_type(int type) { m_type = type; }
  void set_header(const std::string& name, const std::string& value) { m_headers[name] = value; }
  void set_body(const std::string& body) { m_body = body; }

  [[nodiscard]] const std::string& url() const { return m_url; }
  [[nodiscard]] int request_type() const { return m_type; }
  [[nodiscard]] const quennet::HeaderMap& headers() const { return m_headers; }
  [[nodiscard]] const std::string& body() const { return m_body; }

 private:
  std::string m_url;
  int m_type = kGet;
  quennet::HeaderMap m_headers;
  std::string m_body;
};

class HttpResponse final {
 public:
  HttpResponse(int status, quennet::HeaderMap headers, std::vector<char> body)
      : m_status(status), m_headers(std::move(headers)), m_body(std::move(body)) {}

  [[nodiscard]] const std::vector<char>& raw_data() const { return m_body; }
  // 0 on a transport failure.
  [[nodiscard]] int status_code() const { return m_status; }
  // A 2xx reply.
  [[nodiscard]] bool is_succeed() const { return m_status >= 200 && m_status < 300; }
  // Names compare without regard to case.
  [[nodiscard]] const quennet::HeaderMap& response_header() const { return m_headers; }

 private:
  int m_status = 0;
  quennet::HeaderMap m_headers;
  std::vector<char> m_body;
};

class HttpClient final {
 public:
  // Never null.
  static HttpClient* SharedClient();
  // The completion is called exactly once with a response (never null), on an
  // HTTP thread, never the caller's.
  void Send(std::unique_ptr<HttpRequest> request, std::function<void(std::unique_ptr<HttpResponse>)> completion);

 private:
  HttpClient() = default;
};

}  // namespace mireloom
