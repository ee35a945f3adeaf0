#include "TestHooks.h"

#include <atomic>

namespace DuiLib::detail {
namespace {

std::atomic<NotifyTracer> g_tracer{nullptr};

}  // namespace

void TraceNotify(const TNotifyUI& msg, HWND window) {
  if (NotifyTracer tracer = g_tracer.load()) tracer(msg, window);
}

void SetNotifyTracer(NotifyTracer tracer) { g_tracer.store(tracer); }

}  // namespace DuiLib::detail
