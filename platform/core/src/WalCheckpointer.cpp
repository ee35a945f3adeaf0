#include "WalCheckpointer.h"

#include <sqlite3.h>

#include <system_error>

#include "quennet/EventLog.h"
#include "Text.h"

namespace mireloom::detail {

WalCheckpointer::WalCheckpointer(std::wstring path) : m_path(std::move(path)) {
  try {
    m_thread = std::thread([this] { Run(); });
  } catch (const std::system_error& error) {
    // Without the thread the log grows until the store closes, which folds it in.
    quennet::log_error("Cannot start the log's checkpoints: %s", error.what());
  }
}

WalCheckpointer::~WalCheckpointer() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void WalCheckpointer::NoteLogPages(int pages) {
  if (pages < kLogPagesBeforeCheckpoint) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_due = true;
  }
  m_changed.notify_all();
}

int WalCheckpointer::CheckpointCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_checkpoints;
}

void WalCheckpointer::Run() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_changed.wait(lock, [this] { return m_due || m_stopping; });
      if (m_stopping) return;
      m_due = false;
    }
    Checkpoint();
  }
}

// A passive checkpoint waits for no reader or writer: it folds in what it can
// and leaves the rest to the next one.
void WalCheckpointer::Checkpoint() {
  sqlite3* db = nullptr;
  // The store's file only, never made here: its owner opened it already.
  if (sqlite3_open_v2(WideToUtf8(m_path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    quennet::log_error("Cannot open the store for its checkpoint: %s", db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return;
  }
  // A new connection finds the log only once it has read the file.
  sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  const int result = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  if (result != SQLITE_OK && result != SQLITE_BUSY) quennet::log_error("Checkpoint failed: %s", sqlite3_errmsg(db));
  sqlite3_close(db);
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_checkpoints;
}

}  // namespace mireloom::detail
