// Damaged pictures of every type: cut short at every length, headers
// corrupted, bytes flipped at random. Each must be refused (or, for a flip
// that leaves a decodable file, read into a consistent surface) without a
// crash, a hang, or a read past the data. The build runs these under
// AddressSanitizer.
#include <gtest/gtest.h>

#include "base/random.h"
#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "canvas/test_pictures.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;

enum class Kind { kPng, kBmp, kJpeg };

// Decodes from an exact-size heap copy so that a read one byte too far is caught.
int Decode(Kind kind, const std::vector<uint8_t>& bytes, Surface& out, AlphaPlane& alpha) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() + 1]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  const uint8_t* data = copy.get();
  switch (kind) {
    case Kind::kPng: return DecodePng(data, bytes.size(), out, &alpha, true);
    case Kind::kBmp: return DecodeBmp(data, bytes.size(), out, true) < 0 ? -1 : 0;
    case Kind::kJpeg: return DecodeJpeg(data, bytes.size(), out, true);
  }
  return -1;
}

std::vector<uint8_t> ValidFile(Kind kind) {
  Surface s = testing::PatternSurface(37, 23, 5);
  std::vector<uint8_t> bytes;
  switch (kind) {
    case Kind::kPng: EXPECT_TRUE(EncodePng(s, nullptr, bytes)); break;
    case Kind::kBmp: EXPECT_TRUE(EncodeBmp(s, bytes)); break;
    case Kind::kJpeg: EXPECT_TRUE(EncodeJpeg(s, 80, bytes)); break;
  }
  return bytes;
}

void ExpectConsistent(const Surface& s) {
  ASSERT_GT(s.width, 0);
  ASSERT_GT(s.height, 0);
  EXPECT_EQ(s.stride, StrideFor(s.width));
  EXPECT_EQ(s.pixels.size(), size_t(s.stride) * size_t(s.height));
}

class DamagedFiles : public ::testing::TestWithParam<Kind> {};

TEST_P(DamagedFiles, EveryTruncationIsRefusedWithOneMessage) {
  const std::vector<uint8_t> whole = ValidFile(GetParam());
  ASSERT_FALSE(whole.empty());
  {
    RecordingPlatform platform;
    Surface s;
    AlphaPlane a;
    ASSERT_EQ(Decode(GetParam(), whole, s, a), 0);
    EXPECT_TRUE(platform.messages.empty());
  }
  for (size_t length = 0; length < whole.size(); ++length) {
    RecordingPlatform platform;
    Surface s = testing::PatternSurface(1, 1);
    const std::vector<uint8_t> before = s.pixels;
    AlphaPlane a;
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + ptrdiff_t(length));
    ASSERT_NE(Decode(GetParam(), cut, s, a), 0) << "cut at " << length << " of " << whole.size();
    ASSERT_EQ(platform.messages.size(), 1u) << length;
    ASSERT_EQ(s.pixels, before) << length;
    ASSERT_TRUE(a.empty());
  }
}

TEST_P(DamagedFiles, CorruptedHeaderBytesNeverCrash) {
  const std::vector<uint8_t> whole = ValidFile(GetParam());
  const size_t header = std::min<size_t>(whole.size(), 200);
  int refused = 0;
  for (size_t i = 0; i < header; ++i) {
    for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x80), uint8_t(whole[i] ^ 0x01)}) {
      if (value == whole[i]) continue;
      std::vector<uint8_t> bad = whole;
      bad[i] = value;
      RecordingPlatform platform;
      Surface s;
      AlphaPlane a;
      if (Decode(GetParam(), bad, s, a) == 0) {
        ExpectConsistent(s);
        EXPECT_LE(s.width, kMaxSurfaceSide);
      } else {
        ++refused;
        EXPECT_EQ(platform.messages.size(), 1u) << i;
        EXPECT_TRUE(s.empty());
      }
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_P(DamagedFiles, RandomFlipsNeverCrash) {
  const std::vector<uint8_t> whole = ValidFile(GetParam());
  SeedRandom(20240607);
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> bad = whole;
    const int flips = 1 + Rand() % 8;
    for (int f = 0; f < flips; ++f) {
      const size_t pos = size_t(Rand() * 32768 + Rand()) % bad.size();
      bad[pos] = uint8_t(Rand() & 0xFF);
    }
    RecordingPlatform platform;
    Surface s;
    AlphaPlane a;
    if (Decode(GetParam(), bad, s, a) == 0) {
      ExpectConsistent(s);
    } else {
      EXPECT_EQ(platform.messages.size(), 1u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DamagedFiles, ::testing::Values(Kind::kPng, Kind::kBmp, Kind::kJpeg),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                           switch (info.param) {
                             case Kind::kPng: return "Png";
                             case Kind::kBmp: return "Bmp";
                             case Kind::kJpeg: return "Jpeg";
                           }
                           return "Unknown";
                         });

TEST(DamagedFiles, BmpCorruptionThatMustBeRefused) {
  const std::vector<uint8_t> whole = ValidFile(Kind::kBmp);
  struct Patch {
    size_t offset;
    uint8_t value;
  };
  // biWidth high byte, biHeight high byte, bit count, compression.
  for (Patch p : {Patch{21, 0x80}, Patch{21, 0x7F}, Patch{25, 0x7F}, Patch{28, 32}, Patch{30, 1}}) {
    std::vector<uint8_t> bad = whole;
    bad[p.offset] = p.value;
    RecordingPlatform platform;
    Surface s;
    AlphaPlane a;
    EXPECT_NE(Decode(Kind::kBmp, bad, s, a), 0) << p.offset;
    EXPECT_EQ(platform.messages.size(), 1u);
  }
}

}  // namespace
}  // namespace sylvane
