#pragma once

// A window whose skin is missing or cannot be built leaves the program
// without a way on: it says so, naming the file, and the program ends with
// a non-zero exit code instead of vanishing.

#include <string>

namespace DuiLib {
class WindowImplBase;
}

// Shows and logs which skin file failed, and runs the quit sequence.
void ReportDamagedSkin(DuiLib::WindowImplBase& window);

// 0, or 1 once a damaged skin was reported: the program's exit code.
[[nodiscard]] int SessionExitCode();
