#include "duilib/ScrollBar.h"

#include <algorithm>

#include "Attributes.h"
#include "duilib/Container.h"
#include "duilib/PaintManager.h"
#include "GdiPlus.h"
#include "PaintSupport.h"
#include "Render.h"

namespace DuiLib {

namespace {

constexpr int kMinThumbSize = 20;
constexpr UINT kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 400;
constexpr UINT kRepeatInterval = 50;

int Length(const RECT& rc, bool horizontal) { return horizontal ? rc.right - rc.left : rc.bottom - rc.top; }

}  // namespace

CScrollBarUI::CScrollBarUI(CContainerUI* pOwner, bool bHorizontal) : m_pOwner(pOwner), m_bHorizontal(bHorizontal) {}

LPCTSTR CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"ScrollBar") == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

void CScrollBarUI::ApplyStyle(LPCTSTR pstrList) {
  using namespace detail;
  for (const auto& [key, value] : ParseAttributeList(pstrList)) {
    DWORD color;
    int number;
    if (key == L"width") {
      if (ParseInt(value.c_str(), &number) && number >= 0) m_style.nWidth = number;
    } else if (key == L"bkcolor") {
      if (ParseColor(value.c_str(), &color)) m_style.dwBkColor = color;
    } else if (key == L"thumbcolor") {
      if (ParseColor(value.c_str(), &color)) m_style.dwThumbColor = color;
    } else if (key == L"thumbhotcolor") {
      if (ParseColor(value.c_str(), &color)) m_style.dwThumbHotColor = color;
    } else if (key == L"thumbpushedcolor") {
      if (ParseColor(value.c_str(), &color)) m_style.dwThumbPushedColor = color;
    } else if (key == L"thumbnormalimage") {
      m_style.thumbNormalImage.Set(value.c_str());
    } else if (key == L"thumbhotimage") {
      m_style.thumbHotImage.Set(value.c_str());
    } else if (key == L"showbutton1") {
      ParseBool(value.c_str(), &m_style.bShowButton1);
    } else if (key == L"showbutton2") {
      ParseBool(value.c_str(), &m_style.bShowButton2);
    }
  }
  Invalidate();
}

void CScrollBarUI::Update(const RECT& rcBar, int nRange, int nPos, int nView) {
  SetPos(rcBar, false);
  m_nRange = std::max(0, nRange);
  m_nView = std::max(0, nView);
  const int length = Length(rcBar, m_bHorizontal);
  const int thickness = m_bHorizontal ? rcBar.bottom - rcBar.top : rcBar.right - rcBar.left;
  const int button1 = m_style.bShowButton1 ? std::min(thickness, length / 2) : 0;
  const int button2 = m_style.bShowButton2 ? std::min(thickness, length / 2) : 0;
  auto span = [&](int from, int to) {
    return m_bHorizontal ? RECT{rcBar.left + from, rcBar.top, rcBar.left + to, rcBar.bottom}
                         : RECT{rcBar.left, rcBar.top + from, rcBar.right, rcBar.top + to};
  };
  m_rcButton1 = span(0, button1);
  m_rcButton2 = span(length - button2, length);
  m_rcTrack = span(button1, length - button2);
  const int track = std::max(0, length - button1 - button2);
  const int content = m_nView + m_nRange;
  int thumb = content > 0 ? static_cast<int>(static_cast<long long>(track) * m_nView / content) : track;
  thumb = std::clamp(thumb, std::min(kMinThumbSize, track), track);
  const int travel = track - thumb;
  const int offset = m_nRange > 0 ? static_cast<int>(static_cast<long long>(travel) * std::clamp(nPos, 0, m_nRange) / m_nRange) : 0;
  m_rcThumb = span(button1 + offset, button1 + offset + thumb);
}

CScrollBarUI::Part CScrollBarUI::PartAt(POINT pt) const {
  if (!PtInRect(&m_rcItem, pt)) return Part::None;
  if (PtInRect(&m_rcButton1, pt)) return Part::Button1;
  if (PtInRect(&m_rcButton2, pt)) return Part::Button2;
  if (PtInRect(&m_rcThumb, pt)) return Part::Thumb;
  const int thumbStart = m_bHorizontal ? m_rcThumb.left : m_rcThumb.top;
  return Along(pt) < thumbStart ? Part::PageBefore : Part::PageAfter;
}

bool CScrollBarUI::Step(Part part) {
  int delta = 0;
  switch (part) {
    case Part::Button1: delta = -m_pOwner->GetScrollStepSize(); break;
    case Part::Button2: delta = m_pOwner->GetScrollStepSize(); break;
    case Part::PageBefore: delta = -m_nView; break;
    case Part::PageAfter: delta = m_nView; break;
    default: return false;
  }
  SIZE target = m_pOwner->GetScrollPos();
  (m_bHorizontal ? target.cx : target.cy) += delta;
  return m_pOwner->ScrollByUser(target);
}

void CScrollBarUI::Drag(POINT pt) {
  const int track = Length(m_rcTrack, m_bHorizontal);
  const int travel = track - Length(m_rcThumb, m_bHorizontal);
  const int trackStart = m_bHorizontal ? m_rcTrack.left : m_rcTrack.top;
  const int offset = Along(pt) - m_nDragOffset - trackStart;
  const LONG position = travel > 0 ? static_cast<LONG>(static_cast<long long>(offset) * m_nRange / travel) : 0;
  SIZE target = m_pOwner->GetScrollPos();
  (m_bHorizontal ? target.cx : target.cy) = position;
  m_pOwner->ScrollByUser(target);
}

void CScrollBarUI::StopRepeat() {
  if (m_pManager) m_pManager->KillTimer(this, kRepeatTimer);
}

void CScrollBarUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
      if (!m_pOwner->IsEnabled()) return;
      const Part part = PartAt(event.ptMouse);
      if (part == Part::None) return;
      m_pressed = part;
      Invalidate();
      if (part == Part::Thumb) {
        m_nDragOffset = Along(event.ptMouse) - (m_bHorizontal ? m_rcThumb.left : m_rcThumb.top);
        return;
      }
      // Arrows and the track repeat while held, like the system's bars.
      if (Step(part) && m_pManager) m_pManager->SetTimer(this, kRepeatTimer, kRepeatDelay);
      return;
    }
    case UIEVENT_TIMER:
      if (event.wParam != kRepeatTimer) return;
      if (m_pressed == Part::None || m_pressed == Part::Thumb || !m_pManager ||
          PartAt(m_pManager->GetMousePos()) != m_pressed || !Step(m_pressed)) {
        StopRepeat();
      } else if (m_pManager) {
        m_pManager->SetTimer(this, kRepeatTimer, kRepeatInterval);
      }
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_pressed == Part::Thumb) Drag(event.ptMouse);
      return;
    case UIEVENT_BUTTONUP:
      m_pressed = Part::None;
      StopRepeat();
      Invalidate();
      return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
      m_bHot = event.Type == UIEVENT_MOUSEENTER;
      Invalidate();
      return;
    case UIEVENT_SETCURSOR:
      ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return;
    default:
      // The wheel and keys go on to the container.
      CControlUI::DoEvent(event);
      return;
  }
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT rcClip;
  if (!IntersectRect(&rcClip, &rcPaint, &m_rcItem)) return;
  detail::FillColor(hDC, m_rcItem, m_style.dwBkColor);
  if (!IsRectEmpty(&m_rcButton1)) PaintArrow(hDC, m_rcButton1, false);
  if (!IsRectEmpty(&m_rcButton2)) PaintArrow(hDC, m_rcButton2, true);
  const bool hot = m_bHot || m_pressed != Part::None;
  TImageSlot& image = hot ? m_style.thumbHotImage : m_style.thumbNormalImage;
  if (DrawImage(hDC, image, m_rcThumb)) return;
  const DWORD color = m_pressed == Part::Thumb ? m_style.dwThumbPushedColor
                      : hot                    ? m_style.dwThumbHotColor
                                               : m_style.dwThumbColor;
  RECT thumb = m_rcThumb;
  if (m_bHorizontal) {
    InflateRect(&thumb, -1, -2);
  } else {
    InflateRect(&thumb, -2, -1);
  }
  const LONG radius = m_bHorizontal ? thumb.bottom - thumb.top : thumb.right - thumb.left;
  detail::FillColor(hDC, thumb, color, SIZE{radius, radius});
}

void CScrollBarUI::PaintArrow(HDC hDC, const RECT& rc, bool towardsEnd) const {
  const DWORD color = m_pressed != Part::None || m_bHot ? m_style.dwThumbHotColor : m_style.dwThumbColor;
  const float cx = (rc.left + rc.right) / 2.0f;
  const float cy = (rc.top + rc.bottom) / 2.0f;
  const float half = std::max(2.0f, std::min(rc.right - rc.left, rc.bottom - rc.top) / 4.0f);
  const float sign = towardsEnd ? 1.0f : -1.0f;
  Gdiplus::PointF points[3];
  if (m_bHorizontal) {
    points[0] = Gdiplus::PointF(cx + sign * half / 2, cy);
    points[1] = Gdiplus::PointF(cx - sign * half / 2, cy - half);
    points[2] = Gdiplus::PointF(cx - sign * half / 2, cy + half);
  } else {
    points[0] = Gdiplus::PointF(cx, cy + sign * half / 2);
    points[1] = Gdiplus::PointF(cx - half, cy - sign * half / 2);
    points[2] = Gdiplus::PointF(cx + half, cy - sign * half / 2);
  }
  detail::StartGraphics();
  Gdiplus::Graphics graphics(hDC);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<BYTE>(color >> 24), static_cast<BYTE>(color >> 16),
                                           static_cast<BYTE>(color >> 8), static_cast<BYTE>(color)));
  graphics.FillPolygon(&brush, points, 3);
}

}  // namespace DuiLib
