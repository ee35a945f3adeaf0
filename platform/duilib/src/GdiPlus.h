#pragma once

// GDI+ with the min/max it expects: the build defines NOMINMAX.

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
