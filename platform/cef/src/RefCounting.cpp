#include "cef/cef_base.h"

#include "LiveObjects.h"

namespace {

std::atomic<int> g_live_objects{0};

}  // namespace

CefCountedObject::CefCountedObject() { ++g_live_objects; }

CefCountedObject::~CefCountedObject() { --g_live_objects; }

namespace cef_internal {

int LiveObjects() { return g_live_objects; }

}  // namespace cef_internal
