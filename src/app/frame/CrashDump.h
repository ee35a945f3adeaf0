#pragma once

// The crash dump: an unhandled exception writes "corvanel.dmp" into the user
// data folder and ends the process without the system's error dialog.

#include <windows.h>
#include <dbghelp.h>

// The unhandled-exception filter installed first thing at start-up.
LONG WINAPI CrashHandler(EXCEPTION_POINTERS* exception);

// Writes one minidump of this process to the path; nothing when the file
// cannot be created. The exception is recorded when the pointers are given.
void WriteMiniDump(EXCEPTION_POINTERS* exception, const wchar_t* path);

// Lists every thread and module, and keeps data sections for ntdll only.
BOOL CALLBACK MiniDumpCallback(PVOID param, const PMINIDUMP_CALLBACK_INPUT input, PMINIDUMP_CALLBACK_OUTPUT output);

// True only for a module whose file name, without extension, is "ntdll".
bool IsDataSectionNeeded(const wchar_t* modulePath);
