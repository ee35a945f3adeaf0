// The emoji picker's grid: 42 rows of 20 buttons of 20x20 in a vertically
// scrolling container, each with a skin picture as its normal image. Times
// the first paint with an empty image cache and again with a warm one, what
// the paint costs without pictures, and where the time of one picture goes.
// Needs the laid-out skin (a build makes dist/); run from the build folder:
//   wine tests/duilib/duilib_bench.exe emoji [skin folder]

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "duilib/testing.h"
#include "GdiPlus.h"
#include "ImageCache.h"
#include "ImageCodecs.h"
#include "quennet/WinHandles.h"

namespace duilib_bench {

namespace {

using namespace DuiLib;

constexpr int kColumns = 20;
constexpr int kButtons = 824;  // 41 full rows and a last row of 4
constexpr int kRuns = 5;
constexpr int kWidth = 432;
constexpr int kHeight = 236;

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  return GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr) ? std::wstring(full) : path;
}

// The picture names of the skin's emoji folder, in name order.
std::vector<std::wstring> EmojiFiles(const std::wstring& skin) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((skin + L"\\emoji\\emoji_*.png").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// The picker's grid; with no pictures, the same controls without images.
std::wstring GridSkin(const std::vector<std::wstring>& names, bool pictures) {
  std::wstring xml =
      L"<Window size=\"432,236\"><VerticalLayout name=\"emoji_face\" bkcolor=\"#FFF7F8FA\" vscrollbar=\"true\">";
  for (int i = 0; i < kButtons; ++i) {
    if (i % kColumns == 0) xml += L"<HorizontalLayout width=\"432\" height=\"22\">";
    xml += L"<Button width=\"20\" height=\"20\" padding=\"1,1,0,1\" borderround=\"3,3\" hotbkcolor=\"#FFE6E9EE\"";
    if (pictures) xml += L" normalimage=\"emoji/" + names[i % names.size()] + L"\"";
    xml += L"/>";
    if (i % kColumns == kColumns - 1 || i == kButtons - 1) xml += L"</HorizontalLayout>";
  }
  return xml + L"</VerticalLayout></Window>";
}

// Opens the grid hidden, so that no paint happens before the resource path
// is set, then times showing it and its first paint.
double TimeFirstPaint(const std::wstring& skin, BenchWindow& window) {
  HWND hwnd = window.Create(nullptr, L"emoji", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, kWidth, kHeight);
  window.Manager().SetResourcePath(skin.c_str());
  const double start = Now();
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  return Now() - start;
}

void PrintCache(const char* when) {
  std::printf("  image cache after %s: %zu KB (%zu pictures of 20x20)\n", when, detail::ImageCacheBytes() / 1024,
              detail::ImageCacheBytes() / (20 * 20 * 4));
}

void FirstPaints(const std::wstring& skin, const std::vector<std::wstring>& names) {
  const std::wstring grid = GridSkin(names, true), bare = GridSkin(names, false);
  Figures cold, warm, repaint, withoutPictures, scrollCold;
  for (int run = 0; run < kRuns; ++run) {
    detail::ClearImageCache();
    {
      BenchWindow window(grid);
      cold.Add(TimeFirstPaint(skin, window));
      if (run == 0) PrintCache("the cold first paint");
      DestroyWindow(window.GetHWND());
    }
    {
      BenchWindow window(grid);
      warm.Add(TimeFirstPaint(skin, window));
      HWND hwnd = window.GetHWND();
      double start = Now();
      for (int i = 0; i < 10; ++i) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
      }
      repaint.Add((Now() - start) / 10);
      if (run == 0) {
        const std::wstring png = FullPath(L"tests\\duilib\\emoji_grid.png");
        if (Testing::SaveWindowPng(hwnd, png.c_str())) std::printf("  grid saved as %ls\n", png.c_str());
      }
      DestroyWindow(hwnd);
    }
    {
      BenchWindow window(bare);
      withoutPictures.Add(TimeFirstPaint(skin, window));
      DestroyWindow(window.GetHWND());
    }
    // Every picture decoded once, as a user scrolls the whole grid.
    detail::ClearImageCache();
    {
      BenchWindow window(grid);
      double total = TimeFirstPaint(skin, window);
      const double start = Now();
      for (int notch = 0; notch < 40; ++notch) WheelAndPaint(window.GetHWND(), POINT{200, 120}, -1);
      total += Now() - start;
      scrollCold.Add(total);
      if (run == 0) PrintCache("scrolling to the end");
      DestroyWindow(window.GetHWND());
    }
    Testing::PumpPending();
  }
  std::printf("Emoji grid: %d buttons in rows of %d, window %dx%d, %d runs each\n", kButtons, kColumns, kWidth,
              kHeight, kRuns);
  cold.Print("first paint, image cache empty");
  warm.Print("first paint of a second window, cache warm");
  repaint.Print("full repaint, cache warm");
  withoutPictures.Print("first paint, same grid without pictures");
  scrollCold.Print("first paint and scroll to the end, cache empty");
}

// Where the time of one picture goes, file by file.
void DecodeSteps(const std::wstring& skin, const std::vector<std::wstring>& names) {
  Figures read, stb, open, lock, dib, whole;
  double total = 0;
  for (const std::wstring& name : names) {
    const std::wstring path = skin + L"\\emoji\\" + name;
    double start = Now();
    std::string bytes;
    if (!detail::ReadImageBytes(path, &bytes)) continue;
    read.Add(Now() - start);

    start = Now();
    auto fast = detail::DecodeWithStb(bytes);
    stb.Add(Now() - start);

    start = Now();
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    auto* bitmap = Gdiplus::Bitmap::FromStream(stream);
    open.Add(Now() - start);
    start = Now();
    Gdiplus::BitmapData data = {};
    Gdiplus::Rect rect(0, 0, static_cast<INT>(bitmap->GetWidth()), static_cast<INT>(bitmap->GetHeight()));
    bitmap->LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data);
    lock.Add(Now() - start);
    start = Now();
    void* bits = nullptr;
    quennet::UniqueBitmap copy(quennet::CreateDib32(nullptr, rect.Width, rect.Height, &bits));
    if (copy) memcpy(bits, data.Scan0, static_cast<size_t>(rect.Width) * rect.Height * 4);
    dib.Add(Now() - start);
    bitmap->UnlockBits(&data);
    delete bitmap;
    stream->Release();

    start = Now();
    auto image = detail::DecodeImageFile(path);
    const double took = Now() - start;
    whole.Add(took);
    total += took;
  }
  std::printf("One picture of the %zu, file by file (total of the framework's decode: %.1f ms)\n", names.size(),
              total);
  read.Print("  file read (open, size, read, close)");
  stb.Print("  stb: decode and premultiply into a DIB");
  open.Print("  GDI+ (fallback): stream and Bitmap::FromStream");
  lock.Print("  GDI+ (fallback): LockBits to premultiplied ARGB");
  dib.Print("  DIB section alone, created and filled");
  whole.Print("  the framework's decode, file to DIB");
}

}  // namespace

void RunEmojiGridBenchmark(const std::wstring& skinArgument) {
  const std::wstring skin = FullPath(skinArgument.empty() ? L"..\\dist\\Mireloom\\skin" : skinArgument);
  const std::vector<std::wstring> names = EmojiFiles(skin);
  if (names.empty()) {
    std::printf("Emoji grid: no pictures in %ls\\emoji (build first, or name the skin folder)\n", skin.c_str());
    return;
  }
  FirstPaints(skin, names);
  DecodeSteps(skin, names);
}

}  // namespace duilib_bench
