// sylvane-cli breed A.ki B.ki OUT.ki [--count N] [--report]
// Crosses two tree files into new ones (trees/crossover.h). One child is
// written to OUT.ki; with --count N above 1 the children are OUT-1.ki ..
// OUT-N.ki (the number goes before the extension). The generator is seeded
// before the parents are loaded, so --seed gives the same children. --report
// says for every child which parameters, parts and program pieces came from
// A, from B or from both.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/text.h"
#include "trees/crossover.h"
#include "trees/ki_file.h"
#include "trees/mutation.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "breed A.ki B.ki OUT.ki [--count N] [--report]";
constexpr int kMaxChildren = 1000;

int Fail(const std::string& text) { return UsageError("breed", kUsage, text); }

const char* Letter(Inherited from) {
  switch (from) {
    case Inherited::kFirst: return "A";
    case Inherited::kSecond: return "B";
    case Inherited::kBlend: return "A+B";
  }
  return "?";
}

// OUT.ki for one child; OUT-n.ki for child n of several.
std::string ChildPath(const std::string& out, int n, int count) {
  if (count == 1) return out;
  const size_t separator = LastPathSeparator(out);
  const size_t dot = out.find_last_of('.');
  const bool has_extension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
  const std::string number = "-" + std::to_string(n);
  return has_extension ? out.substr(0, dot) + number + out.substr(dot) : out + number;
}

void PrintReport(const CrossoverReport& r, const Tree& child) {
  static const char* const kPartNames[kPartCount] = {"flower", "second_flower", "leaf", "branch_sprite"};
  static const char* const kGraftWays[3] = {"none", "rooted", "tiled"};
  const SplicePlan& p = r.program;
  const char* prefix = p.prefix_parent == 0 ? "A" : "B";
  const char* suffix = p.prefix_parent == 0 ? "B" : "A";
  std::printf("  program: ops 0..%d of %s, then ops %d..%d of %s (%u ops, splice %d)\n", p.prefix_ops - 1, prefix,
              p.suffix_start, p.suffix_start + p.suffix_ops - 1, suffix, child.op_count(), r.attempts);
  std::printf("  kind: %s (%d)\n", Letter(r.kind), child.kind);
  std::printf("  split_spread: %s (%d)\n", Letter(r.split_spread), child.split_spread);
  std::printf("  pen: %s (mode %d)\n", Letter(r.pen), child.pen.mode);
  for (int i = 0; i < kCrossedParameterCount; ++i)
    std::printf("  %s: %s (%d)\n", CrossedParameterInfo(i).name, Letter(r.parameters[size_t(i)]),
                CrossedParameterOf(child, i));
  for (int i = 0; i < kPartCount; ++i) {
    const CrossoverReport::Part& part = r.parts[size_t(i)];
    const char* other = part.base == Inherited::kFirst ? "B" : "A";
    std::printf("  part %s: %s, %s grafted %s\n", kPartNames[i], Letter(part.base), other,
                kGraftWays[part.graft >= 0 && part.graft < 3 ? part.graft : 0]);
  }
}

int RunBreed(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool report = args.Flag("--report");
  int count = 1;
  if (auto value = args.Value("--count")) {
    if (!ParseInt(*value, count) || count < 1 || count > kMaxChildren) return Fail("--count must be 1..1000");
  }
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error);
  if (files.size() != 3) return Fail("needs A.ki, B.ki and OUT.ki");

  global.SeedNow();
  Tree a, b;
  if (LoadTreeFile(a, files[0]) != 0 || LoadTreeFile(b, files[1]) != 0) return 1;
  if (report) {
    std::printf("A: %s (%s)\n", SjisToUtf8(a.name).c_str(), files[0].c_str());
    std::printf("B: %s (%s)\n", SjisToUtf8(b.name).c_str(), files[1].c_str());
  }
  for (int n = 1; n <= count; ++n) {
    Tree child;
    CrossoverReport r;
    if (CrossTrees(a, b, child, &r) != kCrossOk) return 1;
    const std::string path = ChildPath(files[2], n, count);
    if (SaveTreeFile(child, path) != 0) return 1;
    std::printf("%s: %s\n", path.c_str(), SjisToUtf8(child.name).c_str());
    if (report) PrintReport(r, child);
  }
  return 0;
}

const Command kBreed{"breed", kUsage, RunBreed};
static Registration reg{kBreed};

}  // namespace
}  // namespace sylvane::cli
