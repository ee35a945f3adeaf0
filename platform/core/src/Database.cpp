#include "Database.h"

#include <sqlite3.h>
#include <sqlite3recover.h>

#include <windows.h>

#include <climits>

#include "quennet/EventLog.h"
#include "Text.h"
#include "WalCheckpointer.h"

namespace mireloom::detail {

Statement::~Statement() {
  if (m_statement) sqlite3_finalize(m_statement);
}

Statement& Statement::Bind(int index, const std::string& text) {
  if (m_statement) sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::Bind(int index, int64_t value) {
  if (m_statement) sqlite3_bind_int64(m_statement, index, value);
  return *this;
}

Statement& Statement::BindBlob(int index, const std::string& bytes) {
  if (m_statement) sqlite3_bind_blob(m_statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  return *this;
}

bool Statement::Step() {
  if (!m_statement) return false;
  const int result = sqlite3_step(m_statement);
  if (result == SQLITE_ROW) return true;
  if (result != SQLITE_DONE) {
    quennet::log_error("SQLite step failed: %s", sqlite3_errmsg(sqlite3_db_handle(m_statement)));
    if (m_owner) m_owner->NoteResult(result);
  }
  return false;
}

bool Statement::Run() {
  if (!m_statement) return false;
  int result;
  while ((result = sqlite3_step(m_statement)) == SQLITE_ROW) {
  }
  const bool ok = result == SQLITE_DONE;
  if (!ok) {
    quennet::log_error("SQLite statement failed: %s", sqlite3_errmsg(sqlite3_db_handle(m_statement)));
    if (m_owner) m_owner->NoteResult(result);
  }
  sqlite3_reset(m_statement);
  return ok;
}

void Statement::Reset() {
  if (m_statement) sqlite3_reset(m_statement);
}

std::string Statement::Text(int column) const {
  // UTF-8 whatever the file's encoding: column_text converts, column_blob would not.
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
  const int size = sqlite3_column_bytes(m_statement, column);
  return text ? std::string(text, static_cast<size_t>(size)) : std::string();
}

std::string Statement::Blob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
  const int size = sqlite3_column_bytes(m_statement, column);
  return bytes ? std::string(bytes, static_cast<size_t>(size)) : std::string();
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(m_statement, column); }

namespace {

sqlite3* OpenSqlite(const std::wstring& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open16(path.c_str(), &db) != SQLITE_OK) {
    quennet::log_error("Cannot open database %s: %s", WideToUtf8(path).c_str(),
                       db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 2000);
  return db;
}

enum class FileState { Missing, Empty, HasContent };

FileState StateOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return FileState::Missing;
  return data.nFileSizeHigh == 0 && data.nFileSizeLow == 0 ? FileState::Empty : FileState::HasContent;
}

// Only a file that reads as no database or as a broken one is damage; a busy,
// locked, unreadable or read-only file is trouble of the moment, and moving
// it aside would lose a store that is whole.
OpenOutcome OutcomeOf(int result) {
  switch (result & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return OpenOutcome::Opened;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return OpenOutcome::MadeAfresh;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return OpenOutcome::InUse;
    default: return OpenOutcome::Unavailable;
  }
}

int Run(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// The journal, the durability and, for an only copy, the claim of the file.
// SQLite opens any file lazily: the first read of the schema tells whether it
// is a database at all. The first result that is not a success.
int Configure(sqlite3* db, StoreKind kind) {
  // Before any read: an exclusive connection never makes the shared-memory
  // index beside its log, and keeps its lock once it has it.
  if (kind == StoreKind::OnlyCopy && Run(db, "PRAGMA locking_mode=EXCLUSIVE") != SQLITE_OK) return sqlite3_errcode(db);
  int result = Run(db, "SELECT count(*) FROM sqlite_master");
  if (result != SQLITE_OK) return result;
  std::string mode;
  sqlite3_stmt* statement = nullptr;
  result = sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &statement, nullptr);
  if (result == SQLITE_OK && (result = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    mode = text ? text : "";
  }
  sqlite3_finalize(statement);
  if (result != SQLITE_ROW) return result;
  // A read-only file keeps its old journal; writing it would fail later.
  if (mode != "wal") return SQLITE_READONLY;
  if (kind == StoreKind::OnlyCopy) {
    // A write takes the file's lock for good, and shows that it can be written.
    if ((result = Run(db, "BEGIN IMMEDIATE")) != SQLITE_OK) return result;
    if ((result = Run(db, "COMMIT")) != SQLITE_OK) return result;
  }
  return Run(db, kind == StoreKind::OnlyCopy ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL");
}

// A file made here gets its first page at once, before its log exists, so
// that an empty file found later is damage, never a store not yet written.
// Its text is UTF-8, the library's own (the UTF-16 open would make it UTF-16).
sqlite3* OpenNewSqlite(const std::wstring& path, StoreKind kind, OpenOutcome* outcome) {
  sqlite3* db = OpenSqlite(path);
  int result = db ? SQLITE_OK : SQLITE_CANTOPEN;
  if (db && kind == StoreKind::OnlyCopy) result = Run(db, "PRAGMA locking_mode=EXCLUSIVE");
  if (result == SQLITE_OK) result = Run(db, "PRAGMA encoding='UTF-8'; PRAGMA user_version=0;");
  if (result == SQLITE_OK) result = Configure(db, kind);
  *outcome = OutcomeOf(result);
  if (*outcome == OpenOutcome::MadeAfresh) *outcome = OpenOutcome::Unavailable;  // nothing was there to damage
  if (*outcome == OpenOutcome::Opened) return db;
  quennet::log_error("Database %s cannot be made: %s", WideToUtf8(path).c_str(), db ? sqlite3_errmsg(db) : "");
  sqlite3_close(db);
  return nullptr;
}

// The damaged file goes aside with its log, which holds its last commits; a
// log left beside the fresh file would be replayed into it.
bool MoveAside(const std::wstring& path) {
  const std::wstring aside = AsideName(path);
  DeleteFileW((aside + L"-wal").c_str());
  if (!MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  MoveFileExW((path + L"-wal").c_str(), (aside + L"-wal").c_str(), MOVEFILE_REPLACE_EXISTING);
  DeleteFileW((path + L"-shm").c_str());
  return true;
}

}  // namespace

std::wstring AsideName(const std::wstring& path) { return path + L".corrupt"; }

sqlite3* OpenAfresh(const std::wstring& path, StoreKind kind) {
  if (!MoveAside(path)) {
    quennet::log_error("Database %s is damaged and cannot be moved aside", WideToUtf8(path).c_str());
    return nullptr;
  }
  quennet::log_error("Database %s is damaged: moved aside as %s, a fresh one is made", WideToUtf8(path).c_str(),
                     WideToUtf8(AsideName(path)).c_str());
  OpenOutcome ignored;
  return OpenNewSqlite(path, kind, &ignored);
}

sqlite3* OpenRepairingSqlite(const std::wstring& path, StoreKind kind, OpenOutcome* outcome) {
  OpenOutcome own;
  if (!outcome) outcome = &own;
  const FileState before = StateOf(path);
  if (before == FileState::Missing) return OpenNewSqlite(path, kind, outcome);
  // SQLite takes an empty file for an empty database; none of ours is left
  // empty, so one that is has lost what it held.
  sqlite3* db = nullptr;
  *outcome = OpenOutcome::MadeAfresh;
  if (before == FileState::HasContent) {
    db = OpenSqlite(path);
    *outcome = db ? OutcomeOf(Configure(db, kind)) : OpenOutcome::Unavailable;
  }
  if (*outcome == OpenOutcome::Opened) return db;
  if (*outcome != OpenOutcome::MadeAfresh) {
    quennet::log_error("Database %s is %s; it is left as it is", WideToUtf8(path).c_str(),
                       *outcome == OpenOutcome::InUse ? "in use by another program" : "not usable");
  }
  sqlite3_close(db);
  if (*outcome != OpenOutcome::MadeAfresh) return nullptr;
  db = OpenAfresh(path, kind);
  if (!db) *outcome = OpenOutcome::Unavailable;
  return db;
}

bool RecoverReadableRows(const std::wstring& damaged, const std::wstring& into) {
  DeleteFileW(into.c_str());
  sqlite3* source = nullptr;
  // Exclusive, so that a copy in write-ahead mode is read with its log and
  // without an index file left beside it.
  if (sqlite3_open_v2(WideToUtf8(damaged).c_str(), &source, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
      Run(source, "PRAGMA locking_mode=EXCLUSIVE") != SQLITE_OK) {
    quennet::log_event("Database %s cannot be read for its rows", WideToUtf8(damaged).c_str());
    sqlite3_close(source);
    return false;
  }
  sqlite3_recover* recover = sqlite3_recover_init(source, "main", WideToUtf8(into).c_str());
  const int result = recover ? sqlite3_recover_run(recover) : SQLITE_NOMEM;
  if (result != SQLITE_OK) {
    quennet::log_event("Recovering %s failed: %s", WideToUtf8(damaged).c_str(),
                       recover && sqlite3_recover_errmsg(recover) ? sqlite3_recover_errmsg(recover) : "?");
  }
  sqlite3_recover_finish(recover);
  sqlite3_close(source);
  return result == SQLITE_OK;
}

std::unique_ptr<Database> Database::Adopt(sqlite3* db) {
  if (!db) return nullptr;
  return std::unique_ptr<Database>(new Database(db));
}

std::unique_ptr<Database> Database::Open(const std::wstring& path, StoreKind kind, OpenOutcome* outcome) {
  return Adopt(OpenRepairingSqlite(path, kind, outcome));
}

std::unique_ptr<Database> Database::OpenAfresh(const std::wstring& path, StoreKind kind) {
  return Adopt(detail::OpenAfresh(path, kind));
}

Database::~Database() { sqlite3_close(m_db); }

bool Database::Exec(const std::string& sql) {
  char* error = nullptr;
  const int result = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
  if (result == SQLITE_OK) return true;
  NoteResult(result);
  quennet::log_error("SQLite exec failed: %s", error ? error : "?");
  sqlite3_free(error);
  return false;
}

Statement Database::Prepare(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK) {
    quennet::log_error("SQLite prepare failed: %s", sqlite3_errmsg(m_db));
    sqlite3_finalize(statement);
    statement = nullptr;
  }
  return Statement(statement, this);
}

int Database::UserVersion() {
  Statement statement = Prepare("PRAGMA user_version");
  return statement.Step() ? static_cast<int>(statement.Int(0)) : 0;
}

bool Database::SetUserVersion(int version) { return Exec("PRAGMA user_version=" + std::to_string(version)); }

int64_t Database::LastInsertRowId() { return sqlite3_last_insert_rowid(m_db); }

void Database::HandCheckpointsTo(WalCheckpointer* checkpointer) {
  // The hook replaces SQLite's automatic checkpoints.
  sqlite3_wal_hook(
      m_db,
      [](void* context, sqlite3*, const char*, int pages) {
        if (context) static_cast<WalCheckpointer*>(context)->NoteLogPages(pages);
        return SQLITE_OK;
      },
      checkpointer);
}

void Database::NoteResult(int result) {
  const int primary = result & 0xFF;
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) m_damaged = true;
}

bool Database::WriteBlobInChunks(const std::string& table, const std::string& column, int64_t rowid, int64_t size,
                                 const std::function<bool(std::string* chunk)>& next) {
  sqlite3_blob* blob = nullptr;
  if (sqlite3_blob_open(m_db, "main", table.c_str(), column.c_str(), rowid, 1, &blob) != SQLITE_OK) {
    quennet::log_error("SQLite blob open failed: %s", sqlite3_errmsg(m_db));
    sqlite3_blob_close(blob);
    return false;
  }
  bool ok = true;
  std::string chunk;
  for (int64_t offset = 0; ok && offset < size;) {
    chunk.clear();
    ok = next(&chunk) && !chunk.empty() && offset + static_cast<int64_t>(chunk.size()) <= size;
    if (ok && sqlite3_blob_write(blob, chunk.data(), static_cast<int>(chunk.size()), static_cast<int>(offset)) != SQLITE_OK) {
      quennet::log_error("SQLite blob write failed: %s", sqlite3_errmsg(m_db));
      ok = false;
    }
    offset += static_cast<int64_t>(chunk.size());
  }
  sqlite3_blob_close(blob);
  return ok;
}

Transaction::Transaction(Database& db) : m_db(db) { m_db.Exec("BEGIN"); }

Transaction::~Transaction() {
  if (!m_done) m_db.Exec("ROLLBACK");
}

bool Transaction::Commit() {
  m_done = true;
  return m_db.Exec("COMMIT");
}

RecordTable::RecordTable(Database& db, const std::string& name, bool binary)
    : m_db(db),
      m_name(name),
      m_binary(binary),
      m_put((db.Exec("CREATE TABLE IF NOT EXISTS " + name +
                     " (key TEXT PRIMARY KEY, ord INTEGER NOT NULL, body TEXT NOT NULL)"),
             db.Prepare("INSERT OR REPLACE INTO " + name + " (key, ord, body) VALUES (?, ?, ?)"))),
      m_remove(db.Prepare("DELETE FROM " + name + " WHERE key = ?")) {}

bool RecordTable::Put(const std::string& key, int64_t order, const std::string& body) {
  m_put.Bind(1, key).Bind(2, order);
  if (m_binary) {
    m_put.BindBlob(3, body);
  } else {
    m_put.Bind(3, body);
  }
  return m_put.Run();
}

bool RecordTable::PutInChunks(const std::string& key, int64_t order, int64_t size,
                              const std::function<bool(std::string* chunk)>& next) {
  if (size < 0 || size > INT_MAX) {
    quennet::log_error("Record %s: %lld bytes are more than one row holds", key.c_str(), static_cast<long long>(size));
    return false;
  }
  Transaction transaction(m_db);
  Statement insert = m_db.Prepare("INSERT OR REPLACE INTO " + m_name + " (key, ord, body) VALUES (?, ?, zeroblob(?))");
  if (!insert.Bind(1, key).Bind(2, order).Bind(3, size).Run()) return false;
  if (!m_db.WriteBlobInChunks(m_name, "body", m_db.LastInsertRowId(), size, next)) return false;
  return transaction.Commit();
}

bool RecordTable::Remove(const std::string& key) { return m_remove.Bind(1, key).Run(); }

bool RecordTable::Clear() { return m_db.Exec("DELETE FROM " + m_name); }

std::vector<RecordTable::Row> RecordTable::LoadAll() {
  std::vector<Row> rows;
  Statement select = m_db.Prepare("SELECT key, ord, body FROM " + m_name + " ORDER BY ord, key");
  while (select.Step()) rows.push_back({select.Text(0), select.Int(1), m_binary ? select.Blob(2) : select.Text(2)});
  return rows;
}

}  // namespace mireloom::detail
