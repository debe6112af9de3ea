// Options: the settings of the newer features, kept in the UTF-8 text file
// "sylvane-options.ini" beside "sylvane.ini" (which stays as it is).
//
//   [diary]
//   enabled = true
//   max_mb = 200
//
// Every field has a default that keeps the program as it was before the
// feature existed. A missing, unreadable or damaged file gives the defaults;
// a key whose value does not parse or is out of range keeps its default
// alone. Saving rewrites the known keys and keeps every other key, section
// and comment of the file as it stood; the file is replaced atomically.
//
// A new option is a field here plus one row in the table of options.cpp.
#pragma once
#include <string>

namespace sylvane {

// The options file's name in the program folder.
inline constexpr char kOptionsFileName[] = "sylvane-options.ini";

// Lighting sources ([lighting] source).
inline constexpr char kLightingSourceSettings[] = "settings";  // the lighting mode of sylvane.ini
inline constexpr char kLightingSourceSun[] = "sun";            // follows the sun at [sun]'s place

struct Options {
  // [diary] enabled: write one picture of the garden a day into the diary folder.
  bool diary_enabled = true;
  // [diary] max_mb: megabytes (2^20 bytes) all gardens' diary pictures may use
  // together, 1..100000; the oldest pictures go first beyond it.
  int diary_max_mb = 200;
  // [wallpaper] per_monitor: a separate wallpaper picture for each monitor
  // instead of one across the desktop.
  bool wallpaper_per_monitor = false;
  // [growth] catch_up: at start-up, grow the passes missed while the program
  // was not running.
  bool growth_catch_up = false;
  // [sun] latitude: degrees north (negative south), -90..90; Tokyo by default.
  double sun_latitude = 35.68;
  // [sun] longitude: degrees east (negative west), -180..180.
  double sun_longitude = 139.77;
  // [sun] utc_offset: hours of local time ahead of UTC, -12..14.
  double sun_utc_offset = 9.0;
  // [lighting] source: kLightingSourceSettings or kLightingSourceSun.
  std::string lighting_source = kLightingSourceSettings;

  bool operator==(const Options&) const = default;
};

// Status codes of LoadOptions and SaveOptions.
enum class OptionsStatus {
  kOk,           // Load: the file was read (bad values, if any, kept their defaults); Save: written
  kMissing,      // Load: no file; the defaults
  kDamaged,      // Load: unreadable, not UTF-8 text, or not INI; the defaults
  kWriteFailed,  // Save: the file could not be written; the old one stays
};

// Reads the options from path into out (out becomes the defaults first).
OptionsStatus LoadOptions(const std::string& path, Options& out);

// The options from INI text (UTF-8, an optional byte-order mark); the same
// rules as LoadOptions.
OptionsStatus ParseOptions(const std::string& text, Options& out);

// Writes options to path, keeping the file's other keys, sections and
// comments (a damaged file is replaced whole).
OptionsStatus SaveOptions(const std::string& path, const Options& options);

// The file's text with the known keys set to options' values: other content
// of existing_text is kept (existing_text may be empty or damaged, then only
// the known keys are written).
std::string FormatOptions(const std::string& existing_text, const Options& options);

// The options file's path in a program folder.
std::string OptionsPath(const std::string& program_folder);

}  // namespace sylvane
