#include "mainwnd/MessageTimes.h"

#include <ctime>
#include <cwchar>

#include "app/StringTable.h"
#include "mainwnd/MessageMarkup.h"

namespace messageview {

namespace {

// The buffer the texts were always formatted into: 31 characters and the end.
constexpr size_t kTimeTextSize = 32;

constexpr const char* kWeekdayKeys[] = {"FormatMessageMon", "FormatMessageTues", "FormatMessageWed",
                                        "FormatMessageThur", "FormatMessageFri", "FormatMessageSat",
                                        "FormatMessageSun"};

constexpr wchar_t kRule[] = L"——————————";

bool LocalTime(int64_t timestamp, std::tm* out) {
  const std::time_t time = static_cast<std::time_t>(timestamp);
  // localtime hands out one shared buffer; copy it before anything else can.
  const std::tm* local = std::localtime(&time);
  if (!local) return false;
  *out = *local;
  return true;
}

}  // namespace

std::wstring FormatLocalTime(int64_t timestamp, const std::wstring& format) {
  std::tm local{};
  if (format.empty() || !LocalTime(timestamp, &local)) return {};
  wchar_t text[kTimeTextSize];
  const size_t length = std::wcsftime(text, kTimeTextSize, format.c_str(), &local);
  return length == 0 ? std::wstring() : std::wstring(text, length);
}

bool IsSameDay(int64_t first, int64_t second) {
  const std::wstring first_day = FormatLocalTime(first, L"%m-%d");
  return !first_day.empty() && first_day == FormatLocalTime(second, L"%m-%d");
}

const char* WeekdayKey(int64_t timestamp) {
  std::tm local{};
  if (!LocalTime(timestamp, &local) || local.tm_wday < 0 || local.tm_wday > 6) return "";
  // tm_wday counts from Sunday (0); the keys from Monday.
  const int monday_first = local.tm_wday == 0 ? 7 : local.tm_wday;
  return kWeekdayKeys[monday_first - 1];
}

std::wstring DaySeparatorText(int64_t timestamp) {
  const std::wstring date = FormatLocalTime(timestamp, LocalizedText("FormatMessageDate"));
  const char* key = WeekdayKey(timestamp);
  const std::wstring weekday = *key ? LocalizedText(key) : std::wstring();
  return std::wstring(L"{c #DDDDDD}") + kRule + L"  {/c}" + EscapeText(date) + L" " + EscapeText(weekday) +
         L"{c #DDDDDD}  " + kRule + L"{/c}";
}

std::wstring SenderLineText(const std::wstring& name, int64_t timestamp) {
  return EscapeText(name) + L"  {c #D0D0D0}" + FormatLocalTime(timestamp, L"%H:%M") + L"{/c}";
}

std::vector<size_t> DaySeparatorIndexes(const std::vector<int64_t>& timestamps) {
  std::vector<size_t> indexes;
  for (size_t i = 0; i < timestamps.size(); ++i) {
    if (i == 0 || !IsSameDay(timestamps[i], timestamps[i - 1])) indexes.push_back(i);
  }
  return indexes;
}

}  // namespace messageview
