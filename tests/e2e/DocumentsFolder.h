#pragma once

// Gives the user of the test prefix a Documents folder of another name for
// as long as it lives, through the shell folder the system reads it from;
// the programs started meanwhile keep their data there. Afterwards the old
// folder is the Documents folder again and the new one is gone.

#include <string>

namespace e2e {

class ScopedDocumentsFolder final {
 public:
  // The name of the folder beside today's Documents folder.
  explicit ScopedDocumentsFolder(const std::wstring& name);
  ~ScopedDocumentsFolder();
  ScopedDocumentsFolder(const ScopedDocumentsFolder&) = delete;
  ScopedDocumentsFolder& operator=(const ScopedDocumentsFolder&) = delete;

  // False when the folder could not be made or registered.
  [[nodiscard]] bool IsActive() const { return m_active; }
  [[nodiscard]] const std::wstring& Path() const { return m_path; }

 private:
  std::wstring m_path;
  std::wstring m_savedValue;
  unsigned long m_savedType = 0;
  bool m_active = false;
};

}  // namespace e2e
