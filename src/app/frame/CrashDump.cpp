#include "app/frame/CrashDump.h"

#include <cstdlib>
#include <string>

#include "app/storage/UserFolders.h"
#include "quennet/WinHandles.h"

LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception) {
  const std::wstring path = GetUserDataFolder() + L"//" + L"corvanel.dmp";
  WriteMiniDump(exception, path.c_str());
  return EXCEPTION_EXECUTE_HANDLER;
}

void WriteMiniDump(EXCEPTION_POINTERS* exception, const wchar_t* path) {
  quennet::UniqueHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || file.get() == INVALID_HANDLE_VALUE) return;

  MINIDUMP_EXCEPTION_INFORMATION exception_information = {};
  exception_information.ThreadId = GetCurrentThreadId();
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
