// JSON views (ordered: fields in file order) of the stored records, for sylvane-cli info: a tree record (as
// stored, no load-time jitter) and the settings file. Strings are converted
// from Shift-JIS to UTF-8; part images appear as their twelve parameters,
// their size, the code lengths and CRC-32 checksums of their pixel rows
// (buffer order, padding left out) and of their alpha plane.
#pragma once
#include <nlohmann/json.hpp>

#include "canvas/records/settings.h"
#include "trees/ki_file.h"

namespace sylvane::cli {

// A stored float as the shortest decimal that reads back as the same float
// (0.2f shows as 0.2, not 0.20000000298).
double ShortestFloat(float v);

// zlib CRC-32 of a surface's pixel rows (buffer order, each row width * 3
// bytes, padding left out) and of an alpha plane's bytes.
uint32_t PixelRowsCrc32(const Surface& s);
uint32_t AlphaCrc32(const AlphaPlane& a);

// Every stored field of a tree record, under the field names of the format in
// snake_case.
nlohmann::ordered_json TreeRecordToJson(const KiRecord& record);

// Every stored field of a settings file image.
nlohmann::ordered_json SettingsToJson(const MInitInfo& settings, const std::string& magic, float version);

}  // namespace sylvane::cli
