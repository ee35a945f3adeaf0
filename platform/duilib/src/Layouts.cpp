#include "duilib/Layouts.h"

#include <algorithm>
#include <vector>

#include "Attributes.h"

namespace DuiLib {

namespace {

// One child of a stack: its size along the stacking axis ("main") and
// whether it shares the space left by the others.
struct StackSlot {
  CControlUI* control;
  SIZE estimate;
  int main;
  int minMain;
  int maxMain;
  bool stretch;
  bool shrinkable;
};

int MainOf(SIZE size, bool vertical) { return vertical ? size.cy : size.cx; }

// Gives the stretching children equal shares of the remaining space; a
// share outside a child's min/max is clamped and the rest shared again.
void ShareRemaining(std::vector<StackSlot>& slots, int remaining, bool scrolls) {
  std::vector<StackSlot*> open;
  for (StackSlot& slot : slots) {
    if (slot.stretch) open.push_back(&slot);
  }
  if (open.empty()) return;
  if (scrolls && remaining <= 0) {
    for (StackSlot* slot : open) slot->main = slot->minMain;
    return;
  }
  bool clamped = true;
  while (clamped && !open.empty()) {
    clamped = false;
    const int share = std::max(0, remaining) / static_cast<int>(open.size());
    for (auto it = open.begin(); it != open.end(); ++it) {
      StackSlot* slot = *it;
      if (share < slot->minMain || share > slot->maxMain) {
        slot->main = std::clamp(share, slot->minMain, slot->maxMain);
        remaining -= slot->main;
        open.erase(it);
        clamped = true;
        break;
      }
    }
  }
  if (open.empty()) return;
  const int count = static_cast<int>(open.size());
  const int share = std::max(0, remaining) / count;
  for (int i = 0; i < count; ++i) {
    // The last one takes what integer division left over.
    open[static_cast<size_t>(i)]->main = i + 1 < count ? share : std::max(0, remaining) - share * (count - 1);
  }
}

// Takes `overflow` from the shrinkable children, the largest first, each
// down to its minimum: a fixed-size stack whose content does not fit keeps
// its other children whole instead of pushing them out of sight.
void ShrinkToFit(std::vector<StackSlot>& slots, int overflow) {
  std::vector<StackSlot*> shrinkable;
  for (StackSlot& slot : slots) {
    if (slot.shrinkable && !slot.stretch && slot.main > slot.minMain) shrinkable.push_back(&slot);
  }
  std::stable_sort(shrinkable.begin(), shrinkable.end(),
                   [](const StackSlot* a, const StackSlot* b) { return a->main > b->main; });
  for (StackSlot* slot : shrinkable) {
    if (overflow <= 0) return;
    const int taken = std::min(overflow, slot->main - slot->minMain);
    slot->main -= taken;
    overflow -= taken;
  }
}

// Lays children out one after another along an axis and returns the size of
// the content (vertical: width and height; horizontal likewise).
SIZE ArrangeStack(const std::vector<CControlUI*>& items, const RECT& inner, SIZE scroll, int childPadding,
                  bool vertical, bool scrolls) {
  const int mainSpace = vertical ? inner.bottom - inner.top : inner.right - inner.left;
  const int crossSpace = vertical ? inner.right - inner.left : inner.bottom - inner.top;
  std::vector<StackSlot> slots;
  slots.reserve(items.size());
  int used = 0;
  for (CControlUI* item : items) {
    if (item->IsFloat()) continue;
    if (!item->IsSelfVisible()) {
      // Hidden children take no space and report an empty rectangle.
      const RECT& pos = item->GetPos();
      if (pos.left || pos.top || pos.right || pos.bottom || item->IsUpdateNeeded()) item->SetPos({0, 0, 0, 0});
      continue;
    }
    const RECT pad = item->GetPadding();
    const int padMain = vertical ? pad.top + pad.bottom : pad.left + pad.right;
    const int padCross = vertical ? pad.left + pad.right : pad.top + pad.bottom;
    const SIZE available = vertical ? SIZE{crossSpace - padCross, mainSpace} : SIZE{mainSpace, crossSpace - padCross};
    // An ellipsis shortens a line, not a column: only rows shrink children.
    StackSlot slot{item, item->EstimateSize(available), 0, 0, 0, false, !vertical && item->IsShrinkable()};
    slot.minMain = vertical ? item->GetMinHeight() : item->GetMinWidth();
    slot.maxMain = std::max(slot.minMain, vertical ? item->GetMaxHeight() : item->GetMaxWidth());
    const int estimated = MainOf(slot.estimate, vertical);
    if (estimated <= 0) {
      slot.stretch = true;
    } else {
      slot.main = std::clamp(estimated, slot.minMain, slot.maxMain);
      used += slot.main;
    }
    used += padMain;
    slots.push_back(slot);
  }
  const int gaps = slots.empty() ? 0 : childPadding * static_cast<int>(slots.size() - 1);
  if (!scrolls && used + gaps > mainSpace) ShrinkToFit(slots, used + gaps - mainSpace);
  ShareRemaining(slots, mainSpace - used - gaps, scrolls);

  int cursor = (vertical ? inner.top - scroll.cy : inner.left - scroll.cx);
  const int crossStart = vertical ? inner.left - scroll.cx : inner.top - scroll.cy;
  int contentMain = 0;
  int contentCross = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    const StackSlot& slot = slots[i];
    CControlUI* item = slot.control;
    const RECT pad = item->GetPadding();
    const int padCross = vertical ? pad.left + pad.right : pad.top + pad.bottom;
    // Across a column the estimate gives the width (fixed or from the text);
    // across a row only a fixed height counts: a label's one-line estimate
    // is for stacking, not for the row's height.
    int cross = vertical ? static_cast<int>(slot.estimate.cx) : item->GetFixedHeight();
    const int minCross = vertical ? item->GetMinWidth() : item->GetMinHeight();
    const int maxCross = std::max(minCross, vertical ? item->GetMaxWidth() : item->GetMaxHeight());
    if (cross <= 0) cross = crossSpace - padCross;
    cross = std::clamp(cross, minCross, maxCross);
    RECT rc;
    if (vertical) {
      rc.left = crossStart + pad.left;
      rc.top = cursor + pad.top;
      rc.right = rc.left + cross;
      rc.bottom = rc.top + slot.main;
      cursor = rc.bottom + pad.bottom;
    } else {
      rc.left = cursor + pad.left;
      rc.top = crossStart + pad.top;
      rc.right = rc.left + slot.main;
      rc.bottom = rc.top + cross;
      cursor = rc.right + pad.right;
    }
    item->SetPos(rc);
    contentMain += slot.main + (vertical ? pad.top + pad.bottom : pad.left + pad.right);
    if (i + 1 < slots.size()) {
      cursor += childPadding;
      contentMain += childPadding;
    }
    contentCross = std::max(contentCross, cross + padCross);
  }
  return vertical ? SIZE{contentCross, contentMain} : SIZE{contentMain, contentCross};
}

}  // namespace

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"VerticalLayout") == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

SIZE CVerticalLayoutUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  return ArrangeStack(m_items, rcInner, szScroll, m_iChildPadding, true, IsVScrollEnabled());
}

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"HorizontalLayout") == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

SIZE CHorizontalLayoutUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  return ArrangeStack(m_items, rcInner, szScroll, m_iChildPadding, false, IsHScrollEnabled());
}

LPCTSTR CTileLayoutUI::GetClass() const { return L"TileLayoutUI"; }

LPVOID CTileLayoutUI::GetInterface(LPCTSTR pstrName) {
  if (pstrName && wcscmp(pstrName, L"TileLayout") == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

void CTileLayoutUI::SetItemSize(SIZE szItem) {
  m_szItem = szItem;
  NeedUpdate();
}

void CTileLayoutUI::SetColumns(int nCols) {
  m_nColumns = std::max(0, nCols);
  NeedUpdate();
}

void CTileLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  SIZE size;
  int number;
  if (pstrName && wcscmp(pstrName, L"itemsize") == 0) {
    if (detail::ParseSize(pstrValue, &size)) SetItemSize(size);
  } else if (pstrName && wcscmp(pstrName, L"columns") == 0) {
    if (detail::ParseInt(pstrValue, &number)) SetColumns(number);
  } else {
    CContainerUI::SetAttribute(pstrName, pstrValue);
  }
}

SIZE CTileLayoutUI::ArrangeChildren(const RECT& rcInner, SIZE szScroll) {
  std::vector<CControlUI*> tiles;
  for (CControlUI* item : m_items) {
    if (item->IsFloat()) continue;
    if (!item->IsSelfVisible()) {
      item->SetPos({0, 0, 0, 0});
      continue;
    }
    tiles.push_back(item);
  }
  const int width = rcInner.right - rcInner.left;
  const int gap = m_iChildPadding;
  // Without an item size, the first child's fixed size sets the tile.
  SIZE tile = m_szItem;
  if ((tile.cx <= 0 || tile.cy <= 0) && !tiles.empty()) {
    if (tile.cx <= 0) tile.cx = tiles.front()->GetFixedWidth();
    if (tile.cy <= 0) tile.cy = tiles.front()->GetFixedHeight();
  }
  int columns = m_nColumns;
  if (columns <= 0) columns = tile.cx > 0 ? std::max(1, (width + gap) / (static_cast<int>(tile.cx) + gap)) : 1;
  if (tile.cx <= 0) tile.cx = std::max(0, (width - gap * (columns - 1)) / columns);
  if (tile.cy <= 0) tile.cy = tile.cx;

  for (size_t k = 0; k < tiles.size(); ++k) {
    CControlUI* item = tiles[k];
    const int row = static_cast<int>(k) / columns;
    const int column = static_cast<int>(k) % columns;
    const RECT cell = {rcInner.left + column * (tile.cx + gap) - szScroll.cx, rcInner.top + row * (tile.cy + gap) - szScroll.cy,
                       0, 0};
    const RECT pad = item->GetPadding();
    RECT rc = {cell.left + pad.left, cell.top + pad.top, cell.left + tile.cx - pad.right, cell.top + tile.cy - pad.bottom};
    if (item->GetFixedWidth() > 0) rc.right = rc.left + item->GetFixedWidth();
    if (item->GetFixedHeight() > 0) rc.bottom = rc.top + item->GetFixedHeight();
    item->SetPos(rc);
  }
  const int rows = tiles.empty() ? 0 : (static_cast<int>(tiles.size()) + columns - 1) / columns;
  const int contentWidth = columns * tile.cx + gap * (columns - 1);
  const int contentHeight = rows == 0 ? 0 : rows * tile.cy + gap * (rows - 1);
  return SIZE{contentWidth, contentHeight};
}

}  // namespace DuiLib
