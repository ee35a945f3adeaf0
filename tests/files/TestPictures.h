#pragma once

// Pictures written for the tests and the benchmark: a gradient with a grid,
// so that zoom, turns and drags are visible in a screenshot. GDI+ must have
// been started (the window framework starts it).

#include <string>

namespace files_test {

// `mime` is "image/png" or "image/jpeg"; false when it could not be written.
bool WriteTestPicture(const std::wstring& path, int width, int height, const wchar_t* mime);

}  // namespace files_test
