// Uncompressed 24-bit BMP reading and writing.
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"
#include "base/file_io.h"
#include "canvas/image/image_common.h"
#include "canvas/image/image_io.h"
#include "platform/platform.h"

namespace sylvane {
namespace {

using namespace image_detail;

constexpr size_t kHeadersSize = 54;  // file header 14 + info header 40; the rows always start here

void ShowBmpMessage(int code) {
  if (code == kBmpNotFullColour) {
    ShowMessage("BMPは、フルカラーのみ対応しています。256色、16色フォーマット等は使用できません。", kCaptionError);
  } else if (code == kBmpTooLarge) {
    ShowMessage(kTooLargeText, kCaptionFailure);
  } else {
    ShowMessage("BMPファイルオープンに失敗しました。", kCaptionFailure);
  }
}

// The headers of a BMP and what follows from them.
struct BmpLayout {
  BitmapFileHeader file;
  BitmapInfoHeader info;
  int32_t width = 0;     // pixels per row
  int32_t height = 0;    // rows (|biHeight|)
  size_t pixel_bytes = 0;  // height * stride, the bytes needed from offset 54
};

// Parses and checks the first bytes of a BMP (up to 54 of them). Returns 0 or
// a reader code; nothing is allocated.
int ParseBmpHeaders(const uint8_t* head, size_t size, BmpLayout& layout) {
  if (size < 2 || head[0] != 'B' || head[1] != 'M') return kBmpNotBmp;
  ByteReader r(head, size);
  BitmapFileHeader& f = layout.file;
  if (!(r.ReadU16(f.type) && r.ReadU32(f.size) && r.ReadU16(f.reserved1) && r.ReadU16(f.reserved2) &&
        r.ReadU32(f.off_bits)))
    return kBmpShortFileHeader;
  BitmapInfoHeader& i = layout.info;
  if (!(r.ReadU32(i.size) && r.ReadI32(i.width) && r.ReadI32(i.height) && r.ReadU16(i.planes) &&
        r.ReadU16(i.bit_count) && r.ReadU32(i.compression) && r.ReadU32(i.size_image) &&
        r.ReadI32(i.x_pels_per_meter) && r.ReadI32(i.y_pels_per_meter) && r.ReadU32(i.clr_used) &&
        r.ReadU32(i.clr_important)))
    return kBmpShortInfoHeader;
  if (i.compression != 0) return kBmpCompressed;
  if (i.bit_count != 24) return kBmpNotFullColour;
  // A negative height only means top-down rows; they are used in stored order.
  const long long height = i.height < 0 ? -static_cast<long long>(i.height) : i.height;
  if (i.width <= 0 || height == 0) return kBmpBadSize;
  if (!FitsSurface(i.width, height)) return kBmpTooLarge;
  layout.width = i.width;
  layout.height = int32_t(height);
  layout.pixel_bytes = size_t(layout.height) * size_t(StrideFor(layout.width));
  return 0;
}

// bfSize - 14, the success value of a read, kept non-negative so that a file
// whose bfSize is 0 or small is not mistaken for a failure.
int SuccessValue(const BmpLayout& layout) {
  const long long v = static_cast<long long>(layout.file.size) - 14;
  return v < 0 ? 0 : (v > INT_MAX ? INT_MAX : int(v));
}

int DecodeBmpSilently(const uint8_t* data, size_t size, Surface& out) {
  BmpLayout layout;
  int result = ParseBmpHeaders(data, size < kHeadersSize ? size : kHeadersSize, layout);
  if (result != 0) return result;
  if (size - kHeadersSize < layout.pixel_bytes) return kBmpShortPixels;
  Surface decoded;
  if (!decoded.Create(layout.width, layout.height)) return kBmpTooLarge;
  std::memcpy(decoded.pixels.data(), data + kHeadersSize, layout.pixel_bytes);
  decoded.info = layout.info;
  decoded.file_header = layout.file;
  AdoptPicture(out, decoded);
  return SuccessValue(layout);
}

int LoadBmpSilently(const std::string& path, Surface& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return kBmpCannotOpen;
  uint8_t head[kHeadersSize];
  const size_t got = std::fread(head, 1, sizeof head, f);
  BmpLayout layout;
  int result = ParseBmpHeaders(head, got, layout);
  Surface decoded;
  if (result == 0) {
    // The file must hold every row before any memory is given to them.
    long file_size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) file_size = std::ftell(f);
    if (file_size < 0 || std::fseek(f, long(kHeadersSize), SEEK_SET) != 0) {
      result = kBmpSeekFailed;
    } else if (size_t(file_size) < kHeadersSize || size_t(file_size) - kHeadersSize < layout.pixel_bytes) {
      result = kBmpShortPixels;
    } else if (!decoded.Create(layout.width, layout.height)) {
      result = kBmpTooLarge;
    } else if (std::fread(decoded.pixels.data(), 1, layout.pixel_bytes, f) != layout.pixel_bytes) {
      result = kBmpShortPixels;
    }
  }
  std::fclose(f);
  if (result != 0) return result;
  decoded.info = layout.info;
  decoded.file_header = layout.file;
  AdoptPicture(out, decoded);
  out.path = path;
  return SuccessValue(layout);
}

}  // namespace

int DecodeBmp(const uint8_t* data, size_t size, Surface& out, bool show_messages) {
  const int result = data ? DecodeBmpSilently(data, size, out) : kBmpNotBmp;
  if (result < 0 && show_messages) ShowBmpMessage(result);
  return result;
}

int LoadBmp(const std::string& path, Surface& out) {
  const int result = LoadBmpSilently(path, out);
  if (result < 0) ShowBmpMessage(result);
  return result;
}

// The 54 header bytes of a surface written as BMP: fresh headers, offset 54,
// positive height. False when the surface is empty.
static bool BmpHeaderBytes(const Surface& s, std::vector<uint8_t>& out) {
  out.clear();
  if (s.width <= 0 || s.height <= 0) return false;
  const size_t image_bytes = size_t(s.stride) * size_t(s.height);
  if (s.pixels.size() < image_bytes) return false;
  ByteWriter w;
  w.WriteU16(0x4D42);
  w.WriteU32(uint32_t(image_bytes + kHeadersSize));
  w.WriteU16(0);
  w.WriteU16(0);
  w.WriteU32(uint32_t(kHeadersSize));
  w.WriteU32(40);
  w.WriteI32(s.width);
  w.WriteI32(s.height);
  w.WriteU16(1);
  w.WriteU16(24);
  w.WriteU32(0);
  w.WriteU32(uint32_t(image_bytes));
  w.WriteI32(0);
  w.WriteI32(0);
  w.WriteU32(0);
  w.WriteU32(0);
  out = std::move(w.bytes());
  return true;
}

bool EncodeBmp(const Surface& s, std::vector<uint8_t>& out) {
  if (!BmpHeaderBytes(s, out)) return false;
  out.insert(out.end(), s.pixels.begin(), s.pixels.begin() + ptrdiff_t(size_t(s.stride) * size_t(s.height)));
  return true;
}

int WriteBmp(const std::string& path, const Surface& s, Durability durability) {
  constexpr const char* kCaption = "Error";
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage("ファイル生成に失敗しました。", kCaption);
    return -3;
  }
  // Headers, then the pixel buffer as it is, straight from the surface.
  std::vector<uint8_t> header;
  if (!BmpHeaderBytes(s, header) || !file.Write(header.data(), header.size()) ||
      !file.Write(s.pixels.data(), size_t(s.stride) * size_t(s.height)) || !file.Commit(durability)) {
    file.Abandon();
    ShowMessage("ファイルの書き込みに失敗しました。", kCaption);
    return -3;
  }
  return 0;
}

}  // namespace sylvane
