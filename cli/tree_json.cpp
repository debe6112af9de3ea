#include "cli/tree_json.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace sylvane::cli {

using json = nlohmann::ordered_json;

using nlohmann::ordered_json;

double ShortestFloat(float v) {
  char text[40];
  for (int precision = 1; precision <= 9; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, double(v));
    if (std::strtof(text, nullptr) == v) return std::strtod(text, nullptr);
  }
  return double(v);
}

uint32_t PixelRowsCrc32(const Surface& s) {
  uLong crc = crc32(0L, Z_NULL, 0);
  if (s.empty()) return uint32_t(crc);
  for (int32_t r = 0; r < s.height; ++r) crc = crc32(crc, s.BufferRow(r), uInt(s.width) * 3u);
  return uint32_t(crc);
}

uint32_t AlphaCrc32(const AlphaPlane& a) {
  uLong crc = crc32(0L, Z_NULL, 0);
  if (!a.bytes.empty()) crc = crc32(crc, a.bytes.data(), uInt(a.bytes.size()));
  return uint32_t(crc);
}

namespace {

json OpToJson(const GrowthOp& op) {
  return json::array({op.code, op.heading_offset, op.length, op.parent, op.aux, op.spare, op.part_angle,
                      op.loop_branch, op.fired_x, op.fired_y});
}

json PenToJson(const KiPen& pen) {
  json j = {{"mode", pen.mode},
            {"heading", pen.heading},
            {"step_count", pen.step_count},
            {"x", pen.x},
            {"y", pen.y},
            {"heading_variance", pen.heading_variance},
            {"red", pen.red},
            {"green", pen.green},
            {"blue", pen.blue},
            {"stamp_interval", pen.stamp_interval},
            {"stamp_countdown", pen.stamp_countdown}};
  if (pen.mode == 1) {
    j["brush"] = {{"width", pen.brush.width},   {"height", pen.brush.height},
                  {"strength", pen.brush.strength}, {"edge", pen.brush.edge},
                  {"density", pen.brush.density}, {"type", pen.brush.type}};
  }
  return j;
}

json PartToJson(int index, const KiPart& part) {
  json params = json::array();
  for (int32_t p : part.image.params) params.push_back(p);
  return {{"part", index},
          {"parameters", params},
          {"width", part.width},
          {"height", part.height},
          {"surface_code_bits", part.surface_bits},
          {"pixel_crc32", PixelRowsCrc32(part.image.surface)},
          {"alpha_length", part.alpha_length},
          {"alpha_code_bits", part.alpha_bits},
          {"alpha_crc32", AlphaCrc32(part.image.alpha)}};
}

json Rect(const WindowRect& r) { return {{"x", r.x}, {"y", r.y}, {"width", r.width}, {"height", r.height}}; }

}  // namespace

json TreeRecordToJson(const KiRecord& rec) {
  json j;
  j["magic"] = rec.magic;
  j["version"] = ShortestFloat(rec.version);
  j["tree_name"] = SjisToUtf8(rec.name);
  if (rec.has_file_name) j["file_name"] = SjisToUtf8(rec.file_name);
  j["loop_chance"] = rec.loop_chance;
  j["mutant"] = rec.mutant;
  if (rec.has_branch_jitter) j["branch_jitter"] = rec.branch_jitter;
  j["kind"] = rec.kind;
  j["growth_speed"] = rec.growth_speed;
  j["split_distance"] = rec.split_distance;
  j["split_spread"] = rec.split_spread;
  j["split_chance"] = rec.split_chance;
  j["split_maximum"] = rec.split_max;
  j["mutation_chance"] = rec.mutation_chance;
  j["part_jitter"] = rec.part_jitter;
  j["slot_state"] = rec.state;
  j["op_count"] = rec.ops.size();
  j["plant_x"] = rec.plant_x;
  j["plant_y"] = rec.plant_y;
  j["part_present"] = json::array({rec.part_present[0], rec.part_present[1], rec.part_present[2], rec.part_present[3]});
  j["cursor"] = rec.cursor;
  json ops = json::array();
  for (const GrowthOp& op : rec.ops) ops.push_back(OpToJson(op));
  j["ops"] = ops;
  j["pen"] = PenToJson(rec.pen);
  json parts = json::array();
  for (int i = 0; i < rec.part_count; ++i) parts.push_back(PartToJson(i, rec.parts[size_t(i)]));
  j["part_images"] = parts;
  return j;
}

json SettingsToJson(const MInitInfo& s, const std::string& magic, float version) {
  json j;
  j["magic"] = SjisToUtf8(magic);
  j["version"] = ShortestFloat(version);
  j["main_window_x"] = s.main_x;
  j["main_window_y"] = s.main_y;
  j["canvas_width"] = s.canvas_width;
  j["canvas_height"] = s.canvas_height;
  j["reserved"] = s.reserved;
  j["background_red"] = s.background_red;
  j["background_green"] = s.background_green;
  j["background_blue"] = s.background_blue;
  j["update_interval"] = s.update_interval;
  j["map_window_rectangle"] = Rect(s.map_window);
  j["changer_window_rectangle"] = Rect(s.changer_window);
  j["canvas_window_rectangle"] = Rect(s.canvas_window);
  j["mutant_handling"] = s.mutant_handling;
  j["canvas_saving_at_exit"] = s.exit_saving;
  j["changer_window_state"] = s.changer_state;
  j["changer_active"] = s.changer_active;
  j["first_changer_option"] = s.changer_mode;
  j["second_changer_option"] = s.changer_sort;
  j["canvas_window_state"] = s.canvas_window_state;
  j["canvas_window_zoom_step"] = s.canvas_zoom_step;
  j["canvas_window_option"] = s.canvas_names;
  j["loop_irregularity"] = s.loop_irregularity;
  j["changer_display_option"] = s.changer_display;
  j["skin_option"] = s.skin_option;
  j["associate_canvas_files"] = s.associate_canvas;
  j["associate_tree_files"] = s.associate_trees;
  j["start_with_windows"] = s.start_with_windows;
  j["windows_hidden"] = s.windows_hidden;
  j["mutant_file_count"] = s.mutant_file_count;
  j["canvas_fits_desktop"] = s.canvas_fits_desktop;
  j["fit_background_image"] = s.fit_background;
  j["tree_loop_enabled"] = s.tree_loop;
  j["tree_split_enabled"] = s.tree_split;
  j["wallpaper_style"] = s.wallpaper_style;
  j["transparency_mode"] = s.transparency_mode;
  j["window_opacity"] = s.window_opacity;
  j["rising_trees_anywhere"] = s.rising_anywhere;
  j["scatter_mode"] = s.scatter_mode;
  j["scatter_count"] = s.scatter_count;
  j["scatter_radius"] = s.scatter_radius;
  j["lighting_mode"] = s.lighting_mode;
  j["mutation_sound_on"] = s.mutation_sound;
  j["sound_file"] = SjisToUtf8(s.sound_file);
  json folders = json::array();
  for (const std::string& f : s.folders) folders.push_back(SjisToUtf8(f));
  j["folders"] = folders;
  j["changer_image_folder"] = SjisToUtf8(s.changer_folder);
  json rows = json::array();
  const ByteGrid& g = s.changer_images;
  for (int32_t r = 0; r < g.rows && !g.empty(); ++r) {
    const char* row = reinterpret_cast<const char*>(g.Row(r));
    rows.push_back(SjisToUtf8(std::string(row, strnlen(row, size_t(g.columns)))));
  }
  j["changer_image_list"] = {{"row_length", g.columns}, {"row_count", g.rows}, {"rows", rows}};
  return j;
}

}  // namespace sylvane::cli
