#include "mireloom/SqlMigrate.h"

#include <windows.h>

#include "Database.h"
#include "quennet/EventLog.h"
#include "Text.h"

namespace mireloom {

bool SqlMigrate::InitOrDie(const std::string& folderWithSlash) {
  const std::wstring folder = detail::Cp936ToWide(folderWithSlash);
  if (folder.empty() || !detail::MakeFolders(folder)) {
    quennet::log_error("Meta.db: cannot create the data folder");
    return false;
  }
  m_meta_path = detail::JoinPath(folder, L"Meta.db");
  const bool existed = GetFileAttributesW(m_meta_path.c_str()) != INVALID_FILE_ATTRIBUTES;
  // Opened for this call only: the client may empty the folder right after.
  std::unique_ptr<detail::Database> meta = detail::Database::Open(m_meta_path);
  if (!meta) return false;
  if (!existed) meta->SetUserVersion(kCurrentSchemaVersion);
  m_version = meta->UserVersion();
  return true;
}

bool SqlMigrate::IsExpired(int version) const { return !m_meta_path.empty() && m_version < version; }

bool SqlMigrate::MigrateOrDieV2(int version) {
  if (m_meta_path.empty()) return false;
  std::unique_ptr<detail::Database> meta = detail::Database::Open(m_meta_path);
  if (!meta || !meta->SetUserVersion(version)) return false;
  quennet::log_event("Meta.db migrated from %d to %d", m_version, version);
  m_version = version;
  return true;
}

}  // namespace mireloom
