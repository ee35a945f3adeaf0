#pragma once

// A soft edge for a large round, such as a round avatar. GDI clips a rounded
// control to a region, whose edge is a stair of whole pixels. While this
// guard lives, the control paints as before; it keeps what lay under the
// round's corners beforehand, and when it goes it blends that back into each
// corner pixel by the share of the pixel that lies outside the round.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace DuiLib::detail {

class SmoothRoundCorners final {
 public:
  // Does nothing for a small round, whose stair does not show.
  SmoothRoundCorners(HDC hDC, const RECT& rc, SIZE round);
  ~SmoothRoundCorners();
  SmoothRoundCorners(const SmoothRoundCorners&) = delete;
  SmoothRoundCorners& operator=(const SmoothRoundCorners&) = delete;

 private:
  struct Corner {
    RECT box;
    std::vector<uint32_t> under;  // the pixels before the control painted, row by row
  };

  HDC m_dc;
  RECT m_rc;
  SIZE m_round;
  std::vector<Corner> m_corners;
};

// The share of the pixel at (x, y) that lies inside the rectangle with its
// corners rounded by ellipses of the round's width and height, 0 to 1.
[[nodiscard]] double RoundCoverage(const RECT& rc, SIZE round, int x, int y);

}  // namespace DuiLib::detail
