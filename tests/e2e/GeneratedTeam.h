#pragma once

// A copy of the program's demo folder whose demo team has generated members
// besides its own: "成员0", "成员1" and so on, pinyin "chengyuan0" and on,
// user names "gen0" and on. The program starts on it through
// MIRELOOM_DEMO_FOLDER; the copy goes with the object.

#include <string>

#include "support/TempFolder.h"

namespace e2e {

class GeneratedTeam final {
 public:
  explicit GeneratedTeam(int generatedMembers);

  // False when the copy could not be made.
  [[nodiscard]] bool IsReady() const { return m_ready; }
  // The value of MIRELOOM_DEMO_FOLDER that starts the program on it.
  [[nodiscard]] const std::wstring& DemoFolder() const { return m_folder.Path(); }

 private:
  test_support::TempFolder m_folder;
  bool m_ready = false;
};

}  // namespace e2e
