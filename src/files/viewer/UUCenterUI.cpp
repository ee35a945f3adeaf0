#include "files/viewer/UUCenterUI.h"

#include <objidl.h>

#include <algorithm>
#include <cwchar>

// GDI+ expects min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "duilib/ImageFiles.h"
#include "duilib/Utils.h"
#include "files/viewer/ImageGeometry.h"

CUUCenterUI::CUUCenterUI() = default;

CUUCenterUI::~CUUCenterUI() = default;

LPVOID CUUCenterUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"UUCenter") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

void CUUCenterUI::SetImage(DuiLib::CDuiString path) {
  m_imagePath = path;
  m_picture.Clear();
  m_imageWidth = 0;
  m_imageHeight = 0;
  // An empty or oversized file is no picture the service sent, and a small
  // file can still hold a picture of gigabytes: the header is read first,
  // and nothing outside the picture budget is decoded here, on the
  // user-interface thread.
  SIZE size = {};
  if (!DuiLib::GetImageFileSize(m_imagePath.GetData(), &size) || !DuiLib::FitsPictureBudget(size.cx, size.cy)) {
    LayoutImage(0, 0);
    return;
  }
  // Without embedded colour management: the picture shows as its pixels say.
  Gdiplus::Image image(m_imagePath.GetData(), FALSE);
  if (image.GetLastStatus() == Gdiplus::Ok && m_picture.Load(image)) {
    m_imageWidth = static_cast<int>(image.GetWidth());
    m_imageHeight = static_cast<int>(image.GetHeight());
    m_picture.TurnTo(m_rotation >= 0 && m_rotation <= 3 ? m_rotation : 0);
  }
  LayoutImage(m_imageWidth, m_imageHeight);
}

void CUUCenterUI::SetRotation(int rotation) {
  m_rotation = rotation;
  switch (rotation) {
    case 0:
    case 2:
      m_picture.TurnTo(rotation);
      LayoutImage(m_imageWidth, m_imageHeight);
      break;
    case 1:
    case 3:
      m_picture.TurnTo(rotation);
      LayoutImage(m_imageHeight, m_imageWidth);
      break;
    default:
      // Shown unturned, the layout as it was.
      m_picture.TurnTo(0);
      Invalidate();
      break;
  }
}

void CUUCenterUI::SetZoomPercent(int percent) {
  m_drawRect = files::ZoomedImageRect(GetPos(), m_baseRect, m_imageWidth, m_imageHeight, percent);
  Invalidate();
}

void CUUCenterUI::MoveImageBy(int dx, int dy) {
  m_drawRect = files::MovedImageRect(GetPos(), m_drawRect, dx, dy);
  Invalidate();
}

void CUUCenterUI::SetBaseRect(int left, int top, int right, int bottom) { m_baseRect = {left, top, right, bottom}; }

void CUUCenterUI::ScaleBaseRect(RECT previous) { m_baseRect = files::ScaledBaseRect(m_baseRect, previous, GetPos()); }

void CUUCenterUI::LayoutImage(int width, int height) {
  m_fitPercent = ComputeFitZoomPercent(width, height);
  m_baseRect = ComputeCenteredRect(m_fitPercent);
  m_drawRect = m_baseRect;
  Invalidate();
}

int CUUCenterUI::ComputeFitZoomPercent(int width, int height) const {
  const RECT& pos = GetPos();
  return files::ComputeFitZoomPercent(width, height, pos.right - pos.left, pos.bottom - pos.top);
}

RECT CUUCenterUI::ComputeCenteredRect(int percent) const {
  return files::CenteredImageRect(GetPos(), m_imageWidth, m_imageHeight, percent);
}

RECT CUUCenterUI::PaintedRect() const {
  if (m_rotation != 1 && m_rotation != 3) return m_drawRect;
  // A quarter turn about the drawn rectangle's centre swaps its sides.
  const LONG width = m_drawRect.right - m_drawRect.left;
  const LONG height = m_drawRect.bottom - m_drawRect.top;
  const LONG cx = m_drawRect.left + width / 2;
  const LONG cy = m_drawRect.top + height / 2;
  return {cx - height / 2, cy - width / 2, cx - height / 2 + height, cy - width / 2 + width};
}

void CUUCenterUI::PaintStatusImage(HDC hDC) {
  if (m_imagePath.IsEmpty() || m_picture.IsEmpty()) return;
  RECT clip;
  RECT visible = GetPos();
  if (GetClipBox(hDC, &clip) != ERROR) IntersectRect(&visible, &visible, &clip);
  m_picture.Draw(hDC, PaintedRect(), visible);
}
