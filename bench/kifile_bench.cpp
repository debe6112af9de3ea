// Tree-file image coding: the Huffman block coder on a 64 x 64 sprite (pixel
// buffer and alpha plane), beside a plain memcpy and zlib's compress of the
// same bytes; and a whole tree record written and parsed.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/bytes.h"
#include "base/random.h"
#include "canvas/image/surface.h"
#include "trees/huffman.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

// A flower-like 64 x 64 sprite: five soft petals on a transparent ground,
// with a little noise, as drawn sprites look after shading.
PartImage MakeSprite() {
  PartImage p;
  p.surface.Create(64, 64);
  p.alpha.CreateFilled(64, 64, 0);
  SeedRandom(7);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double dx = x - 31.5, dy = y - 31.5;
      const double r = std::sqrt(dx * dx + dy * dy);
      const double petal = 22 + 8 * std::cos(5 * std::atan2(dy, dx));
      uint8_t* px = p.surface.PixelAt(x, y);
      uint8_t& a = p.alpha.BufferRow(63 - y)[x];
      if (r < petal) {
        const int shade = int(255 - r * 2) - Rand() % 6;
        px[0] = uint8_t(std::clamp(shade - 30, 0, 255));
        px[1] = uint8_t(std::clamp(shade - 60, 0, 255));
        px[2] = uint8_t(std::clamp(shade, 0, 255));
        a = r > petal - 2 ? 128 : 255;
      } else {
        px[0] = px[1] = px[2] = 0;
      }
    }
  }
  return p;
}

const PartImage& Sprite() {
  static const PartImage sprite = MakeSprite();
  return sprite;
}

void BM_HuffmanEncodeSprite(benchmark::State& state) {
  const auto& pixels = Sprite().surface.pixels;
  std::vector<uint8_t> block;
  for (auto _ : state) {
    benchmark::DoNotOptimize(HuffmanEncode(pixels.data(), pixels.size(), block));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
  state.counters["coded_bytes"] = double(block.size());
  state.counters["input_bytes"] = double(pixels.size());
}
BENCHMARK(BM_HuffmanEncodeSprite);

void BM_HuffmanDecodeSprite(benchmark::State& state) {
  const auto& pixels = Sprite().surface.pixels;
  std::vector<uint8_t> block;
  const int64_t bits = HuffmanEncode(pixels.data(), pixels.size(), block);
  std::vector<uint8_t> out(pixels.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(HuffmanDecode(block.data(), block.size(), bits, out.data(), out.size()));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
}
BENCHMARK(BM_HuffmanDecodeSprite);

void BM_HuffmanEncodeAlpha(benchmark::State& state) {
  const auto& alpha = Sprite().alpha.bytes;
  std::vector<uint8_t> block;
  for (auto _ : state) {
    benchmark::DoNotOptimize(HuffmanEncode(alpha.data(), alpha.size(), block));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(alpha.size()));
  state.counters["coded_bytes"] = double(block.size());
}
BENCHMARK(BM_HuffmanEncodeAlpha);

// Baselines over the same pixel bytes.
void BM_BaselineMemcpySprite(benchmark::State& state) {
  const auto& pixels = Sprite().surface.pixels;
  std::vector<uint8_t> out(pixels.size());
  for (auto _ : state) {
    std::memcpy(out.data(), pixels.data(), pixels.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
}
BENCHMARK(BM_BaselineMemcpySprite);

void BM_BaselineZlibCompressSprite(benchmark::State& state) {
  const auto& pixels = Sprite().surface.pixels;
  std::vector<uint8_t> out(compressBound(uLong(pixels.size())));
  uLongf n = 0;
  for (auto _ : state) {
    n = uLongf(out.size());
    compress(out.data(), &n, pixels.data(), uLong(pixels.size()));
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
  state.counters["coded_bytes"] = double(n);
}
BENCHMARK(BM_BaselineZlibCompressSprite);

void BM_BaselineZlibUncompressSprite(benchmark::State& state) {
  const auto& pixels = Sprite().surface.pixels;
  std::vector<uint8_t> packed(compressBound(uLong(pixels.size())));
  uLongf n = uLongf(packed.size());
  compress(packed.data(), &n, pixels.data(), uLong(pixels.size()));
  std::vector<uint8_t> out(pixels.size());
  for (auto _ : state) {
    uLongf m = uLongf(out.size());
    uncompress(out.data(), &m, packed.data(), n);
    benchmark::DoNotOptimize(m);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
}
BENCHMARK(BM_BaselineZlibUncompressSprite);

// A whole record: the sample program and four 64 x 64 parts (pen mode 0).
void BM_TreeRecordWriteAndParse(benchmark::State& state) {
  static Tree tree;
  MakeSampleTree(tree, 100, 100, 90);
  tree.pen.mode = 0;
  for (auto& part : tree.parts) part.CopyFrom(Sprite());
  size_t bytes = 0;
  for (auto _ : state) {
    ByteWriter out;
    WriteTreeRecord(out, tree);
    ByteReader in(out.bytes());
    KiRecord rec;
    benchmark::DoNotOptimize(ParseTreeRecord(in, rec));
    bytes = out.bytes().size();
  }
  state.counters["record_bytes"] = double(bytes);
}
BENCHMARK(BM_TreeRecordWriteAndParse);

}  // namespace
}  // namespace sylvane
