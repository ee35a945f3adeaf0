#pragma once

#include <cstdint>
#include <string>

namespace test_support {

// A fresh folder under the (throw-away) temporary folder, with Chinese
// characters in its name, removed with everything in it at the end.
class TempFolder final {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::wstring& Path() const { return m_path; }
  // The path in code page 936, as the narrow file functions take it.
  [[nodiscard]] std::string NarrowPath() const;
  // Joins a relative name to the folder.
  [[nodiscard]] std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

 private:
  std::wstring m_path;
};

// Removes the folder with everything in it.
void DeleteTree(const std::wstring& folder);
// Writes bytes to a file, replacing it.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Writes bytes over the start of a file (or at `offset`) that another handle
// may hold open (a store the service uses), as another program may.
bool OverwriteOpenFile(const std::wstring& path, const std::string& bytes, int64_t offset = 0);
// A file of so many megabytes in a temporary folder of its own, written a
// megabyte at a time, each of its own letter, so that a block out of place
// shows; removed with its folder at the end.
class BigFile final {
 public:
  BigFile(const std::wstring& name, int megabytes);
  [[nodiscard]] bool Written() const { return m_written; }
  [[nodiscard]] const std::wstring& Path() const { return m_path; }

 private:
  TempFolder m_folder;
  std::wstring m_path;
  bool m_written;
};
// The whole file, or "" when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Code page 936 form of a wide path.
std::string ToCp936(const std::wstring& text);
// The source tree's file, seen from Windows.
std::wstring SourcePath(const std::wstring& relative);

}  // namespace test_support
