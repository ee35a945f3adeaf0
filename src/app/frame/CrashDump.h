#pragma once

// The crash dump: an unhandled exception writes "corvanel.dmp" into the user
// data folder and ends the process without the system's error dialog.

#include <windows.h>
#include <dbghelp.h>

// Installs CrashHandler, and keeps a reserve of the calling thread's stack
// for it: a stack overflow on that thread (the user-interface thread) must
// still reach the handler, which then ends the process, so that the next
// start is not kept out by a process that no longer answers.
void InstallCrashHandler();

// The unhandled-exception filter. The dump is written by a thread of its own,
// whose stack is whole whatever state the crashed thread's is in.
LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception);

// Writes one minidump of this process to the path; nothing when the file
// cannot be created. The exception is recorded when the pointers are given,
// as raised on `thread` (the calling thread when 0).
void WriteMiniDump(EXCEPTION_POINTERS* exception, const wchar_t* path, DWORD thread = 0);

// Lists every thread and module, and keeps data sections for ntdll only.
BOOL CALLBACK MiniDumpCallback(PVOID param, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT output);

// True only for a module whose file name, without extension, is "ntdll".
bool IsDataSectionNeeded(const wchar_t* modulePath);
