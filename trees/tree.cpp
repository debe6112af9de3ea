#include "trees/tree.h"

#include "base/random.h"

namespace sylvane {
namespace {

// Names are char[260] buffers in every file that stores them.
std::string Clip(const std::string& text) {
  return text.size() > Tree::kMaxText ? text.substr(0, Tree::kMaxText) : text;
}

bool IsPartCode(int32_t code) { return code == kOpFlower || code == kOpLeaf || code == kOpSecondFlower; }

// Colour parameters of a part image: luma, hue, chroma offsets and ranges.
constexpr int kFirstColourParam = 6;
constexpr int kColourParamCount = 6;

}  // namespace

// ---------------------------------------------------------------- Pen

Pen::Pen() { SetBrush(BrushParams{}); }

void Pen::SetBrush(const BrushParams& p) {
  brush.Build(p.type, p.width, p.height, p.strength, p.edge, p.density);
}

BrushParams Pen::brush_params() const {
  return BrushParams{brush.type, brush.width, brush.height, brush.strength, brush.edge, brush.density};
}

// ---------------------------------------------------------------- Tree

bool Tree::HasFlower() const {
  for (const GrowthOp& op : ops) {
    if (op.code == kOpFlower) return true;
  }
  return false;
}

void Tree::ClearOps() { ops.clear(); }

int Tree::AppendBranch(int32_t heading_offset, int32_t length, int32_t parent, int32_t aux) {
  GrowthOp op;
  op.code = kOpBranch;
  op.heading_offset = heading_offset;
  op.aux = aux;
  if (!ops.empty()) {
    if (parent < 0 || static_cast<size_t>(parent) >= ops.size() || ops[size_t(parent)].code != kOpBranch)
      return -1;
    op.length = length;
    op.parent = parent;
  }
  ops.push_back(op);
  return 0;
}

int Tree::AppendPart(int32_t code, int32_t heading_offset, int32_t length, int32_t parent, int32_t spare,
                     int32_t part_angle) {
  if (ops.empty()) return -2;
  if (!IsPartCode(code)) return -1;
  if (parent < 0 || static_cast<size_t>(parent) >= ops.size() || ops[size_t(parent)].code != kOpBranch)
    return -1;
  GrowthOp op;
  op.code = code;
  op.heading_offset = heading_offset;
  op.length = length;
  op.parent = parent;
  op.spare = spare;
  op.part_angle = part_angle;
  ops.push_back(op);
  return 0;
}

void Tree::AppendCopy(const GrowthOp& op) { ops.push_back(op); }

void Tree::Place(int32_t x, int32_t y) {
  plant_x = x;
  plant_y = y;
  pen.x = x;
  pen.y = y;
  pen.heading = (kind == 1) ? 90 : Rand() % 360;
  cursor = 0;
  state = 1;
  label_state = HasFlower() ? 0 : 2;
}

void Tree::InitFromParameters(const TreeInit& init, const Pen& source) {
  ClearOps();
  name = Clip(init.name);
  file_name = Clip(init.file_name);
  kind = init.kind;
  mutant = init.mutant;
  split_distance = init.split_distance;
  split_spread = init.split_spread & 0xFF;  // offspring keep only the low 8 bits
  growth_speed = init.growth_speed;
  split_chance = init.split_chance;
  split_max = init.split_max;
  loop_chance = init.loop_chance;
  mutation_chance = init.mutation_chance;
  part_jitter = init.part_jitter;
  branch_jitter = init.branch_jitter;
  plant_x = init.x;
  plant_y = init.y;
  pen.x = init.x;
  pen.y = init.y;
  pen.heading = init.heading;
  pen.step_count = 0;
  pen.heading_variance = source.heading_variance;
  pen.mode = init.pen_mode;
  pen.red = source.red;
  pen.green = source.green;
  pen.blue = source.blue;
  pen.stamp_interval = source.stamp_interval;
  pen.SetBrush(source.brush_params());
  cursor = 0;
  label_state = 0;
}

void Tree::InitDefault(const std::string& new_name, const std::string& new_file_name, int32_t new_kind,
                       uint8_t new_mutant, int32_t x, int32_t y, int32_t heading) {
  ClearOps();
  name = Clip(new_name);
  file_name = Clip(new_file_name);
  kind = new_kind;
  mutant = new_mutant;
  growth_speed = kDefaultGrowthSpeed;
  split_distance = kDefaultSplitDistance;
  split_spread = kDefaultSplitSpread;
  split_chance = kDefaultSplitChance;
  split_max = kDefaultSplitMax;
  loop_chance = kDefaultLoopChance;
  mutation_chance = kDefaultMutationChance;
  part_jitter = kDefaultPartJitter;
  branch_jitter = kDefaultBranchJitter;
  plant_x = x;
  plant_y = y;
  pen.x = x;
  pen.y = y;
  pen.heading = heading;
  pen.step_count = 0;
  pen.heading_variance = 2;
  pen.mode = 1;
  pen.red = 95;
  pen.green = 165;
  pen.blue = 19;
  pen.stamp_interval = 4;
  pen.stamp_countdown = 0;
  pen.SetBrush(BrushParams{1, 8, 8, 150, 100, 90});
  for (PartImage& part : parts) {
    for (int k = 0; k < kColourParamCount; ++k) part.params[size_t(kFirstColourParam + k)] = 0;
  }
  cursor = 0;
  label_state = 0;
}

void Tree::CopyParts(const std::array<PartImage, kPartCount>& from) {
  for (int i = 0; i < kPartCount; ++i) {
    if (&parts[size_t(i)] == &from[size_t(i)]) {
      part_present[size_t(i)] = 1;
      continue;
    }
    parts[size_t(i)] = PartImage{};
    parts[size_t(i)].CopyFrom(from[size_t(i)]);
    part_present[size_t(i)] = 1;
  }
}

void Tree::Release() {
  ops.clear();
  ops.shrink_to_fit();
  for (PartImage& part : parts) part = PartImage{};
  part_present = {};
  pen.brush.Release();
}

// ---------------------------------------------------------------- sample tree

void MakeSampleTree(Tree& t, int32_t x, int32_t y, int32_t heading) {
  t.InitDefault("エゾイチヤクソウ", "ファイル名", 1, 0, x, y, heading);
  t.AppendBranch(0, 0, 0, 1);   // 0 root
  t.AppendBranch(0, 40, 0, 2);  // 1 stem
  // 2-9: four pairs of a leaf and a branch.
  const int32_t leaf_heading[4] = {45, -45, 45, -45};
  const int32_t leaf_angle[4] = {-215, 215, -215, 235};
  const int32_t stem_length[4] = {15, 15, 15, 120};
  int32_t parent = 1;
  for (int i = 0; i < 4; ++i) {
    t.AppendPart(kOpLeaf, leaf_heading[i], 10, parent, 0, leaf_angle[i]);
    t.AppendBranch(0, stem_length[i], parent, 2);
    parent = static_cast<int32_t>(t.ops.size()) - 1;
  }
  // 10-23: seven pairs of a flower and a branch.
  for (int i = 0; i < 7; ++i) {
    const int32_t h = (i % 2 == 0) ? 25 : -25;
    t.AppendPart(kOpFlower, h, 20, parent, 0, -h);
    t.AppendBranch(0, 10, parent, 2);
    parent = static_cast<int32_t>(t.ops.size()) - 1;
  }
  // 24-31: four pairs of a second flower and a branch; the last branch has aux 1.
  for (int i = 0; i < 4; ++i) {
    const int32_t h = (i % 2 == 0) ? -25 : 25;
    t.AppendPart(kOpSecondFlower, h, 15, parent, 0, 0);
    t.AppendBranch(0, 10, parent, i == 3 ? 1 : 2);
    parent = static_cast<int32_t>(t.ops.size()) - 1;
  }
  // 32: the closing second flower on branch 31.
  t.AppendPart(kOpSecondFlower, 0, 15, parent, 0, 0);
}

// ---------------------------------------------------------------- validation

bool ValidateGrowthProgram(const Tree& tree) {
  const size_t n = tree.ops.size();
  if (n == 0) return true;
  if (tree.ops[0].code != kOpBranch) return false;
  for (size_t i = 1; i < n; ++i) {
    const int32_t p = tree.ops[i].parent;
    if (p < 0 || static_cast<size_t>(p) >= i || tree.ops[size_t(p)].code != kOpBranch) return false;
  }
  for (size_t i = 0; i < n; ++i) {
    if (tree.ops[i].code != kOpLoopPoint) continue;
    const int32_t b = tree.ops[i].loop_branch;
    if (b < 0 || static_cast<size_t>(b) >= n || tree.ops[size_t(b)].code != kOpBranch) return false;
  }
  return true;
}

// ---------------------------------------------------------------- table

TreeTable::TreeTable() {
  for (auto& slot : trees_) slot = std::make_unique<Tree>();
}

void TreeTable::ClearAll() {
  for (auto& slot : trees_) {
    slot->state = 0;
    slot->cursor = 0;
  }
  SetCount(0);
}

int TreeTable::FirstEmptySlot() const { return FirstEmptySlotExcept(-1); }

int TreeTable::FirstEmptySlotExcept(int except) const {
  for (int i = 0; i < kSlots; ++i) {
    if (i != except && trees_[size_t(i)]->state == 0) return i;
  }
  return -1;
}

void TreeTable::SetCount(int n) {
  growing_count_.store(n, std::memory_order_relaxed);
  if (listener_) listener_(n);
}

}  // namespace sylvane
