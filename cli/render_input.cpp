#include "cli/render_input.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "canvas/image/image_io.h"
#include "canvas/records/settings.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "trees/planting.h"
#include "trees/tree.h"

namespace sylvane::cli {

bool TakeLayersOption(std::vector<std::string>& args, LayerSource& source, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--layers") continue;
    if (i + 2 >= args.size()) {
      error = "--layers needs BACKGROUND and TREES";
      return false;
    }
    source.background = args[i + 1];
    source.trees = args[i + 2];
    args.erase(args.begin() + long(i), args.begin() + long(i) + 3);
    return true;
  }
  return true;
}

bool TakeSourceAndOutput(Args& args, LayerSource& source, std::string& out_path, const char* out_name,
                         std::string& error) {
  std::vector<std::string> files;
  if (!args.Positional(files, error)) return false;
  const bool layers = !source.background.empty();
  if (files.size() != (layers ? 1u : 2u)) {
    error = std::string(layers ? "needs " : "needs GARDEN.syl and ") + out_name;
    return false;
  }
  if (!layers) source.garden = files[0];
  out_path = files.back();
  return true;
}

bool ApplyTimeOption(const GlobalOptions& global, const std::optional<std::string>& time_text, std::string& error) {
  if (!time_text) return true;
  int hour = 0, minute = 0;
  if (!ParseClock(*time_text, hour, minute)) {
    error = "--time needs HH:MM";
    return false;
  }
  FixClock(global, hour, minute);
  return true;
}

bool ParseClock(const std::string& text, int& hour, int& minute) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  int h = 0, m = 0;
  if (!ParseInt(text.substr(0, colon), h) || !ParseInt(text.substr(colon + 1), m)) return false;
  if (h < 0 || h > 23 || m < 0 || m > 59) return false;
  hour = h;
  minute = m;
  return true;
}

void FixClock(const GlobalOptions& global, int hour, int minute) {
  LocalTime t = GetPlatform().Now();
  t.hour = hour;
  t.minute = minute;
  t.second = 0;
  t.milliseconds = 0;
  if (global.console) global.console->set_fixed_time(t);
}

namespace {

// A whole decimal number with optional sign and fraction, finite.
bool ParseDecimal(const std::string& text, double& value) {
  if (text.empty() || text.size() > 32) return false;
  for (const char c : text) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+')) return false;
  }
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day of the week (0 = Sunday) of a Gregorian date.
int DayOfWeek(int y, int m, int d) {
  static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + kOffsets[m - 1] + d) % 7;
}

}  // namespace

bool ParseSunPlace(const std::string& text, SunPlace& place) {
  const size_t a = text.find(',');
  const size_t b = a == std::string::npos ? a : text.find(',', a + 1);
  if (b == std::string::npos || text.find(',', b + 1) != std::string::npos) return false;
  double lat = 0, lon = 0, offset = 0;
  if (!ParseDecimal(text.substr(0, a), lat) || !ParseDecimal(text.substr(a + 1, b - a - 1), lon) ||
      !ParseDecimal(text.substr(b + 1), offset)) {
    return false;
  }
  if (lat < -90 || lat > 90 || lon < -180 || lon > 180 || offset < -12 || offset > 14) return false;
  place = {lat, lon, offset};
  return true;
}

bool ParseLocalDateTime(const std::string& text, LocalTime& time) {
  // Exactly "YYYY-MM-DD HH:MM".
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ') return false;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  if (!ParseInt(text.substr(0, 4), y) || !ParseInt(text.substr(5, 2), mo) || !ParseInt(text.substr(8, 2), d)) {
    return false;
  }
  if (text.substr(11).find(':') != 2 || !ParseClock(text.substr(11), h, mi)) return false;
  if (y < 1800 || y > 2200 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo)) return false;
  LocalTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.day_of_week = DayOfWeek(y, mo, d);
  t.hour = h;
  t.minute = mi;
  time = t;
  return true;
}

bool ApplySunOptions(const GlobalOptions& global, const std::optional<std::string>& sun_text,
                     const std::optional<std::string>& at_text, SunChoice& choice, std::string& error) {
  choice = {};
  if (!sun_text) {
    if (at_text) {
      error = "--at needs --sun";
      return false;
    }
    return true;
  }
  SunPlace place;
  if (!ParseSunPlace(*sun_text, place)) {
    error = "--sun needs LAT,LON,UTC_OFFSET_HOURS (-90..90, -180..180, -12..14)";
    return false;
  }
  LocalTime at = GetPlatform().Now();
  if (at_text && !ParseLocalDateTime(*at_text, at)) {
    error = "--at needs \"YYYY-MM-DD HH:MM\"";
    return false;
  }
  if (global.console) global.console->set_fixed_time(at);
  choice.given = true;
  choice.place = place;
  choice.at = at;
  choice.renderer = RendererForSun(place, at);
  return true;
}

int LoadLayers(const GlobalOptions& global, const LayerSource& source) {
  LoadSettingsForCli();
  CliGarden().table;
  global.SeedNow();
  Canvas& canvas = CliGarden().canvas;
  if (!source.garden.empty()) {
    if (LoadGardenForCli(source.garden) != 0) return 1;
    if (!canvas.exists) {
      ShowNoCanvasMessage();
      return 1;
    }
    return 0;
  }
  Surface background;
  Surface trees;
  AlphaPlane weight;
  if (LoadImage(source.background, background) != 0) {
    std::fprintf(stderr, "cannot read the background picture %s\n", source.background.c_str());
    return 1;
  }
  if (LoadImageWithAlpha(source.trees, trees, weight) != 0) {
    std::fprintf(stderr, "cannot read the tree layer %s\n", source.trees.c_str());
    return 1;
  }
  if (background.width != trees.width || background.height != trees.height) {
    std::fprintf(stderr, "the background is %dx%d but the tree layer %dx%d\n", background.width,
                 background.height, trees.width, trees.height);
    return 1;
  }
  canvas.background = std::move(background);
  canvas.trees = std::move(trees);
  canvas.weight = std::move(weight);
  canvas.exists = 1;
  return 0;
}

int WritePicture(const Surface& picture, const std::string& path) {
  const int result = WritePictureByName(picture, path, 80);
  if (result == kNotAPictureName)
    std::fprintf(stderr, "%s: the picture's name must end in .png, .bmp, .jpg or .jpeg\n", path.c_str());
  return result == 0 ? 0 : 1;
}

}  // namespace sylvane::cli
