#include "Runtime.h"

#include "BrowserRegistry.h"
#include "CookieStore.h"
#include "Objects.h"
#include "quennet/EventLog.h"

namespace cef_internal {

namespace {

constexpr DWORD kThreadStopTimeoutMs = 15000;

}  // namespace

Runtime& Runtime::Get() {
  static Runtime* runtime = new Runtime;  // never destroyed, see the header
  return *runtime;
}

bool Runtime::MayInitialize() {
  switch (m_state) {
    case RunState::NotStarted:
      return true;
    case RunState::ShutDown:
      return m_reinitialize_allowed;
    default:
      return false;
  }
}

bool Runtime::Initialize(const CefSettings& settings, CefRefPtr<CefApp> app) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!MayInitialize()) {
      m_violations.push_back("CefInitialize called again");
      return false;
    }
  }
  ForgetPreviousRun();

  // The app adds its switches on this thread, before initialisation returns.
  CefRefPtr<CommandLineImpl> command_line = new CommandLineImpl;
  if (app) app->OnBeforeCommandLineProcessing(CefString(), command_line.get());

  auto ui = std::make_shared<LayerThread>("UI");
  auto io = std::make_shared<LayerThread>("IO");
  if (!ui->Start() || !io->Start()) {
    quennet::log_error("The browser layer could not start its threads");
    ui->Stop(kThreadStopTimeoutMs);
    io->Stop(kThreadStopTimeoutMs);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state = RunState::Running;
    m_settings = settings;
    m_switches = command_line->Switches();
    m_app = app;
    m_ui = ui;
    m_io = io;
  }
  if (CefRefPtr<CefBrowserProcessHandler> handler = app ? app->GetBrowserProcessHandler() : nullptr) {
    PostToUi([this, handler] {
      RecordCall("CefBrowserProcessHandler", "OnContextInitialized", 0);
      handler->OnContextInitialized();
    });
  }
  return true;
}

void Runtime::ForgetPreviousRun() {
  BrowserRegistry::Get().Forget();
  CookieStore::Get().ClearOps();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_violations.clear();
  m_calls.clear();
  m_shutdown_calls = 0;
}

void Runtime::Shutdown() {
  std::shared_ptr<LayerThread> ui;
  std::shared_ptr<LayerThread> io;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_shutdown_calls;
    if (m_state != RunState::Running) return;
    if ((m_ui && m_ui->IsCurrent()) || (m_io && m_io->IsCurrent())) {
      // Waiting here for our own thread to end would never return.
      m_violations.push_back("cef_shutdown called on a thread of the browser layer");
      return;
    }
    m_state = RunState::ShuttingDown;
    ui = m_ui;
    io = m_io;
  }
  BrowserRegistry& registry = BrowserRegistry::Get();
  registry.DropHeldCreations();
  // Closing a browser queues its OnBeforeClose behind this task; stopping the
  // thread runs everything queued before it ends.
  ui->Post([&registry] { registry.CloseAllOnUi(); });
  ui->Stop(kThreadStopTimeoutMs);
  io->Stop(kThreadStopTimeoutMs);
  CookieStore::Get().Clear();
  registry.ReleaseClients();

  CefRefPtr<CefApp> app;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    app = std::move(m_app);
    m_state = RunState::ShutDown;
  }
  // `app` is released here, outside the lock: its destructor is the client's.
}

RunState Runtime::State() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_state;
}

std::shared_ptr<LayerThread> Runtime::Thread(CefThreadId thread) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  switch (thread) {
    case TID_UI:
    case TID_RENDERER:
      return m_ui;
    case TID_IO:
      return m_io;
  }
  return nullptr;
}

bool Runtime::PostClientTask(CefThreadId thread, std::function<void()> task) {
  if (!IsRunning()) return false;
  const auto target = Thread(thread);
  return target && target->Post(std::move(task));
}

bool Runtime::PostToUi(std::function<void()> task) {
  const auto ui = Thread(TID_UI);
  return ui && ui->Post(std::move(task));
}

bool Runtime::PostToIo(std::function<void()> task) {
  const auto io = Thread(TID_IO);
  return io && io->Post(std::move(task));
}

bool Runtime::IsUiThread() const {
  const auto ui = Thread(TID_UI);
  return ui && ui->IsCurrent();
}

bool Runtime::IsIoThread() const {
  const auto io = Thread(TID_IO);
  return io && io->IsCurrent();
}

DWORD Runtime::UiThreadId() const {
  const auto ui = Thread(TID_UI);
  return ui ? ui->Id() : 0;
}

DWORD Runtime::IoThreadId() const {
  const auto io = Thread(TID_IO);
  return io ? io->Id() : 0;
}

bool Runtime::RunMarker(const std::shared_ptr<LayerThread>& thread, DWORD timeout_ms) {
  auto done = std::make_shared<quennet::UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!*done) return false;
  if (!thread->Post([done] { SetEvent(done->get()); })) return true;  // the thread has ended: nothing to run
  return WaitHandlingSentMessages(done->get(), timeout_ms);
}

bool Runtime::Flush(DWORD timeout_ms) {
  const auto ui = Thread(TID_UI);
  const auto io = Thread(TID_IO);
  if (!ui || !io) return true;
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  // Each thread may queue work for the other; go round until both are idle.
  while (GetTickCount64() < deadline) {
    const DWORD left = static_cast<DWORD>(deadline - GetTickCount64());
    if (!RunMarker(ui, left) || !RunMarker(io, left)) return false;
    // The second look at the UI thread catches work the IO thread handed it
    // between the two looks.
    if (ui->IsIdle() && io->IsIdle() && ui->IsIdle()) return true;
  }
  return false;
}

CefRefPtr<CefApp> Runtime::App() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_app;
}

void Runtime::RecordViolation(std::string what) {
  quennet::log_error("Browser layer misuse: %s", what.c_str());
  std::lock_guard<std::mutex> lock(m_mutex);
  m_violations.push_back(std::move(what));
}

void Runtime::RecordCall(const char* interface_name, const char* op, int browser_id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_calls.push_back({interface_name, op, browser_id, GetCurrentThreadId()});
}

std::vector<std::string> Runtime::Violations() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_violations;
}

std::vector<cef_test::CallRecord> Runtime::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls;
}

CefSettings Runtime::InitSettings() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_settings;
}

std::vector<std::wstring> Runtime::InitSwitches() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_switches;
}

int Runtime::ShutdownCalls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_shutdown_calls;
}

void Runtime::AllowReinitialize() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_reinitialize_allowed = true;
}

void Runtime::SetGlobalManagerAvailable(bool available) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_global_manager_available = available;
}

bool Runtime::GlobalManagerAvailable() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_global_manager_available;
}

}  // namespace cef_internal
