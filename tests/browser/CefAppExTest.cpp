#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "browser/CefAppEx.h"
#include "HostWindow.h"
#include "LayerFixture.h"
#include "RecordingClient.h"

namespace {

using testing::ElementsAre;

std::vector<std::wstring> SwitchesOf(const CefRefPtr<CefCommandLine>& command_line) {
  std::vector<CefString> switches;
  command_line->GetSwitches(switches);
  std::vector<std::wstring> names;
  for (const auto& name : switches) names.push_back(name.ToWString());
  return names;
}

TEST(CefAppExTest, AppendsNoProxyOnEveryCallAndTouchesNoOtherSwitch) {
  CefRefPtr<CCefAppEx> app(new CCefAppEx);
  CefRefPtr<CefCommandLine> command_line = cef_test::MakeCommandLine();
  command_line->AppendSwitch(L"disable-gpu");
  command_line->AppendSwitch(L"no-proxy-server");
  app->OnBeforeCommandLineProcessing(L"renderer", command_line);
  app->OnBeforeCommandLineProcessing(CefString(), command_line);
  EXPECT_THAT(SwitchesOf(command_line),
              ElementsAre(L"disable-gpu", L"no-proxy-server", L"no-proxy-server", L"no-proxy-server"));
}

TEST(CefAppExTest, EntersThenExitsEachNewContext) {
  CefRefPtr<CCefAppEx> app(new CCefAppEx);
  CefRefPtr<CefV8Context> context = cef_test::MakeV8Context();
  const size_t violations = cef_test::Violations().size();
  app->OnContextCreated(cef_test::MakeFakeBrowser(1, nullptr), nullptr, context);
  EXPECT_THAT(cef_test::V8ContextCalls(context), ElementsAre("Enter", "Exit"));
  EXPECT_EQ(cef_test::Violations().size(), violations);
}

TEST(CefAppExTest, ItsFacesShareOneCountThatStartsAtZero) {
  auto* app = new CCefAppEx;
  EXPECT_EQ(app->GetRefCt(), 0);
  EXPECT_EQ(app->AddRef(), 1);
  {
    CefRefPtr<CefBrowserProcessHandler> browser_face = app->GetBrowserProcessHandler();
    CefRefPtr<CefRenderProcessHandler> render_face = app->GetRenderProcessHandler();
    EXPECT_EQ(app->GetRefCt(), 3);
    EXPECT_EQ(static_cast<CefBase*>(browser_face.get()), static_cast<CefBase*>(render_face.get()));
  }
  EXPECT_EQ(app->GetRefCt(), 1);
  EXPECT_EQ(app->Release(), 0);  // and deletes itself
}

class CefAppExLiveTest : public cef_testing::LayerTest {
 protected:
  void SetUp() override { StartLayer(new CCefAppEx); }
};

TEST_F(CefAppExLiveTest, StartUpGetsTheSwitchAndEveryLoadItsContext) {
  EXPECT_THAT(cef_test::InitCommandLineSwitches(), ElementsAre(L"no-proxy-server"));
  cef_testing::HostWindow host;
  CefRefPtr<cef_testing::RecordingClient> client(new cef_testing::RecordingClient);
  const int id = CreateBrowserIn(host.Handle(), client.get(), L"http://acme.corvanel.test/report");
  ASSERT_NE(id, 0);
  client->Browser()->GetMainFrame()->LoadURL(L"http://acme.corvanel.test/crm");
  ASSERT_TRUE(cef_test::Flush());
  int contexts = 0;
  for (const auto& call : cef_test::CallLog()) {
    if (call.op == "OnContextCreated") {
      ++contexts;
      EXPECT_EQ(call.thread_id, cef_test::UIThreadId());
    }
  }
  EXPECT_EQ(contexts, 2);
}

}  // namespace
