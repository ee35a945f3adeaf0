#include <windows.h>

#include <gtest/gtest.h>

#include "app/frame/CrashDump.h"
#include "app/storage/UserFolders.h"
#include "quennet/WinHandles.h"
#include "support/TempFolder.h"

namespace {

std::wstring DumpPath() { return GetUserDataFolder() + L"\\corvanel.dmp"; }

// Runs the crashing probe beside this test program; its exit code.
DWORD RunCrashProbe(const wchar_t* how = L"") {
  const std::wstring probe = GetExeFolder() + L"\\crash_probe.exe";
  std::wstring command = L"\"" + probe + L"\" " + how;
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "cannot start " << GetLastError();
    return 0;
  }
  quennet::UniqueHandle process_handle(process.hProcess);
  quennet::UniqueHandle thread_handle(process.hThread);
  const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  EXPECT_TRUE(ended) << "the probe did not end";
  if (!ended) TerminateProcess(process.hProcess, 1);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}

TEST(CrashDumpTest, ACrashWritesTheDumpIntoTheDataFolderReplacingAnOldOne) {
  ASSERT_TRUE(EnsureUserDataFolder());
  // An overflow of the main thread's stack too: the dump is written all the
  // same and the process ends, although another of its threads runs on.
  for (const auto& [how, code] : {std::pair{L"", EXCEPTION_ACCESS_VIOLATION},
                                  std::pair{L"stack-overflow", EXCEPTION_STACK_OVERFLOW}}) {
    ASSERT_TRUE(test_support::WriteFileBytes(DumpPath(), std::string(100000, 'o')));
    EXPECT_EQ(RunCrashProbe(how), static_cast<DWORD>(code)) << how;
    const std::string dump = test_support::ReadFileBytes(DumpPath());
    ASSERT_GE(dump.size(), 4u) << how;
    EXPECT_EQ(dump.substr(0, 4), "MDMP") << how;
    EXPECT_EQ(dump.find(std::string(1000, 'o')), std::string::npos) << "the old dump was replaced " << how;
    DeleteFileW(DumpPath().c_str());
  }
}

TEST(CrashDumpTest, NoDumpWhenTheFolderIsMissing) {
  test_support::TempFolder folder;
  const std::wstring path = folder / L"missing\\corvanel.dmp";
  WriteMiniDump(nullptr, path.c_str());
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CrashDumpTest, OnlyNtdllKeepsItsDataSections) {
  EXPECT_TRUE(IsDataSectionNeeded(L"C:\\windows\\system32\\ntdll.dll"));
  EXPECT_TRUE(IsDataSectionNeeded(L"C:\\WINDOWS\\SYSTEM32\\NTDLL.DLL"));
  EXPECT_TRUE(IsDataSectionNeeded(L"ntdll"));
  EXPECT_FALSE(IsDataSectionNeeded(L"C:\\windows\\system32\\ntdll2.dll"));
  EXPECT_FALSE(IsDataSectionNeeded(L"C:\\ntdll\\kernel32.dll"));
  EXPECT_FALSE(IsDataSectionNeeded(L""));
  EXPECT_FALSE(IsDataSectionNeeded(nullptr));
}

TEST(CrashDumpTest, TheCallbackListsEverythingAndStripsDataSegments) {
  EXPECT_FALSE(MiniDumpCallback(nullptr, nullptr, nullptr));

  MINIDUMP_CALLBACK_INPUT input = {};
  MINIDUMP_CALLBACK_OUTPUT output = {};
  EXPECT_FALSE(MiniDumpCallback(nullptr, &input, nullptr));

  wchar_t kernel[] = L"C:\\windows\\system32\\kernel32.dll";
  wchar_t ntdll[] = L"C:\\windows\\system32\\ntdll.dll";
  input.CallbackType = ModuleCallback;
  input.Module.FullPath = kernel;
  output.ModuleWriteFlags = ModuleWriteModule | ModuleWriteDataSeg;
  EXPECT_TRUE(MiniDumpCallback(nullptr, &input, &output));
  EXPECT_EQ(output.ModuleWriteFlags, static_cast<ULONG>(ModuleWriteModule));

  input.Module.FullPath = ntdll;
  output.ModuleWriteFlags = ModuleWriteModule | ModuleWriteDataSeg;
  EXPECT_TRUE(MiniDumpCallback(nullptr, &input, &output));
  EXPECT_EQ(output.ModuleWriteFlags, static_cast<ULONG>(ModuleWriteModule | ModuleWriteDataSeg));

  for (MINIDUMP_CALLBACK_TYPE type : {ThreadCallback, ThreadExCallback, IncludeThreadCallback, IncludeModuleCallback}) {
    input.CallbackType = type;
    EXPECT_TRUE(MiniDumpCallback(nullptr, &input, &output)) << type;
  }
  for (MINIDUMP_CALLBACK_TYPE type : {MemoryCallback, CancelCallback, WriteKernelMinidumpCallback}) {
    input.CallbackType = type;
    EXPECT_FALSE(MiniDumpCallback(nullptr, &input, &output)) << type;
  }
}

}  // namespace
