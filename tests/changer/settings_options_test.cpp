// The options page of the settings sheet: its fields, their checks and the
// sun's times it shows.
#include <gtest/gtest.h>

#include <string>

#include "canvas/records/options.h"
#include "ui/settings_sheet_options.h"

namespace sylvane {
namespace {

TEST(OptionsPage, FieldsShowTheOptionsAndReadBackUnchanged) {
  Options options;
  options.diary_enabled = false;
  options.diary_max_mb = 350;
  options.wallpaper_per_monitor = true;
  options.growth_catch_up = true;
  options.sun_latitude = 43.0642;
  options.sun_longitude = -122.5;
  options.sun_utc_offset = 5.5;
  options.lighting_source = kLightingSourceSun;
  const OptionsFields f = OptionsFieldsFrom(options);
  EXPECT_EQ(f.diary_max_mb, "350");
  EXPECT_EQ(f.latitude, "43.0642");
  EXPECT_EQ(f.longitude, "-122.5");
  EXPECT_EQ(f.utc_offset, "5.5");
  EXPECT_TRUE(f.follow_sun);
  Options read;
  ASSERT_EQ(ReadOptionsFields(f, /*follow_sun_at_open=*/false, read, nullptr), OptionsField::kNone);
  EXPECT_EQ(read, options);
}

TEST(OptionsPage, WrongFieldsAreNamedWithTheirMessageAndChangeNothing) {
  const OptionsFields good = OptionsFieldsFrom(Options{});
  struct Case {
    std::string OptionsFields::*field;
    const char* text;
    OptionsField bad;
    const char* message;
  };
  const Case cases[] = {
      {&OptionsFields::diary_max_mb, "0", OptionsField::kDiaryMaxMb, kDiaryMbText},
      {&OptionsFields::diary_max_mb, "100001", OptionsField::kDiaryMaxMb, kDiaryMbText},
      {&OptionsFields::diary_max_mb, "12.5", OptionsField::kDiaryMaxMb, kDiaryMbText},
      {&OptionsFields::latitude, "90.01", OptionsField::kLatitude, kLatitudeText},
      {&OptionsFields::latitude, "", OptionsField::kLatitude, kLatitudeText},
      {&OptionsFields::latitude, "35,6", OptionsField::kLatitude, kLatitudeText},
      {&OptionsFields::longitude, "-180.5", OptionsField::kLongitude, kLongitudeText},
      {&OptionsFields::longitude, "1e2", OptionsField::kLongitude, kLongitudeText},
      {&OptionsFields::utc_offset, "14.5", OptionsField::kUtcOffset, kUtcOffsetText},
      {&OptionsFields::utc_offset, "-", OptionsField::kUtcOffset, kUtcOffsetText},
  };
  for (const Case& c : cases) {
    OptionsFields f = good;
    f.*c.field = c.text;
    f.growth_catch_up = true;
    Options options;
    const Options before = options;
    const char* message = nullptr;
    EXPECT_EQ(ReadOptionsFields(f, false, options, &message), c.bad) << c.text;
    EXPECT_STREQ(message, c.message) << c.text;
    EXPECT_EQ(options, before) << c.text;
  }
  // The edges of the ranges are fine, blanks around a number too.
  OptionsFields f = good;
  f.diary_max_mb = "100000";
  f.latitude = " -90 ";
  f.longitude = "180.0";
  f.utc_offset = "-12";
  Options options;
  EXPECT_EQ(ReadOptionsFields(f, false, options, nullptr), OptionsField::kNone);
  EXPECT_EQ(options.diary_max_mb, 100000);
  EXPECT_DOUBLE_EQ(options.sun_latitude, -90.0);
  EXPECT_DOUBLE_EQ(options.sun_utc_offset, -12.0);
}

TEST(OptionsPage, TheSunBoxChangesTheSourceOnlyWhenTouched) {
  Options options;
  options.lighting_source = kLightingSourceSettings;
  OptionsFields f = OptionsFieldsFrom(options);
  f.follow_sun = true;  // checked on the page
  ASSERT_EQ(ReadOptionsFields(f, false, options, nullptr), OptionsField::kNone);
  EXPECT_EQ(options.lighting_source, kLightingSourceSun);
  // Left as it opened (checked), while the lighting page chose a mode: the
  // mode's choice stands.
  options.lighting_source = kLightingSourceSettings;
  ASSERT_EQ(ReadOptionsFields(f, true, options, nullptr), OptionsField::kNone);
  EXPECT_EQ(options.lighting_source, kLightingSourceSettings);
  f.follow_sun = false;
  options.lighting_source = kLightingSourceSun;
  ASSERT_EQ(ReadOptionsFields(f, true, options, nullptr), OptionsField::kNone);
  EXPECT_EQ(options.lighting_source, kLightingSourceSettings);
}

TEST(OptionsPage, SunTimesOfToday) {
  LocalTime day;
  day.year = 2024;
  day.month = 12;
  day.day = 21;
  EXPECT_EQ(SunTimesText({35.6581, 139.7414, 9}, day), "今日の日の出 06:47　日の入り 16:31");
  day.month = 6;
  EXPECT_EQ(SunTimesText({69.65, 18.96, 1}, day), "今日は太陽が沈みません（白夜）");
  day.month = 12;
  EXPECT_EQ(SunTimesText({69.65, 18.96, 1}, day), "今日は太陽が昇りません（極夜）");
}

}  // namespace
}  // namespace sylvane
