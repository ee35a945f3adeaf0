#pragma once

#include <string>

namespace mireloom {

// The schema check of the data folder: "Meta.db" records the schema version
// of the folder's databases.
class SqlMigrate final {
 public:
  static constexpr int kCurrentSchemaVersion = 35;

  // The data folder (code page 936) followed by a separator. Creates Meta.db at
  // the current version when it is missing. Meta.db is opened only for each call.
  bool InitOrDie(const std::string& folderWithSlash);
  // True when the stored version is older than `version`.
  [[nodiscard]] bool IsExpired(int version) const;
  // Raises the stored version; the session caches of older versions become obsolete.
  bool MigrateOrDieV2(int version);

 private:
  std::wstring m_meta_path;
  int m_version = 0;
};

}  // namespace mireloom
