#include "mainwnd/messages/MessageTimes.h"

#include <ctime>
#include <cwchar>

#include "app/text/StringTable.h"
#include "mainwnd/messages/MessageMarkup.h"

namespace messageview {

namespace {

// Time texts fit the 32 characters they were always formatted into, the end included.
constexpr size_t kTimeTextSize = 32;
constexpr size_t kFieldSize = 64;
// The conversions every runtime formats (C89's, and "%%"); "%u" is not among them.
constexpr wchar_t kKnownConversions[] = L"aAbBcdHIjmMpSUwWxXyYzZ%";

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

// One conversion ("%d", "%#d") at *at, which moves to its last character.
// The runtime formats only the conversion: its wcsftime goes through the
// C locale's code page, which would lose the Chinese characters of a
// translated format. Conversions it does not know would end the process on
// Windows, so they make the whole format fail instead.
bool FormatField(const std::wstring& format, size_t* at, const std::tm& local, std::wstring* out) {
  size_t end = *at + 1;
  if (end < format.size() && format[end] == L'#') ++end;
  if (end >= format.size() || format[end] == L'\0' || !std::wcschr(kKnownConversions, format[end])) return false;
  const std::wstring conversion = format.substr(*at, end - *at + 1);
  *at = end;
  wchar_t field[kFieldSize];
  const size_t length = std::wcsftime(field, kFieldSize, conversion.c_str(), &local);
  out->assign(field, length);
  return true;
}

}  // namespace

std::wstring FormatLocalTime(int64_t timestamp, const std::wstring& format) {
  std::tm local{};
  if (format.empty() || !LocalTime(timestamp, &local)) return {};
  std::wstring text;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%') {
      text += format[i];
      continue;
    }
    std::wstring field;
    if (!FormatField(format, &i, local, &field)) return {};
    text += field;
  }
  return text.size() < kTimeTextSize ? text : std::wstring();
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
