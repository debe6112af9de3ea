#include "trees/growth.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

#include "base/random.h"
#include "canvas/records/name_labels.h"
#include "paint/brush.h"
#include "trees/draw_part.h"
#include "trees/portable_math.h"

namespace sylvane {
namespace {

int NormalizeDegrees(int64_t d) {
  int64_t r = d % 360;
  if (r < 0) r += 360;
  return static_cast<int>(r);
}

int WrapInto(int64_t v, int size) {
  if (size <= 0) return 0;
  int64_t r = v % size;
  if (r < 0) r += size;
  return static_cast<int>(r);
}

// ---------------------------------------------------------------- Gaussian pick

// The upper ends of the buckets, in order: bucket i covers [ends[i-1], ends[i]).
// A draw never exceeds 32767, so buckets after the first end above that are
// left out: they can never be hit.
using BucketEnds = std::vector<int32_t>;

constexpr int kMaxDraw = 32767;

BucketEnds BuildBuckets(int mean, int variance, int n) {
  BucketEnds ends;
  if (variance <= 0) return ends;  // no mass anywhere: every pick is the mean
  const double two_variance = 2.0 * variance;
  const double norm = std::sqrt(6.28 * variance);
  int64_t hi = 0;
  for (int i = 0; i < n; ++i) {
    const double diff = static_cast<double>(mean) - i;
    const float p = static_cast<float>(portable::Exp(-(diff * diff) / two_variance) / norm);
    hi += static_cast<int64_t>(p * 100000.0f);  // each bucket truncated on its own
    ends.push_back(static_cast<int32_t>(std::min<int64_t>(hi, INT32_MAX)));
    if (hi > kMaxDraw) break;
  }
  return ends;
}

int PickFrom(const BucketEnds& ends, int mean, int r) {
  auto it = std::upper_bound(ends.begin(), ends.end(), r);  // first bucket whose end lies above r
  return it == ends.end() ? mean : static_cast<int>(it - ends.begin());
}

using BucketKey = std::tuple<int, int, int>;

struct BucketCache {
  std::mutex mutex;
  std::map<BucketKey, std::shared_ptr<const BucketEnds>> tables;
};

BucketCache& Cache() {
  static BucketCache* cache = new BucketCache();  // lives until exit
  return *cache;
}

std::atomic<bool> g_cache_enabled{true};
constexpr size_t kMaxCachedTables = 4096;

std::shared_ptr<const BucketEnds> CachedBuckets(int mean, int variance, int n) {
  // The pen of one tree asks for the same table step after step.
  thread_local BucketKey last_key{-1, 0, 0};
  thread_local std::shared_ptr<const BucketEnds> last_table;
  const BucketKey key{mean, variance, n};
  if (last_table && key == last_key) return last_table;
  BucketCache& cache = Cache();
  std::shared_ptr<const BucketEnds> table;
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.tables.find(key);
    if (it != cache.tables.end()) table = it->second;
  }
  if (!table) {
    table = std::make_shared<const BucketEnds>(BuildBuckets(mean, variance, n));
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.tables.size() >= kMaxCachedTables) cache.tables.clear();
    cache.tables.emplace(key, table);
  }
  last_key = key;
  last_table = table;
  return table;
}

// ---------------------------------------------------------------- helpers

bool HasFlower(const Tree& t) { return t.HasFlower(); }

void RegisterLabel(const Tree& t, LabelList* labels) {
  if (!labels) return;
  LabelEntry e;
  e.name = LabelDisplayName(t.name, t.mutant);
  e.kind = static_cast<uint8_t>(t.kind);
  e.mutant = t.mutant;
  e.x = t.pen.x;
  e.y = t.pen.y;
  e.file_name = t.file_name;
  labels->Add(e);
}

TreeInit InitFrom(const Tree& p, int32_t x, int32_t y, int32_t heading, int32_t pen_mode) {
  TreeInit init;
  init.name = p.name;
  init.file_name = p.file_name;
  init.kind = p.kind;
  init.mutant = p.mutant;
  init.x = x;
  init.y = y;
  init.heading = heading;
  init.pen_mode = pen_mode;
  init.split_distance = p.split_distance;
  init.split_spread = p.split_spread;
  init.growth_speed = p.growth_speed;
  init.split_chance = p.split_chance;
  init.split_max = p.split_max;
  init.loop_chance = p.loop_chance;
  init.mutation_chance = p.mutation_chance;
  init.part_jitter = p.part_jitter;
  init.branch_jitter = p.branch_jitter;
  return init;
}

}  // namespace

// ---------------------------------------------------------------- public

void HandleNewChild(const GrowthEnv& env, Tree& parent, Tree& child, GrowthStats* stats) {
  if (!env.mutate) {
    child.CopyParts(parent.parts);
    return;
  }
  // A child inherits its parent's mutant flag; clearing it for the call shows
  // whether this handling made a new mutant (handling never reads the flag).
  const uint8_t inherited = child.mutant;
  child.mutant = 0;
  env.mutate(env, parent, child);
  if (child.mutant == 1) {
    if (stats) ++stats->mutants;
  } else {
    child.mutant = inherited;
  }
}

void SetGaussianCache(bool enabled) { g_cache_enabled.store(enabled, std::memory_order_relaxed); }

int GaussianPickUncached(int mean, int variance, int n) {
  if (mean < 0 || n < 1) return -1;
  // The plain algorithm: every bucket of the table, then a walk over them.
  std::vector<float> p(static_cast<size_t>(n), 0.0f);
  if (variance > 0) {
    for (int i = 0; i < n; ++i) {
      const double diff = static_cast<double>(mean) - i;
      p[size_t(i)] = static_cast<float>(portable::Exp(-(diff * diff) / (2.0 * variance)) / std::sqrt(6.28 * variance));
    }
  }
  const int r = Rand() % 100000;
  int64_t lo = 0;
  for (int i = 0; i < n; ++i) {
    const int64_t hi = lo + static_cast<int64_t>(p[size_t(i)] * 100000.0f);
    if (r >= lo && r < hi) return i;
    lo = hi;
  }
  return mean;
}

int GaussianPick(int mean, int variance, int n) {
  if (mean < 0 || n < 1) return -1;
  if (!g_cache_enabled.load(std::memory_order_relaxed)) return GaussianPickUncached(mean, variance, n);
  const std::shared_ptr<const BucketEnds> table = CachedBuckets(mean, variance, n);
  return PickFrom(*table, mean, Rand() % 100000);
}

void StampSprite(const PartImage& sprite, int x, int y, Surface& tree_layer, AlphaPlane& weight) {
  const Surface& s = sprite.surface;
  const int w = s.width, h = s.height;
  const int W = tree_layer.width, H = tree_layer.height;
  if (w <= 0 || h <= 0 || s.pixels.size() < size_t(h) * size_t(s.stride)) return;
  if (W <= 0 || H <= 0 || tree_layer.pixels.size() < size_t(H) * size_t(tree_layer.stride)) return;
  if (weight.width != W || weight.height != H || weight.bytes.size() < size_t(W) * size_t(H)) return;
  const bool has_alpha =
      sprite.alpha.width == w && sprite.alpha.height == h && sprite.alpha.bytes.size() >= size_t(w) * size_t(h);
  for (int i = 0; i < h; ++i) {
    const int Y = WrapInto(int64_t(y) - h / 2 + i, H);
    const uint8_t* src = s.PixelAt(0, i);
    const uint8_t* src_alpha = has_alpha ? sprite.alpha.BufferRow(h - 1 - i) : nullptr;
    uint8_t* dst = tree_layer.PixelAt(0, Y);
    uint8_t* dst_weight = weight.BufferRow(H - 1 - Y);
    for (int j = 0; j < w; ++j) {
      const int t = src_alpha ? src_alpha[j] : 255;  // a sprite without a plane is opaque
      if (t == 0) continue;
      const int X = WrapInto(int64_t(x) - w / 2 + j, W);
      uint8_t* d = dst + size_t(X) * 3;
      for (int ch = 0; ch < 3; ++ch) d[ch] = static_cast<uint8_t>((t * src[j * 3 + ch] + d[ch] * (255 - t)) / 255);
      dst_weight[X] = static_cast<uint8_t>(dst_weight[X] * (255 - t) / 255);
    }
  }
}

void PenStep(Pen& pen, Surface& tree_layer, AlphaPlane& weight, const PartImage& branch_sprite) {
  // 1. A random turn, either way.
  int turn = GaussianPick(0, pen.heading_variance, 90);
  if (Rand() & 1) turn = -turn;
  pen.heading = NormalizeDegrees(int64_t(pen.heading) + turn);

  // 2. One pixel in the heading's 45-degree sector: the second move of the
  // sector with a chance growing with the heading's position in it.
  static constexpr int kMoves[8][2][2] = {
      {{1, 0}, {1, -1}},   {{1, -1}, {0, -1}}, {{0, -1}, {-1, -1}}, {{-1, -1}, {-1, 0}},
      {{-1, 0}, {-1, 1}},  {{-1, 1}, {0, 1}},  {{0, 1}, {1, 1}},    {{1, 1}, {1, 0}},
  };
  const int sector = pen.heading / 45;
  const int f = pen.heading - sector * 45;
  const int r = Rand() % 45;
  const int* move = kMoves[sector][r < f ? 1 : 0];
  pen.x += move[0];
  pen.y += move[1];

  // 3. The canvas is a torus.
  const int W = tree_layer.width, H = tree_layer.height;
  if (pen.x > W - 1) pen.x = 0;
  if (pen.y > H - 1) pen.y = 0;
  if (pen.x < 0) pen.x = W - 1;
  if (pen.y < 0) pen.y = H - 1;

  // 4. A stamp every interval + 1 steps.
  const int32_t c = pen.stamp_countdown;
  pen.stamp_countdown = (c == INT32_MIN) ? c : c - 1;
  if (c <= 0) {
    if (pen.mode == 1) {
      StampBrush(pen.brush, pen.x, pen.y, pen.red, pen.green, pen.blue, tree_layer, weight);
    } else {
      StampSprite(branch_sprite, pen.x, pen.y, tree_layer, weight);
    }
    pen.stamp_countdown = pen.stamp_interval;
  }

  // 5.
  if (pen.step_count < INT32_MAX) ++pen.step_count;
}

int Grow(Tree& t, Surface& tree_layer, AlphaPlane& weight, LabelList* labels, int budget, LoopSeeds& seeds) {
  seeds.count = 0;
  const uint32_t n = t.op_count();
  if (t.cursor >= n) return kGrowFinished;
  // A program that breaks the invariants (e.g. from a damaged file) cannot be
  // run without reading outside it: it counts as finished.
  if (!ValidateGrowthProgram(t)) return kGrowFinished;

  int64_t m = int64_t(budget) * t.growth_speed / 100;
  if (m <= 0) m = 1;
  // Growth speeds far above 100 % come only from edited files; bound the walk
  // so that one tree cannot stall the pass.
  m = std::min<int64_t>(m, int64_t(std::max(budget, 1)) * 100);

  int k = 0;
  for (int64_t it = 0; it < m; ++it) {
    const GrowthOp& op = t.ops[t.cursor];
    if (t.pen.step_count >= op.length) {
      t.ops[t.cursor].fired_x = t.pen.x;
      t.ops[t.cursor].fired_y = t.pen.y;
      bool known = true;
      switch (op.code) {
        case kOpBranch:
          break;
        case kOpFlower:
          if (t.label_state == 0) {
            RegisterLabel(t, labels);
            t.label_state = 1;
          }
          DrawPart(tree_layer, weight, t.parts[kPartFlower], t.pen.x, t.pen.y, op.part_angle, t.pen.heading);
          break;
        case kOpLeaf:
          if (t.label_state == 2) {
            RegisterLabel(t, labels);
            t.label_state = 1;
          }
          DrawPart(tree_layer, weight, t.parts[kPartLeaf], t.pen.x, t.pen.y, op.part_angle, t.pen.heading);
          break;
        case kOpSecondFlower:
          DrawPart(tree_layer, weight, t.parts[kPartSecondFlower], t.pen.x, t.pen.y, op.part_angle,
                   t.pen.heading);
          break;
        case kOpLoopPoint:
          // Only five seeds fit; a later loop point in the same call fires
          // without leaving a seed.
          if (k < LoopSeeds::kMax) {
            seeds.x[size_t(k)] = t.pen.x;
            seeds.y[size_t(k)] = t.pen.y;
            seeds.heading[size_t(k)] = t.pen.heading;
            seeds.loop_branch[size_t(k)] = op.loop_branch;
            ++k;
          }
          break;
        default:
          known = false;  // the cursor stays and the pen walks on
          break;
      }
      if (known) {
        ++t.cursor;
        if (t.cursor < n) {
          const GrowthOp& next = t.ops[t.cursor];
          const GrowthOp& parent = t.ops[size_t(next.parent)];
          t.pen.x = parent.fired_x;
          t.pen.y = parent.fired_y;
          t.pen.step_count = 0;
          t.pen.heading = NormalizeDegrees(int64_t(t.pen.heading) + next.heading_offset -
                                           t.ops[t.cursor - 1].heading_offset);
        }
      }
    }
    if (t.cursor >= n) break;
    PenStep(t.pen, tree_layer, weight, t.parts[kPartBranch]);
  }
  seeds.count = k;
  return t.cursor >= n ? kGrowFinished : 0;
}

void LoopChild(Tree& child, const LoopSeeds& seeds, int j, int32_t parent_pen_mode, const Tree& parent,
               int32_t loop_irregularity) {
  const int64_t span = 2 * int64_t(loop_irregularity) + 1;
  const int64_t delta = span != 0 ? Rand() % span : 0;
  const int64_t heading = (Rand() & 1) ? seeds.heading[size_t(j)] - delta : seeds.heading[size_t(j)] + delta;
  child.InitFromParameters(InitFrom(parent, seeds.x[size_t(j)], seeds.y[size_t(j)], NormalizeDegrees(heading),
                                    parent_pen_mode),
                           parent.pen);

  const int n = static_cast<int>(parent.ops.size());
  int b = seeds.loop_branch[size_t(j)];
  if (b < 0 || b >= n || parent.ops[size_t(b)].code != kOpBranch) b = 0;  // unsound seed: regrow from the root
  if (n == 0) {
    child.AppendBranch(0, 0, 0, 0);
    child.label_state = 2;
    return;
  }
  child.AppendBranch(parent.ops[size_t(b)].heading_offset, 0, 0, parent.ops[size_t(b)].aux);

  // Copy the descendants of b generation by generation. A generation keeps at
  // most five branches; a further branch is copied, but its descendants are
  // left out.
  constexpr size_t kMaxGeneration = 5;
  std::vector<int32_t> map(size_t(n), 0);
  std::vector<std::pair<int, int>> generation{{b, 0}};
  std::vector<std::pair<int, int>> next;
  while (!generation.empty()) {
    next.clear();
    for (const auto& [p, t] : generation) {
      for (int q = b + 1; q < n; ++q) {
        if (parent.ops[size_t(q)].parent != p) continue;
        GrowthOp copy = parent.ops[size_t(q)];
        copy.parent = t;
        child.AppendCopy(copy);
        if (copy.code == kOpBranch) {
          const int index = static_cast<int>(child.ops.size()) - 1;
          map[size_t(q)] = index;
          if (next.size() < kMaxGeneration) next.emplace_back(q, index);
        }
      }
    }
    generation.swap(next);
  }
  for (GrowthOp& op : child.ops) {
    if (op.code != kOpLoopPoint) continue;
    op.loop_branch = (op.loop_branch >= 0 && op.loop_branch < n) ? map[size_t(op.loop_branch)] : 0;
  }
  child.label_state = HasFlower(child) ? 0 : 2;
}

void SplitChild(Tree& child, const Tree& parent, int canvas_width, int canvas_height, bool rising_anywhere) {
  const int dx = GaussianPick(parent.split_distance, parent.split_spread, canvas_width);
  const int dy = GaussianPick(parent.split_distance, parent.split_spread, canvas_height);
  const int g = Rand();
  const int sx = Rand();
  const int sy = Rand();
  int x = WrapInto(int64_t(parent.plant_x) + ((sx & 1) ? -dx : dx), canvas_width);
  int y = WrapInto(int64_t(parent.plant_y) + ((sy & 1) ? -dy : dy), canvas_height);
  int heading;
  if (parent.kind == 1) {
    heading = 90;
    if (!rising_anywhere) y = canvas_height - static_cast<int>(parent.pen.brush.height * 0.5) - 1;
  } else {
    heading = g % 360;
  }
  child.InitFromParameters(InitFrom(parent, x, y, heading, parent.pen.mode), parent.pen);
  child.AppendBranch(0, 0, 0, parent.ops.empty() ? 0 : parent.ops[0].aux);
  for (size_t q = 1; q < parent.ops.size(); ++q) {
    GrowthOp copy = parent.ops[q];
    if (copy.length > 0) {
      const int s = (Rand() & 1) ? 1 : -1;
      const int32_t range = copy.code == kOpBranch ? child.branch_jitter : child.part_jitter;
      const int64_t u = range != 0 ? Rand() % range : 0;
      const int64_t length = int64_t(copy.length) + s * u;
      copy.length = length > 0 ? static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX)) : 1;
    }
    child.AppendCopy(copy);
  }
  child.label_state = HasFlower(child) ? 0 : 2;
}

int GrowthPass(TreeTable& table, const GrowthEnv& env, int budget, GrowthStats* stats) {
  if (!env.tree_layer || !env.weight) return 0;
  Surface& layer = *env.tree_layer;
  AlphaPlane& weight = *env.weight;
  for (int i = 0; i < TreeTable::kSlots; ++i) {
    if (table[i].state == 2) table[i].state = 1;
  }
  const int count = table.growing_count();
  if (count <= 0) return 0;
  LoopSeeds seeds;
  for (int round = 0; round < count; ++round) {
    int i = 0;
    while (i < TreeTable::kSlots && table[i].state != 1) ++i;
    if (i == TreeTable::kSlots) break;
    Tree& tree = table[i];
    const int result = Grow(tree, layer, weight, env.labels, budget, seeds);
    if (stats) ++stats->trees_handled;
    if (result == kGrowFinished) {
      table.CountDown();
      tree.state = 0;
      if (stats) ++stats->trees_finished;
    } else {
      tree.state = 2;
    }

    // Loop children.
    if (seeds.count > 0 && seeds.count + table.growing_count() < 100 && env.loop_enabled) {
      for (int j = 0; j < seeds.count; ++j) {
        if (Rand() % 100 >= tree.loop_chance) continue;
        const int k = table.FirstEmptySlotExcept(i);
        if (k < 0) continue;
        LoopChild(table[k], seeds, j, tree.pen.mode, tree, env.loop_irregularity);
        HandleNewChild(env, tree, table[k], stats);
        table[k].state = 2;
        table.CountUp();
        if (stats) ++stats->loop_children;
      }
    }

    // Split: the chance is drawn before the setting is looked at.
    if (tree.state == 0 && tree.split_max >= 1 && Rand() % 100 < tree.split_chance && env.split_enabled) {
      const int r = Rand() % tree.split_max;
      const int children = r >= 2 ? r : 1;
      for (int c = 0; c < children; ++c) {
        const int k = table.FirstEmptySlotExcept(i);
        if (k < 0) continue;
        SplitChild(table[k], tree, layer.width, layer.height, env.rising_anywhere);
        HandleNewChild(env, tree, table[k], stats);
        table[k].state = 2;
        table.CountUp();
        if (stats) ++stats->split_children;
      }
    }

    if (env.stop && env.stop->load(std::memory_order_relaxed) != 0) break;
  }
  return 0;
}

}  // namespace sylvane
