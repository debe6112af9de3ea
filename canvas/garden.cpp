#include "canvas/garden.h"

#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "trees/mutation.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane {

int CreateGardenCanvas(Canvas& canvas, TreeTable& table, LabelList& labels, int32_t width, int32_t height,
                       uint32_t colour, int32_t kind, const Surface& picture, int32_t update_interval,
                       bool stretch) {
  if (!IsAcceptableSize(width, height)) return kCanvasBadSize;
  table.ClearAll();
  const int status = SetUpCanvasLayers(canvas, width, height, colour, kind, picture, update_interval, stretch);
  if (status != kCanvasOk) return status;
  labels.Clear();
  return kCanvasOk;
}

uint32_t SettingsBackgroundColour(const MInitInfo& s) {
  return uint32_t(s.background_red & 0xFF) | (uint32_t(s.background_green & 0xFF) << 8) |
         (uint32_t(s.background_blue & 0xFF) << 16);
}

GrowthEnv MakeGrowthEnv(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings) {
  GrowthEnv env;
  env.table = &table;
  env.mutation = MutationSettingsFrom(settings);
  env.tree_layer = &canvas.trees;
  env.weight = &canvas.weight;
  env.labels = &labels;
  env.loop_enabled = settings.tree_loop != 0;
  env.split_enabled = settings.tree_split != 0;
  env.rising_anywhere = settings.rising_anywhere != 0;
  env.loop_irregularity = settings.loop_irregularity;
  env.mutate = &HandleMutation;
  return env;
}

void GrowAtOnce(TreeTable& table, const GrowthEnv& env, int budget, GrowthStats* stats) {
  if (!env.tree_layer || !env.weight) return;
  LoopSeeds seeds;
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    Tree& tree = table[i];
    if (tree.state != 1) continue;
    const int result = Grow(tree, *env.tree_layer, *env.weight, env.labels, budget, seeds);
    if (stats) ++stats->trees_handled;
    if (result == kGrowFinished) {
      table.CountDown();
      tree.state = 0;
      if (stats) ++stats->trees_finished;
    }
    if (seeds.count + table.growing_count() >= 100) continue;
    for (int j = 0; j < seeds.count; ++j) {
      const int k = table.FirstEmptySlotExcept(i);
      if (k < 0) break;
      LoopChild(table[k], seeds, j, tree.pen.mode, tree, env.loop_irregularity);
      HandleNewChild(env, tree, table[k], stats);
      if (stats) ++stats->loop_children;
      table[k].state = 2;
      table.CountUp();
    }
  }
}

int MakeSampleGarden(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings,
                     const std::string& program_folder, GrowthStats* stats) {
  table.ClearAll();
  const int status = CreateGardenCanvas(canvas, table, labels, kSampleGardenWidth, kSampleGardenHeight,
                                        SettingsBackgroundColour(settings), kBackgroundColour, Surface{}, 0, false);
  if (status != kCanvasOk) return status;
  PlantAndGrowSample(canvas, table, labels, settings, program_folder, stats);
  return 0;
}

void PlantAndGrowSample(Canvas& canvas, TreeTable& table, LabelList& labels, const MInitInfo& settings,
                        const std::string& program_folder, GrowthStats* stats) {
  Tree& sample = table[0];
  LoadSampleParts(sample, program_folder, kSamplePartDescriptions);
  MakeSampleTree(sample, canvas.width() / 2 + 50, canvas.height() / 2 + 100, 90);
  sample.state = 1;
  table.SetCount(1);
  GrowAtOnce(table, MakeGrowthEnv(canvas, table, labels, settings), kSampleBudget, stats);
}

}  // namespace sylvane
