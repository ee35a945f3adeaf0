#include "files/viewer/ViewerLogic.h"

#include <algorithm>

namespace files {

namespace {

constexpr wchar_t kUnsafeNameCharacters[] = L":\\/*?\"<>|";

}  // namespace

int ZoomPercentForStep(int fit, int step, const std::vector<int>& offsets) {
  if (step == 0 || offsets.size() < 3) return fit;
  // Division and remainder truncate toward zero, so both keep the sign of step.
  if (step > 0) return fit + (step / 3) * 15 + offsets[step % 3];
  return fit + (step / 3) * 15 - offsets[-(step % 3)];
}

int ClampZoomPercent(int percent) { return std::clamp(percent, kMinZoomPercent, kMaxZoomPercent); }

int ZoomStepAfter(ZoomCommand command, int step, int fit, const std::vector<int>& offsets) {
  const int percent = ZoomPercentForStep(fit, step, offsets);
  switch (command) {
    case ZoomCommand::Fit:
      return 0;
    case ZoomCommand::In:
      return percent < kMaxZoomPercent ? step + 1 : step;
    case ZoomCommand::Out:
      return percent > kMinZoomPercent ? step - 1 : step;
  }
  return step;
}

std::optional<SIZE> FitClientSize(int width, int height, SIZE maximum) {
  const LONG minW = kMinViewerClient.cx, minH = kMinViewerClient.cy;
  const LONG maxW = maximum.cx, maxH = maximum.cy;
  const LONG w = width, h = height;
  if (h < minH && w < minW) return std::nullopt;
  if (minW < w && w < maxW && minH < h && h < maxH) return SIZE{w, h};
  if (minW < w && w < maxW && h < minH) return SIZE{w, minH};
  if (w < minW && minH < h && h < maxH) return SIZE{minW, h};
  if (w > maxW && h < maxH) {
    const auto scaled = static_cast<LONG>(static_cast<double>(h) * maxW / w);
    return SIZE{maxW, scaled < minH ? minH : scaled};
  }
  if (w < maxW && h > maxH) {
    const auto scaled = static_cast<LONG>(static_cast<double>(w) * maxH / h);
    return SIZE{scaled < minW ? minW : scaled, maxH};
  }
  if (w > maxW && h > maxH) {
    const double sx = static_cast<double>(maxW) / w;
    const double sy = static_cast<double>(maxH) / h;
    if (sx > sy) {
      const auto scaled = static_cast<LONG>(w * sy);
      return SIZE{scaled < minW ? minW : scaled, maxH};
    }
    const auto scaled = static_cast<LONG>(h * sx);
    return SIZE{maxW, scaled < minH ? minH : scaled};
  }
  return std::nullopt;  // a side exactly on a limit
}

std::wstring CleanNameForSaving(const std::wstring& title) {
  std::wstring cleaned = title;
  for (wchar_t& c : cleaned) {
    if (wcschr(kUnsafeNameCharacters, c) && c != L'\0') c = L'-';
  }
  return cleaned;
}

std::wstring ExtensionOf(const std::wstring& name) {
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

std::wstring FitNameToBuffer(const std::wstring& name, size_t bufferLength) {
  if (bufferLength == 0) return {};
  const size_t room = bufferLength - 1;
  if (name.size() <= room) return name;
  const size_t dot = name.rfind(L'.');
  const size_t suffix = dot == std::wstring::npos ? 0 : name.size() - dot;
  // An extension that leaves no room for a stem is cut like any other text.
  if (suffix == 0 || suffix >= room) return name.substr(0, room);
  return name.substr(0, room - suffix) + name.substr(dot);
}

std::wstring SaveFilter(const std::wstring& extension, const std::wstring& typeLabel,
                        const std::wstring& allTypesLabel) {
  std::wstring filter;
  if (extension.empty()) {
    filter = allTypesLabel + L'\0' + L"*.*";
  } else {
    filter = typeLabel + L"(*." + extension + L")" + L'\0' + L"*." + extension;
  }
  filter += L'\0';
  filter += L'\0';
  return filter;
}

}  // namespace files
