#pragma once

// A small owner of one SQLite connection. Errors are logged and reported as
// false or empty results; nothing throws. Not thread-safe on its own: each
// owner serialises its use.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace mireloom::detail {

class Database;
class WalCheckpointer;

class Statement final {
 public:
  // The owner hears of damage its steps meet.
  Statement(sqlite3_stmt* statement, Database* owner) : m_statement(statement), m_owner(owner) {}
  ~Statement();
  Statement(Statement&& other) noexcept : m_statement(other.m_statement), m_owner(other.m_owner) {
    other.m_statement = nullptr;
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  [[nodiscard]] bool valid() const { return m_statement != nullptr; }
  Statement& Bind(int index, const std::string& text);
  Statement& Bind(int index, int64_t value);
  Statement& BindBlob(int index, const std::string& bytes);
  // True while a row is available; false at the end or on an error.
  bool Step();
  // Runs to the end; true when no error occurred.
  bool Run();
  void Reset();

  [[nodiscard]] std::string Text(int column) const;
  [[nodiscard]] std::string Blob(int column) const;
  [[nodiscard]] int64_t Int(int column) const;

 private:
  sqlite3_stmt* m_statement;
  Database* m_owner;
};

// What a crash may cost a store, and who may hold it. Every store keeps a
// write-ahead log, so that a crash or a full disk leaves the last commit whole.
enum class StoreKind {
  // Can be fetched again: the last moments before a power cut may be lost
  // (synchronous=NORMAL), which spares a wait for the disk at every change.
  Cache,
  // The only copy of what it holds: every commit reaches the disk
  // (synchronous=FULL), and one connection holds the file for as long as it
  // is open (locking_mode=EXCLUSIVE), so that no second program writes beside
  // it from a state of its own.
  OnlyCopy,
};

// How an open went when no connection could be had, or what it had to do.
enum class OpenOutcome {
  Opened,
  // The file was damaged: it lies aside as "<name>.corrupt" and a fresh one was made.
  MadeAfresh,
  // Another connection holds the file (an OnlyCopy store of another program).
  InUse,
  // The file or its folder cannot be opened, read or written: an I/O error, a
  // read-only file, a missing right. The file is left as it is.
  Unavailable,
};

// The file's name with ".corrupt": where a damaged store is moved.
[[nodiscard]] std::wstring AsideName(const std::wstring& path);

// Opens the file as an SQLite connection, creating it when missing. A file
// that is not a database (an empty one too) is moved aside as
// "<name>.corrupt", replacing an older copy (one error line), and a fresh one
// is made, so that a damaged store is repaired once rather than failing at
// every start. An error that is not damage leaves the file where it is. Null
// when no connection can be had; `outcome` (optional) says how it went.
[[nodiscard]] sqlite3* OpenRepairingSqlite(const std::wstring& path, StoreKind kind,
                                           OpenOutcome* outcome = nullptr);
// Moves a store found damaged aside as OpenRepairingSqlite does and makes a
// fresh one.
[[nodiscard]] sqlite3* OpenAfresh(const std::wstring& path, StoreKind kind);
// Carries what can still be read of a damaged database file into a new
// database at `into` (replaced when it exists), with SQLite's recovery. False
// when the damaged file cannot be read at all.
bool RecoverReadableRows(const std::wstring& damaged, const std::wstring& into);

class Database final {
 public:
  // Null when the file cannot be opened or created; see OpenRepairingSqlite.
  static std::unique_ptr<Database> Open(const std::wstring& path, StoreKind kind = StoreKind::Cache,
                                        OpenOutcome* outcome = nullptr);
  // The file was found damaged after it opened: moved aside, a fresh one.
  static std::unique_ptr<Database> OpenAfresh(const std::wstring& path, StoreKind kind = StoreKind::Cache);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  bool Exec(const std::string& sql);
  Statement Prepare(const std::string& sql);

  [[nodiscard]] int UserVersion();
  bool SetUserVersion(int version);

  // Writes `size` bytes, taken chunk by chunk from `next`, over the blob of
  // that size in the row's column, in place: the bytes are never all in
  // memory. False when a chunk is missing or too long, or a write fails.
  bool WriteBlobInChunks(const std::string& table, const std::string& column, int64_t rowid, int64_t size,
                         const std::function<bool(std::string* chunk)>& next);
  [[nodiscard]] int64_t LastInsertRowId();

  // Leaves the log's checkpoints to `checkpointer`, which hears the log's size
  // after every commit; null gives them back to nobody until the file closes.
  void HandCheckpointsTo(WalCheckpointer* checkpointer);

  // Whether a statement met damage: a file that opened well may be damaged
  // beyond its first page, which only reading it shows.
  [[nodiscard]] bool damaged() const { return m_damaged; }
  void NoteResult(int result);

 private:
  explicit Database(sqlite3* db) : m_db(db) {}
  static std::unique_ptr<Database> Adopt(sqlite3* db);
  sqlite3* m_db;
  bool m_damaged = false;
};

// Commits on Commit(); rolls back when it ends without.
class Transaction final {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  bool Commit();

 private:
  Database& m_db;
  bool m_done = false;
};

// One table of records: a key, an order and a JSON body. Both stores of the
// library (the session cache and the embedded service's store) keep their
// objects this way and hold the working set in memory.
class RecordTable final {
 public:
  struct Row {
    std::string key;
    int64_t order = 0;
    std::string body;
  };

  // A binary table keeps its bodies as bytes rather than text.
  RecordTable(Database& db, const std::string& name, bool binary = false);

  bool Put(const std::string& key, int64_t order, const std::string& body);
  // A binary body of `size` bytes taken chunk by chunk from `next`, in one
  // transaction: all of it or nothing.
  bool PutInChunks(const std::string& key, int64_t order, int64_t size,
                   const std::function<bool(std::string* chunk)>& next);
  bool Remove(const std::string& key);
  bool Clear();
  // Ordered by order, then key.
  [[nodiscard]] std::vector<Row> LoadAll();

 private:
  Database& m_db;
  std::string m_name;
  bool m_binary;
  Statement m_put;
  Statement m_remove;
};

}  // namespace mireloom::detail
