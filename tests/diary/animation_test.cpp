// The animation writer: what it writes read back through libwebp's and
// giflib's own decoders, and its failures leaving no file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "animation_fixtures.h"
#include "base/file_io.h"
#include "canvas/image/animation.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

constexpr int kW = 64;
constexpr int kH = 40;

// Frame i: its own background colour and the square moved 4 pixels on.
Surface FrameNumber(int i) { return PatternFrame(kW, kH, uint8_t(30 * i), uint8_t(200 - 20 * i), 90, 4 * i); }

int WriteFrames(const std::string& path, int count, int fps) {
  AnimationWriter w;
  int r = w.Open(path, kW, kH, fps);
  if (r != kAnimationOk) return r;
  for (int i = 0; i < count; ++i)
    if ((r = w.AddFrame(FrameNumber(i))) != kAnimationOk) return r;
  EXPECT_EQ(w.frame_count(), count);
  return w.Finish();
}

size_t FilesIn(const std::string& folder) {
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

// A frame of thousands of colours: gradients in all three channels.
Surface GradientFrame(int w, int h, int shift) {
  Surface s;
  s.Create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = uint8_t(x * 2 + shift), p[1] = uint8_t(y * 4), p[2] = uint8_t((x + y) * 2);
    }
  s.RefreshHeaders();
  return s;
}

std::vector<uint8_t> WriteGradientGif(const std::string& path, float dither = AnimationSettings().gif_dither) {
  AnimationSettings settings;
  settings.gif_dither = dither;
  AnimationWriter w;
  std::vector<uint8_t> bytes;
  if (w.Open(path, 96, 64, 10, settings) != kAnimationOk) return bytes;
  for (int i = 0; i < 3; ++i)
    if (w.AddFrame(GradientFrame(96, 64, 40 * i)) != kAnimationOk) return bytes;
  if (w.Finish() == kAnimationOk) ReadWholeFile(path, bytes);
  return bytes;
}

TEST(AnimationTest, FormatComesFromTheExtension) {
  AnimationFormat f;
  ASSERT_TRUE(AnimationFormatForPath("a/b.WebP", f));
  EXPECT_EQ(f, AnimationFormat::kWebp);
  ASSERT_TRUE(AnimationFormatForPath("x.gif", f));
  EXPECT_EQ(f, AnimationFormat::kGif);
  EXPECT_FALSE(AnimationFormatForPath("x.png", f));
  EXPECT_FALSE(AnimationFormatForPath("gif", f));
  EXPECT_FALSE(AnimationFormatForPath("dir.gif/x", f));
}

TEST(AnimationTest, WebpFramesComeBackInOrderWithTheirTimes) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("a.webp");
  ASSERT_EQ(WriteFrames(path, 6, 4), kAnimationOk);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeWebpAnimation(path, a));
  EXPECT_EQ(a.width, kW);
  EXPECT_EQ(a.height, kH);
  EXPECT_EQ(a.loop_count, 0);
  ASSERT_EQ(a.frames.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(a.end_times[size_t(i)], (i + 1) * 250) << i;
    const Surface want = FrameNumber(i);
    // Lossy, so near: inside the background, inside the square.
    EXPECT_LE(ChannelDifference(a.Pixel(size_t(i), 50, 30), want.PixelAt(50, 30)), 12) << i;
    EXPECT_LE(ChannelDifference(a.Pixel(size_t(i), 4 * i + 5, 10), want.PixelAt(4 * i + 5, 10)), 24) << i;
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(AnimationTest, GifFramesComeBackExactly) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("a.gif");
  ASSERT_EQ(WriteFrames(path, 5, 3), kAnimationOk);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeGifAnimation(path, a));
  EXPECT_EQ(a.width, kW);
  EXPECT_EQ(a.height, kH);
  EXPECT_EQ(a.loop_count, 0);
  ASSERT_EQ(a.frames.size(), 5u);
  // 1/3 s a frame in hundredths: the delays add up without drifting.
  EXPECT_EQ(a.end_times, (std::vector<int>{33, 67, 100, 133, 167}));
  for (int i = 0; i < 5; ++i) {
    const Surface want = FrameNumber(i);
    int worst = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) worst = std::max(worst, ChannelDifference(a.Pixel(size_t(i), x, y), want.PixelAt(x, y)));
    // Three colours fit any palette; the quantizer may round a channel by one.
    EXPECT_LE(worst, 1) << "frame " << i;
  }
}

TEST(AnimationTest, GifOfManyColoursStaysClose) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string path = dir.File("g.gif");
  AnimationWriter w;
  ASSERT_EQ(w.Open(path, 96, 64, 10), kAnimationOk);
  std::vector<Surface> frames;
  for (int i = 0; i < 3; ++i) {
    frames.push_back(GradientFrame(96, 64, 40 * i));
    ASSERT_EQ(w.AddFrame(frames.back()), kAnimationOk);
  }
  ASSERT_EQ(w.Finish(), kAnimationOk);
  DecodedAnimation a;
  ASSERT_TRUE(DecodeGifAnimation(path, a));
  ASSERT_EQ(a.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    double sum = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 96; ++x) sum += ChannelDifference(a.Pixel(i, x, y), frames[i].PixelAt(x, y));
    EXPECT_LT(sum / (96 * 64), 8.0) << "frame " << i;  // thousands of colours into 256
  }
}

TEST(AnimationTest, GifBytesDependOnTheFramesAloneEvenOnManyThreads) {
  RecordingPlatform platform;
  TempDir dir;
  const std::vector<uint8_t> alone = WriteGradientGif(dir.File("alone.gif"));
  ASSERT_FALSE(alone.empty());
  // The quantizer keeps state of its own between calls: writers on several
  // threads at once must still each get the bytes of the writer alone.
  std::vector<std::vector<uint8_t>> together(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < together.size(); ++i)
    threads.emplace_back([&, i] {
      for (int round = 0; round < 3; ++round)
        together[i] = WriteGradientGif(dir.File("t" + std::to_string(i) + ".gif"));
    });
  for (std::thread& t : threads) t.join();
  for (size_t i = 0; i < together.size(); ++i) EXPECT_TRUE(together[i] == alone) << "thread " << i;
}

TEST(AnimationTest, DitheringKeepsTheColoursOfAreas) {
  RecordingPlatform platform;
  TempDir dir;
  // The mean difference of 8 x 8 blocks from the frame: diffusing each
  // pixel's error to its neighbours keeps the blocks' colours closer than
  // rounding each pixel alone.
  auto block_error = [&](float dither) {
    const std::string path = dir.File(dither > 0 ? "d.gif" : "n.gif");
    EXPECT_FALSE(WriteGradientGif(path, dither).empty());
    DecodedAnimation a;
    EXPECT_TRUE(DecodeGifAnimation(path, a));
    if (a.frames.empty()) return 1e9;
    const Surface want = GradientFrame(96, 64, 0);
    double error = 0;
    for (int by = 0; by < 64; by += 8)
      for (int bx = 0; bx < 96; bx += 8)
        for (int c = 0; c < 3; ++c) {
          int got = 0, source = 0;
          for (int y = by; y < by + 8; ++y)
            for (int x = bx; x < bx + 8; ++x) got += a.Pixel(0, x, y)[c], source += want.PixelAt(x, y)[2 - c];
          error += std::abs(got - source) / 64.0;
        }
    return error / (12 * 8 * 3);
  };
  const double plain = block_error(0.0f);
  const double dithered = block_error(1.0f);
  EXPECT_LT(dithered, plain * 0.75) << "plain " << plain << ", dithered " << dithered;
}

TEST(AnimationTest, UnchangedFramesStillCount) {
  RecordingPlatform platform;
  TempDir dir;
  for (const char* name : {"s.gif", "s.webp"}) {
    const std::string path = dir.File(name);
    AnimationWriter w;
    ASSERT_EQ(w.Open(path, kW, kH, 10), kAnimationOk);
    // One frame, then the same picture three times.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(w.AddFrame(FrameNumber(i == 0 ? 0 : 1)), kAnimationOk);
    ASSERT_EQ(w.Finish(), kAnimationOk);
    DecodedAnimation a;
    ASSERT_TRUE(std::string(name).ends_with("gif") ? DecodeGifAnimation(path, a) : DecodeWebpAnimation(path, a));
    // WebP merges identical frames into one longer one (and a single frame
    // becomes a still picture); the length stays.
    EXPECT_EQ(a.end_times.back(), std::string(name).ends_with("gif") ? 40 : 400) << name;
    EXPECT_LE(ChannelDifference(a.Pixel(a.frames.size() - 1, 50, 30), FrameNumber(1).PixelAt(50, 30)), 12);
  }
}

TEST(AnimationTest, RefusesWhatItCannotWrite) {
  RecordingPlatform platform;
  TempDir dir;
  AnimationWriter w;
  EXPECT_EQ(w.Open(dir.File("a.png"), kW, kH, 10), kAnimationBadName);
  EXPECT_EQ(w.Open(dir.File("a.gif"), 0, kH, 10), kAnimationBadSize);
  EXPECT_EQ(w.Open(dir.File("a.gif"), 70000, 10, 10), kAnimationBadSize);
  EXPECT_EQ(w.Open(dir.File("a.webp"), kW, kH, 0), kAnimationBadSize);
  EXPECT_EQ(w.Open(dir.File("a.webp"), kW, kH, 51), kAnimationBadSize);
  EXPECT_EQ(w.AddFrame(FrameNumber(0)), kAnimationNotOpen);
  EXPECT_EQ(w.Finish(), kAnimationNotOpen);
  ASSERT_EQ(w.Open(dir.File("a.webp"), kW, kH, 10), kAnimationOk);
  EXPECT_EQ(w.AddFrame(PatternFrame(kW + 1, kH, 1, 2, 3, 0)), kAnimationBadSize);
  EXPECT_EQ(w.Finish(), kAnimationNoFrames);
  EXPECT_EQ(FilesIn(dir.path()), 0u);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(AnimationTest, AnOutputThatCannotBeCreatedGivesTheWriteMessage) {
  RecordingPlatform platform;
  TempDir dir;
  AnimationWriter w;
  EXPECT_EQ(w.Open(dir.File("missing/a.webp"), kW, kH, 10), kAnimationWriteFailed);
  EXPECT_EQ(w.Open(dir.File("missing/a.gif"), kW, kH, 10), kAnimationWriteFailed);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.messages[0].text, "ファイルオープンに失敗しました。WRITE_WEBP");
  EXPECT_EQ(platform.messages[1].text, "ファイルオープンに失敗しました。WRITE_GIF");
  EXPECT_EQ(platform.messages[0].caption, "失敗");
  EXPECT_EQ(FilesIn(dir.path()), 0u);
}

TEST(AnimationTest, AnAbandonedAnimationLeavesTheOldFileAlone) {
  RecordingPlatform platform;
  TempDir dir;
  for (const char* name : {"old.webp", "old.gif"}) {
    const std::string path = dir.File(name);
    ASSERT_TRUE(WriteFileAtomically(path, "old", 3));
    {
      AnimationWriter w;
      ASSERT_EQ(w.Open(path, kW, kH, 10), kAnimationOk);
      ASSERT_EQ(w.AddFrame(FrameNumber(0)), kAnimationOk);
      ASSERT_EQ(w.AddFrame(FrameNumber(1)), kAnimationOk);
    }  // destroyed before Finish
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");
  }
  EXPECT_EQ(FilesIn(dir.path()), 2u);  // no temporary file left
}

TEST(AnimationTest, FitFrameShrinksSmoothlyAndEnlargesByNearest) {
  const Surface src = PatternFrame(40, 20, 10, 20, 30, 0);
  Surface dst;
  ASSERT_EQ(FitFrame(src, 20, 10, dst), 0);
  EXPECT_EQ(dst.width, 20);
  EXPECT_EQ(dst.height, 10);
  EXPECT_EQ(dst.PixelAt(15, 8)[2], 10);
  ASSERT_EQ(FitFrame(src, 80, 10, dst), 0);
  EXPECT_EQ(dst.width, 80);
  EXPECT_EQ(dst.PixelAt(0, 5)[0], 255);   // the square, enlarged
  EXPECT_EQ(dst.PixelAt(79, 5)[0], 30);
  EXPECT_EQ(FitFrame(Surface(), 8, 8, dst), -1);
}

}  // namespace
}  // namespace sylvane::testing
