// The chat area, signed in as zhou: leaving conversations, the files and
// upload buttons, the input's menu, and clicks in the message view, on
// controls named as message items name theirs.

#include <algorithm>

#include "app/frame/WindowManager.h"
#include "app/storage/CacheNames.h"
#include "app/storage/UserFolders.h"
#include "app/text/TextHelpers.h"
#include "BrowserLayerFixture.h"
#include "duilib/testing.h"
#include "files/FileAddresses.h"
#include "files/TestPictures.h"
#include "files/viewer/UUCenterUI.h"
#include "mainwnd/MainWndMessages.h"
#include "mainwnd/messages/MessageView.h"
#include "MessageViewReading.h"
#include "mireloom/ChatManager.h"
#include "quennet/HttpClient.h"
#include "support/Clipboard.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
namespace core = mireloom::testing;

using MainWndChatAreaTest = MainWindowWithBrowserTest;

CListUI* ChatDisplay() {
  CControlUI* control = MainWindowTest::Control(L"chat_display");
  return control ? static_cast<CListUI*>(control->GetInterface(L"List")) : nullptr;
}

CLabelUI* LinkLabel(const wchar_t* name, const std::wstring& markup) {
  auto* label = new CLabelUI;
  label->SetName(name);
  label->SetShowHtml(true);
  label->SetFixedHeight(24);
  label->SetText(markup.c_str());
  return label;
}

// The message view showing only one item holding the controls, as the
// view's builders make them; laid out before it returns.
void AddMessageItem(std::initializer_list<CControlUI*> controls) {
  ChatDisplay()->RemoveAll();
  auto* item = new CListContainerElementUI;
  item->SetFixedHeight(static_cast<int>(controls.size()) * 40);
  auto* column = new CVerticalLayoutUI;
  for (CControlUI* control : controls) column->Add(control);
  item->Add(column);
  ChatDisplay()->Add(item);
  UpdateWindow(MainWindowTest::MainWindow());
  Testing::PumpPending();
}

std::vector<std::wstring> Opened(const CRecordingPlatform& platform) {
  std::vector<std::wstring> opened;
  for (const auto& call : platform.CallsOf(PlatformCall::ShellOpen)) opened.push_back(call.text);
  return opened;
}

TEST_F(MainWndChatAreaTest, MessageLinksOpenFilesModulePagesAndWebAddressesOnly) {
  const std::string download = files::DownloadAddress("ent-img-wide", "team-demo");
  // The start-up chain's end loads the open conversation again.
  PostedMessageCounter synced(mireloomwnd::WM_SYNC_FINISHED);
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the start-up chain", [&synced] { return synced.Count() > 0; })
      .Do("links", [&] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        AddMessageItem({LinkLabel(L"file_", L"{a x=|link|" + Utf8ToWide(download) + L"|}截图.png{/a}"),
                        LinkLabel(L"text", L"{a x=|link|https://example.test/page|}web{/a} {a x=|user|usr-lin|}lin{/a} "
                                           L"{a x=|channel|chn-fe|}fe{/a} {a x=|command|/help|}help{/a} "
                                           L"{a x=|link|file:///C:/windows/notepad.exe|}local{/a}"),
                        LinkLabel(L"calendar/events_123", L"{a x=|link|ignored|}日程{/a}")});
        // Every link but the first: only the web address opens, and the
        // clicked link's own value, not the text's first.
        for (int link = 4; link >= 1; --link) ASSERT_TRUE(Testing::ClickLink(MainWindow(), L"text", link));
        EXPECT_TRUE(Opened(m_platform).empty()) << "users, channels, commands and local files open nothing";
        ASSERT_TRUE(Testing::ClickLink(MainWindow(), L"text", 0));
        EXPECT_EQ(Opened(m_platform), std::vector<std::wstring>{L"https://example.test/page"});
        ASSERT_TRUE(Testing::ClickLink(MainWindow(), L"file_", 0));
      })
      .WaitFor("the file's place opened", [&] { return Opened(m_platform).size() == 2; })
      .Do("the card's module page", [&] {
        EXPECT_EQ(Opened(m_platform).back().rfind(L"https://files.corvanel.test/", 0), 0u)
            << "where the redirect leads: " << Opened(m_platform).back();
        ASSERT_TRUE(Testing::ClickLink(MainWindow(), L"calendar/events_123", 0));
      })
      .WaitFor("the module-details window", [] { return FindOwnWindow(L"ModuleDetailsWnd") != nullptr; })
      .Do("its page", [] {
        ASSERT_TRUE(cef_test::Flush());
        ASSERT_EQ(cef_test::Browsers().size(), 1u);
        EXPECT_EQ(cef_test::Browser(cef_test::Browsers().front()).url,
                  L"http://demo.corvanel.test/calendar/events/123/client");
        Testing::Click(FindOwnWindow(L"ModuleDetailsWnd"), L"closeBtn");
      })
      .WaitFor("closed", [] { return FindOwnWindow(L"ModuleDetailsWnd") == nullptr; })
      .Do("done", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

// A card's title is named after its server-given link. The demo's build card
// links a page whose address holds a file's marker: it opens as that page,
// and the session's token goes to no host of the card's choosing.
TEST_F(MainWndChatAreaTest, ACardsTitleOpensAsTheLinkItIsAndTakesNoTokenAlong) {
  const std::wstring link = L"https://ci.corvanel.test/builds/file_43";
  // The start-up chain's end loads the open conversation again.
  PostedMessageCounter synced(mireloomwnd::WM_SYNC_FINISHED);
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the start-up chain", [&synced] { return synced.Count() > 0; })
      .Do("the build card", [&] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-showcase"));
        // The demo's card arrives again, as the service pushes it, at the
        // end of the view where the user sees it.
        const auto stored = core::ServiceMessages("chn-showcase");
        const auto card = std::find_if(stored.begin(), stored.end(), [](const mireloom::Message::Data& message) {
          return message.content_type == mireloom::Message::kServiceCard;
        });
        ASSERT_NE(card, stored.end());
        mireloom::Message::Data pushed = *card;
        pushed.message_id.clear();
        pushed.timestamp = 0;
        core::InjectMessage(pushed);
        ASSERT_TRUE(core::WaitIdle());
        Testing::PumpPending();
        MessageView()->EndDown();
        UpdateWindow(MainWindow());
        core::ClearCallLog();
        // The newest card with that title: the demo's own may be in the view as well.
        const auto titles = ControlsUnder(MessageView(), [&link](CControlUI* c) { return c->GetName() == link.c_str(); });
        ASSERT_FALSE(titles.empty()) << "the demo's build card";
        RECT box = {};
        ASSERT_TRUE(static_cast<CLabelUI*>(titles.back()->GetInterface(L"Label"))->GetLinkRect(0, &box));
        ASSERT_TRUE(Testing::ClickAt(MainWindow(), {(box.left + box.right) / 2, (box.top + box.bottom) / 2}));
        ASSERT_TRUE(core::WaitIdle());
        EXPECT_EQ(Opened(m_platform), std::vector<std::wstring>{link});
        for (const core::HttpRecord& request : core::HttpRequests()) {
          EXPECT_EQ(quennet::UrlHost(request.url).rfind("ci.", 0), std::string::npos) << request.url;
        }
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndChatAreaTest, PicturesSnippetsAndTheFileButtonsOpenTheirWindows) {
  const std::string key = "s300x200-chat-picture.png";
  ASSERT_TRUE(files_test::WriteTestPicture(GetCachedFilePath(key), 300, 200, L"image/png"));
  test_support::TempFolder folder;
  const std::wstring picture = folder / L"上传.png";
  ASSERT_TRUE(files_test::WriteTestPicture(picture, 64, 48, L"image/png"));
  PostedMessageCounter synced(mireloomwnd::WM_SYNC_FINISHED);
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the start-up chain", [&synced] { return synced.Count() > 0; })
      .Do("a picture", [&] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        auto* image = new CButtonUI;
        image->SetName((L"image_" + Utf8ToWide(key)).c_str());
        image->SetFixedHeight(40);
        image->SetUserData(L"https://files.corvanel.test/chat-picture.png");
        image->SetToolTip(L"截图.png");
        AddMessageItem({image, LinkLabel(L"snippet_ent-snip-cpp", L"{a x=|link|ignored|}main.cpp{/a}")});
        ASSERT_TRUE(Testing::Click(MainWindow(), (L"image_" + Utf8ToWide(key)).c_str()));
      })
      .WaitFor("the viewer", [] { return FindOwnWindow(L"ImageViewerWnd", L"PhotoViewer") != nullptr; })
      .Do("of the cached picture", [] {
        CControlUI* panel = test_support::ControlIn(L"ImageViewerWnd", L"imgpanel");
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(static_cast<CUUCenterUI*>(panel)->GetImageWidth(), 300);
        EXPECT_EQ(static_cast<CUUCenterUI*>(panel)->GetImageHeight(), 200);
        WindowManager::GetInstance()->CloseImageViewerWnd();
      })
      .WaitFor("closed", [] { return FindOwnWindow(L"ImageViewerWnd") == nullptr; })
      .Do("a snippet", [] { ASSERT_TRUE(Testing::ClickLink(MainWindow(), L"snippet_ent-snip-cpp", 0)); })
      .WaitFor("its text", [] {
        const std::wstring text = test_support::TextIn(L"ViewSnippetWnd", L"snippet_richedit");
        return text != L"<missing>" && !text.empty();
      })
      .Do("the file list", [] {
        WindowManager::GetInstance()->CloseViewSnippetWnd();
        ASSERT_TRUE(Testing::Click(MainWindow(), L"file_btn"));
      })
      .WaitFor("the list", [] { return FindOwnWindow(L"ViewFilesWnd", L"文件") != nullptr; })
      .Do("at the right edge", [&] {
        RECT main = {}, list = {};
        GetWindowRect(MainWindow(), &main);
        GetWindowRect(FindOwnWindow(L"ViewFilesWnd"), &list);
        EXPECT_EQ(list.left, main.right - 320);
        EXPECT_EQ(list.top, main.top + 30);
        EXPECT_EQ(list.bottom, main.bottom);
        WindowManager::GetInstance()->CloseViewFilesWnd();
        // A cancelled dialog opens nothing; a path outside code page 936 neither.
        m_platform.SetOpenFileName(L"");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"upload_btn"));
        m_platform.SetOpenFileName(folder / L"사진.png");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"upload_btn"));
        EXPECT_EQ(FindOwnWindow(L"UploadFileWnd"), nullptr);
        EXPECT_EQ(m_platform.Count(PlatformCall::OpenFileDialog), 2u);
        m_platform.SetOpenFileName(picture);
        ASSERT_TRUE(Testing::Click(MainWindow(), L"upload_btn"));
      })
      .WaitFor("the upload window", [] { return FindOwnWindow(L"UploadFileWnd", L"上传文件") != nullptr; })
      .Do("with the file's name", [this] {
        EXPECT_EQ(test_support::TextIn(L"UploadFileWnd", L"file_name_edit"), L"上传.png");
        const auto dialogs = m_platform.CallsOf(PlatformCall::OpenFileDialog);
        EXPECT_EQ(dialogs.back().flags,
              static_cast<UINT>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR));
        EXPECT_EQ(dialogs.back().owner, MainWindow());
        WindowManager::GetInstance()->CloseUploadFileWnd();
      })
      .WaitFor("closed", [] { return FindOwnWindow(L"UploadFileWnd") == nullptr; })
      .Do("done", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

// A shared picture is saved from the viewer under the file's own name, as
// the demo's share "分享了图片: 截图.png" names it.
TEST_F(MainWndChatAreaTest, ThePictureOfAShareIsSavedUnderTheFilesOwnName) {
  const auto sharePicture = [] {
    const auto found = ControlsUnder(MessageView(), [](CControlUI* control) {
      return control->GetInterface(L"Button") && std::wstring(control->GetName().GetData()).rfind(L"image_", 0) == 0 &&
             std::wstring(control->GetToolTip().GetData()).find(L"截图.png") != std::wstring::npos;
    });
    return found.empty() ? std::wstring() : std::wstring(found.front()->GetName().GetData());
  };
  StepRunner script;
  WaitForFilledList(script)
      .Do("the channel", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-showcase")); })
      .WaitFor("its newest page", [] { return MainWindowTest::Control(L"load_more") != nullptr; })
      .Do("the page before", [] { ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"load_more", L"click")); })
      .WaitFor("the share", [&] { return !sharePicture().empty(); })
      .Do("its picture", [&] { ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), sharePicture().c_str(), L"click")); })
      .WaitFor("the viewer", [] { return FindOwnWindow(L"ImageViewerWnd", L"PhotoViewer") != nullptr; })
      .Do("saved", [] {
        ASSERT_TRUE(Testing::RaiseNotify(FindOwnWindow(L"ImageViewerWnd"), L"saveasbtn", L"click"));
        WindowManager::GetInstance()->CloseImageViewerWnd();
      })
      .WaitFor("closed", [] { return FindOwnWindow(L"ImageViewerWnd") == nullptr; })
      .Do("under its name", [this] {
        const auto dialogs = m_platform.CallsOf(PlatformCall::SaveFileDialog);
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].caption, L"截图.png");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MainWndChatAreaTest, LeavingRemovesTheConversationsOwnItemAndTheLastOneClearsTheView) {
  StepRunner script;
  WaitForFilledList(script).Do("leave", [] {
    // The list's last item: an IM without a cached partner has an entry but
    // no item, so the entry's index is not the item's.
    auto names = SessionItemNames();
    const std::wstring last = names.back();
    ASSERT_TRUE(Testing::Click(MainWindow(), last.c_str()));
    const std::wstring title = Text(L"title_label");
    ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"leave_btn", L"click"));
    names.pop_back();
    EXPECT_EQ(SessionItemNames(), names) << "exactly that conversation's item goes";
    EXPECT_EQ(Text(L"title_label"), title) << "the view keeps the conversation left";
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-fe"));
    ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"leave_btn", L"click"));
    names = SessionItemNames();
    EXPECT_EQ(std::find(names.begin(), names.end(), L"channelItem_chn-fe"), names.end());
    // The channel menu's command leaves the same way.
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-history"));
    ASSERT_TRUE(Testing::Click(MainWindow(), L"drop_down_btn"));
    ASSERT_TRUE(Testing::Click(FindOwnWindow(L"GroupDropDownMenuWnd"), L"menu_quit_group"));
    names = SessionItemNames();
    EXPECT_EQ(std::find(names.begin(), names.end(), L"channelItem_chn-history"), names.end());
    ASSERT_TRUE(core::WaitIdle());
    for (const char* channel : {"chn-fe", "chn-history"}) {
      const auto members = core::ServiceChannelMembers(channel);
      EXPECT_EQ(std::find(members.begin(), members.end(), "usr-zhou"), members.end()) << channel;
    }
    CloseMainWindow();
  });
  RunMainWindow(script);
}

// The lab team's one channel: every conversation of the list can be left.
class MainWndLeavingTheLastTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(core::SignIn("zhou", m_core.DataFolder(), "lab"));
  }
};

TEST_F(MainWndLeavingTheLastTest, LeavingTheLastConversationClearsTheViewAndTheTitle) {
  StepRunner script;
  script.WaitFor("the lab's channel", [] { return SessionItemNames() == std::vector<std::wstring>{L"channelItem_chn-lab"}; })
      .Do("leave it", [] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-lab"));
        EXPECT_EQ(Text(L"title_label"), L"#实验室");
        AddMessageItem({LinkLabel(L"text", L"欢迎")});
        ASSERT_TRUE(Testing::RaiseNotify(MainWindow(), L"leave_btn", L"click"));
        EXPECT_TRUE(SessionItemNames().empty());
        EXPECT_EQ(Text(L"title_label"), L"");
        EXPECT_EQ(ChatDisplay()->GetCount(), 0);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

// A conversation of exactly two pages: the second full page still offers
// more, the third read comes back short and does not.
class MainWndLoadMoreTest : public MainWindowTest {};

TEST_F(MainWndLoadMoreTest, OlderMessagesComeAPageAtATimeByTheButtonOrByScrollingToTheTop) {
  StepRunner script;
  WaitForFilledList(script).Do("forty messages", [] {
    ASSERT_TRUE(core::WaitIdle());
    core::PreloadIMs({{"im-zhou-pages", "usr-olivia"}});
    std::vector<mireloom::Message::Data> messages(40);
    for (int i = 0; i < 40; ++i) {
      messages[i].message_id = "msg-pages-" + std::to_string(i);
      messages[i].channel_id = "im-zhou-pages";
      messages[i].channel_type = mireloom::Message::kDirectMessage;
      messages[i].uid = "usr-olivia";
      messages[i].content = "第" + std::to_string(i) + "条";
      messages[i].timestamp = 1715400000 + i;
    }
    core::PreloadMessages(messages);
    Main()->RefreshAndSelectSession("im-zhou-pages", false);
    ASSERT_EQ(MessageLines().size(), 20u);
    // At the top by hand, where the button is.
    MessageView()->SetScrollPos({0, 0});
    UpdateWindow(MainWindow());
    ASSERT_TRUE(Testing::Click(MainWindow(), L"load_more"));
    EXPECT_EQ(mireloomwnd::MessagePageCount, 2);
    EXPECT_EQ(MessageLines().size(), 40u);
    EXPECT_EQ(ViewLines().front(), L"more") << "a full second page offers more, though nothing is older";
    // Scrolling that ends below the top loads nothing; back at the top it does.
    UpdateWindow(MainWindow());
    ASSERT_TRUE(Testing::Wheel(MainWindow(), L"chat_display", -1));
    EXPECT_EQ(mireloomwnd::MessagePageCount, 2);
    ASSERT_TRUE(Testing::Wheel(MainWindow(), L"chat_display", 3));
    EXPECT_EQ(mireloomwnd::MessagePageCount, 3);
    EXPECT_EQ(MessageLines().size(), 40u);
    EXPECT_EQ(CountLines(ViewLines(), L"more"), 0u) << "the start of the conversation";
    CloseMainWindow();
  });
  RunMainWindow(script);
}

TEST_F(MainWndChatAreaTest, TheInputsMenuGreysPasteWithoutTextOnTheClipboard) {
  StepRunner script;
  WaitForFilledList(script).Do("menus", [this] {
    ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
    auto paste = [this] {
      const auto menus = m_platform.CallsOf(PlatformCall::TrackPopupMenu);
      return GetMenuState(menus.back().menu, mireloomwnd::kPasteCommand, MF_BYCOMMAND) & MF_GRAYED;
    };
    ASSERT_TRUE(OpenClipboard(MainWindow()));
    EmptyClipboard();
    CloseClipboard();
    ASSERT_TRUE(Testing::RightClick(MainWindow(), L"chat_input"));
    EXPECT_TRUE(paste()) << "greyed";
    ASSERT_TRUE(test_support::PutOnClipboard(L"粘贴的文字", MainWindow()));
    m_platform.SetMenuCommand(mireloomwnd::kPasteCommand);
    ASSERT_TRUE(Testing::RightClick(MainWindow(), L"chat_input"));
    EXPECT_FALSE(paste());
    EXPECT_EQ(Text(L"chat_input"), L"粘贴的文字") << "pasted";
    m_platform.SetMenuCommand(0);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
