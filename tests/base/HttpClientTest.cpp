#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>

#include "quennet/HttpClient.h"
#include "quennet/testing.h"
#include "support/ProcessFigures.h"

using quennet::HeaderMap;
using quennet::HttpClient;
using quennet::HttpRequest;
using quennet::HttpResponse;
using quennet::ScriptedTransport;

namespace {

std::unique_ptr<HttpRequest> Get(const std::string& url) {
  auto request = std::make_unique<HttpRequest>();
  request->set_url(url);
  request->set_request_type(HttpRequest::kGet);
  return request;
}

// Sends and waits for the one completion; records where it ran.
struct Outcome {
  std::unique_ptr<HttpResponse> response;
  DWORD thread = 0;
};

Outcome SendAndWait(std::unique_ptr<HttpRequest> request) {
  std::promise<Outcome> promise;
  auto future = promise.get_future();
  HttpClient::SharedClient()->Send(std::move(request), [&promise](std::unique_ptr<HttpResponse> response) {
    promise.set_value({std::move(response), GetCurrentThreadId()});
  });
  EXPECT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  return future.get();
}

class HttpClientTest : public testing::Test {
 protected:
  void SetUp() override { quennet::SetTransport(m_transport); }
  void TearDown() override {
    EXPECT_TRUE(quennet::WaitForIdle(10000));
    quennet::SetTransport(nullptr);
  }

  std::shared_ptr<ScriptedTransport> m_transport = std::make_shared<ScriptedTransport>();
};

TEST_F(HttpClientTest, SuccessMeansARepliedStatusBelow400) {
  m_transport->Reply("https://a.test/ok", 200, "body");
  m_transport->Reply("https://a.test/moved", 302, "", HeaderMap{{"location", "https://b.test/x"}});
  m_transport->Reply("https://a.test/moved-nowhere", 302);
  m_transport->Reply("https://a.test/missing", 404, "not found");
  m_transport->Fail("https://a.test/down");

  Outcome ok = SendAndWait(Get("https://a.test/ok"));
  EXPECT_TRUE(ok.response->is_succeed());
  EXPECT_EQ(ok.response->body_text(), "body");

  Outcome moved = SendAndWait(Get("https://a.test/moved"));
  EXPECT_TRUE(moved.response->is_succeed());
  const auto location = moved.response->response_header().find("Location");
  ASSERT_NE(location, moved.response->response_header().end()) << "lookup ignores case";
  EXPECT_EQ(location->second, "https://b.test/x");

  Outcome nowhere = SendAndWait(Get("https://a.test/moved-nowhere"));
  EXPECT_TRUE(nowhere.response->is_succeed());
  EXPECT_EQ(nowhere.response->response_header().count("Location"), 0u);

  EXPECT_FALSE(SendAndWait(Get("https://a.test/missing")).response->is_succeed());
  Outcome down = SendAndWait(Get("https://a.test/down"));
  EXPECT_FALSE(down.response->is_succeed());
  EXPECT_EQ(down.response->status_code(), 0);
}

TEST_F(HttpClientTest, CompletesExactlyOnceAndNeverOnTheCallersThread) {
  m_transport->ReplyPrefix("https://a.test/", 200, "x");
  std::atomic<int> completions{0};
  std::mutex mutex;
  std::vector<DWORD> threads;
  for (int i = 0; i < 50; ++i) {
    HttpClient::SharedClient()->Send(Get("https://a.test/" + std::to_string(i)), [&](std::unique_ptr<HttpResponse> r) {
      ASSERT_TRUE(r);
      ++completions;
      std::lock_guard<std::mutex> lock(mutex);
      threads.push_back(GetCurrentThreadId());
    });
  }
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(completions.load(), 50);
  for (DWORD thread : threads) EXPECT_NE(thread, GetCurrentThreadId());
  for (uint32_t thread : quennet::CompletionThreadIds()) EXPECT_NE(thread, GetCurrentThreadId());
}

TEST_F(HttpClientTest, NullRequestsBadUrlsAndUnknownTypesFail) {
  Outcome none = SendAndWait(nullptr);
  ASSERT_TRUE(none.response);
  EXPECT_FALSE(none.response->is_succeed());

  for (const char* url : {"", "ftp://a.test/x", "a.test/x", "https:///x", "https://bad host/x"}) {
    Outcome bad = SendAndWait(Get(url));
    EXPECT_FALSE(bad.response->is_succeed()) << url;
  }
  auto odd = Get("https://a.test/x");
  odd->set_request_type(9);
  EXPECT_FALSE(SendAndWait(std::move(odd)).response->is_succeed());
  EXPECT_TRUE(m_transport->Calls().empty()) << "none of them reached the transport";
}

TEST_F(HttpClientTest, ABlockedCompletionDoesNotStallOtherRequests) {
  m_transport->ReplyPrefix("https://a.test/", 200);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HttpClient::SharedClient()->Send(Get("https://a.test/slow"), [release](std::unique_ptr<HttpResponse>) {
    WaitForSingleObject(release, 10000);  // a completion that runs a modal window, say
  });
  const DWORD start = GetTickCount();
  Outcome quick = SendAndWait(Get("https://a.test/quick"));
  EXPECT_TRUE(quick.response->is_succeed());
  EXPECT_LT(GetTickCount() - start, 2000u);
  SetEvent(release);
  CloseHandle(release);
}

// Each worker costs its stack: with every completion blocked the workers stop
// at their bound, and the rest waits in the queue until one comes back.
TEST_F(HttpClientTest, WorkersStopAtTheirBoundAndTheRestQueues) {
  constexpr int kMostWorkers = 12;
  constexpr int kRequests = 30;
  m_transport->ReplyPrefix("https://a.test/", 200);
  const int before = test_support::ThreadCount();
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> entered{0};
  std::atomic<int> completed{0};
  for (int i = 0; i < kRequests; ++i) {
    HttpClient::SharedClient()->Send(Get("https://a.test/" + std::to_string(i)), [&, release](std::unique_ptr<HttpResponse>) {
      ++entered;
      WaitForSingleObject(release, 10000);
      ++completed;
    });
  }
  const DWORD start = GetTickCount();
  while (entered < kMostWorkers && GetTickCount() - start < 5000) Sleep(5);
  EXPECT_LE(test_support::ThreadCount() - before, kMostWorkers);
  SetEvent(release);
  EXPECT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(completed, kRequests) << "a queued request never completed";
  CloseHandle(release);
}

TEST_F(HttpClientTest, AGateHoldsOneRequestWhileOthersPass) {
  auto gate = m_transport->Hold("https://a.test/held", 200, "late");
  m_transport->Reply("https://a.test/free", 200, "early");
  std::promise<std::string> held;
  HttpClient::SharedClient()->Send(Get("https://a.test/held"),
                                   [&held](std::unique_ptr<HttpResponse> r) { held.set_value(r->body_text()); });
  EXPECT_EQ(SendAndWait(Get("https://a.test/free")).response->body_text(), "early");
  auto held_future = held.get_future();
  EXPECT_EQ(held_future.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  gate->Release();
  EXPECT_EQ(held_future.get(), "late");
}

TEST_F(HttpClientTest, CarriesTypeHeadersAndBodyToTheTransport) {
  m_transport->ReplyPrefix("https://a.test/", 201);
  auto request = Get("https://a.test/post?x=%20y");
  request->set_request_type(HttpRequest::kPost);
  request->set_header("Authorization", "one");
  request->set_header("authorization", "two");
  request->set_body("{\"a\":1}");
  EXPECT_EQ(SendAndWait(std::move(request)).response->status_code(), 201);
  const auto calls = m_transport->Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].url, "https://a.test/post?x=%20y") << "sent as given";
  EXPECT_EQ(calls[0].type, HttpRequest::kPost);
  EXPECT_EQ(calls[0].headers.size(), 1u);
  EXPECT_EQ(calls[0].headers.at("AUTHORIZATION"), "two");
  EXPECT_EQ(calls[0].body, "{\"a\":1}");
}

TEST(HttpClientLocalHostTest, LocalHostsAnswerInProcessAndUnknownTestHostsFail) {
  quennet::RegisterLocalHost("svc.test", [](const HttpRequest& request) {
    return HttpResponse::Make(302, HeaderMap{{"Location", "https://files.svc.test/real"}}, request.url());
  });
  Outcome team = SendAndWait(Get("https://Team1.SVC.test:8443/api"));
  EXPECT_EQ(team.response->status_code(), 302);
  EXPECT_EQ(team.response->body_text(), "https://Team1.SVC.test:8443/api");
  EXPECT_NE(team.thread, GetCurrentThreadId());
  EXPECT_TRUE(quennet::IsLocalHost("files.svc.test"));
  EXPECT_FALSE(quennet::IsLocalHost("nobody.test"));

  const DWORD start = GetTickCount();
  Outcome unknown = SendAndWait(Get("https://nobody.test/x"));
  EXPECT_FALSE(unknown.response->is_succeed());
  EXPECT_LT(GetTickCount() - start, 1000u) << "never resolved";

  quennet::UnregisterLocalHost("svc.test");
  EXPECT_FALSE(SendAndWait(Get("https://team1.svc.test/api")).response->is_succeed());
}

TEST(HttpClientLocalHostTest, TestsNeverReachTheNetwork) {
  Outcome outside = SendAndWait(Get("https://example.com/"));
  EXPECT_FALSE(outside.response->is_succeed());
  EXPECT_NE(outside.response->error().find("network not allowed"), std::string::npos);
}

TEST(UrlHostTest, TakesTheHostOfHttpUrlsOnly) {
  EXPECT_EQ(quennet::UrlHost("https://User:pw@Files.Corvanel.test:443/entities/1?a#b"), "files.corvanel.test");
  EXPECT_EQ(quennet::UrlHost("http://demo.corvanel.test"), "demo.corvanel.test");
  EXPECT_EQ(quennet::UrlHost("HTTP://a.test?x"), "a.test");
  EXPECT_EQ(quennet::UrlHost("file:///C:/x"), "");
  EXPECT_EQ(quennet::UrlHost("https://"), "");
  EXPECT_EQ(quennet::UrlHost("https://a b/"), "");
}

}  // namespace
