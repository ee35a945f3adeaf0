#include "files/UUCenterUI.h"

#include <objidl.h>

#include <algorithm>
#include <cwchar>

// GDI+ expects min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "files/ImageGeometry.h"

CUUCenterUI::CUUCenterUI() = default;

CUUCenterUI::~CUUCenterUI() = default;

LPVOID CUUCenterUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"UUCenter") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

void CUUCenterUI::SetImage(DuiLib::CDuiString path) {
  m_imagePath = path;
  m_image.reset();
  m_imageWidth = 0;
  m_imageHeight = 0;
  // Without embedded colour management: the picture shows as its pixels say.
  auto image = std::make_unique<Gdiplus::Image>(m_imagePath.GetData(), FALSE);
  if (image->GetLastStatus() == Gdiplus::Ok) {
    m_imageWidth = static_cast<int>(image->GetWidth());
    m_imageHeight = static_cast<int>(image->GetHeight());
    m_image = std::move(image);
  }
  LayoutImage(m_imageWidth, m_imageHeight);
}

void CUUCenterUI::SetRotation(int rotation) {
  m_rotation = rotation;
  switch (rotation) {
    case 0:
    case 2:
      m_angle = rotation * 90.0f;
      LayoutImage(m_imageWidth, m_imageHeight);
      break;
    case 1:
    case 3:
      m_angle = rotation * 90.0f;
      LayoutImage(m_imageHeight, m_imageWidth);
      break;
    default:
      m_angle = 0.0f;
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

void CUUCenterUI::PaintStatusImage(HDC hDC) {
  if (m_imagePath.IsEmpty() || !m_image) return;
  Gdiplus::Graphics graphics(hDC);
  const int width = m_drawRect.right - m_drawRect.left;
  const int height = m_drawRect.bottom - m_drawRect.top;
  if (m_rotation != 0) {
    // Turned about the centre of the drawn rectangle.
    const auto cx = static_cast<float>(m_drawRect.left + width / 2);
    const auto cy = static_cast<float>(m_drawRect.top + height / 2);
    graphics.TranslateTransform(cx, cy);
    graphics.RotateTransform(m_angle);
    graphics.TranslateTransform(-cx, -cy);
  }
  graphics.DrawImage(m_image.get(), static_cast<INT>(m_drawRect.left), static_cast<INT>(m_drawRect.top), width, height);
}
