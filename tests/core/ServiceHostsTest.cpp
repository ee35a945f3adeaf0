// The service's web addresses through both HTTP clients: avatars, static
// pictures, file redirects that need the team's credentials, thumbnails and
// files, test scripts, and no automatic redirects.

#include <gtest/gtest.h>

#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "CoreTestSupport.h"
#include "mireloom/ChatManager.h"
#include "mireloom/Director.h"
#include "mireloom/HttpClient.h"
#include "mireloom/Types.h"
#include "mireloom/UserManager.h"
#include "mireloom/WebApi.h"
#include "quennet/HttpClient.h"
#include "support/BlankPng.h"
#include "support/ProcessFigures.h"
#include "support/TempFolder.h"

using namespace mireloom;
using core_test::Completion;
namespace mt = mireloom::testing;

namespace {

constexpr const char* kAvatars = "https://storage.corvanel.test/mlavatar/";
constexpr const char* kStatic = "https://storage.corvanel.test/mlstatic/";
constexpr const char* kEntities = "https://files.corvanel.test/entities/";

std::unique_ptr<HttpResponse> Get(const std::string& url, DWORD* thread = nullptr) {
  Completion<std::unique_ptr<HttpResponse>> done;
  auto request = std::make_unique<HttpRequest>();
  request->set_url(url);
  request->set_request_type(0);
  HttpClient::SharedClient()->Send(std::move(request), done.Callback());
  EXPECT_TRUE(done.Wait());
  if (thread) *thread = done.thread();
  return std::move(done.Get<0>());
}

// A redirect look-up as the client makes it: the base library's client with
// the team's credentials.
std::unique_ptr<quennet::HttpResponse> GetWithCredentials(const std::string& url,
                                                          std::unique_ptr<quennet::HttpRequest> request) {
  Completion<std::unique_ptr<quennet::HttpResponse>> done;
  request->set_url(url);
  quennet::HttpClient::SharedClient()->Send(std::move(request), done.Callback());
  EXPECT_TRUE(done.Wait());
  return std::move(done.Get<0>());
}

// The size of a PNG from its header.
std::pair<int, int> PngSize(const std::vector<char>& bytes) {
  if (bytes.size() < 24 || std::string(bytes.begin() + 1, bytes.begin() + 4) != "PNG") return {0, 0};
  auto word = [&](size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  return {static_cast<int>(word(16)), static_cast<int>(word(20))};
}

// The colour of a picture's top-left pixel as 0xRRGGBB, decoded by the system;
// 0 when it shows nothing there.
uint32_t Corner(const std::vector<char>& bytes) {
  test_support::TempFolder folder;
  const std::wstring path = folder / L"picture";
  if (!test_support::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()))) return 0;
  Gdiplus::Bitmap bitmap(path.c_str());
  Gdiplus::Color color;
  if (bitmap.GetLastStatus() != Gdiplus::Ok || bitmap.GetPixel(0, 0, &color) != Gdiplus::Ok || color.GetA() == 0) {
    return 0;
  }
  return color.GetValue() & 0xFFFFFF;
}

class ServiceHosts : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mt::SignIn("zhou", m_core.DataFolder())); }
  mt::ScopedCore m_core;
};

}  // namespace

TEST_F(ServiceHosts, AvatarsAreDrawnAtTheirSize) {
  auto lin = UserManager::DefaultManager()->FetchUserFromCacheByUid("usr-lin");
  for (int size : {40, 60, 108, 160}) {
    DWORD thread = 0;
    auto avatar = Get(kAvatars + avatar_url(lin->header_uri(), size, size, 1), &thread);
    EXPECT_EQ(avatar->status_code(), 200);
    EXPECT_TRUE(avatar->is_succeed());
    EXPECT_EQ(PngSize(avatar->raw_data()), std::make_pair(size, size));
    EXPECT_NE(thread, GetCurrentThreadId());
  }
  auto unknown = Get(std::string(kAvatars) + avatar_url("ffffffffffffffff", 40, 40, 1));
  EXPECT_EQ(unknown->status_code(), 404);
  EXPECT_FALSE(unknown->is_succeed());
  EXPECT_FALSE(unknown->raw_data().empty()) << "an error page comes with a body";
  EXPECT_EQ(Get(std::string(kAvatars) + "not-a-name.png")->status_code(), 404);
  EXPECT_EQ(Get(std::string(kStatic) + "service-tasks.png")->status_code(), 200);
  EXPECT_EQ(Get(std::string(kStatic) + "service-none.png")->status_code(), 404);
  EXPECT_EQ(Get("https://demo.corvanel.test/files/ent-doc1")->status_code(), 404) << "pages are not fetched";
}

TEST_F(ServiceHosts, FileRedirectsNeedTheTeamsCredentials) {
  const std::string address = std::string(kEntities) + "ent-file-report/from-s3?team_id=team-demo";
  auto redirect = GetWithCredentials(address, WebApi::Api()->GenBaseRequestForCurrentTeam(0));
  ASSERT_EQ(redirect->status_code(), 302);
  auto location = redirect->response_header().find("location");
  ASSERT_NE(location, redirect->response_header().end());
  EXPECT_EQ(location->second.rfind("https://files.corvanel.test/", 0), 0u);
  EXPECT_EQ(location->second.substr(location->second.size() - 4), ".pdf");
  EXPECT_TRUE(redirect->raw_data().empty());

  auto anonymous = std::make_unique<quennet::HttpRequest>();
  EXPECT_EQ(GetWithCredentials(address, std::move(anonymous))->status_code(), 401);
  EXPECT_EQ(GetWithCredentials(std::string(kEntities) + "ent-file-report/from-s3?team_id=team-lab",
                               WebApi::Api()->GenBaseRequestForCurrentTeam(0))
                ->status_code(),
            401)
      << "credentials of another team";
  EXPECT_EQ(GetWithCredentials(std::string(kEntities) + "ent-none/from-s3?team_id=team-demo",
                               WebApi::Api()->GenBaseRequestForCurrentTeam(0))
                ->status_code(),
            404);

  // The core's client does not follow the redirect either, and the file is there.
  auto core = Get(address);
  EXPECT_EQ(core->status_code(), 401);
  auto file = Get(location->second);
  EXPECT_EQ(file->status_code(), 200);
  EXPECT_EQ(file->raw_data().size(), 198656u);

  Director::ResetDefaultDirector(nullptr);
  EXPECT_EQ(WebApi::Api()->GenBaseRequestForCurrentTeam(0), nullptr) << "no team, no request";
}

TEST_F(ServiceHosts, ThumbnailsAreScaledAndZeroMeansTheOriginal) {
  ASSERT_TRUE(mt::FetchMainWindowData());
  Entity wide;
  for (const auto& message : ChatManager::DefaultManager()->FetchMessagesFromCache("chn-showcase", 0, 2147483647, 500,
                                                                                  nullptr, nullptr, false)) {
    Entity entity;
    if (message->content_type() == Message::kImageShare && entity.InitWithJsonOrDie(message->entity_json()) &&
        entity.entity_id() == "ent-img-wide") {
      wide = entity;
    }
  }
  ASSERT_EQ(wide.path().size(), 16u);
  auto thumb = Get("https://files.corvanel.test/thumb/" + wide.path() + "_200x50.png");
  ASSERT_EQ(thumb->status_code(), 200);
  EXPECT_EQ(PngSize(thumb->raw_data()), std::make_pair(200, 50));
  auto original = Get("https://files.corvanel.test/thumb/" + wide.path() + "_0x0.png");
  EXPECT_EQ(PngSize(original->raw_data()), std::make_pair(400, 100));
  auto gif = Get("https://files.corvanel.test/thumb/" + wide.path() + "_40x10.gif");
  ASSERT_EQ(gif->status_code(), 200);
  EXPECT_EQ(std::string(gif->raw_data().begin(), gif->raw_data().begin() + 3), "GIF");
  // The GIF holds the picture (in a palette of 216 colours), not only its header.
  const uint32_t pngCorner = Corner(thumb->raw_data()), gifCorner = Corner(gif->raw_data());
  ASSERT_NE(gifCorner, 0u);
  for (int shift : {0, 8, 16}) {
    EXPECT_NEAR(static_cast<int>(gifCorner >> shift & 0xFF), static_cast<int>(pngCorner >> shift & 0xFF), 26);
  }
  EXPECT_EQ(Get("https://files.corvanel.test/thumb/0000000000000000_20x20.png")->status_code(), 404);
}

// A small upload that announces gigabytes of pixels is kept as it came, but
// the service (in the client's own process) never decodes it: the share has
// the size from the header, its thumbnail is a plain tile, and hardly any
// memory is taken.
TEST_F(ServiceHosts, AnUploadedPictureAboveThePixelBudgetIsNeverDecoded) {
  const std::string huge = test_support::BlankPngBytes(23000, 21500);
  test_support::TempFolder folder;
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"huge.png", huge));
  const double before = test_support::PrivateMegabytes();
  test_support::PeakFigures peak;
  core_test::Done sent;
  ChatManager::DefaultManager()->SendFileMessage(test_support::ToCp936(folder / L"huge.png"), "huge.png", "image/png",
                                                 "chn-fe", true, sent.Callback());
  ASSERT_TRUE(sent.Wait());
  ASSERT_TRUE(sent.Get<0>()) << sent.Get<1>();
  ASSERT_TRUE(mt::WaitIdle());
  auto share = ChatManager::DefaultManager()->FetchLastMessageFromCache("chn-fe");
  ASSERT_NE(share, nullptr);
  Entity entity;
  ASSERT_TRUE(entity.InitWithJsonOrDie(share->entity_json()));
  EXPECT_EQ(entity.thumb_width(), 23000);
  EXPECT_EQ(entity.thumb_height(), 21500);
  const auto thumb = Get("https://files.corvanel.test/thumb/" + entity.path() + "_200x187.png");
  ASSERT_EQ(thumb->status_code(), 200);
  EXPECT_EQ(PngSize(thumb->raw_data()), std::make_pair(200, 187));
  const auto original = Get("https://files.corvanel.test/thumb/" + entity.path() + "_0x0.png");
  EXPECT_EQ(original->raw_data().size(), huge.size()) << "the bytes themselves are still there";
  peak.Stop();
  EXPECT_LE(peak.PrivateMegabytes() - before, 64.0);
}

TEST_F(ServiceHosts, AFilesAddressLeadsToItsDownloadWhereUploadedBytesComeBackUnchanged) {
  test_support::TempFolder folder;
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i % 256);  // every byte value, NULs included
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"数据.bin", bytes));
  core_test::Done sent;
  ChatManager::DefaultManager()->SendFileMessage(test_support::ToCp936(folder / L"数据.bin"), "数据.bin",
                                                 "application/octet-stream", "chn-fe", true, sent.Callback());
  ASSERT_TRUE(sent.Wait());
  ASSERT_TRUE(mt::WaitIdle());
  auto share = ChatManager::DefaultManager()->FetchLastMessageFromCache("chn-fe");
  ASSERT_NE(share, nullptr);
  Entity entity;
  ASSERT_TRUE(entity.InitWithJsonOrDie(share->entity_json()));
  EXPECT_EQ(entity.file_size(), 3000);
  // The file's own address, as the file list's rebuilt rows carry it.
  auto redirect = Get("https://files.corvanel.test/" + entity.path() + ".bin");
  ASSERT_EQ(redirect->status_code(), 302);
  const auto location = redirect->response_header().find("Location");
  ASSERT_NE(location, redirect->response_header().end());
  EXPECT_NE(location->second, "https://files.corvanel.test/" + entity.path() + ".bin");
  auto file = Get(location->second);
  ASSERT_EQ(file->status_code(), 200);
  EXPECT_EQ(std::string(file->raw_data().begin(), file->raw_data().end()), bytes);
}

TEST_F(ServiceHosts, ScriptsAndTransportFailures) {
  mt::HttpScript("https://storage.corvanel.test/mlavatar/empty", 200, {}, "");
  mt::HttpScript("https://storage.corvanel.test/mlavatar/moved", 302, {{"Location", "https://x.test/y"}}, "");
  mt::HttpTransportFailure("https://files.corvanel.test/down");
  auto empty = Get("https://storage.corvanel.test/mlavatar/empty.png");
  EXPECT_EQ(empty->status_code(), 200);
  EXPECT_TRUE(empty->raw_data().empty());
  auto moved = Get("https://storage.corvanel.test/mlavatar/moved.png");
  EXPECT_EQ(moved->status_code(), 302) << "never followed";
  EXPECT_FALSE(moved->is_succeed()) << "only 2xx succeeds for the core's client";
  auto down = Get("https://files.corvanel.test/down/x");
  EXPECT_EQ(down->status_code(), 0);
  EXPECT_FALSE(Get("https://elsewhere.example/a")->is_succeed()) << "no network in tests";
  const auto requests = mt::HttpRequests();
  ASSERT_EQ(requests.size(), 3u) << "requests outside the domain never reach the service";
  EXPECT_EQ(requests[1].status, 302);

  mt::Outage(true);
  EXPECT_EQ(Get(std::string(kStatic) + "service-tasks.png")->status_code(), 0);
}

TEST_F(ServiceHosts, RequestsAreNotRecordedWithTheCallLogOff) {
  const size_t recorded = mt::HttpRequests().size();
  mt::RecordCallLog(false);
  const int status = Get(std::string(kStatic) + "service-tasks.png")->status_code();
  mt::RecordCallLog(true);
  EXPECT_EQ(status, 200);
  EXPECT_EQ(mt::HttpRequests().size(), recorded) << "the running program answers every avatar without keeping a record";
  Get(std::string(kStatic) + "service-tasks.png");
  EXPECT_EQ(mt::HttpRequests().size(), recorded + 1);
}
