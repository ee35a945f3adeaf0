#pragma once

// Folds a store's write-ahead log into its file on a thread of its own, with
// a connection of its own, once the log has grown past a size. A checkpoint
// waits for the disk; left to SQLite, it runs inside whichever commit finds
// the log grown, and a big team's sign-in made the channels' commit wait for
// the members' megabytes. The store's commits never wait for it.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace mireloom::detail {

class WalCheckpointer final {
 public:
  // SQLite's own size for its automatic checkpoints.
  static constexpr int kLogPagesBeforeCheckpoint = 1000;

  explicit WalCheckpointer(std::wstring path);
  // Waits for a checkpoint under way; the log's rest is folded in when the
  // store's last connection closes.
  ~WalCheckpointer();
  WalCheckpointer(const WalCheckpointer&) = delete;
  WalCheckpointer& operator=(const WalCheckpointer&) = delete;

  // After a commit, on the writer's thread: the log's size in pages.
  void NoteLogPages(int pages);
  // Checkpoints done so far; for tests.
  [[nodiscard]] int CheckpointCount() const;

 private:
  void Run();
  void Checkpoint();

  const std::wstring m_path;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_due = false;
  bool m_stopping = false;
  int m_checkpoints = 0;
  // Last: it runs on the members above.
  std::thread m_thread;
};

}  // namespace mireloom::detail
