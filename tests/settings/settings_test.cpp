#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/file_io.h"
#include "canvas/records/settings.h"
#include "platform/text.h"
#include "support/recording_platform.h"

namespace sylvane {
namespace {

using testing::RecordingPlatform;
using testing::TempDir;

// Size of a file with an empty image list: magic, version, nine int32, three
// rectangles, 2 + 7 bytes, int32, 2 bytes, 4 bytes, three int32, 3 bytes, two
// int32, 2 bytes, three int32, 1 byte, nine char[260], the two grid counts.
constexpr size_t kFixedBytes = 16 + 4 + 36 + 48 + 2 + 7 + 4 + 2 + 4 + 12 + 3 + 8 + 2 + 12 + 1 +
                               9 * 260 + 8;

int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);  // the test machines are little-endian
  return v;
}

std::string TextAt(const std::vector<uint8_t>& b, size_t at) {
  return std::string(reinterpret_cast<const char*>(b.data() + at));
}

// Every field a distinct value, so that a swapped field shows.
MInitInfo Distinct() {
  MInitInfo s;
  s.main_x = 11;
  s.main_y = 12;
  s.canvas_width = 13;
  s.canvas_height = 14;
  s.reserved = 15;
  s.background_red = 16;
  s.background_green = 17;
  s.background_blue = 18;
  s.update_interval = 19;
  s.map_window = {21, 22, 23, 24};
  s.changer_window = {25, 26, 27, 28};
  s.canvas_window = {29, 30, 31, 32};
  s.mutant_handling = 33;
  s.exit_saving = 34;
  for (int i = 0; i < kSettingsFolders; ++i) s.folders[i] = "folder" + std::to_string(i);
  s.mutation_sound = 35;
  s.sound_file = "sound.wav";
  s.changer_folder = "changer";
  s.changer_images.AllocateFilled(5, 2, 'p');
  s.changer_images.At(4, 1) = 0;
  s.associate_canvas = 36;
  s.associate_trees = 37;
  s.start_with_windows = 38;
  s.windows_hidden = 39;
  s.mutant_file_count = 40;
  s.canvas_fits_desktop = 41;
  s.fit_background = 42;
  s.tree_loop = 43;
  s.tree_split = 44;
  s.rising_anywhere = 45;
  s.scatter_mode = 46;
  s.scatter_count = 47;
  s.scatter_radius = 48;
  s.lighting_mode = 49;
  s.wallpaper_style = 50;
  s.transparency_mode = 51;
  s.window_opacity = 52;
  s.changer_state = 53;
  s.changer_active = 54;
  s.changer_mode = 55;
  s.changer_sort = 56;
  s.canvas_window_state = 57;
  s.canvas_zoom_step = 58;
  s.canvas_names = 59;
  s.loop_irregularity = 60;
  s.changer_display = 61;
  s.skin_option = 62;
  return s;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk) << path;
  return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
}

TEST(Settings, Defaults) {
  MInitInfo s;
  EXPECT_EQ(s.main_x, 0);
  EXPECT_EQ(s.main_y, 0);
  EXPECT_EQ(s.canvas_width, 600);
  EXPECT_EQ(s.canvas_height, 400);
  EXPECT_EQ(s.background_red + s.background_green + s.background_blue, 0);
  EXPECT_EQ(s.update_interval, 0);
  EXPECT_EQ(s.map_window, (WindowRect{0, 0, 300, 300}));
  EXPECT_EQ(s.changer_window, (WindowRect{0, 0, 250, 410}));
  EXPECT_EQ(s.canvas_window, (WindowRect{0, 0, 300, 300}));
  for (const std::string& f : s.folders) EXPECT_TRUE(f.empty());
  EXPECT_TRUE(s.changer_images.empty());
  EXPECT_EQ(s.mutant_file_count, 5);
  EXPECT_EQ(s.tree_loop, 1);
  EXPECT_EQ(s.tree_split, 1);
  EXPECT_EQ(s.rising_anywhere, 0);
  EXPECT_EQ(s.scatter_count, 1);
  EXPECT_EQ(s.scatter_radius, 0);
  EXPECT_EQ(s.window_opacity, 255);
  EXPECT_EQ(s.transparency_mode, 0);
  EXPECT_EQ(s.changer_state, 0);
  EXPECT_EQ(s.canvas_zoom_step, 0);
  EXPECT_EQ(s.changer_display, 0);
  EXPECT_EQ(s.skin_option, 0);
}

TEST(Settings, ResetCentresTheMainWindowAndSetsTheFolders) {
  RecordingPlatform platform;
  platform.screen = {1024, 768};
  platform.program_folder = "C:\\garden";
  MInitInfo s = Distinct();
  s.ApplyReset();
  EXPECT_EQ(s.main_x, 387);
  EXPECT_EQ(s.main_y, 129);
  EXPECT_EQ(s.changer_window, (WindowRect{387, 229, 250, 410}));
  EXPECT_EQ(s.canvas_window, (WindowRect{0, 0, 300, 300}));
  const std::string skin = JoinPath("C:\\garden", "skin");
  for (int i : {0, 1, 2, 4, 5}) EXPECT_EQ(s.folders[i], "C:\\garden");
  EXPECT_EQ(s.folders[kFolderSkin], skin);
  EXPECT_EQ(s.folders[kFolderMutantArchive], JoinPath("C:\\garden", "ki_log"));
  EXPECT_EQ(s.mutation_sound, 0);
  EXPECT_EQ(s.sound_file, skin);
  EXPECT_EQ(s.changer_folder, skin);
  EXPECT_EQ(s.changer_state, 1);
  EXPECT_EQ(s.changer_active, 0);
  EXPECT_EQ(s.changer_mode, 0);
  EXPECT_EQ(s.changer_sort, 0);
  EXPECT_EQ(s.canvas_window_state, 0);
  EXPECT_EQ(s.canvas_zoom_step, 5);
  EXPECT_EQ(s.canvas_names, 0);
  EXPECT_EQ(s.loop_irregularity, 0);
  EXPECT_EQ(s.changer_display, 2);
  EXPECT_EQ(s.skin_option, 0);
  // Fields without reset values keep theirs.
  EXPECT_EQ(s.canvas_width, 13);
  EXPECT_EQ(s.map_window, (WindowRect{21, 22, 23, 24}));
  EXPECT_EQ(s.mutant_file_count, 40);
  EXPECT_EQ(s.changer_images.columns, 5);
  EXPECT_TRUE(platform.messages.empty());
}

TEST(Settings, ResetRoundsHalfTheScreenUp) {
  RecordingPlatform platform;
  platform.screen = {1025, 769};
  MInitInfo s;
  s.ApplyReset();
  EXPECT_EQ(s.main_x, 513 - 125);
  EXPECT_EQ(s.main_y, 385 - 255);
}

TEST(Settings, FileLayout) {
  MInitInfo s = Distinct();
  const std::vector<uint8_t> b = s.ToBytes();
  ASSERT_EQ(b.size(), kFixedBytes + 10);
  EXPECT_EQ(std::memcmp(b.data(), "sylvanewood_ini\0", 16), 0);
  EXPECT_EQ(I32At(b, 16), 0x3FB1EB85);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(I32At(b, 20 + 4 * i), 11 + i);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(I32At(b, 56 + 4 * i), 21 + i);
  const std::vector<uint8_t> bytes_at_104{33, 34, 53, 54, 55, 56, 57, 58, 59};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 104, b.begin() + 113), bytes_at_104);
  EXPECT_EQ(I32At(b, 113), 60);
  EXPECT_EQ(b[117], 61);
  EXPECT_EQ(b[118], 62);
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 119, b.begin() + 123), (std::vector<uint8_t>{36, 37, 38, 39}));
  EXPECT_EQ(I32At(b, 123), 40);
  EXPECT_EQ(I32At(b, 127), 41);
  EXPECT_EQ(I32At(b, 131), 42);
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 135, b.begin() + 138), (std::vector<uint8_t>{43, 44, 50}));
  EXPECT_EQ(I32At(b, 138), 51);
  EXPECT_EQ(I32At(b, 142), 52);
  EXPECT_EQ(b[146], 45);
  EXPECT_EQ(b[147], 46);
  EXPECT_EQ(I32At(b, 148), 47);
  EXPECT_EQ(I32At(b, 152), 48);
  EXPECT_EQ(I32At(b, 156), 49);
  EXPECT_EQ(b[160], 35);
  EXPECT_EQ(TextAt(b, 161), "sound.wav");
  EXPECT_EQ(b[161 + 259], 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(TextAt(b, 421 + 260 * i), "folder" + std::to_string(i));
  EXPECT_EQ(TextAt(b, 2241), "changer");
  EXPECT_EQ(I32At(b, 2501), 5);
  EXPECT_EQ(I32At(b, 2505), 2);
  EXPECT_EQ(std::string(b.begin() + 2509, b.end()), std::string("ppppppppp\0", 10));
}

TEST(Settings, RoundTripIsByteExact) {
  const MInitInfo original = Distinct();
  const std::vector<uint8_t> bytes = original.ToBytes();
  MInitInfo read;
  ASSERT_TRUE(read.FromBytes(bytes));
  EXPECT_EQ(read.ToBytes(), bytes);
  EXPECT_EQ(read.folders, original.folders);
  EXPECT_EQ(read.changer_images.cells, original.changer_images.cells);
  EXPECT_EQ(read.window_opacity, 52);
}

TEST(Settings, EmptyImageListInTheFileKeepsTheListInMemory) {
  MInitInfo file = Distinct();
  file.changer_images.Release();
  MInitInfo s;
  s.changer_images.AllocateFilled(3, 1, 'x');
  ASSERT_TRUE(s.FromBytes(file.ToBytes()));
  EXPECT_EQ(s.changer_images.columns, 3);
  EXPECT_EQ(s.main_x, 11);
}

TEST(Settings, WrongMagicWithTheRightVersionIsRead) {
  std::vector<uint8_t> bytes = Distinct().ToBytes();
  std::memcpy(bytes.data(), "something_else!", 16);
  MInitInfo s;
  ASSERT_TRUE(s.FromBytes(bytes));
  EXPECT_EQ(s.lighting_mode, 49);
}

TEST(Settings, EveryTruncatedImageChangesNothing) {
  const std::vector<uint8_t> bytes = Distinct().ToBytes();
  const MInitInfo before;
  const std::vector<uint8_t> before_bytes = before.ToBytes();
  for (size_t n = 0; n < bytes.size(); ++n) {
    MInitInfo s;
    EXPECT_FALSE(s.FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n))) << n;
    ASSERT_EQ(s.ToBytes(), before_bytes) << n;
  }
}

TEST(Settings, LongPathsAreCutWithoutSplittingACharacter) {
  MInitInfo s;
  std::string sjis;
  for (int i = 0; i < 150; ++i) sjis += "\x82\xA0";  // "あ" in Shift-JIS
  s.sound_file = sjis;
  s.changer_folder = std::string(400, 'a');
  MInitInfo read;
  ASSERT_TRUE(read.FromBytes(s.ToBytes()));
  EXPECT_EQ(read.sound_file, sjis.substr(0, 258));
  EXPECT_EQ(read.changer_folder, std::string(259, 'a'));
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.screen = {1024, 768};
    platform.program_folder = dir.path();
  }
  std::string Path() const { return dir.File("sylvane.ini"); }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    return names;
  }
  RecordingPlatform platform;
  TempDir dir;
};

TEST_F(SettingsFile, FirstStartWritesTheResetValuesAtOnce) {
  MInitInfo s;
  EXPECT_EQ(s.Load(), kSettingsReset);
  EXPECT_EQ(s.main_x, 387);
  EXPECT_EQ(s.main_y, 129);
  EXPECT_TRUE(platform.messages.empty());
  const std::vector<uint8_t> file = ReadFile(Path());
  EXPECT_EQ(file, s.ToBytes());
  EXPECT_EQ(I32At(file, 20), 387);
  EXPECT_EQ(I32At(file, 24), 129);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"sylvane.ini"});
}

TEST_F(SettingsFile, SaveThenLoadGivesTheSameSettings) {
  const MInitInfo original = Distinct();
  ASSERT_EQ(original.Save(), kSettingsOk);
  EXPECT_EQ(ReadFile(Path()), original.ToBytes());
  MInitInfo s;
  EXPECT_EQ(s.Load(), kSettingsOk);
  EXPECT_EQ(s.ToBytes(), original.ToBytes());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"sylvane.ini"}) << "no temporary file stays";
}

TEST_F(SettingsFile, SaveReplacesAnOlderFileWhole) {
  WriteFile(Path(), std::vector<uint8_t>(5000, 0xCC));
  MInitInfo s;
  ASSERT_EQ(s.Save(), kSettingsOk);
  EXPECT_EQ(ReadFile(Path()), s.ToBytes());
}

TEST_F(SettingsFile, OtherVersionsAreResetAndRewritten) {
  for (float version : {1.38f, 1.3899999f, 0.0f}) {
    std::vector<uint8_t> bytes = Distinct().ToBytes();
    std::memcpy(bytes.data() + 16, &version, 4);
    WriteFile(Path(), bytes);
    MInitInfo s;
    EXPECT_EQ(s.Load(), kSettingsReset) << version;
    EXPECT_EQ(s.main_x, 387);
    EXPECT_EQ(s.canvas_width, 600) << "not taken from the file";
    EXPECT_TRUE(platform.messages.empty()) << "older files are replaced silently";
    const std::vector<uint8_t> file = ReadFile(Path());
    EXPECT_EQ(I32At(file, 16), 0x3FB1EB85);
    EXPECT_EQ(file, s.ToBytes());
  }
}

TEST_F(SettingsFile, NewerVersionIsReportedThenResetAndRewritten) {
  float newer = 1.40f;
  std::vector<uint8_t> bytes = Distinct().ToBytes();
  std::memcpy(bytes.data() + 16, &newer, 4);
  WriteFile(Path(), bytes);
  MInitInfo s;
  EXPECT_EQ(s.Load(), kSettingsNewerVersion);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "このINIファイルを読み込むには、本体のバージョンアップが必要です。");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
  EXPECT_EQ(s.main_x, 387);
  EXPECT_EQ(s.canvas_width, 600);
  const std::vector<uint8_t> file = ReadFile(Path());
  EXPECT_EQ(I32At(file, 16), 0x3FB1EB85);
  EXPECT_EQ(file, s.ToBytes());
}

TEST_F(SettingsFile, TruncatedFilesOfEveryLengthApplyOnlyTheResetValues) {
  const std::vector<uint8_t> full = Distinct().ToBytes();
  MInitInfo expected;
  expected.ApplyReset();
  const std::vector<uint8_t> expected_bytes = expected.ToBytes();
  for (size_t n = 0; n < full.size(); ++n) {
    WriteFile(Path(), std::vector<uint8_t>(full.begin(), full.begin() + n));
    MInitInfo s;
    ASSERT_EQ(s.Load(), kSettingsReset) << n;
    ASSERT_EQ(s.ToBytes(), expected_bytes) << "no field of a damaged file is taken, length " << n;
    ASSERT_EQ(ReadFile(Path()), expected_bytes) << n;
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsFile, FailureToOpenForWritingIsReported) {
  MInitInfo s;
  EXPECT_EQ(s.Save("sylvane.ini", dir.File("no such folder")), kSettingsCannotOpen);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。MInitInfo::Save");
  EXPECT_EQ(platform.messages[0].caption, "エラー");
}

TEST_F(SettingsFile, LoadWithAFolderThatCannotBeWrittenResetsAndReports) {
  MInitInfo s = Distinct();
  EXPECT_EQ(s.Load("sylvane.ini", dir.File("missing")), kSettingsReset);
  EXPECT_EQ(s.main_x, 387);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "ファイルのオープンに失敗しました。MInitInfo::Save");
}

TEST(Settings, OneProcessWideInstance) {
  EXPECT_EQ(&Settings(), &Settings());
  EXPECT_EQ(Settings().canvas_width, 600);
}

}  // namespace
}  // namespace sylvane
