#pragma once

// Libraries the process loads by name come from the system folder only: a
// library of the same name planted beside the program, in the working
// directory or in a download folder is never loaded in its place.

#include <windows.h>

namespace quennet {

// Makes the system folder the one place this process loads libraries from
// by name, for its own loads, the delay-loaded imports and the libraries
// those bring. Called first thing at start-up. False where the system cannot
// restrict the search (Windows 7 without its loader update); the working
// directory is then at least left out.
bool RestrictLibrarySearchToSystemFolder();

// A library of the system folder by its file name ("msftedit.dll"); NULL
// when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* file_name);

}  // namespace quennet
