#include <gtest/gtest.h>

#include <string>

#include "quennet/SystemLibraries.h"

namespace {

std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.rfind(L'\\'));
}

TEST(SystemLibraries, OnlyTheSystemFolderIsSearched) {
  // Found by the default search order, beside this program.
  constexpr wchar_t kPlanted[] = L"corvanel_planted.dll";
  HMODULE planted = LoadLibraryW(kPlanted);
  ASSERT_NE(planted, nullptr) << "the planted library lies beside the tests";
  FreeLibrary(planted);
  EXPECT_EQ(quennet::LoadSystemLibrary(kPlanted), nullptr);

  EXPECT_TRUE(quennet::RestrictLibrarySearchToSystemFolder());
  EXPECT_EQ(LoadLibraryW(kPlanted), nullptr) << "a library by its bare name comes from the system folder only";

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  for (const wchar_t* name : {L"msftedit.dll", L"comctl32.dll"}) {
    HMODULE module = quennet::LoadSystemLibrary(name);
    ASSERT_NE(module, nullptr) << name;
    EXPECT_EQ(_wcsicmp(ModuleFolder(module).c_str(), system), 0) << name;
  }
}

}  // namespace
