#include <cctype>

#include "quennet/HttpClient.h"

namespace quennet {

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

void AddHeader(HeaderMap& headers, const std::string& name, const std::string& value) {
  auto found = headers.find(name);
  if (found == headers.end()) {
    headers.emplace(name, value);
  } else {
    found->second += ", " + value;
  }
}

std::unique_ptr<HttpResponse> HttpResponse::Make(int status, HeaderMap headers, std::string body) {
  std::unique_ptr<HttpResponse> response(new HttpResponse);
  response->m_status = status;
  response->m_headers = std::move(headers);
  response->m_body.assign(body.begin(), body.end());
  return response;
}

std::unique_ptr<HttpResponse> HttpResponse::Failure(std::string error) {
  std::unique_ptr<HttpResponse> response(new HttpResponse);
  response->m_error = std::move(error);
  return response;
}

std::string UrlHost(const std::string& url) {
  std::string lower;
  for (char c : url.substr(0, 8)) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t start;
  if (lower.rfind("http://", 0) == 0) {
    start = 7;
  } else if (lower.rfind("https://", 0) == 0) {
    start = 8;
  } else {
    return {};
  }
  const size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  const size_t colon = authority.find(':');
  if (colon != std::string::npos) authority.erase(colon);
  for (char& c : authority) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
    if (!allowed) return {};
  }
  return authority;
}

}  // namespace quennet
