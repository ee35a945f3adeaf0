#pragma once

// Dates and times of the message view: day separators and the time on each
// sender line. Time stamps are seconds since 1970-01-01 UTC, shown in local
// time.

#include <cstdint>
#include <string>
#include <vector>

namespace messageview {

// The local time of the stamp in a wcsftime format (the result must fit 31
// characters); "" when the stamp has no local time or the text does not fit.
[[nodiscard]] std::wstring FormatLocalTime(int64_t timestamp, const std::wstring& format);

// Month and day are equal in local time; the year is not compared. A stamp
// without a local time is never on the same day as another.
[[nodiscard]] bool IsSameDay(int64_t first, int64_t second);

// The text key of the stamp's weekday ("FormatMessageMon" ... "FormatMessageSun"),
// "" when the stamp has no local time.
[[nodiscard]] const char* WeekdayKey(int64_t timestamp);

// "{c #DDDDDD}——————————  {/c}" + date + " " + weekday + "{c #DDDDDD}  ——————————{/c}",
// the date in the "FormatMessageDate" format and the weekday word, both from
// the StringTable.
[[nodiscard]] std::wstring DaySeparatorText(int64_t timestamp);

// The sender's name, two spaces and the time ("%H:%M") in light grey.
[[nodiscard]] std::wstring SenderLineText(const std::wstring& name, int64_t timestamp);

// For messages in view order, the indexes before which a day separator goes:
// the first message, and each one on another day than the one before it.
[[nodiscard]] std::vector<size_t> DaySeparatorIndexes(const std::vector<int64_t>& timestamps);

}  // namespace messageview
