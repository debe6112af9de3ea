#include "ui/settings_sheet_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ui/settings_sheet.h"

namespace sylvane {

bool ParseDecimalField(std::string_view text, double& value) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  std::string_view t = text.substr(begin, end - begin);
  if (t.empty() || t.size() > 24) return false;
  size_t i = 0;
  if (t[0] == '-' || t[0] == '+') ++i;
  int digits = 0, points = 0;
  for (size_t k = i; k < t.size(); ++k) {
    if (t[k] >= '0' && t[k] <= '9') {
      ++digits;
    } else if (t[k] == '.') {
      ++points;
    } else {
      return false;
    }
  }
  if (digits == 0 || points > 1) return false;
  const std::string copy(t);
  value = std::strtod(copy.c_str(), nullptr);
  return std::isfinite(value);
}

std::string FormatDecimalField(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

OptionsFields OptionsFieldsFrom(const Options& options) {
  OptionsFields f;
  f.diary_enabled = options.diary_enabled;
  f.diary_max_mb = std::to_string(options.diary_max_mb);
  f.wallpaper_per_monitor = options.wallpaper_per_monitor;
  f.growth_catch_up = options.growth_catch_up;
  f.follow_sun = options.lighting_source == kLightingSourceSun;
  f.latitude = FormatDecimalField(options.sun_latitude);
  f.longitude = FormatDecimalField(options.sun_longitude);
  f.utc_offset = FormatDecimalField(options.sun_utc_offset);
  return f;
}

OptionsField ReadOptionsFields(const OptionsFields& fields, bool follow_sun_at_open, Options& options,
                               const char** message) {
  auto bad = [message](OptionsField field, const char* text) {
    if (message) *message = text;
    return field;
  };
  int32_t mb = 0;
  if (!ParseSignedField(fields.diary_max_mb, mb) || mb < kMinDiaryMb || mb > kMaxDiaryMb)
    return bad(OptionsField::kDiaryMaxMb, kDiaryMbText);
  double latitude = 0, longitude = 0, offset = 0;
  if (!ParseDecimalField(fields.latitude, latitude) || latitude < kMinLatitude || latitude > kMaxLatitude)
    return bad(OptionsField::kLatitude, kLatitudeText);
  if (!ParseDecimalField(fields.longitude, longitude) || longitude < kMinLongitude || longitude > kMaxLongitude)
    return bad(OptionsField::kLongitude, kLongitudeText);
  if (!ParseDecimalField(fields.utc_offset, offset) || offset < kMinUtcOffset || offset > kMaxUtcOffset)
    return bad(OptionsField::kUtcOffset, kUtcOffsetText);
  options.diary_enabled = fields.diary_enabled;
  options.diary_max_mb = mb;
  options.wallpaper_per_monitor = fields.wallpaper_per_monitor;
  options.growth_catch_up = fields.growth_catch_up;
  options.sun_latitude = latitude;
  options.sun_longitude = longitude;
  options.sun_utc_offset = offset;
  if (fields.follow_sun != follow_sun_at_open)
    options.lighting_source = fields.follow_sun ? kLightingSourceSun : kLightingSourceSettings;
  if (message) *message = nullptr;
  return OptionsField::kNone;
}

std::string SunTimesText(const SunPlace& place, const LocalTime& today) {
  const SunDay day = ComputeSunDay(place, today.year, today.month, today.day);
  if (day.horizon == SunCrossing::kAlwaysAbove) return "今日は太陽が沈みません（白夜）";
  if (day.horizon == SunCrossing::kAlwaysBelow) return "今日は太陽が昇りません（極夜）";
  char rise[6], set[6];
  FormatClockMinutes(day.sunrise, rise);
  FormatClockMinutes(day.sunset, set);
  return std::string("今日の日の出 ") + rise + "　日の入り " + set;
}

}  // namespace sylvane
