#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "quennet/testing.h"
#include "support/TempFolder.h"

using quennet::LogLevel;
using test_support::ReadFileBytes;
using test_support::TempFolder;

namespace {

// Points the log at a file of a fresh folder and back at the suite's own file after.
class EventLogTest : public testing::Test {
 protected:
  void SetUp() override {
    m_path = m_folder / L"event.log";
    quennet::SetLogPath(m_path);
  }
  void TearDown() override { quennet::SetLogPath(L""); }

  std::vector<std::string> FileLines() const {
    quennet::FlushLog();
    const std::string content = ReadFileBytes(m_path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(content.substr(start, end - start));
    }
    return lines;
  }

  // The text of a line after "date time tid LEVEL ".
  static std::string TextOfLine(const std::string& line) {
    size_t position = 0;
    for (int field = 0; field < 4; ++field) position = line.find(' ', position) + 1;
    return line.substr(position);
  }

  TempFolder m_folder;
  std::wstring m_path;
};

TEST_F(EventLogTest, FormatsC99ConversionsAndKeepsPercentInArguments) {
  quennet::ScopedLogCapture capture;
  const char* missing = nullptr;
  quennet::log_event("value %lld", static_cast<long long>(1) << 40);
  quennet::log_event("name %s", missing);
  quennet::log_event("Recv direct message : %s", "100% done %s %d");
  quennet::log_error("Login failed, code is : %lld", static_cast<long long>(-7));

  const auto entries = capture.Entries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].text, "value 1099511627776");
  EXPECT_EQ(entries[1].text, "name (null)");
  EXPECT_EQ(entries[2].text, "Recv direct message : 100% done %s %d");
  EXPECT_EQ(entries[3].text, "Login failed, code is : -7");
  EXPECT_EQ(entries[3].level, LogLevel::Error);
}

TEST_F(EventLogTest, WritesOneLinePerEventWithLevelAndTime) {
  quennet::log_event("App init");
  quennet::log_error("line one\r\nline two\nthree");
  const auto lines = FileLines();
  ASSERT_EQ(lines.size(), 2u);
  // "YYYY-MM-DD HH:MM:SS.mmm"
  ASSERT_GE(lines[0].size(), 24u);
  EXPECT_EQ(lines[0][4], '-');
  EXPECT_EQ(lines[0][10], ' ');
  EXPECT_EQ(lines[0][19], '.');
  EXPECT_NE(lines[0].find(" EVENT App init"), std::string::npos);
  EXPECT_NE(lines[1].find(" ERROR "), std::string::npos);
  EXPECT_EQ(TextOfLine(lines[1]), "line one\\n\\nline two\\nthree");
}

TEST_F(EventLogTest, CutsLongTextWithoutOverflow) {
  const std::string huge(100 * 1024, 'x');
  quennet::ScopedLogCapture capture;
  quennet::log_event("%s", huge.c_str());
  const auto entries = capture.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_LT(entries[0].text.size(), 8 * 1024u);
  EXPECT_GT(entries[0].text.size(), 8 * 1024u - 16);
  EXPECT_EQ(entries[0].text.substr(entries[0].text.size() - 8), "...[cut]");
  EXPECT_EQ(entries[0].text.find_first_not_of('x'), entries[0].text.size() - 8);
}

TEST_F(EventLogTest, LinesFromManyThreadsNeverInterleave) {
  constexpr int kThreads = 8;
  constexpr int kLines = 1000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) quennet::log_event("thread %d line %d end", t, i);
    });
  }
  for (auto& thread : threads) thread.join();

  const auto lines = FileLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  std::set<std::string> seen;
  for (const auto& line : lines) {
    const std::string text = TextOfLine(line);
    int thread = -1, number = -1;
    char tail[8] = {};
    ASSERT_EQ(sscanf(text.c_str(), "thread %d line %d %3s", &thread, &number, tail), 3) << line;
    EXPECT_STREQ(tail, "end");
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), lines.size());
}

TEST_F(EventLogTest, KeepsLinesUntilTheFolderAppearsAndNeverCreatesIt) {
  const std::wstring folder = m_folder / L"日志";
  quennet::SetLogPath(folder + L"\\event.log");
  quennet::log_event("early %d", 1);
  quennet::log_event("early %d", 2);
  quennet::FlushLog();
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  quennet::log_event("late");
  m_path = folder + L"\\event.log";
  const auto lines = FileLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(TextOfLine(lines[0]), "early 1");
  EXPECT_EQ(TextOfLine(lines[1]), "early 2");
  EXPECT_EQ(TextOfLine(lines[2]), "late");
}

TEST_F(EventLogTest, RotatesOnceWhenTheFileIsFull) {
  // Start just under the cap so that the next lines cross it.
  ASSERT_TRUE(test_support::WriteFileBytes(m_path, std::string(4 * 1024 * 1024, 'a')));
  quennet::log_event("after the cap");
  quennet::FlushLog();
  const std::string rotated = ReadFileBytes(m_path + L".1");
  EXPECT_EQ(rotated.size(), 4u * 1024 * 1024);
  const auto lines = FileLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(TextOfLine(lines[0]), "after the cap");
}

TEST_F(EventLogTest, SinksSeeEveryEventAndStopWhenRemoved) {
  std::vector<std::string> seen;
  const int token = quennet::AddLogSink([&](LogLevel, const std::string& text) { seen.push_back(text); });
  quennet::log_event("one");
  quennet::RemoveLogSink(token);
  quennet::log_event("two");
  EXPECT_EQ(seen, std::vector<std::string>{"one"});

  quennet::ClearRecentLog();
  quennet::log_event("three");
  const auto recent = quennet::RecentLog(5);
  ASSERT_EQ(recent.size(), 1u);
  EXPECT_EQ(recent[0].text, "three");
}

}  // namespace
