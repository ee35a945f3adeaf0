// Times the emoji split (and the markup conversion before it) of a long
// message: 2,000 characters of mixed Chinese and Latin text with 50 short
// codes, some of them unknown, and a few links. Run by hand after a build:
//   cd build && WINEPREFIX=$PWD/wineprefix wine tests/message_text_benchmark.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/text/TextHelpers.h"
#include "mainwnd/messages/EmojiSplit.h"
#include "mainwnd/messages/MessageMarkup.h"

namespace {

std::string LongMessage() {
  const char* words[] = {"今天的站会改到十点 ", "please review ", ":smile: ", "[https://a.test/x|设计稿] ",
                         "会议 12:30:45 ", ":thumbsup: ", "没问题 ", ":foo: ", "[@usr-lin|林晓] "};
  std::string text;
  size_t i = 0;
  while (Utf8ToWide(text).size() < 2000) text += words[i++ % (sizeof words / sizeof words[0])];
  return text;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double MedianMs(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back(Milliseconds(start, end));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const std::string text = LongMessage();
  const std::wstring markup = messageview::FormatMessageText(text);
  const messageview::EmojiSplit split = messageview::SplitEmoji(markup);
  size_t emoji = 0;
  for (const auto& part : split.parts) emoji += part.IsEmoji() ? 1 : 0;

  // Results go somewhere the compiler cannot drop.
  volatile size_t sink = 0;
  const double split_ms = MedianMs(200, [&] { sink = sink + messageview::SplitEmoji(markup).parts.size(); });
  const double format_ms = MedianMs(200, [&] { sink = sink + messageview::FormatMessageText(text).size(); });
  std::printf("text: %zu characters, markup %zu, %zu parts (%zu emoji)\n", Utf8ToWide(text).size(), markup.size(),
              split.parts.size(), emoji);
  std::printf("emoji split:        %.3f ms (median of 200)\n", split_ms);
  std::printf("markup conversion:  %.3f ms (median of 200)\n", format_ms);
  return 0;
}
