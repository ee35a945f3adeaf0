#pragma once

// What the image viewer decides without a window: the zoom percent of a
// zoom step, the client size that fits a picture, and the name and filter
// the save dialog offers.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace files {

inline constexpr int kMinZoomPercent = 5;
inline constexpr int kMaxZoomPercent = 1600;
inline constexpr SIZE kMinViewerClient = {615, 415};
// The save dialog's file-name buffer, in characters with the closing NUL.
inline constexpr size_t kSaveNameBufferLength = 260;

// The percent of zoom step `step` from the fit percent `fit`: each group of
// three steps adds 15, and the offsets (3, 5, 7) the steps within a group, so
// steps 1, 2, 3, 4 give fit + 5, + 7, + 18, + 20; negative steps go down alike.
[[nodiscard]] int ZoomPercentForStep(int fit, int step, const std::vector<int>& offsets);
[[nodiscard]] int ClampZoomPercent(int percent);

enum class ZoomCommand { Fit = 1, In = 2, Out = 3 };
// The zoom step after a command: back to the fit, or one step further while
// the percent has not reached its limit in that direction.
[[nodiscard]] int ZoomStepAfter(ZoomCommand command, int step, int fit, const std::vector<int>& offsets);

// The client size for a picture of width x height between the minimum
// client size and `maximum`; nothing when the size is to stay as it is.
[[nodiscard]] std::optional<SIZE> FitClientSize(int width, int height, SIZE maximum);

// The title with each character a file name cannot hold (: \ / * ? " < > |)
// replaced by "-".
[[nodiscard]] std::wstring CleanNameForSaving(const std::wstring& title);
// The text after the last ".", "" when there is none.
[[nodiscard]] std::wstring ExtensionOf(const std::wstring& name);
// A name that fits the file-name buffer with its NUL: a longer one loses the
// end of its stem and keeps its extension.
[[nodiscard]] std::wstring FitNameToBuffer(const std::wstring& name, size_t bufferLength = kSaveNameBufferLength);

// The save dialog's filter for the extension: one entry, ended by the double
// NUL the dialog requires. Without an extension, every file.
[[nodiscard]] std::wstring SaveFilter(const std::wstring& extension, const std::wstring& typeLabel,
                                      const std::wstring& allTypesLabel);

}  // namespace files
