#pragma once

// A picture decoded once into 32-bit premultiplied DIBs: the whole picture in
// its current quarter turn, and halves of it down to a few pixels. A repaint
// draws the visible part from the smallest copy that is still at least as
// large as the drawn picture, with GDI's AlphaBlend: GDI+ under Wine
// resamples the whole source on every draw, which is far too slow for a
// picture being zoomed or dragged.

#include <windows.h>

#include <vector>

#include "quennet/WinHandles.h"

namespace Gdiplus {
class Image;
}

namespace files {

class CPicturePyramid final {
 public:
  // Decodes the picture; false (and empty) when it has no pixels or more
  // than the picture budget allows.
  bool Load(Gdiplus::Image& image);
  void Clear();
  [[nodiscard]] bool IsEmpty() const { return m_levels.empty(); }

  // Turns the picture to 0 to 3 quarter turns clockwise from how it was loaded.
  void TurnTo(int quarterTurns);

  // Draws the picture into `painted` (the turned picture's rectangle) where
  // it meets `visible`.
  void Draw(HDC dc, const RECT& painted, const RECT& visible) const;

 private:
  struct Level {
    quennet::UniqueBitmap bitmap;
    DWORD* pixels = nullptr;
    int width = 0;
    int height = 0;
  };
  static Level MakeLevel(int width, int height);
  // Each level half of the one before, averaging 2 x 2 pixels.
  void BuildHalves();
  [[nodiscard]] const Level& LevelFor(int width, int height) const;

  std::vector<Level> m_levels;
  int m_turns = 0;
};

}  // namespace files
