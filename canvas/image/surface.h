// Surface: the 24-bit picture every part of the program works on.
// Pixels are blue, green, red bytes; rows bottom-up (buffer row 0 is the bottom
// row of the picture); stride = width * 3 rounded up to a multiple of 4; the
// buffer always holds exactly height * stride bytes. The BMP headers are kept
// ready for writing a BMP file or handing the pixels to GDI. The memory device
// context and bitmap used to show a surface belong to a Win32 companion type
// of the Windows program, not to this portable one.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sylvane {

// Largest width or height of any picture the program creates or loads: the
// buffers of larger ones would not fit in memory.
constexpr int kMaxSurfaceSide = 16384;

// BITMAPFILEHEADER, field for field.
struct BitmapFileHeader {
  uint16_t type = 0;        // bfType, 0x4D42 "BM"
  uint32_t size = 0;        // bfSize, stride * height + 54
  uint16_t reserved1 = 0;   // bfReserved1
  uint16_t reserved2 = 0;   // bfReserved2
  uint32_t off_bits = 0;    // bfOffBits, 54
};

// BITMAPINFOHEADER, field for field.
struct BitmapInfoHeader {
  uint32_t size = 0;            // biSize, 40
  int32_t width = 0;            // biWidth
  int32_t height = 0;           // biHeight, positive: bottom-up
  uint16_t planes = 0;          // biPlanes, 1
  uint16_t bit_count = 0;       // biBitCount, 24
  uint32_t compression = 0;     // biCompression, 0 = BI_RGB
  uint32_t size_image = 0;      // biSizeImage, stride * height
  int32_t x_pels_per_meter = 0;
  int32_t y_pels_per_meter = 0;
  uint32_t clr_used = 0;
  uint32_t clr_important = 0;
};

// Bytes per row for a width: width * 3 rounded up to a multiple of 4.
constexpr int32_t StrideFor(int32_t width) { return ((width * 3) + 3) & ~3; }

// True when a width x height picture may be created: both sides 1..kMaxSurfaceSide.
constexpr bool IsAcceptableSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide;
}

struct Surface {
  std::vector<uint8_t> pixels;  // height * stride bytes, rows bottom-up; empty until created
  BitmapInfoHeader info;        // kept in step by RefreshHeaders
  BitmapFileHeader file_header; // kept in step by RefreshHeaders
  std::string path;             // file last loaded from or saved to (Shift-JIS); empty when none
  int32_t width = 0;            // pixels per row
  int32_t height = 0;           // rows
  int32_t stride = 0;           // bytes per row

  // Sets the size and allocates height * stride bytes (contents unspecified).
  // A size that is not positive leaves the surface empty (0 x 0) and returns
  // true; a size above kMaxSurfaceSide is refused: the surface is left empty
  // and false returned. Headers are not refreshed.
  bool Create(int32_t w, int32_t h);
  // As Create, then every byte, padding included, set to value.
  bool CreateFilled(int32_t w, int32_t h, uint8_t value);
  // Re-creates this surface at other's size, copies its bytes, refreshes headers.
  void CopyFrom(const Surface& other);
  // Writes both headers from width, height and stride.
  void RefreshHeaders();
  // Frees the buffer; the surface becomes empty.
  void Clear();

  bool empty() const { return pixels.empty(); }
  int32_t byte_count() const { return static_cast<int32_t>(pixels.size()); }
  // Buffer row r (0 = bottom of the picture).
  uint8_t* BufferRow(int32_t r) { return pixels.data() + size_t(r) * size_t(stride); }
  const uint8_t* BufferRow(int32_t r) const { return pixels.data() + size_t(r) * size_t(stride); }
  // The pixel at column x, row y counted from the top: blue, green, red.
  uint8_t* PixelAt(int32_t x, int32_t y) { return BufferRow(height - 1 - y) + size_t(x) * 3; }
  const uint8_t* PixelAt(int32_t x, int32_t y) const { return BufferRow(height - 1 - y) + size_t(x) * 3; }
};

// One byte per pixel, rows of exactly width bytes, same bottom-up order as the
// surface it belongs to. 0 transparent (no coverage), 255 opaque.
struct AlphaPlane {
  std::vector<uint8_t> bytes;  // width * height bytes
  int32_t width = 0;
  int32_t height = 0;

  // width * height bytes all set to value; a size that is not positive or too
  // large leaves the plane empty (false for too large).
  bool CreateFilled(int32_t w, int32_t h, uint8_t value);
  void Clear() {
    bytes.clear();
    width = height = 0;
  }
  bool empty() const { return bytes.empty(); }
  uint8_t* BufferRow(int32_t r) { return bytes.data() + size_t(r) * size_t(width); }
  const uint8_t* BufferRow(int32_t r) const { return bytes.data() + size_t(r) * size_t(width); }
};

// A plant-part sprite: picture, alpha plane and twelve part parameters.
struct PartImage {
  Surface surface;
  AlphaPlane alpha;
  std::array<int32_t, 12> params{};

  // Copies the parameters, then the surface when the source's width and height
  // are both positive, then the alpha plane when the source's is not empty.
  void CopyFrom(const PartImage& other);
};

}  // namespace sylvane
