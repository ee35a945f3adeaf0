#pragma once

// The system clipboard's text, set and read as the tests need it: the edits
// copy and paste there themselves, not through the platform seam.

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace test_support {

// "" when the clipboard cannot be opened or holds no text.
inline std::wstring ClipboardText(HWND owner = nullptr) {
  if (!OpenClipboard(owner)) return {};
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// True when the clipboard holds the text afterwards.
inline bool PutOnClipboard(const std::wstring& text, HWND owner = nullptr) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool placed = false;
  if (memory) {
    if (void* target = GlobalLock(memory)) {
      memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    // The clipboard owns the memory only once it accepted it.
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  return placed;
}

}  // namespace test_support
