#include "support/BlankPng.h"

#include <windows.h>

#include <vector>

namespace test_support {

namespace {

// Deflate's bit order: values from the lowest bit, Huffman codes from the highest.
class BitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
  }
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  std::string Take() { return std::move(m_bytes); }

 private:
  void Bit(uint32_t bit) {
    if (m_used == 0) m_bytes.push_back('\0');
    m_bytes.back() = static_cast<char>(static_cast<uint8_t>(m_bytes.back()) | (bit << m_used));
    m_used = (m_used + 1) % 8;
  }
  std::string m_bytes;
  int m_used = 0;
};

// A zlib stream of `count` zero bytes in one block of fixed Huffman codes:
// a literal zero, then copies of 258 bytes from one byte back.
std::string ZlibOfZeros(uint64_t count) {
  constexpr uint32_t kLiteralZero = 0x30;    // 8 bits
  constexpr uint32_t kLength258 = 0xC5;      // symbol 285, 8 bits, no extra bits
  constexpr uint32_t kDistanceOne = 0;       // 5 bits, no extra bits
  BitWriter out;
  out.Bits(1, 1);  // the final block
  out.Bits(1, 2);  // fixed codes
  uint64_t left = count;
  if (left > 0) {
    out.Code(kLiteralZero, 8);
    --left;
  }
  for (; left >= 258; left -= 258) {
    out.Code(kLength258, 8);
    out.Code(kDistanceOne, 5);
  }
  for (; left > 0; --left) out.Code(kLiteralZero, 8);
  out.Code(0, 7);  // end of block
  // Adler-32 of zeros: the first sum stays 1, the second counts the bytes.
  const uint32_t adler = static_cast<uint32_t>((count % 65521) << 16) | 1;
  std::string stream = "\x78\x01" + out.Take();
  for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<char>(adler >> shift));
  return stream;
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void AppendBigEndian(std::string* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

void AppendChunk(std::string* png, const char* type, const std::string& data) {
  AppendBigEndian(png, static_cast<uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  png->append(typed);
  AppendBigEndian(png, Crc32(typed));
}

}  // namespace

std::string BlankPngBytes(uint32_t width, uint32_t height) {
  std::string header;
  AppendBigEndian(&header, width);
  AppendBigEndian(&header, height);
  header += std::string("\x01\x00\x00\x00\x00", 5);  // 1 bit, grey, deflate, no filter method, no interlace
  // Each row: filter type 0, then a bit per pixel.
  const uint64_t raw = static_cast<uint64_t>(height) * (1 + (static_cast<uint64_t>(width) + 7) / 8);
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(&png, "IHDR", header);
  AppendChunk(&png, "IDAT", ZlibOfZeros(raw));
  AppendChunk(&png, "IEND", "");
  return png;
}

bool WriteBlankPng(const std::wstring& path, uint32_t width, uint32_t height) {
  const std::string bytes = BlankPngBytes(width, height);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  CloseHandle(file);
  return whole;
}

}  // namespace test_support
