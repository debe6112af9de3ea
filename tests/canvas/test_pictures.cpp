#include "canvas/test_pictures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "base/bytes.h"

namespace sylvane::testing {

void PatternPixel(int x, int y, int salt, uint8_t bgr[3]) {
  bgr[0] = uint8_t(x * 7 + y * 3 + salt);
  bgr[1] = uint8_t(x * 5 + y * 11 + 2 * salt + 40);
  bgr[2] = uint8_t(x * 13 + y * 17 + 3 * salt + 90);
}

Surface PatternSurface(int w, int h, int salt) {
  Surface s;
  s.CreateFilled(w, h, 0);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint8_t(i * 31 + 5);  // padding too
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) PatternPixel(x, y, salt, s.PixelAt(x, y));
  s.RefreshHeaders();
  return s;
}

namespace {
void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}
}  // namespace

std::vector<uint8_t> LibpngEncode(int w, int h, int bit_depth, int color_type,
                                  const std::vector<std::vector<uint8_t>>& rows, bool interlaced,
                                  int palette_size) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng could not write the test picture";
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), bit_depth, color_type,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  if (color_type == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < palette_size; ++i) palette[i] = png_color{uint8_t(i), uint8_t(i), uint8_t(i)};
    png_set_PLTE(png, info, palette, palette_size);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (const auto& r : rows) pointers.push_back(const_cast<png_bytep>(r.data()));
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<std::vector<uint8_t>> FlatRows(int h, size_t row_bytes, uint8_t value) {
  return std::vector<std::vector<uint8_t>>(size_t(h), std::vector<uint8_t>(row_bytes, value));
}

std::vector<uint8_t> LibjpegEncode(int w, int h, int components, int color_space,
                                   const std::vector<uint8_t>& samples, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = components;
  cinfo.in_color_space = J_COLOR_SPACE(color_space);
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) * size_t(w * components));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  free(buffer);
  return out;
}

std::vector<uint8_t> BuildBmp(const BmpFields& f, const std::vector<uint8_t>& pixels) {
  ByteWriter w;
  w.WriteU16(0x4D42);
  w.WriteU32(f.file_size ? f.file_size : uint32_t(54 + f.gap + pixels.size()));
  w.WriteU16(0);
  w.WriteU16(0);
  w.WriteU32(f.off_bits);
  w.WriteU32(40);
  w.WriteI32(f.width);
  w.WriteI32(f.height);
  w.WriteU16(1);
  w.WriteU16(f.bit_count);
  w.WriteU32(f.compression);
  w.WriteU32(uint32_t(pixels.size()));
  w.WriteI32(2835);
  w.WriteI32(2835);
  w.WriteU32(0);
  w.WriteU32(0);
  std::vector<uint8_t> out = w.bytes();
  out.insert(out.end(), f.gap, f.gap_value);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_TRUE(f.good()) << path;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sylvane::testing
