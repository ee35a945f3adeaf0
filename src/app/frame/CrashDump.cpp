#include "app/frame/CrashDump.h"

#include <cstdlib>
#include <string>

#include "app/storage/UserFolders.h"
#include "quennet/EventLog.h"
#include "quennet/WinHandles.h"

namespace {

// What the crash handler has left of the user-interface thread's stack once
// an overflow has used up the rest: enough to start the dump's thread and
// wait for it.
constexpr ULONG kCrashHandlerStackReserve = 64 * 1024;

struct DumpRequest {
  EXCEPTION_POINTERS* exception = nullptr;
  DWORD thread = 0;
};

DWORD WINAPI WriteDump(void* parameter) {
  const auto* request = static_cast<const DumpRequest*>(parameter);
  const std::wstring path = GetUserDataFolder() + L"//" + L"corvanel.dmp";
  WriteMiniDump(request->exception, path.c_str(), request->thread);
  return 0;
}

// Keeps kCrashHandlerStackReserve of the calling thread's stack for the
// handler of an overflow. Windows raises the overflow where the reserve
// begins as the stack grows into it. Wine commits a thread's whole stack at
// once with its one guard page at the very end, where the overflow leaves no
// room to handle it: the thread is then ended without any handler and the
// process hangs on with its other threads. A guard page just above the
// reserve makes the overflow come there.
void KeepStackForCrashHandler() {
  ULONG reserve = kCrashHandlerStackReserve;
  if (!SetThreadStackGuarantee(&reserve)) {
    quennet::log_error("No stack kept for the crash handler (error %lu)", GetLastError());
    return;
  }
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  MEMORY_BASIC_INFORMATION stack = {};
  if (!VirtualQuery(&stack, &stack, sizeof stack)) return;
  // Above the stack's own inaccessible and guard pages and the reserve.
  char* guard = static_cast<char*>(stack.AllocationBase) + 2 * system.dwPageSize + kCrashHandlerStackReserve;
  MEMORY_BASIC_INFORMATION page = {};
  // Where the stack is not committed yet, the system's guard page does it.
  if (!VirtualQuery(guard, &page, sizeof page) || page.State != MEM_COMMIT || (page.Protect & PAGE_GUARD)) return;
  DWORD previous = 0;
  if (!VirtualProtect(guard, system.dwPageSize, PAGE_READWRITE | PAGE_GUARD, &previous)) {
    quennet::log_error("No guard page above the crash handler's stack (error %lu)", GetLastError());
  }
}

}  // namespace

void InstallCrashHandler() {
  KeepStackForCrashHandler();
  SetUnhandledExceptionFilter(CrashHandler);
}

LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception) {
  DumpRequest request;
  request.exception = exception;
  request.thread = GetCurrentThreadId();
  quennet::UniqueHandle writer(CreateThread(nullptr, 0, WriteDump, &request, 0, nullptr));
  if (writer) {
    WaitForSingleObject(writer.get(), INFINITE);
  } else {
    WriteDump(&request);
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

void WriteMiniDump(EXCEPTION_POINTERS* exception, const wchar_t* path, DWORD thread) {
  quennet::UniqueHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) return;

  MINIDUMP_EXCEPTION_INFORMATION exception_information = {};
  exception_information.ThreadId = thread ? thread : GetCurrentThreadId();
  exception_information.ExceptionPointers = exception;
  exception_information.ClientPointers = FALSE;

  MINIDUMP_CALLBACK_INFORMATION callback_information = {};
  callback_information.CallbackRoutine = MiniDumpCallback;
  callback_information.CallbackParam = nullptr;

  MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal,
                    exception ? &exception_information : nullptr, nullptr, &callback_information);
}

BOOL CALLBACK MiniDumpCallback(PVOID, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT output) {
  if (!input || !output) return FALSE;
  switch (input->CallbackType) {
    case ModuleCallback:
      if ((output->ModuleWriteFlags & ModuleWriteDataSeg) && !IsDataSectionNeeded(input->Module.FullPath)) {
        output->ModuleWriteFlags &= ~ModuleWriteDataSeg;
      }
      return TRUE;
    case ThreadCallback:
    case ThreadExCallback:
    case IncludeThreadCallback:
    case IncludeModuleCallback:
      return TRUE;
    default:
      return FALSE;
  }
}

bool IsDataSectionNeeded(const wchar_t* modulePath) {
  if (!modulePath) return false;
  wchar_t file_name[256] = {};
  if (_wsplitpath_s(modulePath, nullptr, 0, nullptr, 0, file_name, 256, nullptr, 0) != 0) return false;
  return _wcsicmp(file_name, L"ntdll") == 0;
}
