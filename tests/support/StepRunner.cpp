#include "support/StepRunner.h"

#include "duilib/testing.h"

namespace test_support {
namespace {

StepRunner* g_current = nullptr;
constexpr UINT kTickMs = 15;

}  // namespace

StepRunner::StepRunner() { g_current = this; }

StepRunner::~StepRunner() {
  if (m_timer) KillTimer(nullptr, m_timer);
  g_current = nullptr;
}

StepRunner& StepRunner::Then(std::string what, std::function<bool()> ready, std::function<void()> act) {
  m_steps.push_back({std::move(what), std::move(ready), std::move(act)});
  return *this;
}

StepRunner& StepRunner::Do(std::string what, std::function<void()> act) {
  return Then(std::move(what), [] { return true; }, std::move(act));
}

StepRunner& StepRunner::WaitFor(std::string what, std::function<bool()> ready) {
  return Then(std::move(what), std::move(ready), [] {});
}

void StepRunner::Start() { m_timer = SetTimer(nullptr, 0, kTickMs, &StepRunner::OnTimer); }

void CALLBACK StepRunner::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_current) g_current->Advance();
}

void StepRunner::Advance() {
  // Re-entered from the loop of a window that a step opened: the step index
  // moves before the action runs, so the nested call goes on with the next.
  // A step that only pumps (typing, keys) is finished before the next runs,
  // or what it does last would come after the steps that follow it.
  const size_t depth = DuiLib::Testing::ModalLoopDepth();
  if (!m_runningAt.empty() && depth <= m_runningAt.back()) return;
  while (m_next < m_steps.size() && m_steps[m_next].ready()) {
    Step& step = m_steps[m_next++];
    m_runningAt.push_back(depth);
    step.act();
    m_runningAt.pop_back();
  }
}

bool StepRunner::RunToEnd(DWORD timeout_ms) {
  if (!m_timer) Start();
  return DuiLib::Testing::PumpUntil([this] { return Done(); }, timeout_ms);
}

std::string StepRunner::Waiting() const { return Done() ? "nothing" : m_steps[m_next].what; }

}  // namespace test_support
