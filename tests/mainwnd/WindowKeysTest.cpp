// Every dialog and secondary window over the real main window, driven by the
// keyboard alone: Esc closes it the way its close button does, the keyboard
// is in it when it opens (typing lands in the field the user types into
// first), and Enter in a text field does its main action, or nothing harmful
// in a search box.

#include <functional>
#include <string>
#include <vector>

#include "app/frame/WindowManager.h"
#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "MainWndFixture.h"
#include "mireloom/ChannelManager.h"
#include "support/TempFolder.h"

namespace mainwnd_test {
namespace {

using namespace DuiLib;
using mireloomwnd::WindowManager;
using mireloomwnd::WindowSlot;
namespace core = mireloom::testing;

struct KeyedWindow {
  const char* name;
  WindowSlot slot;
  const wchar_t* windowClass;
  std::function<void()> open;  // runs the window's modal loop
  const wchar_t* closeControl;  // the close button Esc stands for; null where there is none
  const wchar_t* firstField;    // where typing lands at once; null without a field
};

WindowManager* Windows() { return WindowManager::GetInstance(); }

// Each window as the main window opens it; the file ones on chn-files.
std::vector<KeyedWindow> EveryWindow(const std::string& uploadedFile) {
  const std::wstring picture = L"..\\Mireloom\\skin\\common\\logo.png";
  return {
      {"join", WindowSlot::JoinChannelWnd, L"JoinChannelWnd", [] { Windows()->ShowJoinChannelWnd(1); }, L"closeBtn",
       L"search"},
      {"create", WindowSlot::CreateChannelWnd, L"CreateChannelWnd", [] { Windows()->ShowCreateChannelWnd(); },
       L"closeBtn", L"name_edit"},
      {"open-IM", WindowSlot::OpenImWnd, L"OpenImWnd", [] { Windows()->ShowOpenImWnd(); }, L"closeBtn", L"search"},
      {"add members", WindowSlot::AddMembersWnd, L"AddMembersWnd", [] { Windows()->ShowAddMembersWnd("chn-core"); },
       L"closeBtn", L"search"},
      {"member list", WindowSlot::ViewGroupMembersWnd, L"ViewGroupMembersWnd",
       [] { Windows()->ShowViewGroupMembersWnd("chn-general", 600, 100, 500); }, L"close_btn", nullptr},
      {"member card", WindowSlot::ViewImMemberWnd, L"ViewImMemberWnd",
       [] { Windows()->ShowViewImMemberWnd("usr-lin", 600, 100, 500); }, L"close_btn", nullptr},
      {"call", WindowSlot::TelephoneCallingWnd, L"TelephoneCallingWnd",
       [] { Windows()->ShowTelephoneCallingWnd("usr-lin"); }, L"closeBtn", nullptr},
      {"group-call picker", WindowSlot::SelectGroupCallMembersWnd, L"SelectGroupCallMembersWnd",
       [] { Windows()->ShowSelectGroupCallMembersWnd("chn-general"); }, L"closeBtn", L"search"},
      {"group call", WindowSlot::GroupTelephoneCallingWnd, L"GroupTelephoneCallingWnd",
       [] { Windows()->ShowGroupTelephoneCallingWnd({"usr-zhou", "usr-lin"}); }, L"closeBtn", nullptr},
      {"feedback", WindowSlot::FeedbackWnd, L"FeedbackWnd", [] { Windows()->ShowFeedbackWnd(); }, L"close_btn",
       L"feedback_edit"},
      {"language", WindowSlot::SwitchLanguageWnd, L"SwitchLanguageWnd", [] { Windows()->ShowSwitchLanguageWnd(); },
       L"closeBtn", nullptr},
      {"file list", WindowSlot::ViewFilesWnd, L"ViewFilesWnd",
       [] { Windows()->ShowViewFilesWnd("chn-files", 600, 40, 600, 1); }, L"close_btn", nullptr},
      {"file details", WindowSlot::FileDetailsWnd, L"FileDetailsWnd",
       [] { Windows()->ShowFileDetailsWnd("ent-img-wide", 600, 40, 600); }, L"close_btn", nullptr},
      {"image viewer", WindowSlot::ImageViewerWnd, L"ImageViewerWnd",
       [picture] { Windows()->ShowImageViewerWnd(picture.c_str(), L"", L"logo.png"); }, L"closeBtn", nullptr},
      {"upload", WindowSlot::UploadFileWnd, L"UploadFileWnd",
       [uploadedFile] { Windows()->ShowUploadFileWnd("chn-files", uploadedFile, 1); }, L"close_btn",
       L"file_name_edit"},
      {"snippet", WindowSlot::ViewSnippetWnd, L"ViewSnippetWnd", [] { Windows()->ShowViewSnippetWnd("ent-snip-cpp"); },
       L"closeBtn", nullptr},
      {"module details", WindowSlot::ModuleDetailsWnd, L"ModuleDetailsWnd",
       [] { Windows()->ShowModuleDetailsWnd("/admin/setting"); }, L"closeBtn", nullptr},
      {"emoji picker", WindowSlot::SelectEmojiWnd, L"SelectEmojiWnd",
       [] { Windows()->ShowSelectEmojiWnd("im-zhou-lin", 400, 400); }, nullptr, nullptr},
  };
}

const KeyedWindow& Named(const std::vector<KeyedWindow>& windows, const std::string& name) {
  return *std::find_if(windows.begin(), windows.end(), [&](const KeyedWindow& window) { return window.name == name; });
}

HWND Shown(const KeyedWindow& window) { return FindOwnWindow(window.windowClass); }

bool Ended(const KeyedWindow& window) {
  return !Shown(window) && !Windows()->Get(window.slot) && Testing::ModalLoopDepth() == 1;
}

// Characters as the keyboard sends them, to whatever holds the keyboard focus.
void TypeIntoFocus(const std::wstring& text) {
  for (wchar_t ch : text) SendMessageW(GetFocus(), WM_CHAR, ch, 1);
  Testing::PumpPending();
}

void PressIntoFocus(UINT key) { Testing::PressKey(GetFocus(), key); }

CControlUI* FocusedControl(HWND window) { return Testing::ManagerOf(window)->GetFocus(); }

// Opens the window, runs `act` in its loop once it shows, and goes on when it
// has ended (closed by `act`, or by its slot's close after `act`).
StepRunner& Walk(StepRunner& script, const KeyedWindow& window, std::function<void(HWND)> act) {
  return script.Do(std::string("open the ") + window.name, [&window] { window.open(); })
      .WaitFor(std::string("the ") + window.name, [&window] { return Shown(window) != nullptr; })
      .Do(std::string("keys in the ") + window.name, [&window, act] { act(Shown(window)); })
      .WaitFor(std::string("the end of the ") + window.name, [&window] { return Ended(window); });
}

class WindowKeysTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_uploadedFile = m_folder / L"键盘.txt";
    ASSERT_TRUE(test_support::WriteFileBytes(m_uploadedFile, "typed with the keyboard"));
    m_windows = EveryWindow(WideToAnsi(m_uploadedFile));
  }
  // Walks each of the windows with `act`, then closes the main window.
  void WalkEach(const std::vector<const KeyedWindow*>& windows, const std::function<void(const KeyedWindow&, HWND)>& act) {
    StepRunner script;
    WaitForFilledList(script);
    for (const KeyedWindow* window : windows) {
      Walk(script, *window, [window, act](HWND hwnd) { act(*window, hwnd); });
    }
    script.Do("close the main window", [] { CloseMainWindow(); });
    RunMainWindow(script);
  }
  std::vector<const KeyedWindow*> All() const {
    std::vector<const KeyedWindow*> all;
    for (const KeyedWindow& window : m_windows) all.push_back(&window);
    return all;
  }

  test_support::TempFolder m_folder;
  std::wstring m_uploadedFile;
  std::vector<KeyedWindow> m_windows;
};

TEST_F(WindowKeysTest, EscClosesEveryWindowTheWayItsCloseButtonDoes) {
  Testing::NotifyRecorder notifications;  // every window of the process
  WalkEach(All(), [&](const KeyedWindow& window, HWND) {
    notifications.Clear();
    PressIntoFocus(VK_ESCAPE);
    if (!window.closeControl) return;
    const std::wstring click = std::wstring(L"click:") + window.closeControl;
    const auto summary = notifications.Summary();
    EXPECT_NE(std::find(summary.begin(), summary.end(), click), summary.end())
        << window.name << ": Esc takes the close button's road";
  });
}

TEST_F(WindowKeysTest, TheKeyboardIsInEachWindowAndTypingLandsInItsFirstField) {
  WalkEach(All(), [&](const KeyedWindow& window, HWND hwnd) {
    const HWND focus = GetFocus();
    EXPECT_TRUE(focus == hwnd || IsChild(hwnd, focus)) << window.name << " opened without the keyboard";
    if (window.firstField) {
      CControlUI* focused = FocusedControl(hwnd);
      EXPECT_EQ(focused ? focused->GetName().str() : L"<none>", window.firstField) << window.name;
      CControlUI* field = Testing::ManagerOf(hwnd)->FindControl(window.firstField);
      const std::wstring before = field->GetText().str();
      TypeIntoFocus(L"qi");
      EXPECT_EQ(field->GetText().str(), before + L"qi") << window.name << ": typed after what was there";
    }
    Windows()->Close(window.slot);
  });
}

TEST_F(WindowKeysTest, TabGoesRoundEachWindowOnceShowingTheFocusWithOneStopPerGroup) {
  WalkEach(All(), [&](const KeyedWindow& window, HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    std::vector<CControlUI*> stops;
    for (int press = 0; press < 60; ++press) {
      PressIntoFocus(VK_TAB);
      CControlUI* focused = FocusedControl(hwnd);
      ASSERT_NE(focused, nullptr) << window.name << ": Tab reaches nothing";
      if (!stops.empty() && focused == stops.front()) break;
      const std::wstring name = focused->GetName().str();
      const bool field = focused->GetInterface(L"Edit") || focused->GetInterface(L"RichEdit");
      EXPECT_TRUE(field || focused->GetFocusBorderColor() != 0) << window.name << ": no frame on " << name;
      RECT shown = {};
      EXPECT_TRUE(IntersectRect(&shown, &focused->GetPos(), &client) && EqualRect(&shown, &focused->GetPos()))
          << window.name << ": " << name << " out of view";
      stops.push_back(focused);
    }
    const auto named = [&](const std::wstring& prefix) {
      return std::count_if(stops.begin(), stops.end(),
                           [&](CControlUI* stop) { return stop->GetName().str().rfind(prefix, 0) == 0; });
    };
    if (window.name == std::string("create")) {
      EXPECT_EQ(named(L"#"), 1) << "the swatches are one stop";
    } else if (window.name == std::string("emoji picker")) {
      EXPECT_EQ(stops.size(), 1u) << "the grid is one stop";
    } else if (window.name == std::string("group-call picker")) {
      EXPECT_EQ(named(L"ueid_usr-zhou"), 0) << "the own row is locked";
      EXPECT_GT(named(L"ueid_"), 0);
    }
    Windows()->Close(window.slot);
  });
}

TEST_F(WindowKeysTest, EnterInATextFieldDoesTheMainActionAndNothingInASearchBox) {
  const auto channelNamed = [](const std::string& name) {
    for (const auto& channel : mireloom::ChannelManager::DefaultManager()->FetchChannelsFromCache()) {
      if (channel->channel_name() == name) return true;
    }
    return false;
  };
  std::vector<const KeyedWindow*> windows;
  for (const char* name : {"create", "feedback", "upload", "file details", "join", "open-IM", "add members",
                           "group-call picker"}) {
    windows.push_back(&Named(m_windows, name));
  }
  const auto rows = [](HWND hwnd) {
    auto* list = static_cast<CListUI*>(Testing::ManagerOf(hwnd)->FindControl(L"result_list")->GetInterface(L"List"));
    return list->GetCount();
  };
  WalkEach(windows, [&](const KeyedWindow& window, HWND hwnd) {
    const std::string name = window.name;
    if (name == "create") {
      TypeIntoFocus(L"回车频道");
      PressIntoFocus(VK_RETURN);
      EXPECT_TRUE(Testing::PumpUntil([&] { return channelNamed("回车频道") && !IsWindow(hwnd); }, 5000));
    } else if (name == "feedback") {
      TypeIntoFocus(L"回车发送");
      PressIntoFocus(VK_RETURN);
      EXPECT_TRUE(Testing::PumpUntil([&] { return !core::ServiceFeedback().empty() && !IsWindow(hwnd); }, 5000));
      EXPECT_EQ(core::ServiceFeedback().back().description, "回车发送") << "Enter sends, not a line break";
    } else if (name == "upload") {
      PressIntoFocus(VK_RETURN);
      EXPECT_TRUE(Testing::PumpUntil([&] { return !core::ServiceUploads().empty() && !IsWindow(hwnd); }, 5000));
    } else if (name == "file details") {
      Testing::ManagerOf(hwnd)->FindControl(L"comment_edit")->SetFocus();
      TypeIntoFocus(L"回车评论");
      PressIntoFocus(VK_RETURN);
      EXPECT_TRUE(Testing::PumpUntil(
          [] {
            const auto comments = core::ServiceComments("ent-img-wide");
            return !comments.empty() && comments.back().content == "回车评论";
          },
          5000))
          << "Enter posts the comment";
      Windows()->Close(window.slot);
    } else {
      TypeIntoFocus(L"qian");
      const int shown = rows(hwnd);
      PressIntoFocus(VK_RETURN);
      Testing::PumpPending();
      EXPECT_TRUE(IsWindow(hwnd)) << window.name;
      EXPECT_EQ(rows(hwnd), shown) << window.name << ": Enter in the search box changes nothing";
      Windows()->Close(window.slot);
    }
  });
}

}  // namespace
}  // namespace mainwnd_test
