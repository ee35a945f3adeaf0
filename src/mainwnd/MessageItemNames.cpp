#include "mainwnd/MessageItemNames.h"

#include <vector>

#include "app/TextHelpers.h"

namespace messageview {

namespace {

// The name's parts when it holds the marker and at least two parts.
bool ReadParts(const std::wstring& name, const wchar_t* marker, std::vector<std::string>* parts) {
  if (name.find(marker) == std::wstring::npos) return false;
  *parts = SplitString(WideToUtf8(name), "_");
  return parts->size() >= 2;
}

bool ReadSecondPart(const std::wstring& name, const wchar_t* marker, std::string* out) {
  std::vector<std::string> parts;
  if (!ReadParts(name, marker, &parts)) return false;
  if (out) *out = parts[1];
  return true;
}

}  // namespace

bool ImageItemName(const std::wstring& name, std::string* key) { return ReadSecondPart(name, L"image_", key); }

bool SnippetItemName(const std::wstring& name, std::string* entity_id) {
  return ReadSecondPart(name, L"snippet_", entity_id);
}

bool FileItemName(const std::wstring& name) { return name.find(L"file_") != std::wstring::npos; }

bool SplitItemName(const std::wstring& name, std::string* first, std::string* second) {
  std::vector<std::string> parts;
  if (!ReadParts(name, L"_", &parts)) return false;
  if (second) {
    if (first) *first = parts[0];
    *second = parts[1];
  }
  return true;
}

}  // namespace messageview
