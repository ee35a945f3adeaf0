// Building control trees from skin XML.

#include <gtest/gtest.h>

#include "quennet/testing.h"
#include "support/TempFolder.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;

std::unique_ptr<CControlUI> Build(const std::wstring& xml, CPaintManagerUI* manager = nullptr,
                                  IDialogBuilderCallback* callback = nullptr) {
  CDialogBuilder builder;
  return std::unique_ptr<CControlUI>(builder.Create(xml.c_str(), nullptr, callback, manager));
}

TEST(SkinParserTest, ControlsAttributesAndColourForms) {
  auto root = Build(LR"(<Window><VerticalLayout name="root" bkcolor="#112233">
      <Label name="a" text="甲" bkcolor="#80112233" textcolor="0x12345678" padding="14,-1,0,0"/>
      <Button name="b" normalimage="file='x.png' source='0,0,8,8'" hotbkcolor="#FF00FF00" bordercolor="#bad"/>
    </VerticalLayout></Window>)");
  ASSERT_NE(root, nullptr);
  auto* layout = static_cast<CContainerUI*>(root->GetInterface(L"VerticalLayout"));
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->GetBkColor(), 0xFF112233u);
  ASSERT_EQ(layout->GetCount(), 2);
  auto* label = static_cast<CLabelUI*>(layout->GetItemAt(0)->GetInterface(L"Label"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetText(), L"甲");
  EXPECT_EQ(label->GetBkColor(), 0x80112233u);
  EXPECT_EQ(label->GetTextColor(), 0x12345678u);  // kept exactly, alpha included
  EXPECT_EQ(label->GetPadding().top, -1);
  auto* button = static_cast<CButtonUI*>(layout->GetItemAt(1)->GetInterface(L"Button"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetNormalImage(), L"file='x.png' source='0,0,8,8'");
  EXPECT_EQ(button->GetHotBkColor(), 0xFF00FF00u);
  EXPECT_EQ(button->GetBorderColor(), 0u) << "a bad colour leaves the attribute alone";
  EXPECT_EQ(button->GetInterface(L"Label"), button) << "a class answers its bases' names";
  EXPECT_EQ(button->GetInterface(L"Option"), nullptr);
}

TEST(SkinParserTest, UnknownElementsAreSkippedWithTheirChildrenAndUnknownAttributesIgnored) {
  quennet::ScopedLogCapture log;
  auto root = Build(LR"(<VerticalLayout frobnicate="1">
      <Marquee name="m"><Button name="inside"/></Marquee>
      <Label name="after" wobble="yes"/>
    </VerticalLayout>)");
  ASSERT_NE(root, nullptr);
  auto* layout = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
  ASSERT_EQ(layout->GetCount(), 1);
  EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"after");
  EXPECT_TRUE(LogMentions(log, "Marquee"));
}

TEST(SkinParserTest, TheCallbackIsAskedOnlyForUnknownClasses) {
  struct Callback : IDialogBuilderCallback {
    std::vector<std::wstring> asked;
    CControlUI* CreateControl(LPCTSTR name) override {
      asked.push_back(name);
      return std::wstring(name) == L"UUCenter" ? new CControlUI : nullptr;
    }
  } callback;
  auto root = Build(LR"(<HorizontalLayout><UUCenter name="imgpanel" width="30"/><Label/><Nope/></HorizontalLayout>)",
                    nullptr, &callback);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"UUCenter", L"Nope"}));
  auto* layout = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
  ASSERT_EQ(layout->GetCount(), 2);
  EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"imgpanel");
  EXPECT_EQ(layout->GetItemAt(0)->GetFixedWidth(), 30);
}

TEST(SkinParserTest, DefaultsComeFirstAndOwnAttributesWin) {
  CPaintManagerUI manager;
  auto root = Build(LR"(<Window size="300,200" caption="0,0,0,40" sizebox="4,4,4,4" roundcorner="6,6" mininfo="100,80">
      <Font id="1" name="微软雅黑" size="16" bold="true"/>
      <Default name="Button" value="height=&quot;30&quot; textcolor=&quot;#FF0000FF&quot; font=&quot;1&quot;"/>
      <VerticalLayout><Button name="plain"/><Button name="own" textcolor="#FFFF0000"/><Label name="label"/></VerticalLayout>
    </Window>)", &manager);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(manager.GetInitSize().cx, 300);
  EXPECT_EQ(manager.GetCaptionRect().bottom, 40);
  EXPECT_EQ(manager.GetSizeBox().left, 4);
  EXPECT_EQ(manager.GetRoundCorner().cx, 6);
  EXPECT_EQ(manager.GetMinInfo().cy, 80);
  manager.AttachDialog(root.release());
  auto* plain = static_cast<CButtonUI*>(manager.FindControl(L"plain"));
  auto* own = static_cast<CButtonUI*>(manager.FindControl(L"own"));
  auto* label = static_cast<CLabelUI*>(manager.FindControl(L"label"));
  EXPECT_EQ(plain->GetFixedHeight(), 30);
  EXPECT_EQ(plain->GetTextColor(), 0xFF0000FFu);
  EXPECT_EQ(own->GetTextColor(), 0xFFFF0000u);
  EXPECT_EQ(own->GetFont(), 1);
  EXPECT_EQ(label->GetFixedHeight(), 0) << "defaults apply to their class only";
  ASSERT_NE(manager.GetFontInfo(1), nullptr);
  EXPECT_TRUE(manager.GetFontInfo(1)->bBold);
  EXPECT_EQ(manager.GetFontInfo(1)->iSize, 16);
  EXPECT_EQ(manager.GetFont(77), manager.GetFont(-1)) << "an unknown id gives the default font";
}

TEST(SkinParserTest, ApplyAttributeListUsesTheSkinGrammar) {
  CLabelUI label;
  label.ApplyAttributeList(L"height=\"44\"");
  EXPECT_EQ(label.GetFixedHeight(), 44);
  label.ApplyAttributeList(L"padding=\"0, 9, 0, 9\"  width=\"18\"");
  EXPECT_EQ(label.GetPadding().bottom, 9);
  EXPECT_EQ(label.GetFixedWidth(), 18);
  // The item-text list of the organisation tree.
  label.ApplyAttributeList(L"valign=\"vcenter\" font=\"2\" textpadding=\"4,0,0,0\"");
  EXPECT_EQ(label.GetFont(), 2);
  EXPECT_EQ(label.GetTextPadding().left, 4);
  label.ApplyAttributeList(L"align='right' userdata='a=\"b\"'");
  EXPECT_TRUE(label.GetTextStyle() & DT_RIGHT);
  EXPECT_EQ(label.GetUserData(), L"a=\"b\"");
}

TEST(SkinParserTest, MalformedMissingOrEmptySkinsGiveNothingAndLog) {
  quennet::ScopedLogCapture log;
  EXPECT_EQ(Build(L"<Window><VerticalLayout></Window>"), nullptr);
  EXPECT_EQ(Build(L"<Window><Font id=\"0\"/></Window>"), nullptr);
  EXPECT_EQ(Build(L"no_such_skin_file.xml"), nullptr);
  EXPECT_EQ(Build(L""), nullptr);
  EXPECT_TRUE(LogMentions(log, "no_such_skin_file.xml"));
  EXPECT_TRUE(LogMentions(log, "not well-formed"));
}

TEST(SkinParserTest, ChildrenOfNonContainersAreDroppedAndOnlyOneRootIsTaken) {
  const size_t before = Testing::LiveControlCount();
  {
    auto root = Build(LR"(<Window><Button name="b"><Label name="inner"/></Button><Label name="second"/></Window>)");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), L"b");
    EXPECT_EQ(root->GetChildCount(), 0);
  }
  EXPECT_EQ(Testing::LiveControlCount(), before) << "dropped controls are freed";
}

TEST(SkinParserTest, IncludeInlinesAFileOfTheResourceFolder) {
  test_support::TempFolder folder;
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"行.xml",
                                           u8R"(<HorizontalLayout name="row"><Label name="cell" text="格"/></HorizontalLayout>)"));
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"loop.xml", R"(<Include source="loop.xml"/>)"));
  CPaintManagerUI manager;
  manager.SetResourcePath(folder.Path().c_str());
  auto root = Build(LR"(<Window><VerticalLayout><Include source="行.xml"/><Include source="missing.xml"/><Include source="loop.xml"/></VerticalLayout></Window>)",
                    &manager);
  ASSERT_NE(root, nullptr);
  auto* layout = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
  ASSERT_EQ(layout->GetCount(), 1);
  EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"row");
}

TEST(SkinParserTest, SkinFilesAreReadFromNonAsciiFolders) {
  test_support::TempFolder folder;
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"皮肤.xml", u8R"(<Window size="10,10"><Label name="标签" text="好"/></Window>)"));
  CPaintManagerUI manager;
  manager.SetResourcePath((folder.Path() + L"/").c_str());
  auto root = Build(L"皮肤.xml", &manager);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetText(), L"好");
}

using SkinWindowTest = WindowTest;

TEST_F(SkinWindowTest, AMissingSkinFailsCreationWithoutABox) {
  quennet::ScopedLogCapture log;
  TestWindow window(L"no_such_skin.xml");
  EXPECT_EQ(window.CreatePopup(), nullptr);
  EXPECT_EQ(window.GetHWND(), nullptr);
  EXPECT_EQ(window.finalCount, 1) << "the final message still runs";
  EXPECT_EQ(window.initCount, 0);
  EXPECT_EQ(window.ShowModal(), 0u);
  EXPECT_TRUE(Testing::FrameworkWindows().empty());
  EXPECT_TRUE(LogMentions(log, "no_such_skin.xml"));
}

TEST_F(SkinWindowTest, TheSkinFolderIsResolvedAgainstTheWorkingDirectory) {
  test_support::TempFolder folder;
  CreateDirectoryW((folder / L"skin").c_str(), nullptr);
  ASSERT_TRUE(test_support::WriteFileBytes(folder / L"skin\\w.xml", R"(<Window size="123,45"><Label name="x"/></Window>)"));
  CreateDirectoryW((folder / L"bin").c_str(), nullptr);
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW((folder / L"bin").c_str());
  TestWindow window(L"w.xml");
  window.SetFolder(L"../skin");
  HWND hwnd = window.CreatePopup();
  SetCurrentDirectoryW(previous);
  ASSERT_NE(hwnd, nullptr);
  RECT rc;
  GetWindowRect(hwnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 123);
  EXPECT_EQ(rc.bottom - rc.top, 45);
  EXPECT_EQ(window.Manager().GetResourcePath(), folder.Path() + L"\\bin\\..\\skin\\");
}

}  // namespace
}  // namespace duilib_test
