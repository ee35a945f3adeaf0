// The chat area's decisions without a window: what a click in the message
// view opens, "load more", and the module pages' scripts and placement.

#include <gtest/gtest.h>

#include "mainwnd/messages/ChatAreaLogic.h"
#include "mainwnd/shell/ModulePages.h"

namespace mireloomwnd {
namespace {

using Kind = MessageClick::Kind;

struct ClickCase {
  const wchar_t* name;
  const wchar_t* link;  // null for a click
  Kind kind;
  const char* value;
};

TEST(ChatAreaLogicTest, MessageClicksOpenWhatTheirNameAndLinkSay) {
  const ClickCase cases[] = {
      {L"image_s1x1-pic.png", nullptr, Kind::ImageViewer, "s1x1-pic.png"},
      {L"image_", nullptr, Kind::None, ""},
      {L"file_", L"x=|link|https://files.test/entities/e1/download|", Kind::FileDownload,
       "https://files.test/entities/e1/download"},
      {L"file_", L"x=|user|https://files.test/e2|", Kind::FileDownload, "https://files.test/e2"},
      {L"file_", L"x=|link|", Kind::None, ""},
      {L"file_", nullptr, Kind::None, ""},
      {L"snippet_ent-9", L"x=|link|ignored|", Kind::SnippetViewer, "ent-9"},
      {L"snippet_", nullptr, Kind::None, ""},
      {L"calendar/events_123", L"x=|link|ignored|", Kind::ModuleDetails, "/calendar/events/123/client"},
      {L"tasks_", nullptr, Kind::None, ""},
      // A card's title is named after its server-given link: markers inside
      // it route nowhere, and a web address opens as itself.
      {L"https://x.example/file_1", L"x=|link|https://x.example/file_1|", Kind::WebAddress,
       "https://x.example/file_1"},
      {L"tasks_https://x.example/image_1", L"x=|link|https://x.example/image_1|", Kind::WebAddress,
       "https://x.example/image_1"},
      {L"tasks_snippet_7", L"x=|link|snippet_7|", Kind::ModuleDetails, "/tasks/snippet/client"},
      {L"text", L"x=|link|https://example.test/a?b=1|", Kind::WebAddress, "https://example.test/a?b=1"},
      {L"text", L"x=|user|usr-lin|", Kind::None, ""},
      {L"text", L"x=|channel|chn-fe|", Kind::None, ""},
      {L"text", L"x=|command|/help|", Kind::None, ""},
      {L"text", L"x=|other|https://example.test|", Kind::None, ""},
      {L"text", L"x=|link|", Kind::None, ""},
      {L"text", nullptr, Kind::None, ""},
  };
  for (const ClickCase& c : cases) {
    const std::wstring link = c.link ? c.link : L"";
    ClickedLink read;
    read.kind = messageview::ReadMessageLink(link, &read.value);
    const MessageClick click = ReadMessageClick(c.name, c.link ? &read : nullptr);
    EXPECT_EQ(click.kind, c.kind) << c.name << " " << link;
    EXPECT_EQ(click.value, c.value) << c.name << " " << link;
  }
}

TEST(ChatAreaLogicTest, ModulePagesSwitchByScriptAndReachTheWindowsEdgesWhenMaximised) {
  EXPECT_EQ(ModulePageScript(L"/tasks/my"), "window.appGlobal.toModule('task')");
  EXPECT_EQ(ModulePageScript(L"/crm"), "window.appGlobal.toModule('crm')");
  EXPECT_EQ(ModulePageScript(L"/tasks"), std::nullopt);
  EXPECT_EQ(ModulePageAddress("demo", L"/crm"), L"http://demo.corvanel.test/crm");
  EXPECT_EQ(TeamPageAddress("demo", L"/admin/services"), L"https://demo.corvanel.test/admin/services");
  const RECT area = {65, 40, 900, 600};
  const RECT window = {-8, -8, 1928, 1048};
  const RECT normal = ModuleBrowserArea(area, false, window);
  EXPECT_TRUE(EqualRect(&normal, &area));
  const RECT maximised = ModuleBrowserArea(area, true, window);
  EXPECT_EQ(maximised.left, 65);
  EXPECT_EQ(maximised.top, 40);
  EXPECT_EQ(maximised.right, 1936 - 65 + 65);
  EXPECT_EQ(maximised.bottom, 1056 - 40);
}

}  // namespace
}  // namespace mireloomwnd
