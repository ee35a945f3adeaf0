// Messages that come and go while the window is open: incoming ones in the
// open conversation and elsewhere, the unread counts' attention signals, and
// what Enter sends, once, to whom, and what a failed send leaves behind.

#include <algorithm>
#include <ctime>

#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "mainwnd/MainWndMessages.h"
#include "MainWndFixture.h"
#include "MessageViewReading.h"
#include "mireloom/ChatManager.h"
#include "quennet/testing.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
namespace core = mireloom::testing;

constexpr int64_t kDay = 24 * 60 * 60;

bool EndsWith(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& tail) {
  return lines.size() >= tail.size() && std::equal(tail.rbegin(), tail.rend(), lines.rbegin(),
                                                  [](const std::wstring& want, const std::wstring& line) {
                                                    return line.find(want) != std::wstring::npos;
                                                  });
}

// The lines end with the sent texts and their answers in an order the window
// may show them: sends complete in the order they went and answers come in
// the order they were written, but an answer is pushed while its send's own
// completion is on its way, so the two roads interleave in any way. An
// answer holds the text it answers, so it is recognised first.
bool EndsWithInterleaved(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& sent,
                         const std::vector<std::wstring>& answers) {
  const size_t count = sent.size() + answers.size();
  if (lines.size() < count) return false;
  size_t nextSent = 0;
  size_t nextAnswer = 0;
  for (size_t i = lines.size() - count; i < lines.size(); ++i) {
    if (nextAnswer < answers.size() && lines[i].find(answers[nextAnswer]) != std::wstring::npos) {
      ++nextAnswer;
    } else if (nextSent < sent.size() && lines[i].find(sent[nextSent]) != std::wstring::npos) {
      ++nextSent;
    } else {
      return false;
    }
  }
  return true;
}

bool IsDayLine(const std::wstring& line) { return line.rfind(L"day ", 0) == 0; }

// What zhou sent to the conversation, as the service stored it.
std::vector<std::string> SentByZhou(const std::string& conversation) {
  std::vector<std::string> texts;
  for (const auto& message : core::ServiceMessages(conversation)) {
    if (message.uid == "usr-zhou") texts.push_back(message.content);
  }
  return texts;
}

size_t SendCalls() {
  const auto log = core::CallLog();
  return static_cast<size_t>(std::count_if(log.begin(), log.end(), [](const core::CallRecord& record) {
    return record.kind == core::CallRecord::kCall && record.name == "ChatManager::SendMessage";
  }));
}

void PressEnterInInput() {
  auto* input = static_cast<CRichEditUI*>(MainWindowTest::Control(L"chat_input"));
  ASSERT_NE(input, nullptr);
  input->SetFocus();
  Testing::PressKey(input->GetNativeWindow(), VK_RETURN);
}

void TypeIntoInput(const wchar_t* text) { ASSERT_TRUE(Testing::TypeText(MainWindowTest::MainWindow(), L"chat_input", text)); }

std::string DraftOf(const std::string& conversation) {
  const auto draft = mireloom::ChatManager::DefaultManager()->FetchDraftFromCacheByChannelId(conversation);
  return draft ? draft->text() : std::string();
}

class MessageFlowTest : public MainWindowTest {
 protected:
  [[nodiscard]] size_t Count(PlatformCall kind) const { return m_platform.CallsOf(kind).size(); }
};

TEST_F(MessageFlowTest, ANewDayGetsASeparatorInADirectConversationAndForWhatIsSentButNotInAChannel) {
  const int64_t tomorrow = static_cast<int64_t>(std::time(nullptr)) + kDay;
  const auto inject = [tomorrow](const char* conversation, const char* text, mireloom::Message::ChannelType type) {
    mireloom::Message::Data message;
    message.channel_id = conversation;
    message.channel_type = type;
    message.uid = "usr-lin";
    message.content = text;
    message.timestamp = tomorrow;
    core::InjectMessage(message);
  };
  StepRunner script;
  WaitForFilledList(script)
      .Do("open lin's conversation", [] { ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin")); })
      .Do("a message of tomorrow", [&] { inject("im-zhou-lin", "明天的私聊", mireloom::Message::kDirectMessage); })
      .WaitFor("shown", [] { return EndsWith(ViewLines(), {L"明天的私聊"}); })
      .Do("in a channel", [&] {
        const auto lines = ViewLines();
        EXPECT_TRUE(IsDayLine(lines[lines.size() - 2])) << "a separator before the new day";
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        inject("chn-general", "明天的频道消息", mireloom::Message::kChannelMessage);
      })
      .WaitFor("shown", [] { return EndsWith(ViewLines(), {L"明天的频道消息"}); })
      .Do("send there today", [] {
        const auto lines = ViewLines();
        EXPECT_FALSE(IsDayLine(lines[lines.size() - 2])) << "a channel's message gets none";
        TypeIntoInput(L"今天发到频道");
        PressEnterInInput();
      })
      .WaitFor("sent and shown", [] { return EndsWith(ViewLines(), {L"今天发到频道"}); })
      .Do("check and close", [] {
        const auto lines = ViewLines();
        EXPECT_TRUE(IsDayLine(lines[lines.size() - 2]))
            << "what the user sent takes the one-to-one road, a channel's too: its day differs from tomorrow's";
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageFlowTest, UnreadCountsDrawAttentionByWhetherTheWindowIsShown) {
  size_t flashes = 0;
  size_t sounds = 0;
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the core is done", [] { return core::WaitIdle(0); })
      .Do("hide, then a new message elsewhere", [&] {
        Testing::PressKey(MainWindow(), VK_ESCAPE);
        flashes = Count(PlatformCall::FlashWindow);
        sounds = Count(PlatformCall::PlaySound);
        core::InjectUnread("chn-general", 6, 6);
      })
      .WaitFor("the blink's dark phase", [this] {
        const auto tray = TrayCalls();
        return std::any_of(tray.begin(), tray.end(), [](const CRecordingPlatform::Call& call) {
          return call.message == NIM_MODIFY && call.icon == nullptr;
        });
      })
      .Do("shown again, another message", [&] {
        EXPECT_EQ(Count(PlatformCall::PlaySound), sounds + 1);
        const auto flash = m_platform.CallsOf(PlatformCall::FlashWindow);
        ASSERT_EQ(flash.size(), flashes + 1);
        EXPECT_EQ(flash.back().flags, static_cast<UINT>(FLASHW_TRAY));
        EXPECT_EQ(flash.back().count, 3u);
        ShowWindow(MainWindow(), SW_SHOW);
        core::InjectUnread("chn-general", 7, 7);
      })
      .WaitFor("the flash", [&] { return Count(PlatformCall::FlashWindow) == flashes + 2; })
      .Do("every conversation read", [&] {
        EXPECT_EQ(Count(PlatformCall::PlaySound), sounds + 1) << "a shown window plays no sound";
        m_platform.Clear();
        for (const std::wstring& item : SessionItemNames()) {
          const std::wstring id = item.substr(item.find(L'_') + 1);
          core::InjectUnread(std::string(id.begin(), id.end()), 0, 0);
        }
      })
      .WaitFor("the flash stopped", [this] {
        const auto flash = m_platform.CallsOf(PlatformCall::FlashWindow);
        return !flash.empty() && flash.back().flags == FLASHW_STOP;
      })
      .Do("check and close", [this] {
        const auto tray = TrayCalls();
        ASSERT_FALSE(tray.empty());
        EXPECT_NE(tray.back().icon, nullptr) << "the blink ends on the normal icon";
        EXPECT_EQ(Count(PlatformCall::PlaySound), 0u);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageFlowTest, AMessageInAClosedConversationRebuildsTheListNowAndAfterTheFetch) {
  std::unique_ptr<PostedMessageCounter> refreshes;
  int held = 0;
  StepRunner script;
  WaitForFilledList(script)
      .WaitFor("the core is done", [] { return core::WaitIdle(0); })
      .Do("qian writes in the conversation zhou closed", [&] {
        const auto names = SessionItemNames();
        ASSERT_EQ(std::count(names.begin(), names.end(), L"imItem_im-zhou-qian"), 0);
        core::Script("IMManager::GetIMs").Hold();
        refreshes = std::make_unique<PostedMessageCounter>(mireloomwnd::WM_REFRESH_SESSION_LIST);
        mireloom::Message::Data message;
        message.channel_id = "im-zhou-qian";
        message.channel_type = mireloom::Message::kDirectMessage;
        message.uid = "usr-qian";
        message.content = "预算表又改了。";
        core::InjectMessage(message);
      })
      .WaitFor("the conversation fetched", [&] {
        held = core::WaitForHeld("IMManager::GetIMs", 0);
        return held != 0;
      })
      .WaitFor("the first rebuild", [&] { return refreshes->Count() == 1; })
      .Do("the fetch answers", [&] { ASSERT_TRUE(core::Release(held)); })
      .WaitFor("the second rebuild", [&] { return refreshes->Count() == 2; })
      .Do("check and close", [&] {
        const auto names = SessionItemNames();
        EXPECT_EQ(std::count(names.begin(), names.end(), L"imItem_im-zhou-qian"), 1);
        CloseMainWindow();
      });
  RunMainWindow(script);
  EXPECT_EQ(refreshes->Count(), 2);
}

TEST_F(MessageFlowTest, EnterAndTheSendButtonSendTheInputOnceAsTypedAndLinAnswers) {
  size_t callsBefore = 0;
  size_t sentBefore = 0;
  StepRunner script;
  WaitForFilledList(script)
      .Do("Enter with no conversation open", [&] {
        callsBefore = SendCalls();
        sentBefore = SentByZhou("im-zhou-lin").size();
        TypeIntoInput(L"无处可发");
        PressEnterInInput();
        EXPECT_EQ(Text(L"chat_input"), L"无处可发") << "kept: there is nowhere to send it";
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        auto* input = static_cast<CRichEditUI*>(Control(L"chat_input"));
        input->SetText(L"");
        TypeIntoInput(L"下午三点开会");
        // Enter in the search field is the search field's.
        ASSERT_TRUE(Testing::Click(MainWindow(), L"search"));
        Testing::PressKey(static_cast<CEditUI*>(Control(L"search"))->GetNativeWindow(), VK_RETURN);
        EXPECT_EQ(Text(L"chat_input"), L"下午三点开会");
        PressEnterInInput();
        EXPECT_EQ(Text(L"chat_input"), L"") << "the input is cleared at once";
        // Blanks and line breaks go as they are; an empty input sends nothing.
        input->SetText(L"  \n  ");
        PressEnterInInput();
        PressEnterInInput();
      })
      .WaitFor("both stored", [&] { return SentByZhou("im-zhou-lin").size() >= sentBefore + 2; })
      .WaitFor("shown with lin's answers", [] {
        return EndsWithInterleaved(MessageLines(), {L"下午三点开会", L"  \n  "}, {L"收到：下午三点开会", L"收到：  \n  "});
      })
      .Do("the send button", [] {
        TypeIntoInput(L"按钮发送");
        ASSERT_TRUE(Testing::Click(MainWindow(), L"send_message_btn"));
      })
      .WaitFor("its answer", [] { return EndsWithInterleaved(MessageLines(), {L"按钮发送"}, {L"收到：按钮发送"}); })
      .WaitFor("lin's item moved to the top and still selected", [] {
        auto* list = static_cast<CListUI*>(Control(L"sessionList"));
        return list->GetCurSel() == 0 && list->GetItemAt(0)->GetName() == L"imItem_im-zhou-lin";
      })
      .Do("check and close", [&] {
        const auto sent = SentByZhou("im-zhou-lin");
        ASSERT_EQ(sent.size(), sentBefore + 3) << "each new one once";
        EXPECT_EQ(sent[sentBefore], "下午三点开会");
        EXPECT_EQ(sent[sentBefore + 1], "  \n  ");
        EXPECT_EQ(sent[sentBefore + 2], "按钮发送");
        EXPECT_EQ(SendCalls(), callsBefore + 3);
        CloseMainWindow();
      });
  RunMainWindow(script);
}

TEST_F(MessageFlowTest, ASendAnsweredLaterKeepsToItsConversationAndAFailureGivesTheTextBack) {
  quennet::ScopedLogCapture log;
  std::unique_ptr<PostedMessageCounter> refreshes;
  int held = 0;
  StepRunner script;
  WaitForFilledList(script)
      .Do("send, then switch before the answer", [&] {
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        core::Script("ChatManager::SendMessage").Hold().Times(1);
        TypeIntoInput(L"慢慢送达");
        PressEnterInInput();
        held = core::WaitForHeld("ChatManager::SendMessage");
        ASSERT_NE(held, 0);
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        refreshes = std::make_unique<PostedMessageCounter>(mireloomwnd::WM_REFRESH_SESSION_LIST);
        ASSERT_TRUE(core::Release(held));
      })
      .WaitFor("the list rebuilt", [&] { return refreshes->Count() > 0; })
      .Do("a failed send in the open conversation", [] {
        EXPECT_EQ(CountLines(MessageLines(), L"慢慢送达"), 0u) << "not in the channel's view";
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        core::Script("ChatManager::SendMessage").Fail(-1).Times(1);
        TypeIntoInput(L"发不出去");
        PressEnterInInput();
      })
      .WaitFor("the text back in the input", [] { return Text(L"chat_input") == L"发不出去"; })
      .Do("a failure after a switch", [&] {
        EXPECT_TRUE(log.Contains("Sending a message to im-zhou-lin failed; its text is back in the input"));
        static_cast<CRichEditUI*>(Control(L"chat_input"))->SetText(L"");
        core::Script("ChatManager::SendMessage").Fail(-1).Hold().Times(1);
        TypeIntoInput(L"留作草稿");
        PressEnterInInput();
        held = core::WaitForHeld("ChatManager::SendMessage");
        ASSERT_NE(held, 0);
        ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
        ASSERT_TRUE(core::Release(held));
      })
      .WaitFor("kept as the draft", [] { return DraftOf("im-zhou-lin") == "留作草稿"; })
      .Do("back in lin's conversation", [] {
        EXPECT_EQ(Text(L"chat_input"), L"") << "the channel's input is not touched";
        ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
        EXPECT_EQ(Text(L"chat_input"), L"留作草稿");
        CloseMainWindow();
      });
  RunMainWindow(script);
  const auto sent = SentByZhou("im-zhou-lin");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "慢慢送达"), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "发不出去"), 0);
}

// A failed send gives its text back to its conversation, ahead of what was
// typed since and after what earlier failures gave back, into the draft when
// another conversation is open; the caret goes to the end. A line says that
// the message was not sent until another conversation opens or a send goes
// through, and the text then goes as a whole.
TEST_F(MessageFlowTest, FailedSendsComeBackInOrderAheadOfWhatWasTypedSince) {
  struct Case {
    const char* name;
    std::vector<std::wstring> sends;  // each typed and sent with Enter; all fail
    std::wstring typedOn;              // typed while they are on their way
    bool movedOn;                      // a channel opened before they fail
    std::wstring expected;             // lin's input once back in it
  };
  const Case cases[] = {
      {"input empty", {L"第一条"}, L"", false, L"第一条"},
      {"typed on", {L"first"}, L"second", false, L"first\nsecond"},
      {"draft present", {L"first"}, L"草稿", true, L"first\n草稿"},
      {"several failures", {L"一", L"二", L"三"}, L"四", false, L"一\n二\n三\n四"},
      {"several into a draft", {L"甲", L"乙\n"}, L"丙", true, L"甲\n乙\n\n丙"},
  };
  const std::wstring notSent = L"Message not sent: its text is back in its conversation's input.";
  auto input = [] { return static_cast<CRichEditUI*>(Control(L"chat_input")); };
  StepRunner script;
  WaitForFilledList(script);
  for (const Case& c : cases) {
    script
        .Do(c.name, [&] {
          SCOPED_TRACE(c.name);
          ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
          core::Script("ChatManager::SendMessage").Fail(-1).Hold().Times(static_cast<int>(c.sends.size()));
          for (const std::wstring& text : c.sends) {
            input()->SetText(text.c_str());
            PressEnterInInput();
          }
          // The sends go one after the other: each is held in turn.
          int held = core::WaitForHeld("ChatManager::SendMessage");
          if (!c.typedOn.empty()) TypeIntoInput(c.typedOn.c_str());
          if (c.movedOn) {
            ASSERT_TRUE(Testing::Click(MainWindow(), L"channelItem_chn-general"));
          }
          for (size_t i = 0; i < c.sends.size(); ++i) {
            ASSERT_NE(held, 0);
            ASSERT_TRUE(core::Release(held));
            held = i + 1 < c.sends.size() ? core::WaitForHeld("ChatManager::SendMessage") : 0;
          }
        })
        .WaitFor("the texts back", [&] {
          return c.movedOn ? DraftOf("im-zhou-lin") == WideToUtf8(c.expected) : Text(L"chat_input") == c.expected;
        })
        .Do("typed on at the end, then sent", [&] {
          SCOPED_TRACE(c.name);
          EXPECT_EQ(Text(L"send_failed_notice"), notSent);
          if (c.movedOn) {
            EXPECT_EQ(Text(L"chat_input"), L"") << "the channel's input is not touched";
            ASSERT_TRUE(Testing::Click(MainWindow(), L"imItem_im-zhou-lin"));
            EXPECT_EQ(Text(L"send_failed_notice"), L"") << "another conversation opened ends it";
          }
          TypeIntoInput(L"！");
          EXPECT_EQ(Text(L"chat_input"), c.expected + L"！") << "the caret at the end";
          PressEnterInInput();
        })
        .WaitFor("sent as a whole", [&] {
          const auto sent = SentByZhou("im-zhou-lin");
          return !sent.empty() && sent.back() == WideToUtf8(c.expected + L"！");
        })
        .WaitFor("the notice ended", [] { return Text(L"send_failed_notice").empty(); });
  }
  script.Do("close", [] { CloseMainWindow(); });
  RunMainWindow(script);
}

}  // namespace
}  // namespace mainwnd_test
