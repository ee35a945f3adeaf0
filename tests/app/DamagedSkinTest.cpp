// A damaged installation: a skin that cannot be built is told by name and
// ends the program with a non-zero code; skin sizes are kept within bounds.

#include <gtest/gtest.h>

#include "app/frame/DamagedSkin.h"
#include "AppWindowFixture.h"
#include "support/RecordingPlatform.h"
#include "support/TempFolder.h"

namespace {

using namespace DuiLib;

class SkinWindow final : public WindowImplBase {
 public:
  SkinWindow(std::wstring folder, std::wstring file) : m_folder(std::move(folder)), m_file(std::move(file)) {}
  LPCTSTR GetWindowClassName() const override { return L"DamagedSkinProbe"; }
  CDuiString GetSkinFolder() override { return m_folder.c_str(); }
  CDuiString GetSkinFile() override { return m_file.c_str(); }

 private:
  std::wstring m_folder, m_file;
};

using DamagedSkinTest = AppWindowTest;

TEST_F(DamagedSkinTest, AMissingOrMalformedSkinIsToldByNameAndEndsTheProgramWithAnError) {
  // Skin folders are relative to the working directory, as the program's are.
  const std::wstring folder = L"damaged_skin_test";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(test_support::WriteFileBytes(folder + L"\\skin_garbage.xml", "\x01\x7F<<random bytes"));
  CRecordingPlatform platform;
  for (const wchar_t* file : {L"skin_missing.xml", L"skin_garbage.xml"}) {
    SkinWindow window(folder, file);
    ASSERT_EQ(window.Create(nullptr, L"probe", WS_POPUP, 0), nullptr);
    ReportDamagedSkin(window);
    const auto boxes = platform.CallsOf(PlatformCall::MessageBox);
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes.back().text.find(file), std::wstring::npos) << "the box names the file";
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";
  }
  EXPECT_EQ(SessionExitCode(), 1);
  DeleteFileW((folder + L"\\skin_garbage.xml").c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(DamagedSkinTest, WindowSizesStayBetweenTheSkinsMinimumAndTheWorkArea) {
  const RECT work = {0, 0, 1280, 770};
  auto clamp = [&](LONG cx, LONG cy, SIZE minimum = {0, 0}) { return WindowImplBase::ClampWindowSize({cx, cy}, minimum, work); };
  EXPECT_EQ(clamp(420, 500).cx, 420);
  EXPECT_EQ(clamp(99999999, -5).cx, 1280);
  EXPECT_EQ(clamp(99999999, -5).cy, WindowImplBase::kLeastWindowExtent);
  EXPECT_EQ(clamp(99999999, 99999999).cy, 770);
  EXPECT_EQ(clamp(10, 10, SIZE{300, 200}).cx, 300);
  EXPECT_EQ(clamp(10, 10, SIZE{3000, 200}).cx, 3000) << "a minimum above the work area wins";

  SkinWindow window(L"", LR"(<Window size="99999999,99999999"><Control width="99999999"/></Window>)");
  ASSERT_NE(window.Create(nullptr, L"probe", WS_POPUP, 0), nullptr);
  RECT rc;
  GetWindowRect(window.GetHWND(), &rc);
  const RECT area = WindowImplBase::WorkAreaOf(window.GetHWND());
  EXPECT_LE(rc.right - rc.left, area.right - area.left);
  EXPECT_LE(rc.bottom - rc.top, area.bottom - area.top);
}

}  // namespace
