#pragma once

#include "quennet/HttpClient.h"

namespace quennet::detail {

// Real network requests through WinINet, never following redirects.
class WinInetTransport final : public HttpTransport {
 public:
  std::unique_ptr<HttpResponse> Perform(const HttpRequest& request) override;
};

// Parses the header block of HttpQueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF): the
// status line is skipped and repeated names are joined.
HeaderMap ParseRawHeaders(const std::string& raw);

}  // namespace quennet::detail
