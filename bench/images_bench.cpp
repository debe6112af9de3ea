// Picture throughput on a desktop-sized (3840 x 2160) surface. Every figure
// has a baseline from the same run: a plain memcpy of the same bytes, or the
// bare library call (libpng, libjpeg, stdio) on the same rows.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/random.h"
#include "canvas/image/image_io.h"
#include "canvas/image/resample.h"

namespace sylvane {
namespace {

constexpr int kW = 3840;
constexpr int kH = 2160;

// Smooth gradients with a little noise: compresses like a painted canvas.
const Surface& Picture() {
  static Surface s = [] {
    Surface p;
    p.CreateFilled(kW, kH, 0);
    SeedRandom(1);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t* px = p.PixelAt(x, y);
        const int noise = Rand() % 9;
        px[0] = uint8_t((x * 255 / kW + noise) & 0xFF);
        px[1] = uint8_t((y * 255 / kH + noise) & 0xFF);
        px[2] = uint8_t(((x + y) / 24 + noise) & 0xFF);
      }
    p.RefreshHeaders();
    return p;
  }();
  return s;
}

// The picture as top-down RGB rows, the input the bare library calls get.
const std::vector<uint8_t>& RgbRows() {
  static std::vector<uint8_t> rows = [] {
    const Surface& s = Picture();
    std::vector<uint8_t> out(size_t(kW) * kH * 3);
    for (int y = 0; y < kH; ++y) {
      const uint8_t* in = s.PixelAt(0, y);
      uint8_t* o = out.data() + size_t(y) * kW * 3;
      for (int x = 0; x < kW; ++x) {
        o[3 * x] = in[3 * x + 2];
        o[3 * x + 1] = in[3 * x + 1];
        o[3 * x + 2] = in[3 * x];
      }
    }
    return out;
  }();
  return rows;
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("sylvane-bench-") + name)).string();
}

const size_t kPictureBytes = size_t(StrideFor(kW)) * kH;

// ---- baselines ----

void BM_Baseline_Memcpy(benchmark::State& state) {
  const Surface& s = Picture();
  std::vector<uint8_t> copy(s.pixels.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), s.pixels.data(), s.pixels.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void AppendPng(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

std::vector<uint8_t> BarePngEncode() {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendPng, NoFlush);
  png_set_IHDR(png, info, kW, kH, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const std::vector<uint8_t>& rows = RgbRows();
  for (int y = 0; y < kH; ++y) png_write_row(png, rows.data() + size_t(y) * kW * 3);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

void BM_Baseline_LibpngEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BarePngEncode());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

struct MemReader {
  const uint8_t* data;
  size_t pos;
};
void ReadPngMem(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
  std::memcpy(out, r->data + r->pos, n);
  r->pos += n;
}

void BM_Baseline_LibpngDecode(benchmark::State& state) {
  const std::vector<uint8_t> png_bytes = BarePngEncode();
  std::vector<uint8_t> row(size_t(kW) * 3);
  for (auto _ : state) {
    MemReader r{png_bytes.data(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &r, ReadPngMem);
    png_read_info(png, info);
    for (int y = 0; y < kH; ++y) png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(row.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

std::vector<uint8_t> BareJpegEncode(int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = kW;
  cinfo.image_height = kH;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::vector<uint8_t>& rows = RgbRows();
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows.data() + size_t(cinfo.next_scanline) * kW * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  free(buffer);
  return out;
}

void BM_Baseline_LibjpegEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BareJpegEncode(80));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_Baseline_LibjpegDecode(benchmark::State& state) {
  const std::vector<uint8_t> jpeg = BareJpegEncode(80);
  std::vector<uint8_t> row(size_t(kW) * 3);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW r = row.data();
      jpeg_read_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(row.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_Baseline_StdioWriteBmpBytes(benchmark::State& state) {
  const Surface& s = Picture();
  const std::string path = TempPath("bare.bmp");
  uint8_t header[54] = {'B', 'M'};
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(header, 1, sizeof header, f);
    std::fwrite(s.pixels.data(), 1, s.pixels.size(), f);
    std::fclose(f);
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_Baseline_StdioReadBmpBytes(benchmark::State& state) {
  const std::string path = TempPath("bare-read.bmp");
  WriteBmp(path, Picture());
  std::vector<uint8_t> buffer(kPictureBytes + 54);
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
    std::fclose(f);
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

// ---- the program's operations ----

void BM_SmoothShrinkHalf(benchmark::State& state) {
  const Surface& s = Picture();
  Surface half;
  for (auto _ : state) benchmark::DoNotOptimize(SmoothShrink(s, half, kW / 2, kH / 2));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_EncodePng(benchmark::State& state) {
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(EncodePng(Picture(), nullptr, out));
  state.counters["stream_MB"] = double(out.size()) / 1e6;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_DecodePng(benchmark::State& state) {
  std::vector<uint8_t> png;
  EncodePng(Picture(), nullptr, png);
  Surface s;
  for (auto _ : state) benchmark::DoNotOptimize(DecodePng(png.data(), png.size(), s, nullptr, false));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_WritePngFile(benchmark::State& state) {
  const std::string path = TempPath("w.png");
  for (auto _ : state) benchmark::DoNotOptimize(WritePng(path, Picture()));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_ReadPngFile(benchmark::State& state) {
  const std::string path = TempPath("r.png");
  WritePng(path, Picture());
  Surface s;
  for (auto _ : state) benchmark::DoNotOptimize(ReadPng(path, s, nullptr));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_EncodeJpeg(benchmark::State& state) {
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(Picture(), 80, out));
  state.counters["stream_MB"] = double(out.size()) / 1e6;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_DecodeJpeg(benchmark::State& state) {
  std::vector<uint8_t> jpeg;
  EncodeJpeg(Picture(), 80, jpeg);
  Surface s;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeJpeg(jpeg.data(), jpeg.size(), s, false));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_WriteJpegFile(benchmark::State& state) {
  const std::string path = TempPath("w.jpg");
  for (auto _ : state) benchmark::DoNotOptimize(WriteJpeg(path, Picture(), 80));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_ReadJpegFile(benchmark::State& state) {
  const std::string path = TempPath("r.jpg");
  WriteJpeg(path, Picture(), 80);
  Surface s;
  for (auto _ : state) benchmark::DoNotOptimize(ReadJpeg(path, s, false));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_WriteBmpFile(benchmark::State& state) {
  const std::string path = TempPath("w.bmp");
  for (auto _ : state) benchmark::DoNotOptimize(WriteBmp(path, Picture()));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

void BM_ReadBmpFile(benchmark::State& state) {
  const std::string path = TempPath("r.bmp");
  WriteBmp(path, Picture());
  Surface s;
  for (auto _ : state) benchmark::DoNotOptimize(LoadBmp(path, s));
  std::filesystem::remove(path);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPictureBytes));
}

BENCHMARK(BM_Baseline_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothShrinkHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_LibpngEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePngFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_LibpngDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPngFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_LibjpegEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJpegFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_LibjpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadJpegFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_StdioWriteBmpBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBmpFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_StdioReadBmpBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBmpFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sylvane
