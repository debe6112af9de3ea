// The input of the lighting commands of sylvane-cli (render, gallery): the
// canvas layers from a garden file, or from two pictures given with
//   --layers BACKGROUND TREES
// where TREES is an RGBA PNG whose colour is the tree layer and whose alpha is
// the background-weight plane (the form "grow" and "plant" write with
// --trees). Also the clock options --time HH:MM for the time-of-day lighting
// and --sun LAT,LON,UTC_OFFSET_HOURS with --at "YYYY-MM-DD HH:MM" for the
// lighting of the real sun.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "canvas/image/surface.h"
#include "cli/command.h"
#include "paint/sun.h"
#include "platform/platform.h"

namespace sylvane {
struct Canvas;
}

namespace sylvane::cli {

// Where the layers come from.
struct LayerSource {
  std::string garden;      // a canvas file, or empty
  std::string background;  // --layers: the background picture
  std::string trees;       // --layers: the tree layer with the weights as alpha
};

// Takes "--layers A B" out of args (the generic parser knows only
// one-value options). False with error set when it is incomplete.
bool TakeLayersOption(std::vector<std::string>& args, LayerSource& source, std::string& error);

// Takes the positional arguments of a lighting command: "GARDEN.syl OUT", or
// "OUT" alone when --layers gave the source. out_name names OUT in the error
// text. False with error set when they do not fit.
bool TakeSourceAndOutput(Args& args, LayerSource& source, std::string& out_path, const char* out_name,
                         std::string& error);

// Fixes the clock at --time HH:MM when the option was given. False with
// error set when it is not a time.
bool ApplyTimeOption(const GlobalOptions& global, const std::optional<std::string>& time_text, std::string& error);

// Parses "HH:MM" (0..23, 0..59).
bool ParseClock(const std::string& text, int& hour, int& minute);

// Fixes the console platform's clock at hour:minute of today.
void FixClock(const GlobalOptions& global, int hour, int minute);

// Parses "LAT,LON,UTC_OFFSET_HOURS" (-90..90, -180..180, -12..14; decimals
// allowed). False when it is not such a place.
bool ParseSunPlace(const std::string& text, SunPlace& place);

// Parses "YYYY-MM-DD HH:MM" (a real calendar date, 1800..2200). False otherwise.
bool ParseLocalDateTime(const std::string& text, LocalTime& time);

// The real sun of --sun and --at.
struct SunChoice {
  bool given = false;  // --sun was given
  SunPlace place;      // --sun's place
  LocalTime at;        // --at's local date and time, or the clock's now
  int renderer = -1;   // the renderer of the sun's phase then
};

// Parses --sun and --at into choice and fixes the console clock at the time
// (so that every render of the command sees it). False with error set on bad
// values, or --at without --sun.
bool ApplySunOptions(const GlobalOptions& global, const std::optional<std::string>& sun_text,
                     const std::optional<std::string>& at_text, SunChoice& choice, std::string& error);

// Reads the settings (for the lighting mode), seeds the generator where the
// program would, and loads the layers into the process's canvas. 0, or 1
// after a message on stderr.
int LoadLayers(const GlobalOptions& global, const LayerSource& source);

// Writes a picture as PNG, BMP or JPEG (quality 80) by the name's extension.
// 0, or 1 after a message.
int WritePicture(const Surface& picture, const std::string& path);

}  // namespace sylvane::cli
