#include "cli/canvas_json.h"

#include "cli/tree_json.h"
#include "platform/text.h"

namespace sylvane::cli {

using json = nlohmann::ordered_json;

namespace {

json SystemTimeToJson(const LocalTime& t) {
  return {{"year", t.year},     {"month", t.month},   {"day_of_week", t.day_of_week},
          {"day", t.day},       {"hour", t.hour},     {"minute", t.minute},
          {"second", t.second}, {"milliseconds", t.milliseconds}};
}

json LabelsToJson(const LabelList& labels) {
  json entries = json::array();
  for (const LabelEntry& e : labels.entries) {
    entries.push_back({{"name", SjisToUtf8(e.name)},
                       {"kind", e.kind},
                       {"mutant", e.mutant},
                       {"x", e.x},
                       {"y", e.y},
                       {"file_name", SjisToUtf8(e.file_name)}});
  }
  return {{"label_count", labels.count()},
          {"text_colour", labels.text_colour},
          {"font_height", labels.font_height},
          {"display_mode", labels.display_mode},
          {"entries", entries}};
}

}  // namespace

json CanvasFileToJson(const ParsedCanvas& c) {
  json j;
  j["magic"] = kSylMagic;
  j["version"] = ShortestFloat(c.version);
  j["countdown"] = c.countdown;
  j["update_interval"] = c.interval;
  j["last_update_time"] = SystemTimeToJson(c.last_update);
  j["elapsed_hours"] = c.hours;
  j["elapsed_minutes"] = c.minutes;
  j["elapsed_seconds"] = c.seconds;
  j["tree_count"] = c.tree_count;
  j["tree_entry_count"] = c.entries.size();
  json trees = json::array();
  for (const ParsedEntry& e : c.entries) {
    json entry = {{"slot", e.slot}};
    if (double(c.version) >= 0.1) entry["label_state"] = e.label_state;  // stored from version 0.1
    entry["tree"] = TreeRecordToJson(e.record);
    trees.push_back(entry);
  }
  j["trees"] = trees;
  j["background_image_used"] = c.background_used;
  j["background_image_path"] = SjisToUtf8(c.background_path);
  j["background_colour"] = c.colour;
  j["background_fit"] = c.fit;
  if (c.has_labels) j["labels"] = LabelsToJson(c.labels);
  j["tree_layer_present"] = c.has_layer ? 1 : 0;
  if (c.has_layer) {
    j["tree_layer"] = {{"width", c.trees.width},
                       {"height", c.trees.height},
                       {"pixel_crc32", PixelRowsCrc32(c.trees)},
                       {"weight_crc32", AlphaCrc32(c.weight)}};
  }
  return j;
}

}  // namespace sylvane::cli
