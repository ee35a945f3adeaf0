// Big lists, trees and message views, built the way the main window builds
// its session list, contacts tree and message view.

#include <cwchar>

#include "bench/BenchSupport.h"
#include "duilib/testing.h"
#include "GdiPlus.h"

namespace duilib_bench {

namespace {

using namespace DuiLib;

constexpr int kWheelSteps = 100;
constexpr int kRebuilds = 20;

const wchar_t kFonts[] =
    L"<Font id=\"0\" name=\"微软雅黑\" size=\"12\"/><Font id=\"1\" name=\"微软雅黑\" size=\"14\"/>"
    L"<Font id=\"2\" name=\"微软雅黑\" size=\"14\" bold=\"true\"/><Font id=\"3\" name=\"微软雅黑\" size=\"13\"/>"
    L"<Font id=\"4\" name=\"微软雅黑\" size=\"16\" bold=\"true\"/><Font id=\"5\" name=\"微软雅黑\" size=\"14\" default=\"true\"/>";

// A few real avatar pictures, shared by the rows as cached files are.
std::vector<std::wstring> WriteAvatars(int count) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"duilib_bench\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  CLSID png = {};
  UINT encoders = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&encoders, &size);
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(encoders, size, codecs);
  for (UINT i = 0; i < encoders; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) png = codecs[i].Clsid;
  }
  std::vector<std::wstring> paths;
  for (int i = 0; i < count; ++i) {
    Gdiplus::Bitmap bitmap(40, 40, PixelFormat32bppARGB);
    {
      Gdiplus::Graphics graphics(&bitmap);
      graphics.Clear(Gdiplus::Color(255, static_cast<BYTE>(40 + i * 7), static_cast<BYTE>(90 + i * 3), 200));
    }
    paths.push_back(folder + L"avatar" + std::to_wstring(i) + L".png");
    bitmap.Save(paths.back().c_str(), &png, nullptr);
  }
  return paths;
}

// A conversation of the session list: avatar, name and unread badge.
CListContainerElementUI* SessionRow(int i, const std::wstring& avatar) {
  auto* row = new CListContainerElementUI;
  row->ApplyAttributeList(L"height=\"44\"");
  row->SetName((L"imItem_" + std::to_wstring(i)).c_str());
  auto* line = new CHorizontalLayoutUI;
  auto* icon = new CButtonUI;
  icon->SetFixedWidth(28);
  icon->SetFixedHeight(28);
  icon->SetPadding({14, 8, 0, 0});
  icon->SetBorderRound({3, 3});
  icon->SetNormalImage(avatar.c_str());
  icon->SetMouseEnabled(false);
  auto* name = new CLabelUI;
  name->SetFont(2);
  name->SetText((L"成员 Member " + std::to_wstring(i)).c_str());
  name->SetTextColor(0xFF232A32);
  name->SetFixedWidth(103);
  name->SetAttribute(L"endellipsis", L"true");
  name->SetPadding({10, 0, 0, 0});
  name->SetName((L"imItem_" + std::to_wstring(i) + L"_name_label_id").c_str());
  auto* badge = new CButtonUI;
  badge->SetFont(0);
  badge->SetBkColor(0xFFF1867E);
  badge->SetTextColor(0xFFFFFFFF);
  badge->SetPadding({8, 14, 0, 0});
  badge->SetFixedWidth(24);
  badge->SetFixedHeight(16);
  badge->SetBorderRound({12, 12});
  badge->SetMouseEnabled(false);
  badge->SetText(std::to_wstring(i % 99 + 1).c_str());
  badge->SetVisible(i % 3 == 0);
  line->Add(icon);
  line->Add(name);
  line->Add(badge);
  row->Add(line);
  return row;
}

// A member of the contacts tree: a node holding avatar and name.
CTreeNodeUI* MemberNode(int i, const std::wstring& avatar) {
  auto* node = new CTreeNodeUI;
  node->SetFixedHeight(44);
  auto* line = new CHorizontalLayoutUI;
  line->SetFixedHeight(44);
  line->SetFixedWidth(210);
  auto* picture = new CButtonUI;
  picture->SetFixedWidth(28);
  picture->SetFixedHeight(28);
  picture->SetPadding({14, 8, 0, 0});
  picture->SetBorderRound({6, 6});
  picture->SetNormalImage(avatar.c_str());
  picture->SetMouseEnabled(false);
  auto* name = new CLabelUI;
  name->SetFont(2);
  name->SetFixedWidth(103);
  name->SetTextColor(0xFF232A32);
  name->SetPadding({6, 0, 0, 0});
  name->SetAttribute(L"align", L"left");
  name->SetAttribute(L"endellipsis", L"true");
  name->SetText((L"同事 Colleague " + std::to_wstring(i)).c_str());
  line->Add(picture);
  line->Add(name);
  node->Add(line);
  node->SetUserData(std::to_wstring(100000 + i).c_str());
  return node;
}

std::wstring MessageMarkup(int i) {
  const std::wstring n = std::to_wstring(i);
  return L"今天的会议改到{c #E5484D}下午三点{/c}，请大家先看一下 {a x=|link|https://docs.corvanel.test/agenda/" + n +
         L"|}议程 agenda{/a} 并回复 {a x=|user|u" + n + L"|}@李雷{/a}. The quick brown fox jumps over the lazy dog, "
         L"message number " + n + (i % 4 == 0 ? L"{n}第二行 second line with more words to wrap across the view." : L"");
}

// A text message: sender line and markup text, its height measured once at
// the view's width, as the client does.
CListContainerElementUI* MessageItem(int i, const std::wstring& avatar) {
  auto* item = new CListContainerElementUI;
  auto* line = new CHorizontalLayoutUI;
  auto* picture = new CButtonUI;
  picture->SetFixedWidth(36);
  picture->SetFixedHeight(36);
  picture->SetPadding({14, 8, 0, 0});
  picture->SetBorderRound({3, 3});
  picture->SetNormalImage(avatar.c_str());
  picture->SetMouseEnabled(false);
  auto* column = new CVerticalLayoutUI;
  auto* header = new CHorizontalLayoutUI;
  header->SetFixedHeight(24);
  auto* sender = new CLabelUI;
  sender->SetFont(2);
  sender->SetAutoCalcWidth(true);
  sender->SetTextPadding({14, 0, 0, 0});
  sender->SetText(L"韩梅梅 Han Meimei");
  auto* time = new CLabelUI;
  time->SetShowHtml(true);
  time->SetTextPadding({8, 0, 0, 0});
  time->SetText(L"{c #D0D0D0}12:30{/c}");
  header->Add(sender);
  header->Add(time);
  auto* text = new CTextUI;
  text->SetFont(1);
  text->SetShowHtml(true);
  text->SetTextPadding({14, 0, 0, 0});
  text->SetText(MessageMarkup(i).c_str());
  column->Add(header);
  column->Add(text);
  line->Add(picture);
  line->Add(column);
  item->Add(line);
  item->SetFixedHeight(text->EstimateSize({570, 9999}).cy + 30);
  return item;
}

std::wstring ListSkin(const wchar_t* size, const wchar_t* list) {
  return std::wstring(L"<Window size=\"") + size + L"\">" + kFonts + L"<VerticalLayout bkcolor=\"#FFFFFFFF\">" + list +
         L"</VerticalLayout></Window>";
}

void FillSessions(CListUI* list, int rows, const std::vector<std::wstring>& avatars) {
  for (int i = 0; i < rows; ++i) list->Add(SessionRow(i, avatars[static_cast<size_t>(i) % avatars.size()]));
}

// Wheel steps down and back up over the middle of the view.
void MeasureWheel(HWND hwnd, POINT over, Figures& steps) {
  for (int i = 0; i < kWheelSteps; ++i) {
    const double start = Now();
    WheelAndPaint(hwnd, over, i < kWheelSteps / 2 ? -1 : 1);
    steps.Add(Now() - start);
  }
}

void SessionList(int rows, const std::vector<std::wstring>& avatars) {
  BenchWindow window(ListSkin(L"320,720", L"<List name=\"sessionList\" itemhotbkcolor=\"#FFF2F3F5\" itemselectedbkcolor=\"#FFE8EFFF\"/>"));
  HWND hwnd = window.Open(320, 720);
  auto* list = static_cast<CListUI*>(window.Manager().FindControl(L"sessionList"));
  UpdateWindow(hwnd);
  Figures build, wheel, removeAll, rebuild;
  double start = Now();
  FillSessions(list, rows, avatars);
  UpdateWindow(hwnd);
  build.Add(Now() - start);
  MeasureWheel(hwnd, POINT{160, 360}, wheel);
  const MemoryUse built = Memory();
  const std::string gdiBuilt = GdiObjects();
  for (int run = 0; run < kRebuilds; ++run) {
    start = Now();
    list->RemoveAll();
    removeAll.Add(Now() - start);
    start = Now();
    FillSessions(list, rows, avatars);
    UpdateWindow(hwnd);
    rebuild.Add(Now() - start);
  }
  char title[128];
  std::snprintf(title, sizeof title, "session list, %d rows: built and first paint", rows);
  build.Print(title);
  wheel.Print("  one wheel notch and its repaint");
  removeAll.Print("  RemoveAll");
  rebuild.Print("  rebuilt and painted");
  const MemoryUse rebuilt = Memory();
  std::printf("  after %d rebuilds: private %.1f MB (%+.1f MB), working set %.1f MB, GDI objects %s (before: %s)\n",
              kRebuilds, rebuilt.privateMB, rebuilt.privateMB - built.privateMB, rebuilt.workingSetMB,
              GdiObjects().c_str(), gdiBuilt.c_str());
  DestroyWindow(hwnd);
  Testing::PumpPending();
}

void ContactsTree(int members, const std::vector<std::wstring>& avatars) {
  std::wstring letters;
  for (wchar_t c = L'A'; c <= L'Z'; ++c) {
    letters += std::wstring(L"<TreeNode name=\"") + c + L"_node\" itemtext=\"" + c +
               L"\" height=\"28\" expanded=\"true\" itemattr=\"textpadding=&quot;14,0,0,0&quot;\"/>";
  }
  const MemoryUse before = Memory();
  const size_t controlsBefore = Testing::LiveControlCount();
  BenchWindow window(ListSkin(L"260,720", (L"<TreeView name=\"contacts_tree\" itemhotbkcolor=\"#FFF2F3F5\">"
                                           L"<TreeNode name=\"group\" itemtext=\"频道\" visiblefolderbtn=\"true\" expanded=\"true\"/>"
                                           L"<TreeNode name=\"robot\" itemtext=\"机器人\" visiblefolderbtn=\"true\"/>" +
                                           letters + L"</TreeView>").c_str()));
  HWND hwnd = window.Open(260, 720);
  UpdateWindow(hwnd);
  std::vector<CTreeNodeUI*> letterNodes;
  for (wchar_t c = L'A'; c <= L'Z'; ++c) {
    letterNodes.push_back(static_cast<CTreeNodeUI*>(window.Manager().FindControl((std::wstring(1, c) + L"_node").c_str())));
  }
  Figures build, wheel;
  const double start = Now();
  // Members come sorted by pinyin: each letter's members in a run.
  for (int i = 0; i < members; ++i) {
    letterNodes[static_cast<size_t>(i) * 26 / static_cast<size_t>(members)]->Add(
        MemberNode(i, avatars[static_cast<size_t>(i) % avatars.size()]));
  }
  UpdateWindow(hwnd);
  build.Add(Now() - start);
  MeasureWheel(hwnd, POINT{130, 360}, wheel);
  char title[128];
  std::snprintf(title, sizeof title, "contacts tree, %d members under letters: built and painted", members);
  build.Print(title);
  wheel.Print("  one wheel notch and its repaint");
  const MemoryUse after = Memory();
  std::printf("  %zu controls; private %.1f MB (+%.1f MB for the window and its tree), working set %.1f MB (+%.1f MB)\n",
              Testing::LiveControlCount() - controlsBefore, after.privateMB, after.privateMB - before.privateMB,
              after.workingSetMB, after.workingSetMB - before.workingSetMB);
  DestroyWindow(hwnd);
  Testing::PumpPending();
}

void MessageView(int messages, const std::vector<std::wstring>& avatars) {
  BenchWindow window(ListSkin(L"700,600", L"<List name=\"chat_display\"/>"));
  HWND hwnd = window.Open(700, 600);
  auto* view = static_cast<CListUI*>(window.Manager().FindControl(L"chat_display"));
  UpdateWindow(hwnd);
  Figures build, append, wheel;
  double start = Now();
  for (int i = 0; i < messages; ++i) view->Add(MessageItem(i, avatars[static_cast<size_t>(i) % avatars.size()]));
  view->EndDown();
  UpdateWindow(hwnd);
  build.Add(Now() - start);
  for (int i = 0; i < 20; ++i) {
    start = Now();
    view->Add(MessageItem(messages + i, avatars.front()));
    view->EndDown();
    UpdateWindow(hwnd);
    append.Add(Now() - start);
  }
  MeasureWheel(hwnd, POINT{350, 300}, wheel);
  char title[128];
  std::snprintf(title, sizeof title, "message view, %d markup items: built, laid out, painted", messages);
  build.Print(title);
  append.Print("  one more item appended, scrolled to and painted");
  wheel.Print("  one wheel notch and its repaint");
  DestroyWindow(hwnd);
  Testing::PumpPending();
}

}  // namespace

void RunSessionListBenchmark() {
  const auto avatars = WriteAvatars(64);
  for (int rows : {1000, 5000}) SessionList(rows, avatars);
}

void RunContactsTreeBenchmark() {
  const auto avatars = WriteAvatars(64);
  for (int members : {5000, 1000}) ContactsTree(members, avatars);
}

void RunMessageViewBenchmark() {
  const auto avatars = WriteAvatars(64);
  for (int messages : {100, 1000}) MessageView(messages, avatars);
}

}  // namespace duilib_bench
