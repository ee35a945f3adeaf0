#include "mainwnd/messages/MessageItemNames.h"

#include <vector>

#include "app/text/TextHelpers.h"

namespace messageview {

namespace {

bool BeginsWith(const std::wstring& name, const wchar_t* marker) { return name.rfind(marker, 0) == 0; }

// The name's parts when it has at least two.
bool ReadParts(const std::wstring& name, std::vector<std::string>* parts) {
  *parts = SplitString(WideToUtf8(name), "_");
  return parts->size() >= 2;
}

bool ReadSecondPart(const std::wstring& name, const wchar_t* marker, std::string* out) {
  std::vector<std::string> parts;
  if (!BeginsWith(name, marker) || !ReadParts(name, &parts)) return false;
  if (out) *out = parts[1];
  return true;
}

}  // namespace

bool ImageItemName(const std::wstring& name, std::string* key) { return ReadSecondPart(name, L"image_", key); }

bool SnippetItemName(const std::wstring& name, std::string* entity_id) {
  return ReadSecondPart(name, L"snippet_", entity_id);
}

bool FileItemName(const std::wstring& name) { return BeginsWith(name, L"file_"); }

bool SplitItemName(const std::wstring& name, std::string* first, std::string* second) {
  std::vector<std::string> parts;
  if (name.find(L'_') == std::wstring::npos || !ReadParts(name, &parts)) return false;
  if (second) {
    if (first) *first = parts[0];
    *second = parts[1];
  }
  return true;
}

}  // namespace messageview
