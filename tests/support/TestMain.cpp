// Shared entry of the test executables: tests never reach the real network
// and never write the real event log.

#include <windows.h>
#include <objbase.h>

#include <gmock/gmock.h>

#include "quennet/testing.h"
#include "support/TempFolder.h"

int main(int argc, char** argv) {
  testing::InitGoogleMock(&argc, argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  quennet::SetNetworkAllowed(false);
  test_support::TempFolder log_folder;
  quennet::SetLogPath(log_folder.Path() + L"\\event.log");
  const int result = RUN_ALL_TESTS();
  quennet::SetLogPath(L"");
  return result;
}
