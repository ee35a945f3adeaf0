// Reference counting, pointer conversions, strings and runnable methods: the
// parts of the layer that need no running threads.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "cef/cef_client.h"
#include "cef/cef_task.h"
#include "cef/cef_test.h"

namespace {

// Two interfaces, one count: what the client's classes look like.
class TwoFaced final : public CefClient, public CefLifeSpanHandler, public CefCountedObject {
 public:
  explicit TwoFaced(bool* deleted) : m_deleted(deleted) {}
  ~TwoFaced() override { *m_deleted = true; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }

 private:
  bool* m_deleted;
};

TEST(RefCountingTest, CountStartsAtZeroAndTheLastReferenceDeletes) {
  bool deleted = false;
  auto* object = new TwoFaced(&deleted);
  EXPECT_EQ(object->GetRefCt(), 0);
  {
    CefRefPtr<TwoFaced> first(object);
    EXPECT_EQ(object->GetRefCt(), 1);
    CefRefPtr<CefClient> as_client = first;  // converted, same count
    CefRefPtr<CefLifeSpanHandler> as_handler = as_client->GetLifeSpanHandler();
    EXPECT_EQ(object->GetRefCt(), 3);
    as_client = nullptr;
    EXPECT_EQ(object->GetRefCt(), 2);
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
}

TEST(RefCountingTest, CopyMoveAndAssignmentKeepCountsRight) {
  bool deleted_a = false;
  bool deleted_b = false;
  CefRefPtr<TwoFaced> a(new TwoFaced(&deleted_a));
  CefRefPtr<TwoFaced> moved = std::move(a);
  EXPECT_TRUE(a == nullptr);
  EXPECT_EQ(moved->GetRefCt(), 1);

  CefRefPtr<TwoFaced> copy = moved;
  copy = copy;  // self-assignment keeps the object
  EXPECT_EQ(moved->GetRefCt(), 2);
  EXPECT_TRUE(copy == moved);

  copy = new TwoFaced(&deleted_b);  // from a raw pointer
  EXPECT_TRUE(copy != moved);
  EXPECT_EQ(moved->GetRefCt(), 1);
  moved = std::move(copy);  // the first object loses its last reference
  EXPECT_TRUE(deleted_a);
  EXPECT_FALSE(deleted_b);
  EXPECT_TRUE(static_cast<bool>(moved));
  moved = nullptr;
  EXPECT_TRUE(deleted_b);
  EXPECT_FALSE(static_cast<bool>(moved));
}

TEST(RefCountingTest, CountingIsSafeFromManyThreads) {
  bool deleted = false;
  CefRefPtr<TwoFaced> shared(new TwoFaced(&deleted));
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        CefRefPtr<CefClient> copy(shared.get());
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(shared->GetRefCt(), 1);
  EXPECT_FALSE(deleted);
}

TEST(CefStringTest, ConvertsBetweenUtf8AndUtf16) {
  const CefString chinese(u8"团队 s-T1 ✓");
  EXPECT_EQ(chinese.ToWString(), L"团队 s-T1 ✓");
  EXPECT_EQ(chinese.ToString(), u8"团队 s-T1 ✓");
  EXPECT_EQ(CefString(std::wstring(L"团队")).ToString(), u8"团队");

  const char* null_text = nullptr;
  EXPECT_TRUE(CefString(null_text).empty());
  EXPECT_TRUE(CefString("").empty());
  CefString assigned;
  assigned.FromString("abc");
  EXPECT_EQ(assigned.length(), 3u);
  EXPECT_TRUE(CefString(L"a") < CefString(L"b"));
  EXPECT_TRUE(CefString("x") == CefString(L"x"));
}

// A target that is not reference-counted and one that is.
struct PlainTarget {
  std::vector<std::wstring> seen;
  bool Take(const CefString& text, int number) {
    seen.push_back(text.ToWString() + L"/" + std::to_wstring(number));
    return true;
  }
};

class CountedTarget final : public CefCountedObject {
 public:
  explicit CountedTarget(bool* deleted) : m_deleted(deleted) {}
  ~CountedTarget() override { *m_deleted = true; }
  void Store(const std::wstring& text) { stored = text; }
  std::wstring stored;

 private:
  bool* m_deleted;
};

TEST(RunnableMethodTest, RunsWithCopiesTakenWhenTheTaskWasMade) {
  PlainTarget target;
  std::wstring text = L"first";
  CefRefPtr<CefTask> task = NewCefRunnableMethod(&target, &PlainTarget::Take, CefString(text), 7);
  text = L"changed";  // the task holds its own copy
  task->Execute();
  EXPECT_THAT(target.seen, testing::ElementsAre(L"first/7"));
}

TEST(RunnableMethodTest, KeepsACountedTargetAliveUntilTheTaskGoes) {
  bool deleted = false;
  CefRefPtr<CefTask> task;
  CountedTarget* raw = nullptr;
  {
    CefRefPtr<CountedTarget> target(new CountedTarget(&deleted));
    raw = target.get();
    task = NewCefRunnableMethod(target, &CountedTarget::Store, std::wstring(L"kept"));
  }
  EXPECT_FALSE(deleted);
  task->Execute();
  EXPECT_EQ(raw->stored, L"kept");
  task = nullptr;
  EXPECT_TRUE(deleted);
}

TEST(FakeObjectsTest, RecordWhatTheClientDidAndLeakNothing) {
  const int before = cef_test::LiveObjectCount();
  {
    CefRefPtr<CefBrowser> browser = cef_test::MakeFakeBrowser(5, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(browser->GetIdentifier(), 5);
    EXPECT_EQ(browser->GetHost()->GetWindowHandle(), reinterpret_cast<HWND>(0x1234));
    browser->GetHost()->ParentWindowWillClose();
    browser->GetHost()->ParentWindowWillClose();
    browser->GetMainFrame()->LoadURL(L"http://a.test/x");
    browser->GetMainFrame()->ExecuteJavaScript(L"go()", L"http://a.test/x", 0);
    const cef_test::BrowserInfo info = cef_test::Browser(browser);
    EXPECT_EQ(info.parent_will_close_calls, 2);
    EXPECT_THAT(info.url_history, testing::ElementsAre(L"http://a.test/x"));
    ASSERT_EQ(info.scripts.size(), 1u);
    EXPECT_EQ(info.scripts[0].code, L"go()");
    EXPECT_EQ(browser->GetMainFrame()->GetURL().ToWString(), L"http://a.test/x");

    CefRefPtr<CefCommandLine> command_line = cef_test::MakeCommandLine();
    command_line->AppendSwitch(L"a");
    command_line->AppendSwitch(L"a");
    std::vector<CefString> switches;
    command_line->GetSwitches(switches);
    EXPECT_EQ(switches.size(), 2u);  // duplicates are kept
    EXPECT_TRUE(command_line->HasSwitch(L"a"));
    EXPECT_FALSE(command_line->HasSwitch(L"b"));

    CefRefPtr<CefBeforeDownloadCallback> callback = cef_test::MakeBeforeDownloadCallback();
    EXPECT_FALSE(cef_test::ContinuationOf(callback).continued);
    callback->Continue(L"", true);
    EXPECT_TRUE(cef_test::ContinuationOf(callback).continued);
    EXPECT_TRUE(cef_test::ContinuationOf(callback).show_dialog);
  }
  EXPECT_EQ(cef_test::LiveObjectCount(), before);
}

TEST(FakeObjectsTest, ExitWithoutEnterIsAViolation) {
  CefRefPtr<CefV8Context> context = cef_test::MakeV8Context();
  const size_t before = cef_test::Violations().size();
  EXPECT_FALSE(context->Exit());
  EXPECT_EQ(cef_test::Violations().size(), before + 1);
  EXPECT_THAT(cef_test::V8ContextCalls(context), testing::ElementsAre("Exit"));
}

}  // namespace
