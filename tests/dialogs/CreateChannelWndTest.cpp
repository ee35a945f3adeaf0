// Creating a channel: what the dialog sends, read back from the service.

#include <optional>

#include "app/frame/WindowManager.h"
#include "app/text/StringTable.h"
#include "app/text/TextHelpers.h"
#include "DialogFixture.h"
#include "duilib/testing.h"
#include "mireloom/ChannelManager.h"
#include "mireloom/Types.h"

namespace dialogs_test {
namespace {

using namespace DuiLib;
namespace mt = mireloom::testing;

constexpr char kCreate[] = "ChannelManager::CreateChannel";

// The service's record of the channel the cache knows by that name.
std::optional<mireloom::Channel::Data> Created(const std::string& name) {
  for (const auto& channel : mireloom::ChannelManager::DefaultManager()->FetchChannelsFromCache()) {
    if (channel->channel_name() == name) return mt::ServiceChannel(channel->channel_id());
  }
  return std::nullopt;
}

int CreatedCount(const std::string& name) {
  int count = 0;
  for (const auto& channel : mireloom::ChannelManager::DefaultManager()->FetchChannelsFromCache()) {
    count += channel->channel_name() == name;
  }
  return count;
}

// The swatches that show the selection mark, by index.
std::vector<int> MarkedSwatches(HWND window) {
  auto* swatches = static_cast<CContainerUI*>(DialogTest::Find(window, L"group_color_layout")->GetInterface(L"Container"));
  std::vector<int> marked;
  for (int i = 0; i < swatches->GetCount(); ++i) {
    if (!DialogTest::ImageOf(swatches->GetItemAt(i)).empty()) marked.push_back(i);
  }
  return marked;
}

CComboUI* VisibilityChoice(HWND window) {
  return static_cast<CComboUI*>(DialogTest::Find(window, L"group_visual_range")->GetInterface(L"Combo"));
}

class CreateChannelWndTest : public DialogTest {
 protected:
  static void Open(const std::function<void(HWND)>& script) {
    Drive(L"CreateChannelWnd", [] { mireloomwnd::WindowManager::GetInstance()->ShowCreateChannelWnd(); }, script);
  }
  // Names the channel and saves; the dialog closes once the core answered.
  static void NameAndSave(HWND window, const wchar_t* name) {
    ASSERT_TRUE(Testing::TypeText(window, L"name_edit", name));
    Testing::Click(window, L"save_btn");
  }
};

TEST_F(CreateChannelWndTest, ColourZeroUnlessASwatchIsClickedAndTheComboSetsTheVisibility) {
  Open([&](HWND window) {
    ASSERT_EQ(Find(window, L"group_color_layout")->GetInterface(L"Container") != nullptr, true);
    EXPECT_EQ(MarkedSwatches(window), std::vector<int>{0});
    EXPECT_EQ(TextOf(window, L"topic_edit"), L"What is this channel about?") << "the placeholder is the box's text";
    NameAndSave(window, L"默认");
  });
  Settle();
  ASSERT_TRUE(Created("默认"));
  EXPECT_EQ(Created("默认")->preferred_color, 0);
  EXPECT_EQ(Created("默认")->visibility, mireloom::Channel::kPublic);
  EXPECT_EQ(Created("默认")->purpose, "") << "the placeholder is not sent";

  Open([&](HWND window) {
    const std::wstring swatch = Utf8ToWide(mireloom::preferred_color_to_hex_string(mireloom::PreferredColor(5)));
    ASSERT_TRUE(Testing::Click(window, swatch.c_str()));
    EXPECT_EQ(MarkedSwatches(window), std::vector<int>{5});
    ASSERT_TRUE(Testing::Click(window, L"group_visual_range"));
    const HWND drop = VisibilityChoice(window)->GetDropWindow();
    ASSERT_NE(drop, nullptr);
    ASSERT_TRUE(Testing::Click(drop, L"private_group_label"));
    ASSERT_TRUE(Testing::TypeText(window, L"topic_edit", L"路线图与发布"));
    SaveShot(window, L"create_channel");
    NameAndSave(window, L"规划");
  });
  Settle();
  ASSERT_TRUE(Created("规划"));
  EXPECT_EQ(Created("规划")->preferred_color, 5);
  EXPECT_EQ(Created("规划")->visibility, mireloom::Channel::kPrivate);
  EXPECT_EQ(Created("规划")->purpose, "路线图与发布");
}

TEST_F(CreateChannelWndTest, ThePlaceholderIsSentEmptyInEveryLanguageAsIsTheSameTextTyped) {
  for (const char* language : {"english", "simplified_chinese", "traditional_chinese"}) {
    StringTable.clear();
    LoadLanguageFile(std::string("../Mireloom/skin/i18n/") + language + ".xml", StringTable);
    const std::wstring name = L"频道" + Utf8ToWide(language);
    Open([&](HWND window) {
      Find(window, L"topic_edit")->SetFocus();
      EXPECT_EQ(TextOf(window, L"topic_edit"), L"") << "the placeholder goes while the box has the focus";
      Find(window, L"name_edit")->SetFocus();
      EXPECT_EQ(TextOf(window, L"topic_edit"), LocalizedText("GroupDescriptionTip")) << "and comes back";
      NameAndSave(window, name.c_str());
    });
    Settle();
    ASSERT_TRUE(Created(WideToUtf8(name))) << language;
    EXPECT_EQ(Created(WideToUtf8(name))->purpose, "") << language;
  }
  Open([&](HWND window) {
    Find(window, L"topic_edit")->SetFocus();
    Find(window, L"topic_edit")->SetText(LocalizedText("GroupDescriptionTip").c_str());  // typed word for word
    NameAndSave(window, L"照抄");
  });
  Settle();
  EXPECT_EQ(Created("照抄")->purpose, "");
}

TEST_F(CreateChannelWndTest, WithoutThePermissionTheComboIgnoresTheMouseButIsStillRead) {
  ASSERT_TRUE(mt::SignIn("qian", m_core.DataFolder(), "demo", "demo1234", false));
  Open([&](HWND window) {
    CComboUI* choice = VisibilityChoice(window);
    EXPECT_FALSE(choice->IsMouseEnabled());
    Testing::Click(window, L"group_visual_range");
    EXPECT_EQ(choice->GetDropWindow(), nullptr) << "no list opens";
    choice->SelectItem(1, false);  // as the skin could preset it
    NameAndSave(window, L"财务");
  });
  Settle();
  ASSERT_TRUE(Created("财务"));
  EXPECT_EQ(Created("财务")->visibility, mireloom::Channel::kPrivate);
}

TEST_F(CreateChannelWndTest, AnEmptyNameSendsNothingAndASecondSaveWhileCreatingMakesNoSecondChannel) {
  mt::Script(kCreate).Hold().Times(1);
  Open([&](HWND window) {
    Testing::Click(window, L"save_btn");
    EXPECT_TRUE(Find(window, L"name_edit")->IsFocused()) << "an empty name takes the focus";
    EXPECT_EQ(mt::WaitForHeld(kCreate, 300), 0) << "and nothing is sent";
    NameAndSave(window, L"   ");  // spaces only are a name
    const int held = mt::WaitForHeld(kCreate);
    ASSERT_NE(held, 0);
    Testing::Click(window, L"save_btn");
    Settle();
    EXPECT_TRUE(IsWindow(window)) << "the dialog waits for the answer";
    mt::Release(held);
  });
  Settle();
  EXPECT_EQ(CreatedCount("   "), 1);
}

TEST_F(CreateChannelWndTest, AFailureClosesAndALateAnswerDoesNotReachTheNextDialog) {
  mt::Script(kCreate).Fail(500).Times(1);
  Open([&](HWND window) { NameAndSave(window, L"失败"); });
  EXPECT_EQ(CreatedCount("失败"), 0);
  EXPECT_EQ(m_platform.Count(PlatformCall::MessageBox), 0u) << "a failure shows nothing";

  mt::Script(kCreate).Hold().Times(1);
  int held = 0;
  Open([&](HWND window) {
    NameAndSave(window, L"迟到");
    held = mt::WaitForHeld(kCreate);
    Testing::Click(window, L"cancel_btn");
  });
  Open([&](HWND window) {
    mt::Release(held);
    Settle();
    EXPECT_TRUE(IsWindow(window)) << "the answer was for the dialog that has gone";
    Testing::Click(window, L"closeBtn");
  });
  EXPECT_EQ(CreatedCount("迟到"), 1);
}

}  // namespace
}  // namespace dialogs_test
