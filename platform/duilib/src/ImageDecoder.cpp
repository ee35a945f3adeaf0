#include "ImageDecoder.h"

#include <atomic>

#include "ImageCodecs.h"
#include "quennet/WinHandles.h"

namespace DuiLib::detail {

namespace {

std::atomic<LONGLONG> g_largestFile{LONGLONG{256} << 20};

bool Readable(LONGLONG size) { return size > 0 && size <= g_largestFile.load(); }

}  // namespace

DecodedImage::~DecodedImage() {
  for (HBITMAP frame : frames) {
    if (frame != hBitmap) DeleteObject(frame);
  }
  if (hBitmap) DeleteObject(hBitmap);
}

HBITMAP DecodedImage::FrameAt(ULONGLONG now, UINT* remaining) const {
  if (!IsAnimated()) return hBitmap;
  UINT at = static_cast<UINT>(now % duration);
  for (size_t i = 0; i < frames.size(); ++i) {
    if (at < delays[i]) {
      if (remaining) *remaining = delays[i] - at;
      return frames[i];
    }
    at -= delays[i];
  }
  if (remaining) *remaining = delays.back();
  return frames.back();
}

bool ReadImageBytes(const std::wstring& path, std::string* out) {
  quennet::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE || !file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || !Readable(size.QuadPart)) return false;
  out->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr) && read == out->size();
}

void SetLargestImageFile(size_t bytes) { g_largestFile = static_cast<LONGLONG>(bytes); }

bool IsReadableImageFile(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  return Readable((LONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

// GDI+ reads what stb does not: animated GIFs, BMP, and any PNG or JPEG
// that stb rejects.
std::shared_ptr<DecodedImage> DecodeImageBytes(const std::string& bytes) {
  if (auto image = DecodeWithStb(bytes)) return image;
  return DecodeWithGdiplus(bytes);
}

std::shared_ptr<DecodedImage> DecodeImageFile(const std::wstring& path) {
  std::string bytes;
  if (!ReadImageBytes(path, &bytes)) return nullptr;
  return DecodeImageBytes(bytes);
}

bool ReadImageFileSize(const std::wstring& path, SIZE* out) {
  std::string bytes;
  return ReadImageBytes(path, &bytes) && ReadSizeWithStb(bytes, out);
}

}  // namespace DuiLib::detail
