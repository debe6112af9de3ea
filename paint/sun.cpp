#include "paint/sun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace sylvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDayMinutes = 1440.0;
// Zenith angles of the events: the upper limb on the horizon with standard
// refraction, and the centre 6 degrees below it.
constexpr double kHorizonZenith = 90.833;
constexpr double kCivilZenith = 96.0;

double Rad(double degrees) { return degrees * kPi / 180.0; }
double Deg(double radians) { return radians * 180.0 / kPi; }

// The Julian day number of the Gregorian date at 0:00 UT.
double JulianDay(int year, int month, int day) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const int a = year / 100;
  const int b = 2 - a + a / 4;
  return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + day + b - 1524.5;
}

// The sun's declination (degrees) and the equation of time (minutes) at a
// Julian day.
struct SolarPosition {
  double declination;
  double equation_of_time;
};

SolarPosition PositionAt(double julian_day) {
  const double t = (julian_day - 2451545.0) / 36525.0;  // Julian centuries since J2000
  const double mean_longitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
  const double mean_anomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double m = Rad(mean_anomaly);
  const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                        std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
  const double true_longitude = mean_longitude + centre;
  const double omega = Rad(125.04 - 1934.136 * t);
  const double apparent_longitude = true_longitude - 0.00569 - 0.00478 * std::sin(omega);
  const double mean_obliquity =
      23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
  const double obliquity = Rad(mean_obliquity + 0.00256 * std::cos(omega));
  const double declination = std::asin(std::sin(obliquity) * std::sin(Rad(apparent_longitude)));
  const double y = std::tan(obliquity / 2) * std::tan(obliquity / 2);
  const double l0 = Rad(mean_longitude);
  const double eot = y * std::sin(2 * l0) - 2 * eccentricity * std::sin(m) +
                     4 * eccentricity * y * std::sin(m) * std::cos(2 * l0) -
                     0.5 * y * y * std::sin(4 * l0) - 1.25 * eccentricity * eccentricity * std::sin(2 * m);
  return {Deg(declination), 4.0 * Deg(eot)};
}

// The place's day for the solar formulas.
struct DayFrame {
  const SunPlace& place;
  double julian_midnight;  // Julian day of the local date's midnight, UT

  SolarPosition At(double local_minutes) const {
    return PositionAt(julian_midnight + local_minutes / kDayMinutes);
  }
  // Local minutes of the sun's transit given the equation of time.
  double Noon(double equation_of_time) const {
    return 720.0 - 4.0 * place.longitude - equation_of_time + 60.0 * place.utc_offset;
  }
};

// The hour angle (degrees) at which the sun's centre is at zenith, or the
// crossing that makes it absent.
SunCrossing HourAngle(double latitude, double declination, double zenith, double& hour_angle) {
  const double lat = Rad(latitude);
  const double dec = Rad(declination);
  const double c = std::cos(Rad(zenith)) / (std::cos(lat) * std::cos(dec)) - std::tan(lat) * std::tan(dec);
  if (c > 1.0) return SunCrossing::kAlwaysBelow;
  if (c < -1.0) return SunCrossing::kAlwaysAbove;
  hour_angle = Deg(std::acos(c));
  return SunCrossing::kRisesAndSets;
}

// One event (side -1 morning, +1 evening) at zenith, refined by evaluating the
// sun's position at the event's own time.
SunCrossing Event(const DayFrame& frame, double noon, double zenith, int side, double& minutes) {
  double t = noon;
  SunCrossing crossing = SunCrossing::kRisesAndSets;
  for (int pass = 0; pass < 3; ++pass) {
    const SolarPosition p = frame.At(t);
    double hour_angle = 0;
    crossing = HourAngle(frame.place.latitude, p.declination, zenith, hour_angle);
    if (crossing != SunCrossing::kRisesAndSets) {
      // Near the polar circles the refined time may leave the day where the
      // first estimate had a crossing: keep the answer of the day's noon.
      if (pass > 0) break;
      return crossing;
    }
    t = frame.Noon(p.equation_of_time) + side * 4.0 * hour_angle;
  }
  minutes = t;
  return SunCrossing::kRisesAndSets;
}

double Wrap(double minutes, double start) {
  double t = std::fmod(minutes - start, kDayMinutes);
  if (t < 0) t += kDayMinutes;
  return start + t;
}

}  // namespace

SunDay ComputeSunDay(const SunPlace& place, int year, int month, int day) {
  const DayFrame frame{place, JulianDay(year, month, day) - place.utc_offset / 24.0};
  SunDay out;
  // The transit, evaluated twice so that the equation of time is the noon's own.
  double noon = frame.Noon(frame.At(720).equation_of_time);
  noon = frame.Noon(frame.At(noon).equation_of_time);
  out.solar_noon = noon;
  out.horizon = Event(frame, noon, kHorizonZenith, -1, out.sunrise);
  if (out.horizon == SunCrossing::kRisesAndSets) out.horizon = Event(frame, noon, kHorizonZenith, +1, out.sunset);
  out.civil = Event(frame, noon, kCivilZenith, -1, out.civil_dawn);
  if (out.civil == SunCrossing::kRisesAndSets) out.civil = Event(frame, noon, kCivilZenith, +1, out.civil_dusk);
  return out;
}

SunPhase PhaseAt(const SunDay& day, double minute) {
  const double midnight = day.solar_noon - 720.0;
  const double end = midnight + kDayMinutes;
  const double t = Wrap(minute, midnight);
  struct Start {
    double at;
    SunPhase phase;
  };
  Start starts[10];
  int count = 0;
  auto add = [&](double at, SunPhase phase) { starts[count++] = {at, phase}; };
  const double noon = day.solar_noon;
  add(midnight, SunPhase::kMidnight);
  add(midnight + 10, SunPhase::kNight);
  if (day.horizon == SunCrossing::kAlwaysAbove) {
    starts[0] = {midnight, SunPhase::kDay};
    count = 1;
    add(noon - 30, SunPhase::kNoon);
    add(noon + 30, SunPhase::kDay);
  } else if (day.horizon == SunCrossing::kAlwaysBelow) {
    if (day.civil == SunCrossing::kRisesAndSets) {
      add(day.civil_dawn, SunPhase::kDawn);
      add(noon, SunPhase::kDusk);
      add(day.civil_dusk, SunPhase::kNight);
    }
  } else {
    // Without a civil night the dawn follows midnight and the dusk runs on.
    const bool civil_night = day.civil == SunCrossing::kRisesAndSets;
    add(civil_night ? day.civil_dawn : midnight + 10, SunPhase::kDawn);
    // Noon keeps its hour: a short day cuts the morning and the afternoon.
    add(std::min(day.sunrise + 60, noon - 30), SunPhase::kMorning);
    add(std::min(day.sunrise + 180, noon - 30), SunPhase::kDay);
    add(noon - 30, SunPhase::kNoon);
    add(noon + 30, SunPhase::kDay);
    add(std::max(day.sunset - 180, noon + 30), SunPhase::kAfternoon);
    add(day.sunset, SunPhase::kDusk);
    add(std::min(civil_night ? day.civil_dusk + 180 : end, end - 30), SunPhase::kNight);
  }
  // Keep the starts in order inside the day: a phase a short day squeezes
  // out gets an empty span.
  for (int i = 1; i < count; ++i) starts[i].at = std::clamp(starts[i].at, starts[i - 1].at, end);
  SunPhase phase = starts[0].phase;
  for (int i = 0; i < count && starts[i].at <= t; ++i) phase = starts[i].phase;
  return phase;
}

int RendererForPhase(SunPhase phase) {
  switch (phase) {
    case SunPhase::kMidnight: return 6;
    case SunPhase::kNight: return 5;
    case SunPhase::kDawn: return 1;
    case SunPhase::kMorning: return 2;
    case SunPhase::kDay: return 0;
    case SunPhase::kNoon: return 8;
    case SunPhase::kAfternoon: return 3;
    case SunPhase::kDusk: return 4;
  }
  return 0;
}

int RendererForSun(const SunPlace& place, const LocalTime& time) {
  const SunDay day = ComputeSunDay(place, time.year, time.month, time.day);
  return RendererForPhase(PhaseAt(day, time.hour * 60.0 + time.minute + time.second / 60.0));
}

void FormatClockMinutes(double minutes, char (&out)[6]) {
  long m = std::lround(minutes);
  m = ((m % 1440) + 1440) % 1440;
  std::snprintf(out, sizeof out, "%02ld:%02ld", m / 60, m % 60);
}

}  // namespace sylvane
