#pragma once

// The image viewer's picture: one picture file painted inside the control,
// centred, scaled to a zoom percent, turned in quarter turns, and movable by
// its owner while it is larger than the control. The control takes no input
// of its own; the owning window turns mouse actions into the calls below.
// The control must be placed (SetPos) before SetImage, so that the layout
// uses its final rectangle. GDI+, which decodes the picture, must have been
// started by the framework.

#include <windows.h>

#include "duilib/UIlib.h"
#include "files/viewer/PicturePyramid.h"

class CUUCenterUI final : public DuiLib::CControlUI {
 public:
  CUUCenterUI();
  ~CUUCenterUI() override;

  [[nodiscard]] LPCTSTR GetClass() const override { return L"CUUCenterUI"; }
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void PaintStatusImage(HDC hDC) override;

  // Loads the picture (a file that is no picture, or a picture above the
  // budget of duilib/ImageFiles.h, gives 0 x 0) and lays it out; the
  // rotation stays.
  void SetImage(DuiLib::CDuiString path);
  [[nodiscard]] int GetImageWidth() const { return m_imageWidth; }
  [[nodiscard]] int GetImageHeight() const { return m_imageHeight; }
  // 0 to 3 quarter turns clockwise, back to the fitted layout; any other
  // value shows the picture unturned and keeps the layout.
  void SetRotation(int rotation);
  [[nodiscard]] int GetFitZoomPercent() const { return m_fitPercent; }
  void SetZoomPercent(int percent);
  void MoveImageBy(int dx, int dy);
  // The owner commits a finished drag with the drawn rectangle.
  void SetBaseRect(int left, int top, int right, int bottom);
  [[nodiscard]] RECT GetDrawRect() const { return m_drawRect; }
  // After the owner moved the control from `previous` to its new rectangle.
  void ScaleBaseRect(RECT previous);
  // Fits and centres a picture of w x h (the sizes swapped when turned).
  void LayoutImage(int width, int height);
  [[nodiscard]] int ComputeFitZoomPercent(int width, int height) const;
  [[nodiscard]] RECT ComputeCenteredRect(int percent) const;

 private:
  // Where the turned picture is painted: the drawn rectangle turned about its centre.
  [[nodiscard]] RECT PaintedRect() const;

  int m_rotation = 0;
  DuiLib::CDuiString m_imagePath;
  // The decoded picture, in its current turn; the file is not kept open.
  files::CPicturePyramid m_picture;
  int m_imageWidth = 0;
  int m_imageHeight = 0;
  int m_fitPercent = 100;
  RECT m_baseRect = {};
  RECT m_drawRect = {};
};
