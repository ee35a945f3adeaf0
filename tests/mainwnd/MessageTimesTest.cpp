#include <gtest/gtest.h>

#include <ctime>

#include "app/text/StringTable.h"
#include "mainwnd/messages/MessageTimes.h"
#include "mainwnd/ShownMarkup.h"

namespace {

using namespace messageview;

// A stamp of a local time, so that the tests hold in any time zone.
int64_t Local(int year, int month, int day, int hour = 12, int minute = 0) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

// Stamps that have no local time (before 1970, after the year 3000).
constexpr int64_t kNoLocalTimes[] = {-86400LL * 400, 100000000000000LL};

TEST(MessageTimes, DaySeparatorsFollowMonthAndDay) {
  EXPECT_EQ(DaySeparatorIndexes({Local(2016, 5, 10, 9), Local(2016, 5, 10, 23, 59), Local(2016, 5, 11, 0, 1)}),
            (std::vector<size_t>{0, 2}));
  EXPECT_EQ(DaySeparatorIndexes({Local(2023, 12, 31, 23, 50), Local(2024, 1, 1, 0, 10)}),
            (std::vector<size_t>{0, 1}));
  // The year is not compared: the same month and day a year apart is one day.
  EXPECT_EQ(DaySeparatorIndexes({Local(2015, 3, 3, 10), Local(2016, 3, 3, 10)}), (std::vector<size_t>{0}));

  for (int64_t bad : kNoLocalTimes) {
    EXPECT_EQ(FormatLocalTime(bad, L"%m-%d"), L"") << bad;
    EXPECT_FALSE(IsSameDay(bad, bad)) << "days without a text differ";
    EXPECT_STREQ(WeekdayKey(bad), "");
  }
  // A result that does not fit 31 characters gives nothing rather than a cut
  // text; so does a conversion not every runtime knows.
  EXPECT_EQ(FormatLocalTime(Local(2016, 5, 10), L"%Y-%m-%d %Y-%m-%d %Y-%m-1"), L"2016-05-10 2016-05-10 2016-05-1");
  EXPECT_EQ(FormatLocalTime(Local(2016, 5, 10), L"%Y-%m-%d %Y-%m-%d %Y-%m-%d"), L"");
  EXPECT_EQ(FormatLocalTime(Local(2016, 5, 10), L"%u"), L"");
}

TEST(MessageTimes, SeparatorTextsFromTheLanguageFile) {
  const auto saved = StringTable;
  StringTable["FormatMessageDate"] = "%Y年%m月%d日";
  StringTable["FormatMessageTues"] = "星期二";
  StringTable["FormatMessageSun"] = "星期日";
  StringTable.erase("FormatMessageMon");

  // 10 May 2016 was a Tuesday; 15 May a Sunday (tm_wday 0); 16 May a Monday.
  EXPECT_STREQ(WeekdayKey(Local(2016, 5, 15)), "FormatMessageSun");
  const std::wstring rule = L"——————————";
  EXPECT_EQ(ShowMarkup(DaySeparatorText(Local(2016, 5, 10))).plain,
            rule + L"  2016年05月10日 星期二  " + rule);
  EXPECT_EQ(ShowMarkup(DaySeparatorText(Local(2016, 5, 16))).plain, rule + L"  2016年05月16日   " + rule)
      << "a weekday without a text leaves the word empty";
  StringTable = saved;
}

TEST(MessageTimes, SenderLineShowsNameAndTime) {
  EXPECT_EQ(SenderLineText(L"周一鸣", Local(2016, 5, 10, 9, 5)), L"周一鸣  {c #D0D0D0}09:05{/c}");
  EXPECT_EQ(ShowMarkup(SenderLineText(L"{b}周{/b}", Local(2016, 5, 10, 21, 30))).plain, L"{b}周{/b}  21:30");
}

}  // namespace
