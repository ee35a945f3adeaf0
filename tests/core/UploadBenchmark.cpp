// Figures, not a timed test: a 300 MB file uploaded into a conversation as
// the upload window sends it, with the process's memory before the upload,
// at its most while the file goes, and after. Run by hand (see the README);
// only the results are checked.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "CoreTestSupport.h"
#include "mireloom/ChatManager.h"
#include "support/ProcessFigures.h"
#include "support/TempFolder.h"

using namespace mireloom;
namespace mt = mireloom::testing;

namespace {

constexpr int kMegabytes = 300;
constexpr int kUploadTimeoutMs = 600000;

}  // namespace

TEST(UploadBenchmark, AThreeHundredMegabyteFile) {
  mt::ScopedCore core;
  ASSERT_TRUE(mt::SignIn("zhou", core.DataFolder()));
  const test_support::BigFile file(L"三百兆.bin", kMegabytes);
  ASSERT_TRUE(file.Written());
  ASSERT_TRUE(mt::WaitIdle());
  const double private_before = test_support::PrivateMegabytes();
  const double working_set_before = test_support::WorkingSetMegabytes();

  const auto start = std::chrono::steady_clock::now();
  test_support::PeakFigures peak;
  core_test::Done sent;
  ChatManager::DefaultManager()->SendFileMessage(test_support::ToCp936(file.Path()), "三百兆.bin", "application/octet-stream",
                                                 "chn-fe", true, sent.Callback());
  ASSERT_TRUE(sent.Wait(kUploadTimeoutMs));
  peak.Stop();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(sent.Get<0>()) << sent.Get<1>();
  ASSERT_TRUE(mt::WaitIdle());

  std::printf("upload of a %d MB file: %.1f s\n", kMegabytes, seconds);
  std::printf("  private bytes: %.1f MB before, %.1f MB at most while uploading (+%.1f MB), %.1f MB after\n",
              private_before, peak.PrivateMegabytes(), peak.PrivateMegabytes() - private_before,
              test_support::PrivateMegabytes());
  std::printf("  working set: %.1f MB before, %.1f MB at most while uploading (+%.1f MB), %.1f MB after\n",
              working_set_before, peak.WorkingSetMegabytes(), peak.WorkingSetMegabytes() - working_set_before,
              test_support::WorkingSetMegabytes());
}
