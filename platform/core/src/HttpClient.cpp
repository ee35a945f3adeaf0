#include "mireloom/HttpClient.h"

#include "CoreState.h"
#include "service/DemoService.h"

namespace mireloom {

HttpClient* HttpClient::SharedClient() {
  static HttpClient* client = new HttpClient;
  return client;
}

void HttpClient::Send(std::unique_ptr<HttpRequest> request,
                      std::function<void(std::unique_ptr<HttpResponse>)> completion) {
  detail::EmbeddedService();  // its hosts answer in-process
  auto base = std::make_unique<quennet::HttpRequest>();
  if (request) {
    base->set_url(request->url());
    base->set_request_type(request->request_type());
    for (const auto& header : request->headers()) base->set_header(header.first, header.second);
    base->set_body(request->body());
  }
  // The base client calls back exactly once on one of its threads, never the caller's.
  quennet::HttpClient::SharedClient()->Send(
      std::move(base), [completion = std::move(completion)](std::unique_ptr<quennet::HttpResponse> response) {
        const auto& bytes = response->raw_data();
        auto converted = std::make_unique<HttpResponse>(response->status_code(), response->response_header(),
                                                        std::vector<char>(bytes.begin(), bytes.end()));
        if (completion) completion(std::move(converted));
      });
}

}  // namespace mireloom
