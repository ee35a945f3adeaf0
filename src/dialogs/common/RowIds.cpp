#include "dialogs/common/RowIds.h"

#include <vector>

#include "app/text/TextHelpers.h"

namespace mireloomwnd {

std::wstring RowControlName(const wchar_t* prefix, const std::string& id) { return prefix + Utf8ToWide(id); }

bool IdFromControlName(const std::wstring& name, const wchar_t* prefix, std::string* id) {
  if (name.find(prefix) == std::wstring::npos) return false;
  const std::vector<std::string> pieces = SplitString(WideToUtf8(name), "_");
  if (pieces.size() < 2) return false;
  if (id) *id = pieces[1];
  return true;
}

}  // namespace mireloomwnd
