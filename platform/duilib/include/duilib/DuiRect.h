#pragma once

#include <windows.h>

namespace DuiLib {

// A RECT with helpers. IsNull: all four edges 0. IsEmpty: no area.
class CDuiRect : public RECT {
 public:
  CDuiRect() : RECT{0, 0, 0, 0} {}
  CDuiRect(const RECT& rc) : RECT(rc) {}
  CDuiRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}

  [[nodiscard]] int GetWidth() const { return right - left; }
  [[nodiscard]] int GetHeight() const { return bottom - top; }
  void Empty() { left = top = right = bottom = 0; }
  [[nodiscard]] bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
  void Offset(int cx, int cy) { left += cx; right += cx; top += cy; bottom += cy; }
  void Inflate(int cx, int cy) { left -= cx; right += cx; top -= cy; bottom += cy; }
  void Deflate(int cx, int cy) { Inflate(-cx, -cy); }
  // Grows to the union with another rectangle; an empty one adds nothing.
  void Join(const RECT& rc);
};

}  // namespace DuiLib
