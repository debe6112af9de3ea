#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>

#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::FlatRows;
using testing::LibpngEncode;
using testing::RecordingPlatform;
using testing::TempDir;

constexpr const char* kFailure = "失敗";

// Rewrites the size in the IHDR chunk of a PNG stream, with a valid CRC.
void PatchIhdrSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  ASSERT_GE(png.size(), 33u);
  for (int i = 0; i < 4; ++i) {
    png[size_t(16 + i)] = uint8_t(w >> (24 - 8 * i));
    png[size_t(20 + i)] = uint8_t(h >> (24 - 8 * i));
  }
  const uint32_t crc = uint32_t(crc32(0, png.data() + 12, 17));
  for (int i = 0; i < 4; ++i) png[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
}

struct ReadOutcome {
  int result;
  std::vector<testing::RecordedMessage> messages;
};

ReadOutcome ReadFromBytes(const std::vector<uint8_t>& bytes, Surface& out, AlphaPlane* alpha = nullptr) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("picture.png");
  testing::WriteBytes(path, bytes);
  ReadOutcome o;
  o.result = ReadPng(path, out, alpha);
  o.messages = platform.messages;
  return o;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, int code, const char* text) {
  Surface out = testing::PatternSurface(2, 2);
  const std::vector<uint8_t> before = out.pixels;
  AlphaPlane alpha;
  ReadOutcome o = ReadFromBytes(bytes, out, &alpha);
  EXPECT_EQ(o.result, code);
  ASSERT_EQ(o.messages.size(), 1u);
  EXPECT_EQ(o.messages[0].text, text);
  EXPECT_EQ(o.messages[0].caption, kFailure);
  EXPECT_EQ(out.pixels, before);  // a failed read leaves the surface as it was
  EXPECT_EQ(out.width, 2);
  EXPECT_TRUE(alpha.empty());
}

TEST(PngRead, RgbRowsLandBottomUpAsBlueGreenRed) {
  std::vector<std::vector<uint8_t>> rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {13, 14, 15, 16, 17, 18}};
  Surface s;
  AlphaPlane a;
  ReadOutcome o = ReadFromBytes(LibpngEncode(2, 3, 8, PNG_COLOR_TYPE_RGB, rows), s, &a);
  ASSERT_EQ(o.result, kPngOk);
  EXPECT_TRUE(o.messages.empty());
  ASSERT_EQ(s.width, 2);
  ASSERT_EQ(s.height, 3);
  // top PNG row -> last buffer row, pixel R,G,B -> B,G,R
  const uint8_t* top = s.BufferRow(2);
  EXPECT_EQ(std::vector<uint8_t>(top, top + 8), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 0, 0}));
  const uint8_t* bottom = s.BufferRow(0);
  EXPECT_EQ(std::vector<uint8_t>(bottom, bottom + 6), (std::vector<uint8_t>{15, 14, 13, 18, 17, 16}));
  EXPECT_EQ(s.info.width, 2);  // headers refreshed
  EXPECT_EQ(s.file_header.size, 8u * 3 + 54);
  EXPECT_EQ(a.bytes, std::vector<uint8_t>(6, 255));  // no alpha in the file: opaque
}

TEST(PngRead, GreyGivesEqualChannels) {
  Surface s;
  ReadOutcome o = ReadFromBytes(LibpngEncode(3, 1, 8, PNG_COLOR_TYPE_GRAY, {{0, 128, 255}}), s);
  ASSERT_EQ(o.result, kPngOk);
  EXPECT_EQ(std::vector<uint8_t>(s.pixels.begin(), s.pixels.begin() + 9),
            (std::vector<uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}));
}

TEST(PngRead, GreyAlphaAndRgbaFillTheAlphaPlaneInRowOrder) {
  Surface s;
  AlphaPlane a;
  ReadOutcome o = ReadFromBytes(LibpngEncode(2, 2, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{10, 1, 20, 2}, {30, 3, 40, 4}}),
                                s, &a);
  ASSERT_EQ(o.result, kPngOk);
  EXPECT_EQ(a.bytes, (std::vector<uint8_t>{3, 4, 1, 2}));
  EXPECT_EQ(s.PixelAt(1, 0)[0], 20);
  EXPECT_EQ(s.PixelAt(1, 0)[2], 20);

  o = ReadFromBytes(LibpngEncode(1, 2, 8, PNG_COLOR_TYPE_RGB_ALPHA, {{1, 2, 3, 200}, {4, 5, 6, 100}}), s, &a);
  ASSERT_EQ(o.result, kPngOk);
  EXPECT_EQ(a.bytes, (std::vector<uint8_t>{100, 200}));
  EXPECT_EQ(std::vector<uint8_t>(s.PixelAt(0, 0), s.PixelAt(0, 0) + 3), (std::vector<uint8_t>{3, 2, 1}));
}

TEST(PngRead, InterlacedPicturesDecodeFully) {
  const int w = 11, h = 9;
  Surface ref = testing::PatternSurface(w, h, 7);
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < h; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = ref.PixelAt(x, y);
      row.insert(row.end(), {p[2], p[1], p[0]});
    }
    rows.push_back(row);
  }
  Surface s;
  ReadOutcome o = ReadFromBytes(LibpngEncode(w, h, 8, PNG_COLOR_TYPE_RGB, rows, true), s);
  ASSERT_EQ(o.result, kPngOk);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_TRUE(std::equal(ref.PixelAt(x, y), ref.PixelAt(x, y) + 3, s.PixelAt(x, y)));
}

TEST(PngRead, SuccessSetsThePath) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("a.png");
  testing::WriteBytes(path, LibpngEncode(1, 1, 8, PNG_COLOR_TYPE_GRAY, {{5}}));
  Surface s;
  ASSERT_EQ(ReadPng(path, s, nullptr), kPngOk);
  EXPECT_EQ(s.path, path);
}

TEST(PngRead, SixteenBitIsRefusedWithTheDepthMessageAlsoForGrey) {
  const char* text = "PNGファイルの色深度が8bit以外です。本ソフトではPNGファイルは色深度8bitのみ対応です。";
  ExpectRefused(LibpngEncode(2, 2, 16, PNG_COLOR_TYPE_GRAY, FlatRows(2, 4, 9)), kPngBadBitDepth, text);
  ExpectRefused(LibpngEncode(2, 2, 16, PNG_COLOR_TYPE_RGB, FlatRows(2, 12, 9)), kPngBadBitDepth, text);
  ExpectRefused(LibpngEncode(2, 2, 16, PNG_COLOR_TYPE_RGB_ALPHA, FlatRows(2, 16, 9)), kPngBadBitDepth, text);
  ExpectRefused(LibpngEncode(2, 2, 16, PNG_COLOR_TYPE_GRAY_ALPHA, FlatRows(2, 8, 9)), kPngBadBitDepth, text);
  for (int depth : {1, 2, 4})
    ExpectRefused(LibpngEncode(8, 2, depth, PNG_COLOR_TYPE_GRAY, FlatRows(2, 4, 0)), kPngBadBitDepth, text);
}

TEST(PngRead, PaletteIsRefusedWhateverItsDepth) {
  const char* text = "申し訳有りませんが、本ソフトはカラーパレット付きPNGファイルに対応していません。";
  for (int depth : {1, 2, 4, 8})
    ExpectRefused(LibpngEncode(8, 2, depth, PNG_COLOR_TYPE_PALETTE, FlatRows(2, 8, 0), false, 2), kPngPalette,
                  text);
}

TEST(PngRead, NonPngContentIsRefused) {
  ExpectRefused({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kPngNotPng, "本ソフトで扱えるPNGファイルではありません。");
  ExpectRefused({137, 80, 78}, kPngNotPng, "本ソフトで扱えるPNGファイルではありません。");
  ExpectRefused({}, kPngNotPng, "本ソフトで扱えるPNGファイルではありません。");
}

TEST(PngRead, MissingFileGivesTheOpenMessage) {
  RecordingPlatform platform;
  TempDir dir;
  Surface s;
  EXPECT_EQ(ReadPng(dir.File("none.png"), s, nullptr), kPngCannotOpen);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "PNGファイルのオープンに失敗しました。");
  EXPECT_EQ(platform.messages[0].caption, kFailure);
}

TEST(PngRead, DamagedDataGivesTheOpenMessageInsteadOfEndingTheProgram) {
  std::vector<uint8_t> png = LibpngEncode(4, 4, 8, PNG_COLOR_TYPE_RGB, FlatRows(4, 12, 77));
  std::vector<uint8_t> bad_crc = png;
  bad_crc[20] ^= 0x40;  // IHDR height changed: CRC mismatch
  ExpectRefused(bad_crc, kPngCannotOpen, "PNGファイルのオープンに失敗しました。");
  std::vector<uint8_t> cut(png.begin(), png.end() - 20);  // inside IDAT
  ExpectRefused(cut, kPngCannotOpen, "PNGファイルのオープンに失敗しました。");
  std::vector<uint8_t> no_iend(png.begin(), png.end() - 12);  // every pixel there, the end chunk missing
  ExpectRefused(no_iend, kPngCannotOpen, "PNGファイルのオープンに失敗しました。");
}

TEST(PngRead, OversizedPicturesAreRefusedBeforeAllocating) {
  std::vector<uint8_t> wide = LibpngEncode(kMaxSurfaceSide + 1, 1, 8, PNG_COLOR_TYPE_GRAY,
                                           FlatRows(1, size_t(kMaxSurfaceSide + 1), 0));
  ExpectRefused(wide, kPngTooLarge, "画像が大きすぎます。");
  std::vector<uint8_t> huge = LibpngEncode(1, 1, 8, PNG_COLOR_TYPE_RGB, FlatRows(1, 3, 0));
  PatchIhdrSize(huge, 2000000000u, 2000000000u);  // would be 12 exabytes
  ExpectRefused(huge, kPngTooLarge, "画像が大きすぎます。");
}

TEST(PngRead, LargestAllowedSideLoads) {
  Surface s;
  ReadOutcome o = ReadFromBytes(
      LibpngEncode(kMaxSurfaceSide, 1, 8, PNG_COLOR_TYPE_GRAY, FlatRows(1, size_t(kMaxSurfaceSide), 3)), s);
  ASSERT_EQ(o.result, kPngOk);
  EXPECT_EQ(s.width, kMaxSurfaceSide);
  EXPECT_EQ(s.PixelAt(kMaxSurfaceSide - 1, 0)[1], 3);
}

TEST(PngDecode, FromMemoryWithoutMessagesWhenAsked) {
  RecordingPlatform platform;
  Surface s;
  const std::vector<uint8_t> pal = LibpngEncode(2, 1, 8, PNG_COLOR_TYPE_PALETTE, FlatRows(1, 2, 0), false, 2);
  EXPECT_EQ(DecodePng(pal.data(), pal.size(), s, nullptr, false), kPngPalette);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(DecodePng(pal.data(), pal.size(), s, nullptr, true), kPngPalette);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(DecodePng(nullptr, 0, s, nullptr, false), kPngNotPng);
}

TEST(PngWrite, RgbRoundTripIsIdenticalInEveryPixel) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("round.png");
  Surface src = testing::PatternSurface(37, 23, 11);
  ASSERT_EQ(WritePng(path, src), 0);
  Surface back;
  AlphaPlane a;
  ASSERT_EQ(ReadPng(path, back, &a), kPngOk);
  ASSERT_EQ(back.width, 37);
  ASSERT_EQ(back.height, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) ASSERT_TRUE(std::equal(src.PixelAt(x, y), src.PixelAt(x, y) + 3, back.PixelAt(x, y)));
  EXPECT_EQ(a.bytes, std::vector<uint8_t>(37 * 23, 255));
  EXPECT_TRUE(platform.messages.empty());
  // An 8-bit RGB stream, not interlaced.
  const std::vector<uint8_t> file = testing::ReadBytes(path);
  ASSERT_GE(file.size(), 29u);
  EXPECT_EQ(file[24], 8);   // bit depth
  EXPECT_EQ(file[25], 2);   // colour type RGB
  EXPECT_EQ(file[28], 0);   // no interlace
}

TEST(PngWrite, AlphaPlaneMakesRgba) {
  RecordingPlatform platform;
  Surface src = testing::PatternSurface(5, 4, 1);
  AlphaPlane alpha;
  alpha.CreateFilled(5, 4, 0);
  for (size_t i = 0; i < alpha.bytes.size(); ++i) alpha.bytes[i] = uint8_t(i * 13);
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(src, &alpha, png));
  EXPECT_EQ(png[25], 6);  // colour type RGBA
  Surface back;
  AlphaPlane a;
  ASSERT_EQ(DecodePng(png.data(), png.size(), back, &a, true), kPngOk);
  EXPECT_EQ(a.bytes, alpha.bytes);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_TRUE(std::equal(src.PixelAt(x, y), src.PixelAt(x, y) + 3, back.PixelAt(x, y)));
  AlphaPlane wrong;
  wrong.CreateFilled(4, 4, 0);
  EXPECT_FALSE(EncodePng(src, &wrong, png));
  EXPECT_FALSE(EncodePng(Surface{}, nullptr, png));
}

// The filter byte of every row of a non-interlaced 8-bit stream.
std::vector<uint8_t> RowFilters(const std::vector<uint8_t>& png, int height, size_t row_bytes) {
  std::vector<uint8_t> idat;
  for (size_t pos = 8; pos + 12 <= png.size();) {
    const size_t length = size_t(png[pos]) << 24 | size_t(png[pos + 1]) << 16 | size_t(png[pos + 2]) << 8 | png[pos + 3];
    if (std::equal(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8, "IDAT"))
      idat.insert(idat.end(), png.begin() + long(pos) + 8, png.begin() + long(pos + 8 + length));
    pos += 12 + length;
  }
  std::vector<uint8_t> raw(size_t(height) * (row_bytes + 1));
  uLongf size = uLongf(raw.size());
  if (uncompress(raw.data(), &size, idat.data(), uLong(idat.size())) != Z_OK || size != raw.size()) return {};
  std::vector<uint8_t> filters;
  for (int y = 0; y < height; ++y) filters.push_back(raw[size_t(y) * (row_bytes + 1)]);
  return filters;
}

TEST(PngWrite, FastPackingKeepsEveryByteAndFiltersByTheRowAbove) {
  RecordingPlatform platform;
  const int w = 37, h = 23;  // odd sizes: rows of padded buffers
  Surface src = testing::PatternSurface(w, h, 7);
  AlphaPlane alpha;
  alpha.CreateFilled(w, h, 0);
  for (size_t i = 0; i < alpha.bytes.size(); ++i) alpha.bytes[i] = uint8_t(i * 29 + i / 7);
  for (const AlphaPlane* plane : {static_cast<const AlphaPlane*>(&alpha), static_cast<const AlphaPlane*>(nullptr)}) {
    std::vector<uint8_t> small, fast;
    ASSERT_TRUE(EncodePng(src, plane, small));
    ASSERT_TRUE(EncodePng(src, plane, fast, PngPacking::kFast));
    Surface back;
    AlphaPlane a;
    ASSERT_EQ(DecodePng(fast.data(), fast.size(), back, plane ? &a : nullptr, true), kPngOk);
    if (plane) {
      EXPECT_EQ(a.bytes, alpha.bytes);
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_TRUE(std::equal(src.PixelAt(x, y), src.PixelAt(x, y) + 3, back.PixelAt(x, y)));
    const size_t row_bytes = size_t(w) * (plane ? 4 : 3);
    const std::vector<uint8_t> filters = RowFilters(fast, h, row_bytes);
    ASSERT_EQ(filters.size(), size_t(h));
    // libpng writes the first row unfiltered: there is no row above it.
    for (int y = 1; y < h; ++y) EXPECT_EQ(filters[size_t(y)], 2) << y;
    EXPECT_EQ(RowFilters(small, h, row_bytes).size(), size_t(h));
  }
  EXPECT_TRUE(platform.messages.empty());
}

// Takes pieces until `limit` bytes would be passed, then refuses.
struct PieceSink : ByteSink {
  explicit PieceSink(size_t limit_bytes = SIZE_MAX) : limit(limit_bytes) {}
  bool Put(const void* data, size_t size) override {
    ++puts;
    if (refused || bytes.size() + size > limit) {
      refused = true;
      ++refusals;
      return false;
    }
    bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    largest = std::max(largest, size);
    return true;
  }
  size_t limit;
  std::vector<uint8_t> bytes;
  size_t largest = 0;
  int puts = 0;
  int refusals = 0;
  bool refused = false;
};

TEST(PngWrite, StreamingHandsOverSmallPiecesOfTheWholeStream) {
  RecordingPlatform platform;
  const int w = 301, h = 203;
  // Noise, so that the stream is some hundreds of kilobytes.
  Surface src = testing::PatternSurface(w, h, 3);
  uint32_t noise = 7;
  for (uint8_t& b : src.pixels) b = uint8_t((noise = noise * 1103515245u + 12345u) >> 16);
  AlphaPlane alpha;
  alpha.CreateFilled(w, h, 0);
  for (uint8_t& b : alpha.bytes) b = uint8_t((noise = noise * 1103515245u + 12345u) >> 16);
  PieceSink sink;
  ASSERT_TRUE(StreamPng(src, &alpha, PngPacking::kFast, sink));
  Surface back;
  AlphaPlane a;
  ASSERT_EQ(DecodePng(sink.bytes.data(), sink.bytes.size(), back, &a, true), kPngOk);
  EXPECT_EQ(a.bytes, alpha.bytes);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_TRUE(std::equal(src.PixelAt(x, y), src.PixelAt(x, y) + 3, back.PixelAt(x, y)));
  ASSERT_GT(sink.bytes.size(), size_t(64) * 1024);
  EXPECT_LE(sink.largest, size_t(16) * 1024) << "the stream is never gathered whole";
  std::vector<uint8_t> encoded;
  ASSERT_TRUE(EncodePng(src, &alpha, encoded, PngPacking::kFast));
  EXPECT_TRUE(encoded == sink.bytes);

  // A sink that refuses part-way stops the encoder (through libpng's error
  // path) without a message; a plane of another size is refused before any byte.
  PieceSink half(sink.bytes.size() / 2);
  EXPECT_FALSE(StreamPng(src, &alpha, PngPacking::kFast, half));
  EXPECT_TRUE(half.refused);
  EXPECT_EQ(half.refusals, 1) << "nothing more is offered after a refusal";
  AlphaPlane wrong;
  wrong.CreateFilled(w, h - 1, 0);
  PieceSink none;
  EXPECT_FALSE(StreamPng(src, &wrong, PngPacking::kFast, none));
  EXPECT_EQ(none.puts, 0);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(PngWrite, UncreatableFileShowsTheOpenMessage) {
  RecordingPlatform platform;
  TempDir dir;
  EXPECT_EQ(WritePng(dir.File("no/such/folder.png"), testing::PatternSurface(2, 2)), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルオープンに失敗しました。WRITE_PNG");
  EXPECT_EQ(platform.messages[0].caption, kFailure);
}

TEST(PngWrite, FailedWriteKeepsTheOldFile) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("keep.png");
  ASSERT_EQ(WritePng(path, testing::PatternSurface(3, 3)), 0);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  EXPECT_EQ(WritePng(path, Surface{}), -1);  // nothing to encode
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルの書き込みに失敗しました。WRITE_PNG");
  EXPECT_EQ(testing::ReadBytes(path), before);
  EXPECT_EQ(testing::FolderEntries(dir.path()), std::vector<std::string>{"keep.png"});
}

}  // namespace
}  // namespace sylvane
