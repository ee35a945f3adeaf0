#pragma once

// A small owner of one SQLite connection. Errors are logged and reported as
// false or empty results; nothing throws. Not thread-safe on its own: each
// owner serialises its use.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace mireloom::detail {

class Statement final {
 public:
  explicit Statement(sqlite3_stmt* statement) : m_statement(statement) {}
  ~Statement();
  Statement(Statement&& other) noexcept : m_statement(other.m_statement) { other.m_statement = nullptr; }
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
};

// Opens the file as an SQLite connection, creating it when missing. A file
// that is not a database is moved aside as "<name>.corrupt" (one error line)
// and a fresh one is made, so that a damaged store is repaired once rather
// than failing at every start. Null when no connection can be had.
[[nodiscard]] sqlite3* OpenRepairingSqlite(const std::wstring& path);

class Database final {
 public:
  // Null when the file cannot be opened or created.
  static std::unique_ptr<Database> Open(const std::wstring& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  bool Exec(const std::string& sql);
  Statement Prepare(const std::string& sql);

  [[nodiscard]] int UserVersion();
  bool SetUserVersion(int version);

 private:
  explicit Database(sqlite3* db) : m_db(db) {}
  sqlite3* m_db;
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
