#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "../../platform/base/src/WinInetTransport.h"
#include "quennet/HttpClient.h"
#include "quennet/testing.h"

using quennet::HttpRequest;
using quennet::HttpResponse;

namespace {

// A one-connection-at-a-time HTTP server on 127.0.0.1 that answers every
// request with the same raw bytes (or with silence).
class LoopbackServer final {
 public:
  explicit LoopbackServer(std::string reply, bool silent = false) : m_reply(std::move(reply)), m_silent(silent) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(m_listener, 4);
    int length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
  }

  ~LoopbackServer() {
    m_stopping = true;
    closesocket(m_listener);
    m_thread.join();
    WSACleanup();
  }

  [[nodiscard]] std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }
  [[nodiscard]] int Requests() const { return m_requests; }
  [[nodiscard]] std::string FirstRequest() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_first_request;
  }

 private:
  void Serve() {
    while (!m_stopping) {
      SOCKET client = accept(m_listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) break;
        request.append(buffer, received);
      }
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_requests == 0) m_first_request = request;
      }
      ++m_requests;
      if (m_silent) {
        for (int i = 0; i < 40 && !m_stopping; ++i) Sleep(50);
      } else {
        send(client, m_reply.data(), static_cast<int>(m_reply.size()), 0);
      }
      shutdown(client, SD_BOTH);
      closesocket(client);
    }
  }

  std::string m_reply;
  bool m_silent;
  SOCKET m_listener = INVALID_SOCKET;
  int m_port = 0;
  std::thread m_thread;
  std::atomic<bool> m_stopping{false};
  std::atomic<int> m_requests{0};
  mutable std::mutex m_mutex;
  std::string m_first_request;
};

std::unique_ptr<HttpResponse> Perform(const std::string& url, int timeout_ms = 5000) {
  HttpRequest request;
  request.set_url(url);
  request.set_timeout_ms(timeout_ms);
  request.set_header("X-Corvanel-Test", "yes");
  quennet::detail::WinInetTransport transport;
  return transport.Perform(request);
}

TEST(WinInetTransportTest, DoesNotFollowARedirect) {
  LoopbackServer server(
      "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  auto response = Perform(server.Url("/entities/1/from-s3?team_id=t1"));
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status_code(), 302) << response->error();
  EXPECT_TRUE(response->is_succeed());
  EXPECT_EQ(response->response_header().at("location"), "http://127.0.0.1:1/elsewhere");
  EXPECT_EQ(server.Requests(), 1);
  const std::string request = server.FirstRequest();
  EXPECT_EQ(request.rfind("GET /entities/1/from-s3?team_id=t1 HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_NE(request.find("X-Corvanel-Test: yes"), std::string::npos);
}

TEST(WinInetTransportTest, ParsesHeadersAndKeepsTheBodyBytesExactly) {
  std::string body("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  body += std::string(70000, '\xff');
  LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nX-Multi: a\r\nx-multi: b\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  auto response = Perform(server.Url("/avatar"));
  ASSERT_EQ(response->status_code(), 200) << response->error();
  EXPECT_EQ(response->response_header().at("CONTENT-TYPE"), "image/png");
  EXPECT_EQ(response->response_header().at("X-Multi"), "a, b");
  EXPECT_EQ(response->response_header().count("HTTP/1.1 200 OK"), 0u);
  ASSERT_EQ(response->raw_data().size(), body.size());
  EXPECT_TRUE(std::equal(body.begin(), body.end(), response->raw_data().begin(),
                         [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; }));
}

TEST(WinInetTransportTest, ASilentServerTimesOut) {
  LoopbackServer server("", /*silent=*/true);
  const DWORD start = GetTickCount();
  auto response = Perform(server.Url("/slow"), 500);
  EXPECT_FALSE(response->is_succeed());
  EXPECT_EQ(response->status_code(), 0);
  EXPECT_LT(GetTickCount() - start, 1900u);
}

TEST(WinInetTransportTest, ParseRawHeadersSkipsTheStatusLineAndJoinsRepeats) {
  const auto headers = quennet::detail::ParseRawHeaders(
      "HTTP/1.1 301 Moved\r\nLocation:  http://x/ \r\nSet-Cookie: a=1\r\nset-cookie: b=2\r\nbad line\r\n\r\n");
  EXPECT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers.at("location"), "http://x/");
  EXPECT_EQ(headers.at("Set-Cookie"), "a=1, b=2");
}

}  // namespace
