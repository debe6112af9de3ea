// The growth diary: names, the daily picture, and pruning to the picture count
// and the total size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "animation_fixtures.h"
#include "base/file_io.h"
#include "canvas/diary.h"
#include "canvas/image/image_io.h"
#include "canvas/records/options.h"
#include "platform/text.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

namespace fs = std::filesystem;

// Day n (0-based) of a run of days through several months and years.
DiaryDate Day(int n) { return DiaryDate{2024 + n / 336, 1 + (n / 28) % 12, 1 + n % 28}; }

// A plain write: hundreds of these, and no need to be crash-safe.
void MakeFile(const std::string& path, size_t bytes) {
  std::ofstream f(path, std::ios::binary);
  f << std::string(bytes, 'Z');
  ASSERT_TRUE(f.good()) << path;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const DiaryEntry& e : ListDiaryFolder(folder)) names.push_back(FileNamePart(e.path));
  return names;
}

TEST(DiaryTest, PictureNamesRoundTrip) {
  EXPECT_EQ(DiaryPictureName({2026, 12, 7}), "2026-12-07.jpg");
  EXPECT_EQ(DiaryPictureName(DiaryDateOf(LocalTime{2027, 1, 5, 9, 23, 59, 59, 999})), "2027-01-09.jpg");
  DiaryDate d;
  ASSERT_TRUE(ParseDiaryPictureName("2026-12-07.JPG", d));
  EXPECT_EQ(d, (DiaryDate{2026, 12, 7}));
  for (const char* bad : {"2026-13-07.jpg", "2026-12-00.jpg", "2026-1-07.jpg", "2026-12-07.jpeg", "x2026-12-07.jpg",
                          "2026_12_07.jpg", "2026-12-07.png"})
    EXPECT_FALSE(ParseDiaryPictureName(bad, d)) << bad;
}

TEST(DiaryTest, GardenFolderNamesAreSafe) {
  EXPECT_EQ(DiaryGardenFolderName("default"), "default");
  EXPECT_EQ(DiaryGardenFolderName("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(DiaryGardenFolderName("trailing. . "), "trailing");
  EXPECT_EQ(DiaryGardenFolderName(".."), "garden");
  EXPECT_EQ(DiaryGardenFolderName(""), "garden");
  // "表" is 0x95 0x5C in Shift-JIS: its trail byte is '\' and stays.
  EXPECT_EQ(DiaryGardenFolderName("\x95\x5C/x"), "\x95\x5C_x");
}

TEST(DiaryTest, WritesTodaysPictureOnce) {
  RecordingPlatform platform;
  TempDir dir;
  const Options options;
  const Surface lit = PatternFrame(120, 80, 40, 160, 90, 30);
  const DiaryDate today{2026, 12, 7};
  EXPECT_TRUE(DiaryPictureDue(dir.path(), "my garden", today, options));
  DiaryResult r = WriteDiaryPicture(dir.path(), "my garden", today, lit, options);
  ASSERT_EQ(r.status, DiaryStatus::kWritten) << r.reason;
  EXPECT_TRUE(r.reason.empty());
  EXPECT_EQ(r.path, JoinPath(JoinPath(JoinPath(dir.path(), "diary"), "my garden"), "2026-12-07.jpg"));
  Surface back;
  ASSERT_EQ(ReadJpeg(r.path, back, false), 0);
  EXPECT_EQ(back.width, 120);
  EXPECT_EQ(back.height, 80);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(back.PixelAt(90, 60)[c], lit.PixelAt(90, 60)[c], 8) << c;
  EXPECT_FALSE(DiaryPictureDue(dir.path(), "my garden", today, options));

  // Later the same day: the first picture stays.
  std::vector<uint8_t> before, after;
  ASSERT_EQ(ReadWholeFile(r.path, before), ReadFileStatus::kOk);
  r = WriteDiaryPicture(dir.path(), "my garden", today, PatternFrame(120, 80, 0, 0, 0, 0), options);
  EXPECT_EQ(r.status, DiaryStatus::kAlreadyWritten);
  ASSERT_EQ(ReadWholeFile(r.path, after), ReadFileStatus::kOk);
  EXPECT_EQ(before, after);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(DiaryTest, TurnedOffWritesNothing) {
  TempDir dir;
  Options options;
  options.diary_enabled = false;
  EXPECT_FALSE(DiaryPictureDue(dir.path(), "g", {2026, 1, 1}, options));
  const DiaryResult r = WriteDiaryPicture(dir.path(), "g", {2026, 1, 1}, PatternFrame(8, 8, 1, 2, 3, 0), options);
  EXPECT_EQ(r.status, DiaryStatus::kDisabled);
  EXPECT_FALSE(fs::exists(fs::path(dir.path()) / "diary"));
}

TEST(DiaryTest, AFailureIsAStatusAndOneLine) {
  RecordingPlatform platform;
  TempDir dir;
  // "diary" is a file, so the folder cannot be made.
  MakeFile(dir.File("diary"), 4);
  const DiaryResult r = WriteDiaryPicture(dir.path(), "g", {2026, 1, 1}, PatternFrame(8, 8, 1, 2, 3, 0), Options());
  EXPECT_EQ(r.status, DiaryStatus::kFailed);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(r.reason.find('\n'), std::string::npos);
  EXPECT_TRUE(platform.messages.empty());
  // An empty picture cannot be encoded.
  TempDir other;
  const DiaryResult e = WriteDiaryPicture(other.path(), "g", {2026, 1, 1}, Surface(), Options());
  EXPECT_EQ(e.status, DiaryStatus::kFailed);
  EXPECT_FALSE(fs::exists(e.path));
}

TEST(DiaryTest, KeepsTheNewest365PicturesOfAGarden) {
  RecordingPlatform platform;
  TempDir dir;
  const std::string root = DiaryRoot(dir.path());
  const std::string folder = DiaryGardenFolder(dir.path(), "g");
  fs::create_directories(folder);
  for (int n = 0; n < 365; ++n) MakeFile(JoinPath(folder, DiaryPictureName(Day(n))), 10);
  MakeFile(JoinPath(folder, "notes.txt"), 10);  // not a diary picture: never counted nor deleted

  const DiaryResult r = WriteDiaryPicture(dir.path(), "g", Day(365), PatternFrame(16, 16, 1, 2, 3, 0), Options());
  ASSERT_EQ(r.status, DiaryStatus::kWritten) << r.reason;
  const std::vector<std::string> names = NamesIn(folder);
  ASSERT_EQ(names.size(), 365u);
  EXPECT_EQ(names.front(), DiaryPictureName(Day(1)));  // the oldest went
  EXPECT_EQ(names.back(), DiaryPictureName(Day(365)));
  EXPECT_TRUE(fs::exists(JoinPath(folder, "notes.txt")));
}

TEST(DiaryTest, TheTotalCapTakesTheOldestOfAnyGarden) {
  TempDir dir;
  const std::string root = DiaryRoot(dir.path());
  const std::string a = JoinPath(root, "a");
  const std::string b = JoinPath(root, "b");
  fs::create_directories(a);
  fs::create_directories(b);
  // Garden a has days 0, 2, 4, 6; garden b days 1, 3, 5, 7: 1000 bytes each.
  for (int n = 0; n < 8; ++n) MakeFile(JoinPath(n % 2 ? b : a, DiaryPictureName(Day(n))), 1000);
  MakeFile(JoinPath(a, "big.bin"), 100000);  // foreign: not counted

  DiaryLimits limits;
  limits.max_bytes = 5500;
  EXPECT_EQ(PruneDiary(root, a, limits, ""), 3);
  EXPECT_EQ(NamesIn(a), (std::vector<std::string>{DiaryPictureName(Day(4)), DiaryPictureName(Day(6))}));
  EXPECT_EQ(NamesIn(b), (std::vector<std::string>{DiaryPictureName(Day(3)), DiaryPictureName(Day(5)),
                                                  DiaryPictureName(Day(7))}));
  EXPECT_TRUE(fs::exists(JoinPath(a, "big.bin")));

  // The picture to keep survives even when it alone is over the cap.
  limits.max_bytes = 10;
  const std::string keep = JoinPath(b, DiaryPictureName(Day(3)));
  EXPECT_EQ(PruneDiary(root, b, limits, keep), 4);
  EXPECT_TRUE(NamesIn(a).empty());
  EXPECT_EQ(NamesIn(b), (std::vector<std::string>{DiaryPictureName(Day(3))}));
}

TEST(DiaryTest, TheOptionsCapApplies) {
  TempDir dir;
  Options options;
  options.diary_max_mb = 1;
  const std::string folder = DiaryGardenFolder(dir.path(), "g");
  fs::create_directories(folder);
  // Three old pictures of 400 KiB: with today's they exceed 1 MiB.
  for (int n = 0; n < 3; ++n) MakeFile(JoinPath(folder, DiaryPictureName(Day(n))), 400 << 10);
  const DiaryResult r = WriteDiaryPicture(dir.path(), "g", Day(10), PatternFrame(16, 16, 1, 2, 3, 0), options);
  ASSERT_EQ(r.status, DiaryStatus::kWritten) << r.reason;
  EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{DiaryPictureName(Day(1)), DiaryPictureName(Day(2)),
                                                       DiaryPictureName(Day(10))}));
}

}  // namespace
}  // namespace sylvane::testing
