// The text markup of labels: every form, escapes, malformed and cut markup,
// links (indices, contents, clicks) and what the layout makes of it.

#include <gtest/gtest.h>

#include <random>

#include "Markup.h"
#include "TestWindow.h"
#include "WindowFixture.h"

namespace duilib_test {
namespace {

using namespace DuiLib;
using detail::MarkupDocument;
using detail::MarkupRun;
using detail::ParseMarkup;
using Lines = std::vector<std::wstring>;
using Testing::NotifyRecorder;

// "text|colour|link" per text run, "\n" per line break, "x<px>" per space.
Lines Runs(const MarkupDocument& doc) {
  Lines lines;
  for (const MarkupRun& run : doc.runs) {
    if (run.kind == MarkupRun::Kind::LineBreak) {
      lines.push_back(L"\\n");
    } else if (run.kind == MarkupRun::Kind::Space) {
      lines.push_back(L"x" + std::to_wstring(run.space));
    } else {
      wchar_t color[16];
      swprintf(color, 16, L"%08X", static_cast<unsigned>(run.style.color));
      lines.push_back(run.text + L"|" + color + L"|" + std::to_wstring(run.style.link));
    }
  }
  return lines;
}

std::vector<std::wstring> Links(const MarkupDocument& doc) {
  std::vector<std::wstring> links;
  for (const CDuiString& link : doc.links) links.push_back(link.str());
  return links;
}

TEST(MarkupParseTest, LinksKeepEverythingUpToTheClosingBraceAsTheirContent) {
  const MarkupDocument doc =
      ParseMarkup(L"see {a x=|link|https://a.test:8080/p?q=1|}the page{/a} or {a x=|user|u42|}@李雷{/a }{a}bare{/a}");
  EXPECT_EQ(Links(doc), (Lines{L"x=|link|https://a.test:8080/p?q=1|", L"x=|user|u42|", L""}));
  EXPECT_EQ(Runs(doc), (Lines{L"see |00000000|-1", L"the page|00000000|0", L" or |00000000|-1", L"@李雷|00000000|1",
                              L"bare|00000000|2"}));
  EXPECT_EQ(doc.plain, L"see the page or @李雷bare");
}

TEST(MarkupParseTest, ColoursNestAsAStackInAnyCaseAndWithAlpha) {
  const MarkupDocument doc = ParseMarkup(L"{c #DDDDDD}a{c #80ff00Aa}b{/c}c{/c }d{c #0a0B0c}e");
  EXPECT_EQ(Runs(doc), (Lines{L"a|FFDDDDDD|-1", L"b|80FF00AA|-1", L"c|FFDDDDDD|-1", L"d|00000000|-1",
                              L"e|FF0A0B0C|-1"}))
      << "an unclosed colour runs to the end";
}

TEST(MarkupParseTest, LineBreaksStylesFontsAndSpaces) {
  const MarkupDocument doc = ParseMarkup(L"1\n2\r\n3{n}4{x 12}5{b}{i}{u}{f 2}6{/f}{/u}{/i}{/b}7");
  EXPECT_EQ(doc.plain, L"1\n2\n3\n4567");
  EXPECT_EQ(Runs(doc), (Lines{L"1|00000000|-1", L"\\n", L"2|00000000|-1", L"\\n", L"3|00000000|-1", L"\\n",
                              L"4|00000000|-1", L"x12", L"5|00000000|-1", L"6|00000000|-1", L"7|00000000|-1"}));
  const MarkupRun& styled = doc.runs[9];
  EXPECT_TRUE(styled.style.bold && styled.style.italic && styled.style.underline);
  EXPECT_EQ(styled.style.font, 2);
  const MarkupRun& plain = doc.runs[10];
  EXPECT_FALSE(plain.style.bold || plain.style.italic || plain.style.underline);
  EXPECT_EQ(plain.style.font, detail::kInheritFont);
}

TEST(MarkupParseTest, DoubledBracesAreLiteralInTextAndInsideLinkArguments) {
  const MarkupDocument doc = ParseMarkup(L"{{c #FF0000}} {a x=|v|{{x}}|}}}d{{}}{/a}");
  EXPECT_EQ(doc.plain, L"{c #FF0000} }d{}") << "the argument ends at the first brace of an odd group";
  EXPECT_EQ(Links(doc), (Lines{L"x=|v|{x}|"}));
  EXPECT_EQ(doc.runs.back().style.link, 0);
  EXPECT_EQ(doc.runs.front().style.color, 0u) << "an escaped tag does nothing";
}

TEST(MarkupParseTest, MalformedMarkupIsTextAndStrayClosersAreIgnored) {
  struct Case {
    const wchar_t* markup;
    const wchar_t* plain;
    size_t links;
  } cases[] = {
      {L"{foo}bar", L"{foo}bar", 0},
      {L"{a x=|link|http://a:b", L"{a x=|link|http://a:b", 0},
      {L"{c red}x{/c}", L"{c red}x", 0},
      {L"{c #12345}x", L"{c #12345}x", 0},
      {L"{/c}{/a}{/b}x{/f}", L"x", 0},
      {L"{ a}x{/a}", L"{ a}x", 0},
      {L"a}b{", L"a}b{", 0},
      {L"{x -3}{f x}", L"{x -3}{f x}", 0},
      {L"{c #FFFFFF {a}x", L"{c #FFFFFF x", 1},
      {L"{", L"{", 0},
      {L"}", L"}", 0},
  };
  for (const Case& c : cases) {
    const MarkupDocument doc = ParseMarkup(c.markup);
    EXPECT_EQ(doc.plain, c.plain) << c.markup;
    EXPECT_EQ(doc.links.size(), c.links) << c.markup;
  }
}

TEST(MarkupParseTest, LinksDoNotNestAndAColourInsideALinkWins) {
  const MarkupDocument doc = ParseMarkup(L"{c #FF0000}{a 1}red outside{a 2}{c #00FF00}green inside{/c}link{/a}after");
  EXPECT_EQ(Links(doc), (Lines{L"1", L"2"})) << "the second link closed the first";
  ASSERT_EQ(doc.runs.size(), 4u);
  EXPECT_EQ(doc.runs[0].style.link, 0);
  EXPECT_FALSE(doc.runs[0].style.colorInsideLink) << "the colour came from outside: the link colour shows";
  EXPECT_EQ(doc.runs[1].style.link, 1);
  EXPECT_TRUE(doc.runs[1].style.colorInsideLink);
  EXPECT_EQ(doc.runs[2].style.color, 0xFFFF0000u);
  EXPECT_EQ(doc.runs[3].style.link, -1) << "an unclosed link ends at {/a}";
}

TEST(MarkupParseTest, EscapedRawTextRoundTripsThroughLinksAndText) {
  std::mt19937 random(7);
  const std::wstring alphabet = L"{}|ab 李:/\\=#";
  for (int round = 0; round < 300; ++round) {
    std::wstring value, display;
    for (int i = random() % 12; i > 0; --i) value += alphabet[random() % alphabet.size()];
    for (int i = random() % 12; i > 0; --i) display += alphabet[random() % alphabet.size()];
    const std::wstring markup = L"{a x=|link|" + EscapeMarkup(value.c_str()).str() + L"|}" +
                                EscapeMarkup(display.c_str()).str() + L"{/a}" + EscapeMarkup(value.c_str()).str();
    const MarkupDocument doc = ParseMarkup(markup);
    ASSERT_EQ(doc.links.size(), 1u) << markup;
    EXPECT_EQ(doc.links[0].str(), L"x=|link|" + value + L"|");
    EXPECT_EQ(doc.plain, display + value) << markup;
  }
}

// A label measured and painted without a window, at several widths and styles.
void Exercise(const std::wstring& markup) {
  for (UINT style : {UINT(DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS), UINT(DT_WORDBREAK), UINT(DT_END_ELLIPSIS | DT_RIGHT),
                     UINT(DT_WORDBREAK | DT_CENTER | DT_BOTTOM)}) {
    CTextUI text;
    text.SetShowHtml(true);
    text.SetTextStyle(style);
    text.SetText(markup.c_str());
    for (int width : {0, 1, 7, 60, 400}) {
      const SIZE size = text.EstimateSize({width, 9999});
      ASSERT_GE(size.cy, 0);
      ASSERT_GE(size.cx, 0);
    }
    text.SetPos({0, 0, 37, 40});
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 64);
    HGDIOBJ old = SelectObject(dc, bitmap);
    text.DoPaint(dc, {0, 0, 64, 64});
    RECT box;
    for (int i = 0; i < text.GetLinkCount(); ++i) text.GetLinkRect(i, &box);
    EXPECT_EQ(text.GetLinkContent(text.GetLinkCount()), nullptr);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
}

TEST(MarkupFuzzTest, MarkupCutAnywhereOrFullOfRandomCharactersNeverBreaks) {
  const std::wstring sample =
      L"{c #DDDDDD}——  {/c}5月10日 周五{a x=|link|https://a.test/x?y={{1}}|}链接 link{/a}\r\n"
      L"{b}{i}{u}{f 1}粗{/f}{/u}{/i}{/b}{x 8}{n}{a x=|user|u1|}@某人{c #FF00FF}彩{/c }{/a }末尾 tail}} {{ ";
  for (size_t cut = 0; cut <= sample.size(); ++cut) {
    Exercise(sample.substr(0, cut));
    Exercise(sample.substr(cut));
  }
  std::mt19937 random(42);
  const std::wstring pieces[] = {L"{", L"}", L"{a ", L"{/a}", L"{c #", L"{/c}", L"{x ", L"\n", L"\r", L" ",
                                 L"字", L"a", L"|", L"\xD83D", L"\xDE00", L"{{", L"}}", L"#FF0000}", L"{f 9}"};
  for (int round = 0; round < 400; ++round) {
    std::wstring text;
    for (int i = random() % 40; i > 0; --i) {
      if (random() % 3 == 0) {
        text += static_cast<wchar_t>(1 + random() % 0xFFFE);
      } else {
        text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
      }
    }
    const MarkupDocument doc = ParseMarkup(text);
    for (const MarkupRun& run : doc.runs) ASSERT_LT(run.style.link, static_cast<int>(doc.links.size()));
    ASSERT_LE(doc.plain.size(), text.size());
    Exercise(text);
  }
}

TEST(MarkupFuzzTest, TextFullOfOpenTagsParsesInLinearTime) {
  // Quadratic scanning would not finish within the test's time limit.
  std::wstring text;
  for (int i = 0; i < 200000; ++i) text += (i % 3 == 0) ? L"{a " : (i % 3 == 1) ? L"{c #" : L"}}";
  const MarkupDocument doc = ParseMarkup(text);
  EXPECT_GT(doc.plain.size(), 0u);
}

TEST(MarkupLayoutTest, EstimateSizeMeasuresWhatIsDrawnGrowingWithTextAndShrinkingWidth) {
  CLabelUI tagged, bare;
  for (CLabelUI* label : {&tagged, &bare}) {
    label->SetShowHtml(true);
    label->SetAutoCalcWidth(true);
  }
  tagged.SetText(L"{c #FF0000}abc {a x=|link|u|}link{/a}{/c}");
  bare.SetText(L"abc link");
  EXPECT_EQ(tagged.EstimateSize({0, 0}).cx, bare.EstimateSize({0, 0}).cx) << "tags take no room";

  CTextUI text;
  text.SetShowHtml(true);
  text.SetText(L"{c #262626}中文和 English words mixed together, with a {a x=|link|l|}link{/a} in the middle.{/c}");
  const int narrow = text.EstimateSize({120, 0}).cy;
  const int wide = text.EstimateSize({600, 0}).cy;
  EXPECT_GT(narrow, wide);
  const std::wstring longer = text.GetText().str() + L"{n}one more line";
  text.SetText(longer.c_str());
  EXPECT_GT(text.EstimateSize({600, 0}).cy, wide);
  EXPECT_EQ(text.GetText(), longer.c_str()) << "the markup is kept as set";
}

TEST(MarkupLayoutTest, WrapsBetweenCjkCharactersAndBreaksOverLongWordsByCharacter) {
  CTextUI probe;
  probe.SetShowHtml(true);
  probe.SetText(L"字");
  const int line = probe.EstimateSize({0, 0}).cy;
  const int glyph = [] {
    CLabelUI one;
    one.SetAutoCalcWidth(true);
    one.SetShowHtml(true);
    one.SetText(L"字");
    return static_cast<int>(one.EstimateSize({0, 0}).cx);
  }();
  CTextUI cjk;
  cjk.SetShowHtml(true);
  cjk.SetText(L"汉字没有空格也能换行");  // ten characters, no spaces
  EXPECT_EQ(cjk.EstimateSize({glyph * 5, 0}).cy, 2 * line);
  CTextUI word;
  word.SetShowHtml(true);
  word.SetText(L"supercalifragilisticexpialidocious");
  const SIZE broken = word.EstimateSize({60, 0});
  EXPECT_GT(broken.cy, 2 * line) << "an over-long word breaks by character";
  EXPECT_LE(broken.cx, 60);
  CLabelUI single, first;
  for (CLabelUI* label : {&single, &first}) {
    label->SetShowHtml(true);
    label->SetAutoCalcWidth(true);
  }
  single.SetText(L"one{n}two");
  first.SetText(L"one");
  EXPECT_GT(single.EstimateSize({0, 0}).cx, first.EstimateSize({0, 0}).cx) << "a label is one line, whatever the breaks";
  CTextUI perLine;  // the ellipsis style alone: one line per break, each cut short
  perLine.SetShowHtml(true);
  perLine.SetTextStyle(DT_END_ELLIPSIS);
  perLine.SetText(L"one two three four five six seven{n}eight nine ten eleven twelve");
  const SIZE cut = perLine.EstimateSize({50, 0});
  EXPECT_EQ(cut.cy, 2 * line);
  EXPECT_LE(cut.cx, 50);
}

TEST(MarkupLayoutTest, PlainTextLinksAndMarkupOff) {
  CLabelUI label;
  label.SetText(L"{a x=|link|v|}shown{/a}");
  EXPECT_EQ(label.GetPlainText(), L"{a x=|link|v|}shown{/a}") << "without showhtml the text is literal";
  EXPECT_EQ(label.GetLinkCount(), 0);
  label.SetShowHtml(true);
  EXPECT_EQ(label.GetPlainText(), L"shown");
  ASSERT_EQ(label.GetLinkCount(), 1);
  EXPECT_EQ(*label.GetLinkContent(0), L"x=|link|v|");
  EXPECT_EQ(label.GetLinkContent(-1), nullptr);
  EXPECT_EQ(label.GetLinkContent(1), nullptr);
}

using MarkupWindowTest = WindowTest;

const wchar_t kLinks[] = LR"(<VerticalLayout>
    <Text name="message" height="60" showhtml="true" font="1"
          text="{a x=|link|https://first.test/a:b|}first{/a} and {a x=|user|u2|}second{/a} plain words"/>
    <Button name="btn" height="30" showhtml="true" text="{a x=|command|go|}go{/a} button"/>
    <Label name="off" height="30" showhtml="true" enabled="false" text="{a x=|link|z|}disabled{/a}"/>
    <Label name="nomouse" height="30" showhtml="true" mouse="false" text="{a x=|link|z|}no mouse{/a}"/>
  </VerticalLayout>)";

const wchar_t kFonts[] = L"<Font id=\"1\" name=\"微软雅黑\" size=\"24\" bold=\"true\"/>";

TEST_F(MarkupWindowTest, AClickOnALinkRaisesLinkWithItsIndexOnlyWhenPressedAndReleasedOnIt) {
  TestWindow window(Skin(std::wstring(kFonts) + kLinks));
  HWND hwnd = window.CreatePopup();
  NotifyRecorder recorder(hwnd);
  ASSERT_TRUE(Testing::ClickLink(hwnd, L"message", 1));
  ASSERT_TRUE(Testing::ClickLink(hwnd, L"message", 0));
  ASSERT_EQ(recorder.Records().size(), 2u);
  EXPECT_EQ(recorder.Summary(), (Lines{L"link:message", L"link:message"}));
  EXPECT_EQ(recorder.Records()[0].wParam, 1u);
  EXPECT_EQ(recorder.Records()[1].wParam, 0u);
  auto* label = window.FindAs<CLabelUI>(L"message", L"Label");
  EXPECT_EQ(*label->GetLinkContent(static_cast<int>(recorder.Records()[0].wParam)), L"x=|user|u2|");

  recorder.Clear();
  RECT first, second;
  ASSERT_TRUE(label->GetLinkRect(0, &first));
  ASSERT_TRUE(label->GetLinkRect(1, &second));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 2, first.top + 4));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 2, second.top + 4));
  const RECT& whole = label->GetPos();
  Testing::ClickAt(hwnd, POINT{whole.right - 4, whole.bottom - 4});
  EXPECT_TRUE(recorder.Records().empty()) << "released elsewhere, or not on a link";

  ASSERT_TRUE(Testing::ClickLink(hwnd, L"btn", 0));
  ASSERT_TRUE(Testing::ClickLink(hwnd, L"off", 0));
  ASSERT_TRUE(Testing::ClickLink(hwnd, L"nomouse", 0));
  EXPECT_EQ(recorder.Summary(), (Lines{L"link:btn"})) << "a link in a button takes the press: no click";
}

TEST_F(MarkupWindowTest, HoveredLinksTurnToTheHoverColourAndCountAsInteractiveInTheCaption) {
  TestWindow window(Skin(std::wstring(kFonts) + LR"(<VerticalLayout>
      <Label name="link" height="40" font="1" showhtml="true" text="{a x=|link|l|}██{/a}{a x=|link|m|}{c #00FF00}██{/c}{/a}"/>
    </VerticalLayout>)", L"size=\"300,120\" caption=\"0,0,0,60\""));
  HWND hwnd = window.CreatePopup();
  window.Manager().SetDefaultLinkFontColor(0xFF0000FF);
  window.Manager().SetDefaultLinkHoverFontColor(0xFFFF0000);
  auto* label = window.FindAs<CLabelUI>(L"link", L"Label");
  Testing::PumpPending();
  RECT first, second;
  ASSERT_TRUE(label->GetLinkRect(0, &first));
  ASSERT_TRUE(label->GetLinkRect(1, &second));
  auto colourAt = [&](const RECT& box) {
    HBITMAP shot = Testing::RenderWindow(hwnd);
    const DWORD pixel = Testing::PixelAt(shot, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    DeleteObject(shot);
    return pixel;
  };
  EXPECT_EQ(colourAt(first), 0x0000FFu);
  EXPECT_EQ(colourAt(second), 0x00FF00u) << "a colour set inside the link wins";
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2));
  EXPECT_EQ(colourAt(first), 0xFF0000u);
  Testing::Leave(hwnd);
  EXPECT_EQ(colourAt(first), 0x0000FFu);

  POINT onLink = {first.left + 2, (first.top + first.bottom) / 2};
  POINT offLink = {label->GetPos().right - 4, onLink.y};
  ClientToScreen(hwnd, &onLink);
  ClientToScreen(hwnd, &offLink);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(onLink.x, onLink.y)), HTCLIENT);
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(offLink.x, offLink.y)), HTCAPTION);
}

TEST_F(MarkupWindowTest, TurningMarkupOnLaysTheTextOutAgain) {
  TestWindow window(Skin(LR"(<VerticalLayout><Text name="text" text="one{n}two{n}three"/><Control name="below" height="10"/></VerticalLayout>)"));
  window.CreatePopup();
  Testing::PumpPending();
  const LONG before = window.Find(L"below")->GetPos().top;
  window.FindAs<CLabelUI>(L"text", L"Label")->SetShowHtml(true);
  Testing::PumpPending();
  EXPECT_GT(window.Find(L"below")->GetPos().top, before) << "three lines now";
}

}  // namespace
}  // namespace duilib_test
