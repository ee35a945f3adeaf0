#include "mainwnd/MessageItemNames.h"

#include <vector>

#include "app/TextHelpers.h"

namespace messageview {

namespace {

// The name's pieces when it holds the marker and at least two pieces.
bool ReadPieces(const std::wstring& name, const wchar_t* marker, std::vector<std::string>* pieces) {
  if (name.find(marker) == std::wstring::npos) return false;
  *pieces = SplitString(WideToUtf8(name), "_");
  return pieces->size() >= 2;
}

bool ReadSecondPiece(const std::wstring& name, const wchar_t* marker, std::string* out) {
  std::vector<std::string> pieces;
  if (!ReadPieces(name, marker, &pieces)) return false;
  if (out) *out = pieces[1];
  return true;
}

}  // namespace

bool ImageItemName(const std::wstring& name, std::string* key) { return ReadSecondPiece(name, L"image_", key); }

bool SnippetItemName(const std::wstring& name, std::string* entity_id) {
  return ReadSecondPiece(name, L"snippet_", entity_id);
}

bool FileItemName(const std::wstring& name) { return name.find(L"file_") != std::wstring::npos; }

bool SplitItemName(const std::wstring& name, std::string* first, std::string* second) {
  std::vector<std::string> pieces;
  if (!ReadPieces(name, L"_", &pieces)) return false;
  if (second) {
    if (first) *first = pieces[0];
    *second = pieces[1];
  }
  return true;
}

}  // namespace messageview
