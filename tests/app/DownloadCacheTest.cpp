// The download cache and the redirect look-up, with their mended faults:
// only successful, non-empty replies are written; files appear whole or not
// at all; keys from the server become safe file names; "Location" is found
// whatever its case.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "app/storage/CachedFilesSnapshot.h"
#include "app/storage/CacheNames.h"
#include "app/storage/DownloadCache.h"
#include "app/storage/FileHelpers.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "app/ui/CachedImage.h"
#include "app/ui/ImageRecords.h"
#include "duilib/UIlib.h"
#include "mireloom/testing.h"
#include "quennet/testing.h"
#include "support/TempFolder.h"

using quennet::HeaderMap;
using quennet::ScriptedTransport;
namespace mt = mireloom::testing;

namespace {

// One callback: its value and whether it ran before DownloadToCache returned.
struct Callback {
  std::mutex mutex;
  std::condition_variable cv;
  int calls = 0;
  std::string value;
  DWORD thread = 0;

  std::function<void(const std::string&)> Make() {
    return [this](const std::string& got) {
      std::lock_guard<std::mutex> lock(mutex);
      ++calls;
      value = got;
      thread = GetCurrentThreadId();
      cv.notify_all();
    };
  }
  bool Wait(int expected = 1) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::seconds(10), [&] { return calls >= expected; });
  }
};

std::vector<std::wstring> PartFiles() {
  std::vector<std::wstring> parts;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((AnsiToWide(GetDownloadTmpFolder()) + L"*.part").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return parts;
  do parts.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return parts;
}

class DownloadCache : public ::testing::Test {
 protected:
  void SetUp() override {
    quennet::SetTransport(m_transport);
    // Keys of this run only, so that nothing cached earlier answers.
    m_prefix = "t" + std::to_string(GetTickCount64()) + "-";
  }
  void TearDown() override {
    EXPECT_TRUE(quennet::WaitForIdle(10000));
    quennet::SetTransport(nullptr);
    for (const std::string& key : m_keys) {
      DeleteFileW(GetCachedFilePath(key).c_str());
      RemoveDirectoryW(GetCachedFilePath(key).c_str());
    }
  }
  std::string Key(const std::string& name) {
    m_keys.push_back(m_prefix + name);
    return m_keys.back();
  }

  std::shared_ptr<ScriptedTransport> m_transport = std::make_shared<ScriptedTransport>();
  std::string m_prefix;
  std::vector<std::string> m_keys;
};

}  // namespace

TEST(CacheFileName, PlainKeysStayAndServerTextBecomesSafe) {
  const struct {
    std::string key;
    std::string name;
  } cases[] = {
      {"s40x40-0123456789abcdef.png", "s40x40-0123456789abcdef.png"},
      {"550e8400-e29b-41d4-a716-446655440000", "550e8400-e29b-41d4-a716-446655440000"},
      {"550e8400-e29b-41d4-a716-446655440000-extra", "550e8400-e29b-41d4-a716-446655440000"},
      {"+40x40-abc.png", "+40x40-abc.png"},
      {"a:b", "a%3Ab"},
      {"a/b\\c", "a%2Fb%5Cc"},
      {"..", "%2E%2E"},
      {"../etc", "%2E.%2Fetc"},
      {"name.", "name%2E"},
      {" lead", "%20lead"},
      {"100%", "100%25"},
      {"CON", "%43ON"},
      {"con.png", "%63on.png"},
      {"Lpt9", "%4Cpt9"},
      {"COM0", "COM0"},
      {"console", "console"},
      {"图片", "%E5%9B%BE%E7%89%87"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CacheFileName(c.key), c.name) << c.key;
  }
  EXPECT_NE(CacheFileName("a:b"), CacheFileName("a/b")) << "distinct keys keep distinct files";
  EXPECT_EQ(CacheFileName(std::string(36, 'k') + "one"), CacheFileName(std::string(36, 'k') + "two"))
      << "keys sharing their first 36 characters share one file";
  EXPECT_EQ(CachedFilePath(""), "");
  EXPECT_EQ(CachedFilePath("a:b"), GetDownloadTmpFolder() + "a%3Ab");
}

TEST_F(DownloadCache, ACachedKeyAnswersAtOnceWithoutARequest) {
  const std::string key = Key("hit");
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  ASSERT_TRUE(test_support::WriteFileBytes(GetCachedFilePath(key), "cached"));
  Callback callback;
  DownloadToCache("https://storage.corvanel.test/mlavatar/x.png", key, callback.Make());
  EXPECT_EQ(callback.calls, 1) << "before DownloadToCache returned";
  EXPECT_EQ(callback.thread, GetCurrentThreadId());
  EXPECT_EQ(callback.value, CachedFilePath(key));
  EXPECT_TRUE(m_transport->Calls().empty());
}

TEST_F(DownloadCache, ASuccessfulReplyIsWrittenWholeAndReported) {
  const std::string key = Key("ok");
  m_transport->Reply("https://a.test/ok.png", 200, std::string("PNG\0body", 8));
  quennet::ScopedLogCapture log;
  Callback callback;
  DownloadToCache("https://a.test/ok.png", key, callback.Make());
  ASSERT_TRUE(callback.Wait());
  EXPECT_NE(callback.thread, GetCurrentThreadId());
  EXPECT_EQ(callback.value, CachedFilePath(key));
  EXPECT_EQ(test_support::ReadFileBytes(GetCachedFilePath(key)), std::string("PNG\0body", 8));
  EXPECT_TRUE(log.Contains("Save image " + key + " successed"));
  EXPECT_TRUE(PartFiles().empty());

  // Two keys that share their first 36 characters share the file: no request.
  const std::string long_key = Key(std::string(40, 'x'));
  m_keys.push_back(m_prefix + std::string(40, 'x') + "other");
  m_transport->Reply("https://a.test/long.png", 200, "long");
  Callback first;
  DownloadToCache("https://a.test/long.png", long_key, first.Make());
  ASSERT_TRUE(first.Wait());
  Callback second;
  DownloadToCache("https://a.test/long.png", long_key + "other", second.Make());
  EXPECT_EQ(second.calls, 1);
  EXPECT_EQ(m_transport->CallCount("https://a.test/long.png"), 1u);
}

TEST_F(DownloadCache, EmptyAndErrorRepliesLeaveNothingAndAreFetchedAgain) {
  const std::string key = Key("empty");
  m_transport->Reply("https://a.test/empty.png", 200, "");
  m_transport->Reply("https://a.test/missing.png", 404, "<html>not found</html>");
  m_transport->Fail("https://a.test/down.png");
  Callback callback;
  for (const char* url : {"https://a.test/empty.png", "https://a.test/missing.png", "https://a.test/down.png",
                          "https://a.test/empty.png"}) {
    DownloadToCache(url, key, callback.Make());
    ASSERT_TRUE(quennet::WaitForIdle(10000));
  }
  EXPECT_EQ(callback.calls, 0);
  EXPECT_EQ(GetFileAttributesW(GetCachedFilePath(key).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(m_transport->CallCount("https://a.test/empty.png"), 2u) << "nothing cached, so fetched again";
  EXPECT_TRUE(PartFiles().empty());
}

TEST_F(DownloadCache, AnEmptyKeyDownloadsNothing) {
  Callback callback;
  DownloadToCache("https://a.test/ok.png", "", callback.Make());
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(callback.calls, 0);
  EXPECT_TRUE(m_transport->Calls().empty());
}

TEST_F(DownloadCache, ConcurrentDownloadsOfOneKeyBothGetTheWholeFile) {
  const std::string key = Key("twice");
  const std::string body(200000, 'z');
  auto gate = m_transport->Hold("https://a.test/big.png", 200, body);
  Callback callback;
  DownloadToCache("https://a.test/big.png", key, callback.Make());
  DownloadToCache("https://a.test/big.png", key, callback.Make());
  for (int i = 0; i < 500 && gate->Waiting() < 2; ++i) Sleep(10);
  EXPECT_EQ(gate->Waiting(), 2);
  gate->Release();
  ASSERT_TRUE(callback.Wait(2));
  EXPECT_EQ(callback.value, CachedFilePath(key));
  EXPECT_EQ(test_support::ReadFileBytes(GetCachedFilePath(key)), body);
  EXPECT_TRUE(PartFiles().empty());
}

TEST_F(DownloadCache, AFailedWriteIsLoggedLeavesNothingAndCallsNothing) {
  const std::string key = Key("blocked");
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  // A folder where the file should go: the rename into place fails.
  ASSERT_TRUE(CreateDirectoryW(GetCachedFilePath(key).c_str(), nullptr));
  m_transport->Reply("https://a.test/blocked.png", 200, "bytes");
  quennet::ScopedLogCapture log;
  Callback callback;
  Callback failed;
  DownloadToCache("https://a.test/blocked.png", key, callback.Make(), failed.Make());
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(callback.calls, 0);
  EXPECT_EQ(failed.calls, 1) << "a picture shown meanwhile is asked for again on its next display";
  EXPECT_TRUE(log.Contains("Save image " + key + " failed"));
  EXPECT_TRUE(PartFiles().empty());
}

// A save that fails (a full disk; here a folder in the file's place) is not
// done: the next display of the picture fetches it again, and the display
// that waited gets it then, or as soon as another display finds it cached.
TEST_F(DownloadCache, AFailedSaveWaitsForTheNextDisplayOfThePicture) {
  CreateDirectoryW(AnsiToWide(GetDownloadTmpFolder()).c_str(), nullptr);
  const std::string fetched = Key("refetched");
  const std::string found = Key("foundlater");
  for (const std::string& key : {fetched, found}) ASSERT_TRUE(CreateDirectoryW(GetCachedFilePath(key).c_str(), nullptr));
  m_transport->Reply("https://a.test/refetched.png", 200, "picture");
  m_transport->Reply("https://a.test/foundlater.png", 200, "picture");
  Callback waiting;
  Callback waitingForFound;
  DownloadToCache("https://a.test/refetched.png", fetched, waiting.Make());
  DownloadToCache("https://a.test/foundlater.png", found, waitingForFound.Make());
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(waiting.calls + waitingForFound.calls, 0) << "nothing was written";

  // Space again: the next display fetches the picture once more.
  for (const std::string& key : {fetched, found}) ASSERT_TRUE(RemoveDirectoryW(GetCachedFilePath(key).c_str()));
  Callback next;
  DownloadToCache("https://a.test/refetched.png", fetched, next.Make());
  ASSERT_TRUE(next.Wait());
  ASSERT_TRUE(waiting.Wait());
  EXPECT_EQ(waiting.value, CachedFilePath(fetched));
  EXPECT_EQ(m_transport->CallCount("https://a.test/refetched.png"), 2u);

  // Another display finds the file cached without a download.
  ASSERT_TRUE(test_support::WriteFileBytes(GetCachedFilePath(found), "picture"));
  DuiLib::CButtonUI button;
  EXPECT_EQ(ShowCachedImage(&button, "https://a.test/foundlater.png", found, [](const std::string&) {}),
            CachedImageResult::Shown);
  EXPECT_EQ(waitingForFound.calls, 1);
  EXPECT_EQ(waitingForFound.value, CachedFilePath(found));
  EXPECT_EQ(waiting.calls, 1) << "answered once";
}

TEST(RedirectLocation, NeedsATeamAndReadsLocationWhateverItsCase) {
  mt::ScopedCore core;
  auto transport = std::make_shared<ScriptedTransport>();
  quennet::SetTransport(transport);
  Callback none;
  RequestRedirectLocation("https://files.corvanel.test/entities/e/from-s3?team_id=team-demo", none.Make());
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(none.calls, 0);
  EXPECT_TRUE(transport->Calls().empty()) << "no team, no request";

  mt::InstallSession("usr-zhou", "team-demo", {}, core.DataFolder());
  transport->Reply("https://r.test/upper", 302, "", HeaderMap{{"Location", "https://files.test/a.pdf"}});
  transport->Reply("https://r.test/lower", 302, "", HeaderMap{{"location", "https://files.test/b.pdf"}});
  transport->Reply("https://r.test/without", 302);
  transport->Reply("https://r.test/missing", 404, "<html></html>");
  transport->Fail("https://r.test/down");
  const std::vector<std::pair<std::string, std::string>> answered = {{"https://r.test/upper", "https://files.test/a.pdf"},
                                                                     {"https://r.test/lower", "https://files.test/b.pdf"},
                                                                     {"https://r.test/without", ""}};
  for (const auto& [url, location] : answered) {
    Callback callback;
    RequestRedirectLocation(url, callback.Make());
    ASSERT_TRUE(callback.Wait()) << url;
    EXPECT_EQ(callback.value, location) << url;
    EXPECT_NE(callback.thread, GetCurrentThreadId());
  }
  Callback failed;
  RequestRedirectLocation("https://r.test/missing", failed.Make());
  RequestRedirectLocation("https://r.test/down", failed.Make());
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(failed.calls, 0);
  // Hosts other than the team's and the file host never see the team's
  // credentials (the embedded service's road below needs them).
  const auto calls = transport->Calls();
  ASSERT_EQ(calls.size(), 5u);
  for (const auto& call : calls) EXPECT_EQ(call.headers.count("Authorization"), 0u) << call.url;
  quennet::SetTransport(nullptr);
}

// The file host gets the team's credentials: without them it answers 401.
TEST(RedirectLocation, TheEmbeddedServiceAnswersTheClientsRoad) {
  mt::ScopedCore core;
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  Callback callback;
  RequestRedirectLocation("https://files.corvanel.test/entities/ent-file-pdf/from-s3?team_id=team-demo", callback.Make());
  ASSERT_TRUE(callback.Wait());
  EXPECT_EQ(callback.value.rfind("https://files.corvanel.test/", 0), 0u);
  const std::string key = "redirect-test-file";
  DeleteFileW(GetCachedFilePath(key).c_str());
  Callback downloaded;
  DownloadToCache(callback.value, key, downloaded.Make());
  ASSERT_TRUE(downloaded.Wait());
  EXPECT_EQ(test_support::ReadFileBytes(GetCachedFilePath(key)).size(), 245760u);
  DeleteFileW(GetCachedFilePath(key).c_str());
}

namespace {

// A window that takes the records over, as the windows of the client do.
LRESULT CALLBACK RecordWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_USER + 7) {
    std::unique_ptr<DownloadedImage> record = TakeDownloadedImage(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(record->local_path.size()));
    return kImageRecordTaken;
  }
  if (message == WM_USER + 8) {
    SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return ReceiveDownloadedImage(l);
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

TEST(ImageRecords, ARecordForAWindowThatIsGoneIsNotSent) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = RecordWindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"ImageRecordsTestWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(L"ImageRecordsTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  auto record = std::make_unique<DownloadedImage>();
  record->local_path = "12345";
  EXPECT_TRUE(SendImageRecord(window, WM_USER + 7, std::move(record)));
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 5) << "the window received and freed it";
  DestroyWindow(window);

  EXPECT_FALSE(SendImageRecord(window, WM_USER + 7, std::make_unique<DownloadedImage>()));
  EXPECT_FALSE(PostImageRecord(window, WM_USER + 7, std::make_unique<DownloadedImage>()));
  EXPECT_FALSE(SendImageRecord(window, WM_USER + 7, std::make_unique<ImageDownloadedMsg>()));
  EXPECT_FALSE(PostImageRecord(nullptr, WM_USER + 7, std::make_unique<ImageDownloadedMsg>()));
}

// A window as above, for the cached-image helper's records (WM_USER + 8).
HWND MakeRecordWindow() {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = RecordWindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"CachedImageTestWindow";
  RegisterClassW(&window_class);
  return CreateWindowW(L"CachedImageTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                       GetModuleHandleW(nullptr), nullptr);
}

TEST_F(DownloadCache, ACachedImageShowsAtOnceOrArrivesOnlyForALiveTarget) {
  HWND window = MakeRecordWindow();
  ASSERT_NE(window, nullptr);
  const std::string key = Key("avatar");
  DuiLib::CButtonUI button;
  EXPECT_EQ(ShowCachedImage(window, WM_USER + 8, &button, "https://a.test/a.png", ""), CachedImageResult::Nothing);
  EXPECT_EQ(ShowCachedImage(window, WM_USER + 8, nullptr, "https://a.test/a.png", key), CachedImageResult::Nothing);
  EXPECT_TRUE(m_transport->Calls().empty()) << "no key or no target fetches nothing";

  m_transport->Reply("https://a.test/a.png", 200, "png bytes");
  EXPECT_EQ(ShowCachedImage(window, WM_USER + 8, &button, "https://a.test/a.png", key),
            CachedImageResult::Downloading);
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(std::wstring(button.GetNormalImage()), GetCachedFilePath(key)) << "the record reached its target";

  DuiLib::CButtonUI second;
  EXPECT_EQ(ShowCachedImage(window, WM_USER + 8, &second, "https://a.test/a.png", key), CachedImageResult::Shown);
  EXPECT_EQ(std::wstring(second.GetNormalImage()), GetCachedFilePath(key));
  EXPECT_EQ(m_transport->CallCount("https://a.test/a.png"), 1u) << "the cached file sends no request";

  // The target goes before its download ends: the record arrives and is
  // freed without touching it.
  const std::string later = Key("removed");
  auto gate = m_transport->Hold("https://a.test/b.png", 200, "png bytes");
  auto* removed = new DuiLib::CButtonUI;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  EXPECT_EQ(ShowCachedImage(window, WM_USER + 8, removed, "https://a.test/b.png", later),
            CachedImageResult::Downloading);
  delete removed;
  gate->Release();
  ASSERT_TRUE(quennet::WaitForIdle(10000));
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 1) << "the record was delivered and dropped";
  DestroyWindow(window);

  DownloadedImage stale;
  stale.target = &button;
  stale.local_path = "elsewhere.png";
  stale.target_alive = std::make_shared<char>(0);  // expired at once
  EXPECT_FALSE(ApplyImageRecord(stale));
  EXPECT_EQ(std::wstring(button.GetNormalImage()), GetCachedFilePath(key)) << "an expired target is never touched";
}

// Spends the questions a snapshot answers from the file system, so that the
// next ones come from its listing of the download folder.
void AskUntilListed(const std::wstring& path) {
  for (int i = 0; i < CachedFilesSnapshot::kQuestionsBeforeListing; ++i) (void)CachedFilesSnapshot::FileExists(path);
}

// A snapshot answers from a listing of the download folder: it must agree
// with the file system on files, folders and names in another case, see a
// file written after it in the next snapshot, and leave other folders alone.
TEST_F(DownloadCache, ASnapshotOfTheFolderAgreesWithTheFileSystem) {
  const std::wstring folder = AnsiToWide(GetDownloadTmpFolder());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string cached = Key("snapcached");
  const std::string subfolder = Key("snapfolder");
  const std::string later = Key("snaplater");
  ASSERT_TRUE(test_support::WriteFileBytes(GetCachedFilePath(cached), "cached"));
  ASSERT_TRUE(CreateDirectoryW(GetCachedFilePath(subfolder).c_str(), nullptr));
  const test_support::TempFolder elsewhere;
  ASSERT_TRUE(test_support::WriteFileBytes(elsewhere / L"outside.png", "x"));
  {
    const CachedFilesSnapshot snapshot;
    AskUntilListed(GetCachedFilePath(cached));
    EXPECT_TRUE(CachedFilesSnapshot::FileExists(GetCachedFilePath(cached)));
    std::wstring otherCase = GetCachedFilePath(cached);
    CharUpperBuffW(otherCase.data(), static_cast<DWORD>(otherCase.size()));
    EXPECT_TRUE(CachedFilesSnapshot::FileExists(otherCase));
    EXPECT_FALSE(CachedFilesSnapshot::FileExists(GetCachedFilePath(subfolder)));
    EXPECT_FALSE(CachedFilesSnapshot::FileExists(GetCachedFilePath(later)));
    EXPECT_TRUE(CachedFilesSnapshot::FileExists(elsewhere / L"outside.png"));
    EXPECT_FALSE(CachedFilesSnapshot::FileExists(elsewhere / L"missing.png"));
  }
  ASSERT_TRUE(test_support::WriteFileBytes(GetCachedFilePath(later), "later"));
  const CachedFilesSnapshot next;
  AskUntilListed(GetCachedFilePath(cached));
  EXPECT_TRUE(CachedFilesSnapshot::FileExists(GetCachedFilePath(later)));
  DuiLib::CButtonUI button;
  EXPECT_EQ(ShowCachedImage(nullptr, WM_USER + 8, &button, "https://a.test/a.png", later), CachedImageResult::Shown);
}
