// The real program with the service's store in trouble and with a big file:
// a store damaged while zhou writes, the next start on a store built afresh,
// and an upload of 160 MB picked in the open-file dialog.

#include <algorithm>
#include <limits>
#include <map>

#include "ProgramRoad.h"
#include "app/storage/UserFolders.h"
#include "mireloom/ChatManager.h"
#include "mireloom/testing.h"

namespace e2e {
namespace {

// lin's conversation, third in the list by the demo's times; once a message
// to lin went, it is the first and the general channel the second.
constexpr int kLinItem = 2;
constexpr int kLinItemAfterSending = 0;
constexpr int kGeneralItemAfterSending = 1;
// In the upload window: a point of its upload button off the button's text,
// white while it is busy.
constexpr POINT kUploadButtonEdge = {400, 405};
constexpr COLORREF kBusyButtonWhite = RGB(0xFF, 0xFF, 0xFF);

// Message id -> text.
using Messages = std::map<std::string, std::string>;

size_t CountOf(const Messages& messages, const std::string& text) {
  return std::count_if(messages.begin(), messages.end(), [&](const auto& entry) { return entry.second == text; });
}

class StoreRoadTest : public ProgramRoadTest {
 protected:
  std::wstring StoreFile() const { return m_store.Path() + L"\\store.db\\store.db"; }

  // Once the program has ended: what the service's store holds of the
  // conversation and, read by a session over the program's data folder,
  // what the program's cache holds of it.
  void ReadBack(const std::string& conversation, Messages* stored, Messages* cached) const {
    namespace mt = mireloom::testing;
    mt::ServiceOptions options;
    options.storeFolder = m_store.Path() + L"\\store.db";
    // The program's own demo: a service of another demo would start the store afresh.
    options.demoFolder = ProgramFolder() + L"\\..\\Mireloom\\demo";
    options.actingMembers = false;
    mt::StartService(options);
    for (const auto& message : mt::ServiceMessages(conversation)) (*stored)[message.message_id] = message.content;
    mt::InstallSession("usr-zhou", "team-demo", {}, GetUserDataFolder());
    for (const auto& message : mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
             conversation, 0, std::numeric_limits<int64_t>::max(), 100000, nullptr, nullptr, false)) {
      (*cached)[message->message_id()] = message->content();
    }
    mt::ResetCore();
  }
};

// The store is damaged while zhou writes to lin: the message fails and its
// text comes back into the input. The next start builds the store afresh:
// the next message and lin's answer stay in the conversation after switching
// away and back, and the program's cache holds what the store holds.
TEST_F(StoreRoadTest, ADamagedStoreFailsTheSendAndTheRebuiltOneAgreesWithTheCache) {
  {
    ProgramDriver program;
    HWND main = StartSignedInAsZhou(program, L"40-team.png");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(test_support::OverwriteOpenFile(StoreFile(), std::string(4096, 'Z')));
    ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), L"after-1"));
    const HWND input = FocusedChatInput(main);
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(WaitUntil([input] { return EditText(input) == L"after-1"; }, 10000))
        << "the failed message's text did not come back";
    EXPECT_EQ(EventLog().find("Recv direct message : after-1"), std::string::npos) << "shown as sent";
    EXPECT_TRUE(SaveScreenshot(main, Shot(L"41-send-refused.png")));
    CloseMainWindow(main);
    ASSERT_EQ(program.WaitForExit(), 0);
  }
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"42-team.png", Account::Remembered);
  ASSERT_NE(main, nullptr);
  EXPECT_NE(EventLog().find("store.db is damaged: moved aside"), std::string::npos);
  ASSERT_TRUE(SendInConversation(main, SessionItem(kLinItem), L"after-2"));
  EXPECT_TRUE(WaitForLogLine("Recv direct message : 收到：after-2")) << "lin did not answer";
  for (const int item : {kGeneralItemAfterSending, kLinItemAfterSending}) {
    ProgramDriver::ClickAt(main, SessionItem(item).x, SessionItem(item).y);
  }
  Sleep(200);  // the view fills and scrolls to its end
  EXPECT_TRUE(SaveScreenshot(main, Shot(L"43-after-switching-back.png")));
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);

  Messages stored, cached;
  ReadBack("im-zhou-lin", &stored, &cached);
  EXPECT_EQ(CountOf(stored, "after-1"), 0u);
  EXPECT_EQ(CountOf(stored, "after-2"), 1u);
  EXPECT_EQ(CountOf(stored, "收到：after-2"), 1u);
  EXPECT_EQ(cached, stored) << "the cache and the store disagree";
}

// A big file picked in the open-file dialog: the upload window keeps the busy
// look until the upload is done, then closes; the program's memory grows by
// far less than the file, and the share is stored.
TEST_F(StoreRoadTest, ABigUploadKeepsItsWindowBusyAndItsMemorySmall) {
  constexpr int kMegabytes = 160;
  constexpr double kMostGrowthMegabytes = 32;
  const test_support::BigFile file(L"big-upload.bin", kMegabytes);
  ASSERT_TRUE(file.Written());
  ProgramDriver program;
  HWND main = StartSignedInAsZhou(program, L"44-team.png");
  ASSERT_NE(main, nullptr);
  ProgramDriver::ClickAt(main, SessionItem(kLinItem).x, SessionItem(kLinItem).y);
  HWND upload = OpenUploadWindow(program, main, file.Path());
  ASSERT_NE(upload, nullptr) << "no upload window";

  const double before = program.WorkingSetMegabytes();
  double most = before;
  bool seen_busy = false;
  const std::string shared = "Recv direct message : 分享了文件: big-upload.bin";
  ProgramDriver::ClickAt(upload, UploadWindowButton().x, UploadWindowButton().y);
  // Until the share arrives, the upload is going on.
  EXPECT_TRUE(WaitUntil(
      [&] {
        most = std::max(most, program.WorkingSetMegabytes());
        if (!seen_busy && IsWindow(upload) && ScreenPixel(upload, kUploadButtonEdge) == kBusyButtonWhite) {
          seen_busy = true;
          EXPECT_TRUE(SaveScreenshot(upload, Shot(L"45-upload-busy.png")));
        }
        return EventLog().find(shared) != std::string::npos;
      },
      60000))
      << "the share never arrived";
  EXPECT_TRUE(seen_busy) << "the upload window never looked busy";
  EXPECT_TRUE(program.WaitForWindowGone(L"UploadFileWnd", 5000)) << "the upload window stayed";
  EXPECT_LE(most - before, kMostGrowthMegabytes) << "from " << before << " MB";
  CloseMainWindow(main);
  ASSERT_EQ(program.WaitForExit(), 0);
  Messages stored, cached;
  ReadBack("im-zhou-lin", &stored, &cached);
  EXPECT_EQ(CountOf(stored, "分享了文件: big-upload.bin"), 1u);
}

}  // namespace
}  // namespace e2e
