#include "canvas/records/options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <variant>
#include <vector>

#include "base/file_io.h"
#include "platform/text.h"

// Debian's SimpleIni header carries its implementation behind SI_IMPLEMENTATION;
// the file is UTF-8 and read as bytes, so no wide-character converter is needed.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace sylvane {
namespace {

// A bounded number field of Options.
template <typename T>
struct NumberField {
  T Options::* member;
  T min;
  T max;
};

// One known key: where it lives in the file and which field holds it.
struct OptionKey {
  const char* section;
  const char* key;
  std::variant<bool Options::*, NumberField<int>, NumberField<double>, std::string Options::*> field;
};

const std::vector<OptionKey>& OptionKeys() {
  static const std::vector<OptionKey> keys = {
      {"diary", "enabled", &Options::diary_enabled},
      {"diary", "max_mb", NumberField<int>{&Options::diary_max_mb, 1, 100000}},
      {"wallpaper", "per_monitor", &Options::wallpaper_per_monitor},
      {"growth", "catch_up", &Options::growth_catch_up},
      {"sun", "latitude", NumberField<double>{&Options::sun_latitude, -90.0, 90.0}},
      {"sun", "longitude", NumberField<double>{&Options::sun_longitude, -180.0, 180.0}},
      {"sun", "utc_offset", NumberField<double>{&Options::sun_utc_offset, -12.0, 14.0}},
      {"lighting", "source", &Options::lighting_source},
  };
  return keys;
}

std::string Trimmed(std::string_view text) {
  const char* space = " \t\r\n";
  const size_t begin = text.find_first_not_of(space);
  if (begin == std::string_view::npos) return {};
  const size_t end = text.find_last_not_of(space);
  return std::string(text.substr(begin, end - begin + 1));
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

bool ParseBool(const std::string& text, bool& out) {
  const std::string t = Lower(text);
  if (t == "true" || t == "on" || t == "yes" || t == "1") {
    out = true;
    return true;
  }
  if (t == "false" || t == "off" || t == "no" || t == "0") {
    out = false;
    return true;
  }
  return false;
}

template <typename T>
bool ParseNumber(const std::string& text, const NumberField<T>& field, T& out) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return false;
  if (!(value >= field.min && value <= field.max)) return false;  // NaN fails too
  out = value;
  return true;
}

bool ParseLightingSource(const std::string& text, std::string& out) {
  const std::string t = Lower(text);
  if (t != kLightingSourceSettings && t != kLightingSourceSun) return false;
  out = t;
  return true;
}

// Text the INI library may parse: valid UTF-8 without NUL bytes.
bool IsCleanUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == 0) return false;
    int extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + size_t(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
  }
  return true;
}

// Parses text into ini; false when the text is not clean UTF-8 INI.
bool LoadIni(const std::string& text, CSimpleIniA& ini) {
  ini.SetUnicode(true);
  std::string_view body = text;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  if (!IsCleanUtf8(body)) return false;
  return ini.LoadData(body.data(), body.size()) == SI_OK;
}

std::string FormatNumber(double value) {
  char buf[64];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

}  // namespace

OptionsStatus ParseOptions(const std::string& text, Options& out) {
  out = Options();
  CSimpleIniA ini;
  if (!LoadIni(text, ini)) return OptionsStatus::kDamaged;
  for (const OptionKey& k : OptionKeys()) {
    const char* raw = ini.GetValue(k.section, k.key, nullptr);
    if (!raw) continue;
    const std::string value = Trimmed(raw);
    // A value that does not parse leaves the field at its default.
    if (auto* b = std::get_if<bool Options::*>(&k.field)) {
      ParseBool(value, out.*(*b));
    } else if (auto* i = std::get_if<NumberField<int>>(&k.field)) {
      ParseNumber(value, *i, out.*(i->member));
    } else if (auto* d = std::get_if<NumberField<double>>(&k.field)) {
      ParseNumber(value, *d, out.*(d->member));
    } else if (auto* s = std::get_if<std::string Options::*>(&k.field)) {
      ParseLightingSource(value, out.*(*s));
    }
  }
  return OptionsStatus::kOk;
}

OptionsStatus LoadOptions(const std::string& path, Options& out) {
  out = Options();
  if (!FileExists(path)) return OptionsStatus::kMissing;
  std::vector<uint8_t> bytes;
  // The file holds a few lines; anything large is not this file.
  if (ReadWholeFile(path, bytes, uint64_t(1) << 20) != ReadFileStatus::kOk) return OptionsStatus::kDamaged;
  return ParseOptions(std::string(bytes.begin(), bytes.end()), out);
}

std::string FormatOptions(const std::string& existing_text, const Options& options) {
  CSimpleIniA ini;
  if (!LoadIni(existing_text, ini)) ini.Reset();
  ini.SetUnicode(true);
  for (const OptionKey& k : OptionKeys()) {
    std::string value;
    if (auto* b = std::get_if<bool Options::*>(&k.field)) {
      value = options.*(*b) ? "true" : "false";
    } else if (auto* i = std::get_if<NumberField<int>>(&k.field)) {
      value = std::to_string(options.*(i->member));
    } else if (auto* d = std::get_if<NumberField<double>>(&k.field)) {
      value = FormatNumber(options.*(d->member));
    } else if (auto* s = std::get_if<std::string Options::*>(&k.field)) {
      value = options.*(*s);
    }
    ini.SetValue(k.section, k.key, value.c_str());
  }
  std::string text;
  if (ini.Save(text, false) != SI_OK) return {};
  return text;
}

OptionsStatus SaveOptions(const std::string& path, const Options& options) {
  std::string existing;
  std::vector<uint8_t> bytes;
  if (FileExists(path) && ReadWholeFile(path, bytes, uint64_t(1) << 20) == ReadFileStatus::kOk)
    existing.assign(bytes.begin(), bytes.end());
  const std::string text = FormatOptions(existing, options);
  if (text.empty()) return OptionsStatus::kWriteFailed;
  return WriteFileAtomically(path, text.data(), text.size()) ? OptionsStatus::kOk : OptionsStatus::kWriteFailed;
}

std::string OptionsPath(const std::string& program_folder) { return JoinPath(program_folder, kOptionsFileName); }

}  // namespace sylvane
