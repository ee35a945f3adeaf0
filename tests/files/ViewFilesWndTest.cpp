// The file list of chn-files (45 files): pages of 20 with "load more", the
// filter tabs, pages that arrive after a switch or after the window closed,
// and a row opening its details over the list.

#include <gtest/gtest.h>

#include <regex>

#include "app/text/TextHelpers.h"
#include "duilib/testing.h"
#include "FilesWindowTest.h"

namespace {

using namespace DuiLib;
using namespace files_test;

constexpr char kPagesCall[] = "EntityManager::GetEntitiesByChannelId";
constexpr int kListX = 600, kListY = 40, kListHeight = 680;

class ViewFilesWndTest : public FilesWindowTest {
 protected:
  void OpenList(const std::function<void(HWND)>& script, const std::string& chatId = "chn-files",
                int channelType = 1) {
    OpenAndRun(
        WindowSlot::ViewFilesWnd, L"ViewFilesWnd",
        [&] { WindowManager::GetInstance()->ShowViewFilesWnd(chatId, kListX, kListY, kListHeight, channelType); },
        script);
  }

  static CListUI* List(HWND window) { return ControlAs<CListUI>(window, L"file_list", L"List"); }
  static int Items(HWND window) { return List(window) ? List(window)->GetCount() : -1; }
  static bool EndsWithLoadMore(HWND window) {
    CListUI* list = List(window);
    return list && list->GetCount() > 0 && list->GetItemAt(list->GetCount() - 1)->GetName() == L"load_more";
  }
  // Rows and the button as the user sees them: "20+more".
  static std::string Shape(HWND window) {
    const int items = Items(window);
    return EndsWithLoadMore(window) ? std::to_string(items - 1) + "+more" : std::to_string(items);
  }
  static CControlUI* Child(CControlUI* control, int index) {
    auto* container = control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
    return container ? container->GetItemAt(index) : nullptr;
  }
  // The title of the row at the index: row, its layout, the text column, the title.
  static std::wstring RowTitle(HWND window, int index) {
    CControlUI* title = Child(Child(Child(List(window)->GetItemAt(index), 0), 1), 1);
    return title ? title->GetText().GetData() : L"<no title>";
  }
  static std::vector<std::wstring> RowTitles(HWND window) {
    std::vector<std::wstring> titles;
    const int rows = Items(window) - (EndsWithLoadMore(window) ? 1 : 0);
    for (int row = 0; row < rows; ++row) titles.push_back(RowTitle(window, row));
    return titles;
  }
  // The date of the row at the index, after the creator's name and two blanks.
  static std::wstring RowDate(HWND window, int index) {
    CControlUI* info = Child(Child(Child(List(window)->GetItemAt(index), 0), 1), 0);
    const std::wstring text = info ? info->GetText().GetData() : L"";
    const size_t gap = text.find(L"  ");
    return gap == std::wstring::npos ? L"<no date>" : text.substr(gap + 2);
  }
  // The pages asked for, as "type page" in order; the call's detail reads
  // "chn-files <type> <keyword> <page>x20".
  static std::vector<std::string> PagesAsked() {
    std::vector<std::string> pages;
    for (const auto& record : mt::CallLog()) {
      if (record.kind != mt::CallRecord::kCall || record.name != kPagesCall) continue;
      const std::vector<std::string> pieces = SplitString(record.detail, " ");
      pages.push_back(pieces[1] + " " + pieces.back().substr(0, pieces.back().find('x')));
    }
    return pages;
  }
  // Scrolls to the end of the list, as a user does to reach the button.
  static void ClickLoadMore(HWND window) {
    List(window)->EndDown();
    ASSERT_TRUE(WaitFor([&] { return Testing::Click(window, L"load_more"); }));
  }
  static void ClickTab(HWND window, const wchar_t* tab) { ASSERT_TRUE(Testing::Click(window, tab)); }
  // The download button of the row at the index: row, its layout, the text column, the button.
  static CControlUI* DownloadButton(HWND window, int index) {
    return Child(Child(Child(List(window)->GetItemAt(index), 0), 1), 2);
  }
  size_t Opened() const { return m_platform.CallsOf(PlatformCall::ShellOpen).size(); }
};

TEST_F(ViewFilesWndTest, LoadsTwentyAtATimeUntilAllFortyFiveAreShown) {
  mt::ClearCallLog();
  OpenList([&](HWND window) {
    ASSERT_NE(window, nullptr);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, kListX);
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, kListHeight);
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; })) << Shape(window);
    Screenshot(window, L"file_list");
    ClickLoadMore(window);
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "40+more"; })) << Shape(window);
    ClickLoadMore(window);
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "45"; })) << Shape(window);
    EXPECT_EQ(RowTitle(window, 0), L"季度报告.pdf") << "newest first";
    EXPECT_EQ(PagesAsked(), (std::vector<std::string>{"0 1", "0 2", "0 3"}));
  });
}

TEST_F(ViewFilesWndTest, TheImageTabAsksOnceAndSwitchingBackRebuildsWhatWasKept) {
  mt::ClearCallLog();
  OpenList([&](HWND window) {
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; }));
    ClickTab(window, L"image_file_btn");
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; }));
    EXPECT_EQ(RowTitle(window, 0), L"大图.jpg");
    Screenshot(window, L"file_list_images");
    ClickTab(window, L"all_file_btn");
    EXPECT_EQ(Shape(window), "20+more") << "rebuilt at once";
    EXPECT_EQ(RowTitle(window, 0), L"季度报告.pdf");
    ClickTab(window, L"image_file_btn");
    EXPECT_EQ(Shape(window), "20+more");
    ClickTab(window, L"image_file_btn");  // the tab already shown
    EXPECT_EQ(Shape(window), "20+more");
    mt::WaitIdle();
    EXPECT_EQ(PagesAsked(), (std::vector<std::string>{"0 1", "5 1"}));
  });
}

// A row that came with its page carries the entity's address, a row rebuilt
// after a tab switch the file's own: both lead to the file's download.
TEST_F(ViewFilesWndTest, DownloadOpensTheFileFromAFirstPageRowAndFromARebuiltRow) {
  OpenList([&](HWND window) {
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; }));
    ASSERT_EQ(RowTitle(window, 0), L"季度报告.pdf");
    ClickControl(window, DownloadButton(window, 0));
    ASSERT_TRUE(WaitFor([&] { return Opened() == 1; }));
    ClickTab(window, L"image_file_btn");
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; }));
    ClickTab(window, L"all_file_btn");
    UpdateWindow(window);  // the rebuilt rows are laid out where the user sees them
    ClickControl(window, DownloadButton(window, 0));
    ASSERT_TRUE(WaitFor([&] { return Opened() == 2; })) << "the rebuilt row opened nothing";
  });
  const auto opened = m_platform.CallsOf(PlatformCall::ShellOpen);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1].text, opened[0].text);
  EXPECT_EQ(opened[0].text.substr(opened[0].text.size() - 4), L".pdf") << opened[0].text.c_str();
}

TEST_F(ViewFilesWndTest, APageHeldAcrossATabSwitchIsFiledUnderItsOwnFilter) {
  mt::Script(kPagesCall).Hold();
  OpenList([&](HWND window) {
    const int allPage = mt::WaitForHeld(kPagesCall);
    ASSERT_NE(allPage, 0);
    ClickTab(window, L"document_file_btn");
    ASSERT_TRUE(mt::Release(allPage));
    const int documentsPage = mt::WaitForHeld(kPagesCall);  // the only one held now
    ASSERT_NE(documentsPage, 0);
    mt::WaitIdle();
    Testing::PumpPending();
    EXPECT_EQ(Shape(window), "0") << "the page of all files stays out of the documents";
    ASSERT_TRUE(mt::Release(documentsPage));
    // Eight written documents and five files in document formats.
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "13"; })) << Shape(window);
    EXPECT_EQ(RowTitle(window, 5), L"会议纪要");
    ClickTab(window, L"all_file_btn");
    EXPECT_EQ(Shape(window), "20+more") << "the held page was kept for its filter, with its button";
    EXPECT_EQ(RowTitle(window, 0), L"季度报告.pdf");
  });
}

// In the conversation with lin, a PDF and a picture: each tab lists what it
// names, the PDF among the documents; and the PDF's date reads alike in a
// row of a fresh page, in a row rebuilt from what was kept and in its details.
TEST_F(ViewFilesWndTest, EachTabListsWhatItNamesAndADateReadsAlikeEverywhere) {
  const std::pair<const wchar_t*, std::vector<std::wstring>> tabs[] = {
      {L"image_file_btn", {L"登录页.png"}},
      {L"fragment_file_btn", {}},
      {L"document_file_btn", {L"接口文档.pdf"}},
      {L"all_file_btn", {L"登录页.png", L"接口文档.pdf"}},
  };
  std::wstring freshDate, detailsDate;
  OpenList(
      [&](HWND window) {
        ASSERT_TRUE(WaitFor([&] { return Shape(window) == "2"; })) << Shape(window);
        freshDate = RowDate(window, 1);
        EXPECT_TRUE(std::regex_match(freshDate, std::wregex(LR"([A-Z][a-z]{2} \d{2}, \d{4} \d{2}:\d{2})")))
            << "the English format: " << WideToUtf8(freshDate);
        for (const auto& [tab, titles] : tabs) {
          ClickTab(window, tab);
          EXPECT_TRUE(WaitFor([&] { return RowTitles(window) == titles; })) << WideToUtf8(tab);
        }
        EXPECT_EQ(RowDate(window, 1), freshDate) << "rebuilt from what was kept";
        Screenshot(window, L"file_list_rebuilt");
        Testing::PostToLoop([&] {
          HWND details = Testing::WaitForWindow(L"FileDetailsWnd", L"文件", 5000);
          ASSERT_NE(details, nullptr);
          WaitFor([&] { return !TextOf(details, L"create_time_label").empty(); });
          detailsDate = TextOf(details, L"create_time_label");
          WindowManager::GetInstance()->CloseFileDetailsWnd();
        });
        UpdateWindow(window);
        ClickControl(window, List(window)->GetItemAt(1));  // returns when the details have closed
      },
      "im-zhou-lin", 2);
  EXPECT_EQ(detailsDate, freshDate) << "in the details";
}

TEST_F(ViewFilesWndTest, APageArrivingAfterTheWindowClosedIsDropped) {
  mt::Script(kPagesCall).Hold();
  int held = 0;
  OpenList([&](HWND) { held = mt::WaitForHeld(kPagesCall); });
  ASSERT_NE(held, 0);
  ASSERT_TRUE(mt::Release(held));
  mt::WaitIdle();
  Testing::PumpPending();  // the page's completion runs now, for a window that is gone
}

TEST_F(ViewFilesWndTest, ARowOpensItsDetailsExactlyOverTheList) {
  OpenList([&](HWND window) {
    ClickTab(window, L"image_file_btn");
    ASSERT_TRUE(WaitFor([&] { return Shape(window) == "20+more"; }));
    RECT listRect;
    GetWindowRect(window, &listRect);
    ASSERT_TRUE(WaitFor([&] { return List(window)->GetItemAt(3)->GetPos().bottom > 0; }));
    ASSERT_TRUE(Testing::RaiseNotify(window, L"file_list", L"itemselect"));  // no row selected
    EXPECT_EQ(WindowManager::GetInstance()->Get(WindowSlot::FileDetailsWnd), nullptr) << "nothing opens";
    std::wstring shownName;
    RECT detailsRect = {};
    HWND owner = nullptr;
    // Posted last: it runs in the loop that the click starts.
    Testing::PostToLoop([&] {
      HWND details = Testing::WaitForWindow(L"FileDetailsWnd", L"文件", 5000);
      ASSERT_NE(details, nullptr);
      GetWindowRect(details, &detailsRect);
      owner = GetWindow(details, GW_OWNER);
      WaitFor([&] { return !TextOf(details, L"file_name_label").empty(); });
      shownName = TextOf(details, L"file_name_label");
      WindowManager::GetInstance()->CloseFileDetailsWnd();
    });
    ClickControl(window, List(window)->GetItemAt(3));  // returns when the details have closed
    EXPECT_EQ(shownName, L"截图.png") << "the fourth kept image";
    EXPECT_TRUE(EqualRect(&listRect, &detailsRect));
    EXPECT_EQ(owner, window);
    EXPECT_EQ(List(window)->GetCurSel(), -1) << "the row can be opened again";
  });
}

}  // namespace
