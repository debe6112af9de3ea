// sylvane-cli make-tree SPECIES.json OUT.ki [--parts FOLDER]
// Writes a tree file from a species description: its name, heritable
// parameters, pen, the four part descriptions (".txt" in FOLDER/imgb, FOLDER
// defaulting to the program folder) and the shape its growth program is built
// from (trees/tree_shape.h). The starter trees beside the program are made so
// (scripts/make-trees). Unknown keys are refused, so that a misspelt one is
// not silently left at its default.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/garden_io.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"
#include "trees/tree.h"
#include "trees/tree_shape.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "make-tree SPECIES.json OUT.ki [--parts FOLDER]";

int Fail(const std::string& text) { return UsageError("make-tree", kUsage, text); }

using json = nlohmann::json;

// Copies the integer members of `from` named in `fields` into place; any other
// key is an error.
template <class T>
bool ReadInts(const json& from, const std::map<std::string, int32_t T::*>& fields, T& into, const std::string& where,
              std::string& error) {
  if (!from.is_object()) {
    error = where + " must be an object";
    return false;
  }
  for (auto it = from.begin(); it != from.end(); ++it) {
    auto f = fields.find(it.key());
    if (f == fields.end()) {
      error = where + ": unknown key \"" + it.key() + "\"";
      return false;
    }
    if (!it.value().is_number_integer()) {
      error = where + "." + it.key() + " must be a whole number";
      return false;
    }
    into.*(f->second) = it.value().get<int32_t>();
  }
  return true;
}

const std::map<std::string, int32_t TreeShape::*> kShapeFields = {
    {"trunk_segments", &TreeShape::trunk_segments}, {"trunk_length", &TreeShape::trunk_length},
    {"taper", &TreeShape::taper},                   {"trunk_heading", &TreeShape::trunk_heading},
    {"trunk_sway", &TreeShape::trunk_sway},         {"trunk_bend", &TreeShape::trunk_bend},
    {"fork_fan", &TreeShape::fork_fan},             {"flower_hangs", &TreeShape::flower_hangs},
    {"flower_heading", &TreeShape::flower_heading},         {"depth", &TreeShape::depth},
    {"first_fork", &TreeShape::first_fork},         {"fork_every", &TreeShape::fork_every},
    {"fork_angle", &TreeShape::fork_angle},         {"fork_angle_step", &TreeShape::fork_angle_step},
    {"paired", &TreeShape::paired},                 {"droop", &TreeShape::droop},
    {"side_segments", &TreeShape::side_segments},   {"side_segments_step", &TreeShape::side_segments_step},
    {"side_length", &TreeShape::side_length},       {"leaf_every", &TreeShape::leaf_every},
    {"leaf_min_level", &TreeShape::leaf_min_level}, {"leaf_max_level", &TreeShape::leaf_max_level}, {"leaf_angle", &TreeShape::leaf_angle},
    {"leaf_stalk", &TreeShape::leaf_stalk},         {"leaf_pairs", &TreeShape::leaf_pairs},
    {"leaf_part_angle", &TreeShape::leaf_part_angle}, {"flower_tips", &TreeShape::flower_tips},
    {"flower_all_tips", &TreeShape::flower_all_tips}, {"flower_stalk", &TreeShape::flower_stalk},
    {"flower_part_angle", &TreeShape::flower_part_angle}, {"second_every", &TreeShape::second_every},
    {"second_min_level", &TreeShape::second_min_level}, {"second_angle", &TreeShape::second_angle},
    {"second_stalk", &TreeShape::second_stalk},     {"loop_every", &TreeShape::loop_every},
};

const std::map<std::string, int32_t Tree::*> kTreeFields = {
    {"kind", &Tree::kind},
    {"growth_speed", &Tree::growth_speed},
    {"split_distance", &Tree::split_distance},
    {"split_spread", &Tree::split_spread},
    {"split_chance", &Tree::split_chance},
    {"split_max", &Tree::split_max},
    {"loop_chance", &Tree::loop_chance},
    {"mutation_chance", &Tree::mutation_chance},
    {"part_jitter", &Tree::part_jitter},
    {"branch_jitter", &Tree::branch_jitter},
};

const std::map<std::string, int32_t Pen::*> kPenFields = {
    {"mode", &Pen::mode},   {"heading_variance", &Pen::heading_variance}, {"red", &Pen::red},
    {"green", &Pen::green}, {"blue", &Pen::blue},                         {"stamp_interval", &Pen::stamp_interval},
};

const std::map<std::string, int32_t BrushParams::*> kBrushFields = {
    {"type", &BrushParams::type},         {"width", &BrushParams::width}, {"height", &BrushParams::height},
    {"strength", &BrushParams::strength}, {"edge", &BrushParams::edge},   {"density", &BrushParams::density},
};

const char* const kPartKeys[kPartCount] = {"flower", "second_flower", "leaf", "branch"};

// Fills tree from the description; the part descriptions' paths go to `parts`.
bool ReadSpecies(const json& j, Tree& tree, std::array<std::string, kPartCount>& parts, std::string& error) {
  if (!j.is_object() || !j.contains("name") || !j["name"].is_string()) {
    error = "the description needs a \"name\"";
    return false;
  }
  json tree_fields = json::object();
  json pen_fields = json::object(), brush_fields = json::object(), shape_fields = json::object();
  json part_names = json::object();
  for (auto it = j.begin(); it != j.end(); ++it) {
    const std::string& k = it.key();
    if (k == "name" || k == "comment") continue;
    if (k == "pen") pen_fields = it.value();
    else if (k == "brush") brush_fields = it.value();
    else if (k == "shape") shape_fields = it.value();
    else if (k == "parts") part_names = it.value();
    else tree_fields[k] = it.value();
  }
  tree.InitDefault(Utf8ToSjis(j["name"].get<std::string>()), "", kDefaultKind, 0, 0, 0, 90);
  if (!ReadInts(tree_fields, kTreeFields, tree, "tree", error)) return false;
  if (!ReadInts(pen_fields, kPenFields, tree.pen, "pen", error)) return false;
  BrushParams brush = tree.pen.brush_params();
  if (!ReadInts(brush_fields, kBrushFields, brush, "brush", error)) return false;
  tree.pen.SetBrush(brush);
  TreeShape shape;
  if (!ReadInts(shape_fields, kShapeFields, shape, "shape", error)) return false;
  if (BuildTreeShape(shape, tree) < 0) {
    error = "the shape makes no usable growth program";
    return false;
  }
  if (!part_names.is_object()) {
    error = "parts must be an object";
    return false;
  }
  for (int i = 0; i < kPartCount; ++i) {
    if (!part_names.contains(kPartKeys[i]) || !part_names[kPartKeys[i]].is_string()) {
      error = std::string("parts.") + kPartKeys[i] + " is missing";
      return false;
    }
    parts[size_t(i)] = std::string(kSamplePartFolder) + "/" + part_names[kPartKeys[i]].get<std::string>() + ".txt";
  }
  if (part_names.size() != kPartCount) {
    error = "parts has unknown keys";
    return false;
  }
  return true;
}

int RunMakeTree(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto parts_folder = args.Value("--parts");
  std::vector<std::string> rest;
  std::string error;
  if (!args.Positional(rest, error)) return Fail(error);
  if (rest.size() != 2) return Fail("needs SPECIES.json and OUT.ki");
  std::ifstream in(rest[0], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make-tree: cannot read %s\n", rest[0].c_str());
    return 1;
  }
  json j = json::parse(in, nullptr, false);
  if (j.is_discarded()) {
    std::fprintf(stderr, "make-tree: %s is not valid JSON\n", rest[0].c_str());
    return 1;
  }
  // As at start-up: the table with its pens exists before the seed.
  Tree& tree = CliGarden().table[0];
  global.SeedNow();
  std::array<std::string, kPartCount> parts;
  if (!ReadSpecies(j, tree, parts, error)) {
    std::fprintf(stderr, "make-tree: %s: %s\n", rest[0].c_str(), error.c_str());
    return 1;
  }
  int loaded = 0;
  const std::string folder = parts_folder ? *parts_folder : GetPlatform().ProgramFolder();
  LoadSampleParts(tree, folder, parts, &loaded);
  // Part image 3 is stored and drawn only when the pen stamps sprites.
  const int needed = tree.pen.mode == 1 ? kPartCount - 1 : kPartCount;
  if (loaded < needed) {
    std::fprintf(stderr, "make-tree: only %d of the parts could be loaded from %s\n", loaded, folder.c_str());
    return 1;
  }
  tree.state = 1;
  tree.cursor = 0;
  if (SaveTreeFile(tree, rest[1]) != 0) return 1;
  std::printf("%s: %u ops -> %s\n", rest[0].c_str(), tree.op_count(), rest[1].c_str());
  return 0;
}

const Command kMakeTree{"make-tree", kUsage, RunMakeTree};
static Registration reg{kMakeTree};

}  // namespace
}  // namespace sylvane::cli
