// The message view as zhou sees the demo team's conversations: every kind
// of message, pages and day separators, pictures from the cache, the links a
// click reads, and controls that do not pile up.

#include <algorithm>
#include <ctime>

#include "app/storage/UserFolders.h"
#include "app/text/ServiceConstants.h"
#include "duilib/testing.h"
#include "mainwnd/messages/MessageLayout.h"
#include "MainWndFixture.h"
#include "MessageViewReading.h"
#include "mireloom/ChatManager.h"
#include "mireloom/ServiceManager.h"
#include "quennet/FileUtils.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

bool HasLine(const std::wstring& part) { return CountLines(ViewLines(), part) > 0; }

bool HasPicture(const std::wstring& image) {
  const auto pictures = ViewPictures();
  return std::find(pictures.begin(), pictures.end(), image) != pictures.end();
}

// Controls whose names begin with the marker, as the click routing reads them.
std::vector<CControlUI*> ControlsNamed(const std::wstring& marker) {
  return ControlsUnder(MessageView(), [&marker](CControlUI* c) {
    return std::wstring(c->GetName().GetData()).rfind(marker, 0) == 0;
  });
}

int64_t LocalTime(int year, int month, int day, int hour = 12) {
  std::tm time = {};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&time));
}

mireloom::Message::Data TextFrom(const std::string& conversation, const std::string& uid, const std::string& text,
                                 int64_t time) {
  mireloom::Message::Data message;
  message.message_id = "msg-" + conversation + "-" + std::to_string(time) + "-" + text.substr(0, 3);
  message.channel_id = conversation;
  message.channel_type = mireloom::Message::kDirectMessage;
  message.uid = uid;
  message.content = text;
  message.timestamp = time;
  return message;
}

// A one-to-one conversation with olivia that holds these messages, opened.
void ShowOliviasMessages(const std::string& conversation, const std::vector<mireloom::Message::Data>& messages) {
  ASSERT_TRUE(core::WaitIdle());
  core::PreloadIMs({{conversation, "usr-olivia"}});
  core::PreloadMessages(messages);
  mainwnd_test::MainWindowTest::Main()->RefreshAndSelectSession(conversation, false);
}

// The list entry that holds the control.
CControlUI* EntryOf(CControlUI* control) {
  while (control && control->GetParent() != MessageView()) control = control->GetParent();
  return control;
}

// How tall the rich edit's text is as it draws it, at the width it has now.
int DrawnTextHeight(CRichEditUI* edit) {
  const TFontInfo* font = CPaintManagerUI::ResolveFont(edit->GetManager(), edit->GetFont());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font->hFont : nullptr);
  const RECT pos = edit->GetPos();
  const RECT padding = edit->GetTextPadding();
  RECT box = {0, 0, pos.right - pos.left - padding.left - padding.right, 0};
  DrawTextW(dc, edit->GetText().GetData(), -1, &box, edit->GetDrawnTextStyle() | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteDC(dc);
  return box.bottom - box.top;
}

std::string Repeated(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

class MessageViewTest : public MainWindowTest {
 protected:
  static StepRunner& Open(StepRunner& script, const wchar_t* item) {
    return script.Do("open", [item] { ASSERT_TRUE(Testing::Click(MainWindow(), item)); })
        .WaitFor("its messages", [] { return !MessageLines().empty(); });
  }
};

TEST_F(MessageViewTest, TheShowcaseShowsEveryKind) {
  StepRunner script;
  WaitForFilledList(script);
  Open(script, L"channelItem_chn-showcase")
      .Do("the newest page", [] {
        const auto lines = ViewLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), L"more") << "a full page may hide older messages";
        EXPECT_EQ(CountLines(lines, L"day "), 3u);
        // Of 20 messages, those of a member who left and of an unknown service show nothing.
        EXPECT_EQ(MessageLines().size(), 18u);
        EXPECT_EQ(CountLines(lines, messageview::kUnsupportedText), 4u) << "kinds 33, 2, 9 and 41";
        EXPECT_EQ(CountLines(lines, L"周一鸣  09:05 | 九点零五分的消息。"), 1u);
        auto* task = static_cast<CLabelUI*>(Control(L"tasks_1024"));
        ASSERT_NE(task, nullptr) << "a task card's title leads to its module page";
        EXPECT_EQ(std::wstring(task->GetLinkContent(0)->GetData()), L"x=|link|1024|");
        ASSERT_NE(Control(L"calendar/events_2048"), nullptr);
        // The older messages of every other kind arrive again as new ones.
        const auto all = mireloom::ChatManager::DefaultManager()->FetchMessagesFromCache(
            "chn-showcase", 0, messageview::kNewestTimestamp, 100, nullptr, nullptr, false);
        ASSERT_EQ(all.size(), 53u);
        for (size_t i = 0; i < 33; ++i) {
          mireloom::Message::Data again = all[i]->data();
          again.message_id.clear();
          again.timestamp = 0;
          core::InjectMessage(again);
        }
      })
      .WaitFor("the older kinds", [] { return MessageLines().size() == 18u + 33u; })
      .WaitFor("scrolled to the newest", [] {
        const SIZE range = MessageView()->GetScrollRange();
        return range.cy > 0 && MessageView()->GetScrollPos().cy == range.cy;
      })
      .Do("check and keep the picture", [this] {
        EXPECT_TRUE(HasPicture(L"emoji/emoji_1f604.png"));
        EXPECT_TRUE(HasPicture(L"emoji/emoji_1f44d.png"));
        EXPECT_TRUE(HasLine(L"会议 12 | :30: | 45 开始")) << "a clock time is no short code but splits the text";
        EXPECT_TRUE(HasLine(L"{a x=|link|file:///C:/Windows|}点我{/a}")) << "a forged link is plain text";
        EXPECT_TRUE(HasLine(L"设计稿见 设计稿，主页 https://www.corvanel.test"));
        EXPECT_TRUE(HasLine(L"第一行\n第二行\n第三行"));
        EXPECT_EQ(ControlsNamed(L"image_").size(), 8u) << "title and picture of four images";
        // Each file shows an icon; the skin's icons are looked up beside the
        // program, so here every file gets the default one.
        EXPECT_TRUE(HasLine(L"Shared  季度报告.pdf | [picture]"));
        EXPECT_TRUE(HasPicture(L"file_type/file_type_default.png"));
        EXPECT_TRUE(HasPicture(L"file_type/file_type_snippet.png"));
        EXPECT_EQ(ControlsNamed(L"file_").size(), 7u) << "six files and a document";
        EXPECT_NE(Control(L"snippet_ent-snip-cpp"), nullptr);
        EXPECT_TRUE(HasLine(L"评论了: 截图.png\n按钮颜色还要再浅一点。"));
        EXPECT_TRUE(HasLine(L"新邮件通知 | 标题：季度预算审批\n来自："));
        EXPECT_TRUE(HasLine(L"林晓 加入了频道"));
        EXPECT_TRUE(Testing::SaveWindowPng(MainWindow(), (m_program.StartFolder() + L"message-view.png").c_str()));
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageViewTest, APageShowsItsDaysAndOffersMoreWhenFull) {
  const std::vector<int64_t> days = {LocalTime(2015, 3, 3), LocalTime(2016, 3, 3),  LocalTime(2023, 12, 31),
                                     LocalTime(2024, 1, 1), LocalTime(2024, 5, 10), LocalTime(2024, 5, 10, 13)};
  StepRunner script;
  WaitForFilledList(script)
      .Do("nineteen messages", [&days] {
        std::vector<mireloom::Message::Data> messages;
        for (int i = 0; i < 19; ++i) {
          const int64_t time = i < static_cast<int>(days.size()) ? days[i] : LocalTime(2024, 5, 11) + i;
          messages.push_back(TextFrom("im-zhou-pages", "usr-olivia", "第" + std::to_string(i) + "条", time));
        }
        ShowOliviasMessages("im-zhou-pages", messages);
        const auto lines = ViewLines();
        ASSERT_EQ(lines.size(), 19u + 5u);
        // 3 March of 2015 and of 2016 count as one day; the year is not compared.
        for (size_t at : {0u, 3u, 5u, 7u, 10u}) EXPECT_EQ(lines[at].rfind(L"day ", 0), 0u) << at;
        EXPECT_EQ(CountLines(lines, L"more"), 0u);
        core::PreloadMessages({TextFrom("im-zhou-pages", "usr-olivia", "第19条", LocalTime(2024, 5, 12))});
        Main()->RefreshAndSelectSession("im-zhou-lin", false);
        Main()->RefreshAndSelectSession("im-zhou-pages", false);
        ASSERT_FALSE(ViewLines().empty());
        EXPECT_EQ(ViewLines().front(), L"more");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

// A long text is as tall as the lines it is drawn in at the view's width,
// at every width: no blank under it and nothing cut off, each ends as far
// above its item's end as a one-line text does, and at the view's end the
// last line is in sight.
TEST_F(MessageViewTest, LongTextsAreAsTallAsTheirDrawnLinesAtEveryWidth) {
  const std::vector<std::string> texts = {"短", Repeated("长消息测试", 600), Repeated("abcdefghij ", 1818) + "end",
                                          "top" + std::string(5000, '\n') + "bottom"};
  const auto checkAt = [this](const wchar_t* picture) {
    CListUI* view = MessageView();
    CPaintManagerUI* manager = Testing::ManagerOf(MainWindow());
    const std::vector<CControlUI*> edits =
        ControlsUnder(view, [](CControlUI* c) { return c->GetName() == L"chat_display_richedit"; });
    ASSERT_EQ(edits.size(), 4u);
    std::vector<int> gaps;
    for (CControlUI* control : edits) {
      // Each in sight in turn, so that it is laid out.
      CControlUI* entry = EntryOf(control);
      view->SetScrollPos({0, view->GetScrollPos().cy + entry->GetPos().top - view->GetInnerRect().top});
      manager->UpdateLayout();
      auto* edit = static_cast<CRichEditUI*>(control);
      gaps.push_back(entry->GetPos().bottom - edit->GetPos().top - edit->GetTextPadding().top - DrawnTextHeight(edit));
    }
    for (size_t i = 1; i < gaps.size(); ++i) EXPECT_EQ(gaps[i], gaps[0]) << "text " << i << " at " << picture;
    view->EndDown();
    manager->UpdateLayout();
    EXPECT_EQ(EntryOf(edits.back())->GetPos().bottom, view->GetInnerRect().bottom) << picture;
    InvalidateRect(MainWindow(), nullptr, FALSE);
    UpdateWindow(MainWindow());
    EXPECT_TRUE(Testing::SaveWindowPng(MainWindow(), (m_program.StartFolder() + picture).c_str()));
  };
  StepRunner script;
  WaitForFilledList(script)
      .Do("the long texts", [&texts] {
        std::vector<mireloom::Message::Data> messages;
        for (size_t i = 0; i < texts.size(); ++i) {
          messages.push_back(TextFrom("im-zhou-long", "usr-olivia", texts[i], LocalTime(2024, 5, 10) + i));
        }
        ShowOliviasMessages("im-zhou-long", messages);
      })
      .Do("at the first width", [&] { checkAt(L"long_messages.png"); })
      .Do("maximised", [&] {
        ShowWindow(MainWindow(), SW_MAXIMIZE);
        checkAt(L"long_messages_maximised.png");
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageViewTest, PicturesComeFromTheCacheOnceDownloaded) {
  const auto thumbnails = [] {
    const auto requests = core::HttpRequests();
    return std::count_if(requests.begin(), requests.end(),
                         [](const core::HttpRecord& r) { return r.url.find("/thumb/") != std::string::npos; });
  };
  const auto picture = [] {
    const auto found = ControlsUnder(MessageView(), [](CControlUI* c) {
      return c->GetName().Find(L"image_") == 0 && c->GetInterface(L"Button");
    });
    return found.empty() ? std::wstring() : std::wstring(static_cast<CButtonUI*>(found[0])->GetNormalImage().GetData());
  };
  // Pictures of earlier runs are not in the way.
  ASSERT_TRUE(quennet::FileUtils::SharedFileUtils()->DeleteFolderContentsExcept(GetDownloadTmpFolder(), {}));
  ptrdiff_t downloads = 0;
  // The start-up chain's end loads the open conversation again: a thumbnail
  // still on its way then is asked for a second time, so only what comes
  // after its first showing is counted.
  StepRunner script;
  WaitForFilledList(script);
  Open(script, L"imItem_im-zhou-lin")
      .WaitFor("the thumbnail", [&picture] { return !picture().empty(); })
      .Do("open again", [&] {
        downloads = thumbnails();
        EXPECT_GE(downloads, 1);
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        EXPECT_FALSE(picture().empty()) << "shown from the cache at once";
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-showcase"));
      })
      .WaitFor("the services' avatars", [] {
        const auto service = mireloom::ServiceManager::DefaultManager()->FetchServiceFromCacheByServiceId("svc-tasks");
        const auto requests = core::HttpRequests();
        return service && std::any_of(requests.begin(), requests.end(), [&service](const core::HttpRecord& r) {
                 return r.url == StaticBaseUrl + service->avatar_url();
               });
      })
      .Do("check and close", [&] {
        EXPECT_EQ(thumbnails(), downloads) << "the second display asked for nothing";
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageViewTest, SharesThatCannotBeReadShowNothingButComments) {
  StepRunner script;
  WaitForFilledList(script)
      .Do("unreadable shares", [] {
        ASSERT_TRUE(core::WaitIdle());
        const int64_t now = static_cast<int64_t>(std::time(nullptr)) + 60;
        std::vector<mireloom::Message::Data> messages;
        int offset = 0;
        for (const int kind : {5, 6, 7, 8, 12, 22}) {
          mireloom::Message::Data share = TextFrom("im-zhou-lin", "usr-lin", "坏的分享 " + std::to_string(kind), now + ++offset);
          share.content_type = kind;
          share.entity_json = "{not json";
          messages.push_back(share);
        }
        messages.push_back(TextFrom("im-zhou-lin", "usr-lin", "分享之后", now + ++offset));
        core::PreloadMessages(messages);
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        const auto lines = MessageLines();
        EXPECT_EQ(CountLines(lines, L"坏的分享"), 1u);
        EXPECT_EQ(CountLines(lines, L"坏的分享 22"), 1u) << "a comment shows what it has";
        EXPECT_EQ(CountLines(lines, L"分享之后"), 1u);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageViewTest, AClickedLinkTellsWhichOfItsLabelsLinks) {
  std::vector<std::wstring> clicked;
  Testing::SetNotifyTrace([&clicked](const TNotifyUI& msg, HWND) {
    if (msg.sType != L"link") return;
    const CDuiString* link = static_cast<CLabelUI*>(msg.pSender->GetInterface(L"Label"))->GetLinkContent(
        static_cast<int>(msg.wParam));
    clicked.push_back(std::to_wstring(msg.wParam) + L" " + (link ? link->GetData() : L"?"));
  });
  CLabelUI* label = nullptr;
  StepRunner script;
  WaitForFilledList(script);
  Open(script, L"channelItem_chn-showcase")
      .Do("a message with two links", [] {
        mireloom::Message::Data message;
        message.channel_id = "chn-showcase";
        message.uid = "usr-lin";
        message.content = "[@usr-zhou|周一鸣] 请看 [#chn-design|设计]";
        core::InjectMessage(message);
      })
      .WaitFor("shown at the end", [&label] {
        const auto labels = ControlsUnder(MessageView(), [](CControlUI* c) {
          auto* text = static_cast<CLabelUI*>(c->GetInterface(L"Label"));
          return text && text->GetLinkCount() == 2;
        });
        label = labels.empty() ? nullptr : static_cast<CLabelUI*>(labels.back());
        RECT link = {};
        const RECT view = MessageView()->GetPos();
        return label && label->GetLinkRect(1, &link) && link.top >= view.top && link.bottom <= view.bottom;
      })
      .Do("click the second", [&label] {
        RECT link = {};
        ASSERT_TRUE(label->GetLinkRect(1, &link));
        ASSERT_TRUE(Testing::ClickAt(MainWindow(), {(link.left + link.right) / 2, (link.top + link.bottom) / 2}));
        CloseMainWindow();
      });
  RunMainWindow(script);
  Testing::SetNotifyTrace({});
  EXPECT_EQ(clicked, std::vector<std::wstring>{L"1 x=|channel|chn-design|"});
}

TEST_F(MessageViewTest, ReopeningLeavesNoControlBehind) {
  size_t afterFirst = 0;
  StepRunner script;
  WaitForFilledList(script).Do("reopen fifty times", [&afterFirst] {
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-showcase"));
      ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
      if (i == 0) afterFirst = Testing::LiveControlCount();
    }
    EXPECT_EQ(Testing::LiveControlCount(), afterFirst);
    CloseMainWindow();
  });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
