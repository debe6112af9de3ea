// Breeding: crossing two chosen trees into a new one. The child takes
//  - each of the nine crossed parameters (trees/mutation.h) from one parent,
//    and with the crossing chance of mutation handling (35 %) the blend of
//    both; kind, split spread and the whole pen (mode, colour, brush, stamp
//    interval) each from one parent;
//  - each part image from one parent, into which the other parent's part is
//    grafted as mutation handling grafts (rooted, tiled or not at all); the
//    branch sprite comes from the pen's parent when the pen draws with it;
//  - a growth program spliced at a branch boundary: a prefix of one parent's
//    program up to a branch op and a suffix of the other's from a branch op
//    on, with parents and loop branches renumbered so that the program keeps
//    the invariants growth and the tree-file loader rely on.
// Every choice draws from the one random generator, so the same generator
// state gives the same child. The child is a fresh unplaced tree (state 0,
// cursor 0, not a mutant) named "A×B" after its parents, ready to be saved
// as an ordinary tree file or planted like a loaded one; mutation handling
// treats its offspring like those of any tree.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "trees/mutation.h"
#include "trees/tree.h"

namespace sylvane {

// Where one inherited item of the child came from.
enum class Inherited : uint8_t {
  kFirst = 0,   // the first parent (A)
  kSecond = 1,  // the second parent (B)
  kBlend = 2,   // blended from both
};

// How a program was spliced: ops [0, prefix_ops) of the prefix parent,
// followed by ops [suffix_start, suffix_start + suffix_ops) of the other.
struct SplicePlan {
  int prefix_parent = 0;  // 0 first parent, 1 second
  int prefix_ops = 0;     // ops taken from the front of the prefix parent (at least 1)
  int suffix_start = 0;   // index of the branch op in the suffix parent where the suffix starts
  int suffix_ops = 0;     // ops taken from there to the end (at least 1)
};

// What the child took from which parent.
struct CrossoverReport {
  std::array<Inherited, kCrossedParameterCount> parameters{};  // in CrossedParameterInfo order
  Inherited kind = Inherited::kFirst;
  Inherited split_spread = Inherited::kFirst;
  Inherited pen = Inherited::kFirst;  // mode, colour, brush, stamp interval
  struct Part {
    Inherited base = Inherited::kFirst;  // the parent whose part image was copied
    int graft = 0;                       // the other's part grafted into it: 0 not, 1 rooted, 2 tiled
  };
  std::array<Part, kPartCount> parts{};
  SplicePlan program;
  int attempts = 0;  // splices tried (the last one kept)
};

// Splices tried before the crossing is refused.
constexpr int kMaxSpliceAttempts = 16;

// Results of CrossTrees.
constexpr int kCrossOk = 0;
constexpr int kCrossRefused = -1;  // no sound program after kMaxSpliceAttempts splices; child unchanged

// The message and caption of a refused crossing ("%s" the two names).
inline constexpr char kCrossRefusedText[] =
    "「%s」と「%s」の成長プログラムをうまく組み合わせられませんでした。交配を中止します。";
inline constexpr char kCrossCaption[] = "交配";

// Crosses a (the first parent) with b into child. On success every field of
// child is replaced and kCrossOk returned; report, when given, says what came
// from where. When no sound program results after kMaxSpliceAttempts splices
// (a parent without a program, or unsound parents), shows the refusal message
// and returns kCrossRefused with child left as it was. The child is built
// aside and moved in at the end, so child may be one of the parents.
int CrossTrees(const Tree& a, const Tree& b, Tree& child, CrossoverReport* report = nullptr);

// Splices two programs as the plan says: prefix[0, plan.prefix_ops) then
// suffix[plan.suffix_start, ...). The suffix's first op hangs from the last
// branch of the prefix; other references of the suffix to ops before its
// start are moved to the prefix branch that lies as many branches before or
// after that one (clamped to the prefix's branches); loop branches of the
// prefix that pointed past the cut point to its last branch. Fired positions
// are cleared. References that were unsound already become -1, so the result
// fails ValidateGrowthProgram instead of pointing somewhere else.
std::vector<GrowthOp> SplicePrograms(const std::vector<GrowthOp>& prefix, const std::vector<GrowthOp>& suffix,
                                     const SplicePlan& plan);

// True when two programs are the same op for op (fired positions aside).
bool SameProgram(const std::vector<GrowthOp>& a, const std::vector<GrowthOp>& b);

// The child's name "A×B" from its parents' names, each side shortened when
// needed so that the whole fits Tree::kMaxText bytes without splitting a
// two-byte Shift-JIS character.
std::string BredName(const std::string& first, const std::string& second);

// Text cut to at most max_bytes bytes without splitting a Shift-JIS character.
std::string CutShiftJis(const std::string& text, size_t max_bytes);

}  // namespace sylvane
