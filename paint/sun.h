// The real sun: sunrise, sunset and civil twilight of a place on a local date
// (the solar-position formulas of the US National Oceanic and Atmospheric
// Administration, good to about a minute between 1800 and 2100 outside the
// polar circles), and the time-of-day lighting phases laid on them.
//
// The day of the time-of-day lighting is cut into phases, each lit by one
// renderer (the renderers of mode 1's clock table):
//   midnight  6   the first 10 minutes after solar midnight
//   night     5   until civil dawn (the sun 6 degrees below the horizon)
//   dawn      1   civil dawn until an hour after sunrise
//   morning   2   until three hours after sunrise (noon cuts it short)
//   day       0   until half an hour before solar noon
//   noon      8   solar noon +- 30 minutes
//   day       0   until three hours before sunset
//   afternoon 3   until sunset
//   dusk      4   sunset until three hours after civil dusk (at most until
//                 half an hour before the next solar midnight)
//   night     5   until solar midnight
// A phase squeezed out by a short day is skipped (its start moves to the next
// phase's). Where the sun does not rise, the civil twilight around noon is
// dawn before noon and dusk after it; where it does not set, noon is 8 and
// the rest of the day 0; where even civil twilight does not come, it is
// night (with midnight).
#pragma once

#include "platform/platform.h"

namespace sylvane {

// A place on the earth and its local time.
struct SunPlace {
  double latitude = 35.68;     // degrees north (negative south), -90..90
  double longitude = 139.77;   // degrees east (negative west), -180..180
  double utc_offset = 9.0;     // hours the local clock is ahead of UTC, -12..14
};

// How the sun crosses an altitude during a day.
enum class SunCrossing {
  kRisesAndSets,   // rise and set hold the times
  kAlwaysAbove,    // the sun stays above the altitude all day
  kAlwaysBelow,    // the sun stays below it all day
};

// The sun's day at a place. Times are local minutes after the date's
// midnight; they may lie outside 0..1440 where the local clock is far from
// the sun's (a place far from its time zone's meridian).
struct SunDay {
  double solar_noon = 720;      // the sun highest
  SunCrossing horizon = SunCrossing::kRisesAndSets;  // sunrise and sunset (upper limb, refraction)
  double sunrise = 360;
  double sunset = 1080;
  SunCrossing civil = SunCrossing::kRisesAndSets;    // the sun 6 degrees below the horizon
  double civil_dawn = 330;
  double civil_dusk = 1110;
};

// The sun's day at place on the local date year-month-day (Gregorian).
SunDay ComputeSunDay(const SunPlace& place, int year, int month, int day);

// The time-of-day lighting's phases.
enum class SunPhase { kMidnight, kNight, kDawn, kMorning, kDay, kNoon, kAfternoon, kDusk };

// The phase of day at local minute (0..1440; other values are taken modulo
// a day).
SunPhase PhaseAt(const SunDay& day, double minute);

// The renderer (0..32) that lights a phase.
int RendererForPhase(SunPhase phase);

// The renderer of the time-of-day lighting at place at a local date and time.
int RendererForSun(const SunPlace& place, const LocalTime& time);

// Formats local minutes as "HH:MM" (rounded to the minute, taken modulo a day).
void FormatClockMinutes(double minutes, char (&out)[6]);

}  // namespace sylvane
