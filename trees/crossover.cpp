#include "trees/crossover.h"

#include <algorithm>
#include <cstdio>

#include "base/random.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane {
namespace {

// The joint between the parents' names (CP932 0x81 0x7E).
constexpr char kNameJoint[] = "×";

// Chance in percent that a crossed parameter is the blend of both parents,
// as in the crossing of mutation handling.
constexpr int kBlendChance = 35;

const Tree& Pick(const Tree& a, const Tree& b, Inherited from) { return from == Inherited::kSecond ? b : a; }

Inherited DrawParent() { return (Rand() % 2) ? Inherited::kSecond : Inherited::kFirst; }

// Indices of the branch ops among ops [0, end).
std::vector<int32_t> BranchesBefore(const std::vector<GrowthOp>& ops, size_t end) {
  std::vector<int32_t> out;
  for (size_t i = 0; i < end && i < ops.size(); ++i)
    if (ops[i].code == kOpBranch) out.push_back(int32_t(i));
  return out;
}

// One splice attempt: draws which parent gives the prefix, the cut point and
// the suffix start (three draws). False when that parent has no possible cut
// or the other no branch to start from.
bool DrawPlan(const Tree& a, const Tree& b, SplicePlan& plan) {
  plan.prefix_parent = Rand() % 2;
  const std::vector<GrowthOp>& prefix = plan.prefix_parent == 0 ? a.ops : b.ops;
  const std::vector<GrowthOp>& suffix = plan.prefix_parent == 0 ? b.ops : a.ops;
  // A prefix ends just before a branch op, or with the whole program.
  std::vector<int32_t> cuts;
  for (size_t c = 1; c <= prefix.size(); ++c)
    if (c == prefix.size() || prefix[c].code == kOpBranch) cuts.push_back(int32_t(c));
  const std::vector<int32_t> starts = BranchesBefore(suffix, suffix.size());
  const int cut_draw = Rand();
  const int start_draw = Rand();
  if (cuts.empty() || starts.empty()) return false;
  plan.prefix_ops = cuts[size_t(cut_draw) % cuts.size()];
  plan.suffix_start = starts[size_t(start_draw) % starts.size()];
  plan.suffix_ops = int(suffix.size()) - plan.suffix_start;
  return true;
}

}  // namespace

std::string CutShiftJis(const std::string& text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t i = 0, keep = 0;
  while (i < max_bytes) {
    const size_t n = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + n > max_bytes) break;
    i += n;
    keep = i;
  }
  return text.substr(0, keep);
}

std::string BredName(const std::string& first, const std::string& second) {
  const size_t joint = sizeof kNameJoint - 1;
  const size_t budget = Tree::kMaxText - joint;
  std::string a = first, b = second;
  if (a.size() + b.size() > budget) {
    // Each side keeps at least half the room; a short side leaves its rest
    // to the other.
    const size_t half = budget / 2;
    if (a.size() <= half) {
      b = CutShiftJis(b, budget - a.size());
    } else if (b.size() <= budget - half) {
      a = CutShiftJis(a, budget - b.size());
    } else {
      a = CutShiftJis(a, half);
      b = CutShiftJis(b, budget - a.size());
    }
  }
  return a + kNameJoint + b;
}

bool SameProgram(const std::vector<GrowthOp>& a, const std::vector<GrowthOp>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const GrowthOp& x = a[i];
    const GrowthOp& y = b[i];
    if (x.code != y.code || x.heading_offset != y.heading_offset || x.length != y.length || x.parent != y.parent ||
        x.aux != y.aux || x.spare != y.spare || x.part_angle != y.part_angle || x.loop_branch != y.loop_branch)
      return false;
  }
  return true;
}

std::vector<GrowthOp> SplicePrograms(const std::vector<GrowthOp>& prefix, const std::vector<GrowthOp>& suffix,
                                     const SplicePlan& plan) {
  const int32_t np = int32_t(std::clamp<int64_t>(plan.prefix_ops, 0, int64_t(prefix.size())));
  const int32_t ns = int32_t(suffix.size());
  const int32_t s = int32_t(std::clamp<int64_t>(plan.suffix_start, 0, ns));
  const std::vector<int32_t> prefix_branches = BranchesBefore(prefix, size_t(np));
  const std::vector<int32_t> suffix_branches = BranchesBefore(suffix, size_t(s));
  // The suffix hangs from the last branch of the prefix.
  const int32_t graft = prefix_branches.empty() ? -1 : prefix_branches.back();

  // The suffix's own parent lines up with the graft branch; other branches
  // before the suffix keep their distance from it along the branch order.
  auto position = [&](int32_t p) -> int64_t {
    auto it = std::lower_bound(suffix_branches.begin(), suffix_branches.end(), p);
    return (it != suffix_branches.end() && *it == p) ? int64_t(it - suffix_branches.begin()) : -1;
  };
  int64_t anchor = int64_t(suffix_branches.size()) - 1;
  if (s < ns && suffix[size_t(s)].parent >= 0 && suffix[size_t(s)].parent < s) {
    const int64_t at = position(suffix[size_t(s)].parent);
    if (at >= 0) anchor = at;
  }
  auto map_suffix_ref = [&](int32_t p) -> int32_t {
    if (p >= s && p < ns) return np + (p - s);
    if (p < 0 || p >= s || graft < 0) return -1;
    const int64_t at = position(p);
    if (at < 0) return -1;  // not a branch: the parent program was unsound here
    const int64_t last = int64_t(prefix_branches.size()) - 1;
    return prefix_branches[size_t(std::clamp<int64_t>(last + (at - anchor), 0, last))];
  };

  std::vector<GrowthOp> out;
  out.reserve(size_t(np) + size_t(ns - s));
  for (int32_t i = 0; i < np; ++i) {
    GrowthOp op = prefix[size_t(i)];
    if (op.code == kOpLoopPoint && op.loop_branch >= np) {
      const bool was_branch = size_t(op.loop_branch) < prefix.size() && prefix[size_t(op.loop_branch)].code == kOpBranch;
      op.loop_branch = was_branch ? graft : -1;
    }
    out.push_back(op);
  }
  for (int32_t k = s; k < ns; ++k) {
    GrowthOp op = suffix[size_t(k)];
    op.parent = k == s ? graft : map_suffix_ref(op.parent);
    if (op.code == kOpLoopPoint) op.loop_branch = map_suffix_ref(op.loop_branch);
    out.push_back(op);
  }
  for (GrowthOp& op : out) op.fired_x = op.fired_y = 0;
  return out;
}

int CrossTrees(const Tree& a, const Tree& b, Tree& child, CrossoverReport* report) {
  CrossoverReport r;
  Tree k;  // built here, moved into child only when the crossing succeeds

  // 1. The program: splices are drawn until one is sound and differs from
  // both parents' programs (a sound copy of one is kept when none differs).
  std::vector<GrowthOp> program;
  bool sound = false;
  for (int attempt = 1; attempt <= kMaxSpliceAttempts; ++attempt) {
    SplicePlan plan;
    if (!DrawPlan(a, b, plan)) continue;
    const Tree& prefix = plan.prefix_parent == 0 ? a : b;
    const Tree& suffix = plan.prefix_parent == 0 ? b : a;
    k.ops = SplicePrograms(prefix.ops, suffix.ops, plan);
    if (k.ops.empty() || !ValidateGrowthProgram(k)) continue;
    program = k.ops;
    r.program = plan;
    r.attempts = attempt;
    sound = true;
    if (!SameProgram(program, a.ops) && !SameProgram(program, b.ops)) break;
  }
  if (!sound) {
    char text[900];
    std::snprintf(text, sizeof text, kCrossRefusedText, a.name.c_str(), b.name.c_str());
    ShowMessage(text, kCrossCaption);
    return kCrossRefused;
  }

  // 2. Kind, split spread and the pen each from one parent.
  r.kind = DrawParent();
  r.split_spread = DrawParent();
  r.pen = DrawParent();
  const Tree& pen_parent = Pick(a, b, r.pen);

  k.kind = Pick(a, b, r.kind).kind;
  k.split_spread = Pick(a, b, r.split_spread).split_spread;
  k.pen = pen_parent.pen;
  k.pen.step_count = 0;
  k.pen.stamp_countdown = 0;
  k.pen.x = 0;
  k.pen.y = 0;

  // 3. The crossed parameters: one parent's value, or with the crossing
  // chance the blend of both.
  for (int i = 0; i < kCrossedParameterCount; ++i) {
    Inherited from = DrawParent();
    int32_t value = CrossedParameterOf(Pick(a, b, from), i);
    if (Rand() % 100 < kBlendChance) {
      value = BlendCrossedParameter(CrossedParameterOf(a, i), CrossedParameterOf(b, i), CrossedParameterInfo(i).max);
      from = Inherited::kBlend;
    }
    CrossedParameterOf(k, i) = value;
    r.parameters[size_t(i)] = from;
  }

  // 4. Part images: one parent's, with the other's grafted in as mutation
  // handling grafts. A pen that stamps the branch sprite keeps its own.
  for (int i = 0; i < kPartCount; ++i) {
    CrossoverReport::Part& part = r.parts[size_t(i)];
    part.base = DrawParent();
    part.graft = Rand() % 3;
    if (i == kPartBranch && pen_parent.pen.mode != 1) part.base = r.pen;
    const Tree& base = Pick(a, b, part.base);
    const Tree& other = part.base == Inherited::kFirst ? b : a;
    k.parts[size_t(i)] = PartImage{};
    k.parts[size_t(i)].CopyFrom(base.parts[size_t(i)]);
    GraftPart(k.parts[size_t(i)], other.parts[size_t(i)], part.graft);
    k.part_present[size_t(i)] = 1;
  }

  // 5. A fresh tree that waits to be saved or planted.
  k.ops = std::move(program);
  k.name = BredName(a.name, b.name);
  k.file_name = CutShiftJis(k.name + ".ki", Tree::kMaxText);
  k.mutant = 0;
  k.state = 0;
  k.cursor = 0;
  k.plant_x = 0;
  k.plant_y = 0;
  k.label_state = k.HasFlower() ? 0 : 2;

  child = std::move(k);
  if (report) *report = r;
  return kCrossOk;
}

}  // namespace sylvane
