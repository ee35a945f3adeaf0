#pragma once

#include <string>
#include <vector>

namespace quennet {

// File operations on narrow paths in code page 936. "/" and "\" both separate,
// doubled and trailing separators are accepted. Bytes that are not valid 936,
// an empty path or an over-long one give false and change nothing.
// Stateless and safe from any thread.
class FileUtils final {
 public:
  // Never null; lives to the end of the process.
  static FileUtils* SharedFileUtils();

  [[nodiscard]] bool DirectoryExists(const std::string& path) const;
  // True only for an existing file, never for a folder.
  [[nodiscard]] bool FileExists(const std::string& path) const;
  // Creates every missing level; true when the path is a folder afterwards.
  bool MakeDirectory(const std::string& path) const;
  // Deletes every entry directly in the folder whose name (ignoring case) is not
  // kept; folders go with their contents, links are removed and never followed.
  // Goes on past failures and is true only when everything not kept is gone.
  // Refuses a missing folder, an empty path or a drive root.
  bool DeleteFolderContentsExcept(const std::string& folder, const std::vector<std::string>& keep) const;

 private:
  FileUtils() = default;
};

}  // namespace quennet
