#pragma once

// Pictures fitted into the fixed boxes of the file windows: the icon box of a
// file-list row, the preview of the file details and the upload preview.
// Integer arithmetic throughout; division truncates.

#include <windows.h>

namespace files {

struct FittedBox {
  int width = 0;
  int height = 0;
  // Left and top place the picture in its box; right and bottom are 0.
  RECT padding = {0, 0, 0, 0};
};

// The 68 x 68 icon box of a file-list row, for a thumbnail of w x h (0 when
// unknown): the long side fills the box, the picture centred.
[[nodiscard]] FittedBox ListIconBox(int thumbWidth, int thumbHeight);

// The 300 x 177 preview of the file details. A picture as wide as the box
// keeps the box's own left padding of 12.
[[nodiscard]] FittedBox DetailsThumbnailBox(int thumbWidth, int thumbHeight);

// The upload preview of a picture of w x h (0 x 0 when it could not be
// read): its long side 160, centred in a 465 x 170 area.
[[nodiscard]] FittedBox UploadPreviewBox(int imageWidth, int imageHeight);

}  // namespace files
