// The options file: defaults when it is missing or damaged, values read and
// range-checked key by key, and saving that keeps what it does not know.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "canvas/records/options.h"
#include "support/recording_platform.h"

namespace sylvane::testing {
namespace {

std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), ReadFileStatus::kOk);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteFileAtomically(path, text.data(), text.size()));
}

TEST(OptionsTest, DefaultsKeepTodaysBehaviour) {
  const Options o;
  EXPECT_TRUE(o.diary_enabled);
  EXPECT_EQ(o.diary_max_mb, 200);
  EXPECT_FALSE(o.wallpaper_per_monitor);
  EXPECT_FALSE(o.growth_catch_up);
  EXPECT_DOUBLE_EQ(o.sun_latitude, 35.68);
  EXPECT_DOUBLE_EQ(o.sun_longitude, 139.77);
  EXPECT_DOUBLE_EQ(o.sun_utc_offset, 9.0);
  EXPECT_EQ(o.lighting_source, kLightingSourceSettings);
}

TEST(OptionsTest, MissingFileGivesTheDefaults) {
  TempDir dir;
  Options o;
  o.diary_max_mb = 7;
  EXPECT_EQ(LoadOptions(OptionsPath(dir.path()), o), OptionsStatus::kMissing);
  EXPECT_EQ(o, Options());
}

TEST(OptionsTest, ReadsEveryKey) {
  Options o;
  const std::string text =
      "\xEF\xBB\xBF; comment\n[diary]\nenabled = off\nmax_mb = 50\n[wallpaper]\nper_monitor = yes\n"
      "[growth]\ncatch_up = true\n[sun]\nlatitude = -33.87\nlongitude=151.21\nutc_offset = 10.5\n"
      "[lighting]\nsource = Sun\n";
  ASSERT_EQ(ParseOptions(text, o), OptionsStatus::kOk);
  EXPECT_FALSE(o.diary_enabled);
  EXPECT_EQ(o.diary_max_mb, 50);
  EXPECT_TRUE(o.wallpaper_per_monitor);
  EXPECT_TRUE(o.growth_catch_up);
  EXPECT_DOUBLE_EQ(o.sun_latitude, -33.87);
  EXPECT_DOUBLE_EQ(o.sun_longitude, 151.21);
  EXPECT_DOUBLE_EQ(o.sun_utc_offset, 10.5);
  EXPECT_EQ(o.lighting_source, kLightingSourceSun);
}

TEST(OptionsTest, BadValuesKeepTheirDefaultsAlone) {
  Options o;
  const std::string text =
      "[diary]\nenabled = maybe\nmax_mb = 0\n[sun]\nlatitude = 91\nlongitude = 12abc\nutc_offset = nan\n"
      "[growth]\ncatch_up = 1\n[lighting]\nsource = moon\n";
  ASSERT_EQ(ParseOptions(text, o), OptionsStatus::kOk);
  Options expected;
  expected.growth_catch_up = true;  // the one good value
  EXPECT_EQ(o, expected);
}

TEST(OptionsTest, DamagedFilesGiveTheDefaults) {
  TempDir dir;
  const std::string path = OptionsPath(dir.path());
  Options o;
  // Shift-JIS is not UTF-8; neither are NUL bytes text.
  WriteText(path, "[diary]\nmax_mb = 5\n; \x93\xfa\x8b\x4c\n");
  EXPECT_EQ(LoadOptions(path, o), OptionsStatus::kDamaged);
  EXPECT_EQ(o, Options());
  WriteText(path, std::string("[diary]\nmax_mb = 5\n\0\0", 21));
  EXPECT_EQ(LoadOptions(path, o), OptionsStatus::kDamaged);
  EXPECT_EQ(o, Options());
  // A file far too large to be this one.
  WriteText(path, "[diary]\nmax_mb = 5\n" + std::string(size_t(2) << 20, ';'));
  EXPECT_EQ(LoadOptions(path, o), OptionsStatus::kDamaged);
  EXPECT_EQ(o, Options());
}

TEST(OptionsTest, SavingKeepsUnknownKeysSectionsAndComments) {
  TempDir dir;
  const std::string path = OptionsPath(dir.path());
  WriteText(path,
            "; written by hand\n[diary]\nenabled = true\ncolour = \xE7\xB7\x91\n\n[future]\n; later\nthing = 42\n");
  Options o;
  ASSERT_EQ(LoadOptions(path, o), OptionsStatus::kOk);
  o.diary_max_mb = 64;
  o.sun_latitude = 43.06;
  o.lighting_source = kLightingSourceSun;
  ASSERT_EQ(SaveOptions(path, o), OptionsStatus::kOk);

  const std::string text = ReadText(path);
  EXPECT_NE(text.find("; written by hand"), std::string::npos) << text;
  EXPECT_NE(text.find("colour = \xE7\xB7\x91"), std::string::npos) << text;
  EXPECT_NE(text.find("[future]"), std::string::npos) << text;
  EXPECT_NE(text.find("; later"), std::string::npos) << text;
  EXPECT_NE(text.find("thing = 42"), std::string::npos) << text;
  Options again;
  ASSERT_EQ(LoadOptions(path, again), OptionsStatus::kOk);
  EXPECT_EQ(again, o);
}

TEST(OptionsTest, EveryFieldRoundTrips) {
  TempDir dir;
  const std::string path = OptionsPath(dir.path());
  Options o;
  o.diary_enabled = false;
  o.diary_max_mb = 100000;
  o.wallpaper_per_monitor = true;
  o.growth_catch_up = true;
  o.sun_latitude = -90;
  o.sun_longitude = 179.999;
  o.sun_utc_offset = -3.5;
  o.lighting_source = kLightingSourceSun;
  ASSERT_EQ(SaveOptions(path, o), OptionsStatus::kOk);
  Options again;
  ASSERT_EQ(LoadOptions(path, again), OptionsStatus::kOk);
  EXPECT_EQ(again, o);
}

TEST(OptionsTest, ADamagedFileIsReplacedWholeOnSave) {
  TempDir dir;
  const std::string path = OptionsPath(dir.path());
  WriteText(path, std::string("\xff\xfe[x]\n", 6));
  ASSERT_EQ(SaveOptions(path, Options()), OptionsStatus::kOk);
  Options o;
  o.diary_enabled = false;
  EXPECT_EQ(LoadOptions(path, o), OptionsStatus::kOk);
  EXPECT_EQ(o, Options());
}

TEST(OptionsTest, AFailedSaveLeavesNothingBehind) {
  TempDir dir;
  const std::string path = dir.File("no-such-folder/sylvane-options.ini");
  EXPECT_EQ(SaveOptions(path, Options()), OptionsStatus::kWriteFailed);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace sylvane::testing
