// The real sun: sunrise and sunset against the national observatory's
// published tables, the phases at their edges, and the lighting that follows
// the sun.
#include <gtest/gtest.h>

#include <cmath>

#include "canvas/records/options.h"
#include "canvas/records/settings.h"
#include "paint/lighting.h"
#include "paint/sun.h"
#include "support/recording_platform.h"

namespace sylvane {
namespace {

constexpr SunPlace kTokyo{35.6581, 139.7414, 9.0};
constexpr SunPlace kSapporo{43.0642, 141.3469, 9.0};

struct Published {
  const char* place;
  SunPlace where;
  int year, month, day;
  int rise_h, rise_m, set_h, set_m;  // the table's local times
};

// Rising and setting of the published almanac (2024, JST).
const Published kTables[] = {
    {"Tokyo", kTokyo, 2024, 3, 20, 5, 45, 17, 53},
    {"Tokyo", kTokyo, 2024, 6, 21, 4, 25, 19, 0},
    {"Tokyo", kTokyo, 2024, 12, 21, 6, 47, 16, 32},
    {"Sapporo", kSapporo, 2024, 3, 20, 5, 37, 17, 46},
    {"Sapporo", kSapporo, 2024, 6, 21, 3, 55, 19, 18},
    {"Sapporo", kSapporo, 2024, 12, 21, 7, 3, 16, 3},
};

TEST(Sun, SunriseAndSunsetMatchThePublishedTablesWithinTwoMinutes) {
  for (const Published& p : kTables) {
    const SunDay day = ComputeSunDay(p.where, p.year, p.month, p.day);
    ASSERT_EQ(day.horizon, SunCrossing::kRisesAndSets) << p.place;
    EXPECT_NEAR(day.sunrise, p.rise_h * 60 + p.rise_m, 2.0) << p.place << " " << p.month << "/" << p.day;
    EXPECT_NEAR(day.sunset, p.set_h * 60 + p.set_m, 2.0) << p.place << " " << p.month << "/" << p.day;
    // Civil twilight lies about half an hour outside the sun's day.
    EXPECT_GT(day.sunrise - day.civil_dawn, 20.0) << p.place;
    EXPECT_LT(day.sunrise - day.civil_dawn, 45.0) << p.place;
    EXPECT_GT(day.civil_dusk - day.sunset, 20.0) << p.place;
    EXPECT_LT(day.civil_dusk - day.sunset, 45.0) << p.place;
    EXPECT_NEAR(day.solar_noon, (day.sunrise + day.sunset) / 2, 1.0) << p.place;
  }
}

TEST(Sun, TheSouthernHemisphereAndTheDateLineKeepTheirSeasons) {
  // Sydney: long days in December, short in June.
  const SunPlace sydney{-33.87, 151.21, 10.0};
  const SunDay december = ComputeSunDay(sydney, 2024, 12, 21);
  const SunDay june = ComputeSunDay(sydney, 2024, 6, 21);
  EXPECT_GT(december.sunset - december.sunrise, 14 * 60.0);
  EXPECT_LT(june.sunset - june.sunrise, 10 * 60.0);
  // A clock an hour ahead of the sun (daylight saving) moves the events an hour later.
  const SunDay summer_time = ComputeSunDay({-33.87, 151.21, 11.0}, 2024, 12, 21);
  EXPECT_NEAR(summer_time.sunrise - december.sunrise, 60.0, 0.5);
}

TEST(Sun, PolarDaysHaveNoCrossing) {
  const SunPlace tromso{69.65, 18.96, 1.0};
  const SunDay summer = ComputeSunDay(tromso, 2024, 6, 21);
  EXPECT_EQ(summer.horizon, SunCrossing::kAlwaysAbove);
  const SunDay winter = ComputeSunDay(tromso, 2024, 12, 21);
  EXPECT_EQ(winter.horizon, SunCrossing::kAlwaysBelow);
  EXPECT_EQ(winter.civil, SunCrossing::kRisesAndSets);  // some twilight at noon
  // Midnight sun: noon, else day; polar night: dawn before noon, dusk after.
  EXPECT_EQ(PhaseAt(summer, summer.solar_noon), SunPhase::kNoon);
  EXPECT_EQ(PhaseAt(summer, summer.solar_noon - 720 + 5), SunPhase::kDay);
  EXPECT_EQ(PhaseAt(winter, winter.solar_noon - 1), SunPhase::kDawn);
  EXPECT_EQ(PhaseAt(winter, winter.solar_noon + 1), SunPhase::kDusk);
  EXPECT_EQ(PhaseAt(winter, winter.civil_dusk + 1), SunPhase::kNight);
  EXPECT_EQ(PhaseAt(winter, winter.solar_noon + 720 + 5), SunPhase::kMidnight);
  // Deep polar night: no twilight at all.
  const SunDay pole = ComputeSunDay({89.0, 0.0, 0.0}, 2024, 12, 21);
  EXPECT_EQ(pole.civil, SunCrossing::kAlwaysBelow);
  EXPECT_EQ(PhaseAt(pole, pole.solar_noon), SunPhase::kNight);
}

// A made-up day with round numbers: noon 12:00, sunrise 6:00, sunset 18:00,
// civil twilight 5:30 and 18:30.
SunDay RoundDay() {
  SunDay d;
  d.solar_noon = 720;
  d.sunrise = 360;
  d.sunset = 1080;
  d.civil_dawn = 330;
  d.civil_dusk = 1110;
  return d;
}

TEST(Sun, PhasesChangeExactlyAtTheirEdges) {
  const SunDay d = RoundDay();
  struct Edge {
    double minute;
    SunPhase before, at;
  };
  const Edge edges[] = {
      {0, SunPhase::kNight, SunPhase::kMidnight},       // solar midnight
      {10, SunPhase::kMidnight, SunPhase::kNight},
      {330, SunPhase::kNight, SunPhase::kDawn},         // civil dawn
      {420, SunPhase::kDawn, SunPhase::kMorning},       // sunrise + 1 h
      {540, SunPhase::kMorning, SunPhase::kDay},        // sunrise + 3 h
      {690, SunPhase::kDay, SunPhase::kNoon},
      {750, SunPhase::kNoon, SunPhase::kDay},
      {900, SunPhase::kDay, SunPhase::kAfternoon},      // sunset - 3 h
      {1080, SunPhase::kAfternoon, SunPhase::kDusk},    // sunset
      {1290, SunPhase::kDusk, SunPhase::kNight},        // civil dusk + 3 h
  };
  for (const Edge& e : edges) {
    EXPECT_EQ(PhaseAt(d, e.minute - 0.5), e.before) << e.minute;
    EXPECT_EQ(PhaseAt(d, e.minute), e.at) << e.minute;
  }
  // Minutes outside the day wrap.
  EXPECT_EQ(PhaseAt(d, 1440 + 700), SunPhase::kNoon);
  EXPECT_EQ(PhaseAt(d, -5), SunPhase::kNight);
}

TEST(Sun, ShortDaysSkipPhasesAndLongEveningsEndBeforeMidnight) {
  SunDay d = RoundDay();
  d.sunrise = 600;  // a four-hour day
  d.sunset = 840;
  d.civil_dawn = 560;
  d.civil_dusk = 880;
  EXPECT_EQ(PhaseAt(d, 659), SunPhase::kDawn);       // until sunrise + 1 h
  EXPECT_EQ(PhaseAt(d, 660), SunPhase::kMorning);
  EXPECT_EQ(PhaseAt(d, 689), SunPhase::kMorning);
  EXPECT_EQ(PhaseAt(d, 700), SunPhase::kNoon);       // morning cut short by noon
  EXPECT_EQ(PhaseAt(d, 760), SunPhase::kAfternoon);  // sunset - 3 h falls before noon's end
  EXPECT_EQ(PhaseAt(d, 850), SunPhase::kDusk);
  // A late dusk: three hours past civil dusk would cross solar midnight.
  SunDay late = RoundDay();
  late.civil_dusk = 1300;
  late.sunset = 1260;
  EXPECT_EQ(PhaseAt(late, 1409), SunPhase::kDusk);
  EXPECT_EQ(PhaseAt(late, 1410), SunPhase::kNight);
}

TEST(Sun, PhasesAreLitByTheClockTablesRenderers) {
  EXPECT_EQ(RendererForPhase(SunPhase::kMidnight), 6);
  EXPECT_EQ(RendererForPhase(SunPhase::kNight), 5);
  EXPECT_EQ(RendererForPhase(SunPhase::kDawn), 1);
  EXPECT_EQ(RendererForPhase(SunPhase::kMorning), 2);
  EXPECT_EQ(RendererForPhase(SunPhase::kDay), 0);
  EXPECT_EQ(RendererForPhase(SunPhase::kNoon), 8);
  EXPECT_EQ(RendererForPhase(SunPhase::kAfternoon), 3);
  EXPECT_EQ(RendererForPhase(SunPhase::kDusk), 4);
}

LocalTime At(int year, int month, int day, int hour, int minute) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  return t;
}

TEST(Sun, TheSameClockTimeIsDawnInSummerAndNightInWinter) {
  // 4:30 in Tokyo: after sunrise (4:25) at the June solstice, before civil
  // dawn (6:18) in December. The fixed clock table gives renderer 1 for both.
  EXPECT_EQ(RendererForSun(kTokyo, At(2024, 6, 21, 4, 30)), 1);
  EXPECT_EQ(RendererForSun(kTokyo, At(2024, 12, 21, 4, 30)), 5);
  // 17:00: still afternoon light in June, dusk in December (sunset 16:32).
  EXPECT_EQ(RendererForSun(kTokyo, At(2024, 6, 21, 17, 0)), 3);
  EXPECT_EQ(RendererForSun(kTokyo, At(2024, 12, 21, 17, 0)), 4);
  // Solar noon in Tokyo is about 11:43, so 11:20 is already noon.
  EXPECT_EQ(RendererForSun(kTokyo, At(2024, 6, 21, 11, 20)), 8);
}

TEST(SunLighting, FollowsTheSunOnlyWhenChosenAndLeavesTheModeAlone) {
  testing::RecordingPlatform platform;
  platform.now = At(2024, 12, 21, 4, 30);
  Settings().lighting_mode = 1;
  SetSunLighting({});
  EXPECT_EQ(ChooseCurrentRenderer(), 1);  // the fixed clock table
  Options options;
  options.lighting_source = kLightingSourceSun;
  options.sun_latitude = kTokyo.latitude;
  options.sun_longitude = kTokyo.longitude;
  SetSunLighting(SunLightingFromOptions(options));
  EXPECT_EQ(ChooseCurrentRenderer(), 5);  // before Tokyo's December dawn
  Settings().lighting_mode = 3;           // the sun wins over any stored mode
  EXPECT_EQ(ChooseCurrentRenderer(), 5);
  EXPECT_EQ(CurrentLightingMode(), 3);
  options.lighting_source = kLightingSourceSettings;
  SetSunLighting(SunLightingFromOptions(options));
  EXPECT_EQ(ChooseCurrentRenderer(), 9);  // mode 3's renderer
  Settings().lighting_mode = 0;
}

TEST(Sun, FormatsClockMinutes) {
  char text[6];
  FormatClockMinutes(265.6, text);
  EXPECT_STREQ(text, "04:26");
  FormatClockMinutes(-30, text);
  EXPECT_STREQ(text, "23:30");
  FormatClockMinutes(1439.6, text);
  EXPECT_STREQ(text, "00:00");
}

}  // namespace
}  // namespace sylvane
