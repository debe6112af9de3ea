// The portable half of the settings sheet's options page (the options of
// "sylvane-options.ini"): the page's fields as text, their check against the
// options' ranges with the page's messages, and the sun's times of the day
// the page shows for the place typed in.
#pragma once
#include <string>
#include <string_view>

#include "canvas/records/options.h"
#include "paint/sun.h"
#include "platform/platform.h"

namespace sylvane {

// Ranges of the number fields (the options file keeps the same).
inline constexpr int kMinDiaryMb = 1;
inline constexpr int kMaxDiaryMb = 100000;
inline constexpr double kMinLatitude = -90, kMaxLatitude = 90;
inline constexpr double kMinLongitude = -180, kMaxLongitude = 180;
inline constexpr double kMinUtcOffset = -12, kMaxUtcOffset = 14;

inline constexpr char kOptionsCaption[] = "訂正願います";
inline constexpr char kDiaryMbText[] = "日記の容量の上限は半角で 1 ～ 100000 までの数（MB）を入れてください。";
inline constexpr char kLatitudeText[] = "緯度は半角で -90 ～ 90 までの数（度、北が正）を入れてください。";
inline constexpr char kLongitudeText[] = "経度は半角で -180 ～ 180 までの数（度、東が正）を入れてください。";
inline constexpr char kUtcOffsetText[] = "UTCとの時差は半角で -12 ～ 14 までの数（時間）を入れてください。";

// The page's controls as they stand.
struct OptionsFields {
  bool diary_enabled = true;      // 「絵日記をつける」
  std::string diary_max_mb;       // the diary's limit, MB
  bool wallpaper_per_monitor = false;
  bool growth_catch_up = false;
  bool follow_sun = false;        // 「ライティングを太陽に合わせる」
  std::string latitude;           // degrees, north positive
  std::string longitude;          // degrees, east positive
  std::string utc_offset;         // hours
};

// The fields that show options.
OptionsFields OptionsFieldsFrom(const Options& options);

// Which field is wrong.
enum class OptionsField { kNone, kDiaryMaxMb, kLatitude, kLongitude, kUtcOffset };

// Reads fields into options. The lighting source changes only when the sun
// box changed since the page opened (follow_sun_at_open), so that a lighting
// mode chosen on the lighting page is not undone. Returns kNone; or the first
// wrong field, with *message set to its text and options left as they were.
OptionsField ReadOptionsFields(const OptionsFields& fields, bool follow_sun_at_open, Options& options,
                               const char** message);

// A decimal number as typed into a field: blanks around, an optional sign,
// digits with at most one point. False for anything else.
bool ParseDecimalField(std::string_view text, double& value);

// A number for a field: up to 6 significant digits, no trailing zeros.
std::string FormatDecimalField(double value);

// "今日の日の出 HH:MM　日の入り HH:MM" (or that the sun does not rise or set)
// at place on the date of today.
std::string SunTimesText(const SunPlace& place, const LocalTime& today);

}  // namespace sylvane
