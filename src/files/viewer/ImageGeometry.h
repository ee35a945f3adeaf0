#pragma once

// Where a picture goes inside the image control: the zoom that fits it, its
// rectangle centred at a zoom, zoomed about the control's centre, moved by a
// drag, and the base rectangle carried over to a resized control. Rectangles
// are in the control's own coordinates (its owner's client area) and in the
// picture's unturned orientation; integer division truncates.

#include <windows.h>

namespace files {

// The zoom percent at which a picture of w x h fits a control of bw x bh. A
// picture smaller than the control is never enlarged; a side exactly equal to
// the control's counts as fitting (100).
[[nodiscard]] int ComputeFitZoomPercent(int w, int h, int bw, int bh);

// The picture (width x height, unturned) at `percent`, centred in the control.
[[nodiscard]] RECT CenteredImageRect(const RECT& control, int width, int height, int percent);

// The picture at `percent`, keeping under the control's centre the point of
// the picture that `base` had there; an axis on which the picture is smaller
// than the control stays centred. A base without width or height counts as
// centred on that axis.
[[nodiscard]] RECT ZoomedImageRect(const RECT& control, const RECT& base, int width, int height, int percent);

// The drawn rectangle moved by (dx, dy) the other way (the owner passes the
// previous mouse position minus the current one), on each axis where the
// picture is larger than the control, never uncovering the edge of the
// control away from the drag.
[[nodiscard]] RECT MovedImageRect(const RECT& control, const RECT& draw, int dx, int dy);

// The base rectangle's coordinates scaled by the control's new size over its
// previous one; unchanged when the previous rectangle had no width or height.
[[nodiscard]] RECT ScaledBaseRect(const RECT& base, const RECT& previous, const RECT& current);

}  // namespace files
