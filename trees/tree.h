// The trees of the garden: one tree's growth program (GrowthOp), its drawing
// head (Pen), the tree itself (Tree) and the table of 100 tree slots
// (TreeTable) with the count of growing trees.
//
// A tree never stores its own picture: its pen paints straight into the
// canvas's tree layer and weight plane as it walks (trees/growth.h).
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canvas/image/surface.h"
#include "paint/brush.h"

namespace sylvane {

// Op codes of a growth program.
enum OpCode : int32_t {
  kOpBranch = 100,        // fork point; its fired position is where child segments start
  kOpFlower = 101,        // draws part image 0; places the name label while label state is 0
  kOpLeaf = 102,          // draws part image 2; places the name label while label state is 2
  kOpLoopPoint = 103,     // records a loop seed for a loop child
  kOpSecondFlower = 104,  // draws part image 1
};

// Part image slots of a tree.
enum PartSlot : int {
  kPartFlower = 0,
  kPartSecondFlower = 1,
  kPartLeaf = 2,
  kPartBranch = 3,  // stamped by the pen when its mode is not 1
};
constexpr int kPartCount = 4;

// One record of a growth program: ten int32 in this order (tree files store
// them exactly so).
struct GrowthOp {
  int32_t code = 0;            // op code (OpCode); other values never fire
  int32_t heading_offset = 0;  // degrees relative to the tree's base heading of the segment walked towards this op
  int32_t length = 0;          // pen steps walked from the parent's fired position before this op fires
  int32_t parent = 0;          // index of the branch op whose fired position the pen returns to
  int32_t aux = 0;             // carried unchanged into copies and offspring; growth never reads it
  int32_t spare = 0;           // carried unchanged; growth never reads it
  int32_t part_angle = 0;      // part ops: sprite angle relative to the pen heading, degrees; negative mirrors
  int32_t loop_branch = 0;     // loop point: index of the branch op at which a loop child starts
  int32_t fired_x = 0;         // pen x (canvas pixels from the left) recorded when the op fired
  int32_t fired_y = 0;         // pen y (canvas pixels from the top) recorded when the op fired
};

// The six parameters a pen's brush pattern is built from (paint/brush.h);
// the defaults are those of a new pen.
struct BrushParams {
  int32_t type = 1;        // pattern type 0..25 (other values behave as 1)
  int32_t width = 2;       // dab width, pixels
  int32_t height = 2;      // dab height, pixels
  int32_t strength = 100;  // opacity at the centre, 255ths
  int32_t edge = 60;       // level at the fall-off radius, 255ths of the centre level
  int32_t density = 80;    // percent of cells that receive paint
};

// A tree's drawing head.
struct Pen {
  int32_t heading = 0;           // degrees 0..359, counter-clockwise from +x, 90 = up the screen
  int32_t step_count = 0;        // pen steps since the last op fired
  int32_t heading_variance = 0;  // variance of the random turn per step
  int32_t x = 0;                 // position, canvas pixels from the left
  int32_t y = 0;                 // position, canvas pixels from the top
  BrushPattern brush;            // the dab stamped in mode 1, with its six parameters (type, width,
                                 // height, strength, edge, density); rebuilt before every stamp
  int32_t mode = 1;              // 1 stamps the brush pattern, any other value part image 3
  int32_t red = 221;             // pattern stamp colour, 0..255
  int32_t green = 213;
  int32_t blue = 159;
  int32_t stamp_interval = 0;    // a stamp every interval + 1 steps
  int32_t stamp_countdown = 0;   // steps left until the next stamp

  // A new pen with the construction values; builds its brush (type 1, 2 x 2,
  // strength 100, edge 60, density 80), which draws random numbers.
  Pen();
  Pen(const Pen&) = default;
  Pen& operator=(const Pen&) = default;

  // Builds the brush from the six parameters (draws random numbers).
  void SetBrush(const BrushParams& params);
  // The six parameters the brush holds now.
  BrushParams brush_params() const;
};

// Heritable parameters and pen settings handed to InitFromParameters.
struct TreeInit {
  std::string name;           // display name (Shift-JIS)
  std::string file_name;      // tree file name (Shift-JIS)
  int32_t kind = 0;           // 0 spreading, 1 rising
  uint8_t mutant = 0;         // 1 mutant
  int32_t x = 0;              // plant and pen position, canvas pixels
  int32_t y = 0;
  int32_t heading = 0;        // pen heading, degrees
  int32_t pen_mode = 1;       // 1 brush pattern, otherwise branch sprite
  int32_t split_distance = 0;
  int32_t split_spread = 0;   // only its low 8 bits are kept
  int32_t growth_speed = 0;
  int32_t split_chance = 0;
  int32_t split_max = 0;
  int32_t loop_chance = 0;
  int32_t mutation_chance = 0;
  int32_t part_jitter = 0;
  int32_t branch_jitter = 0;
};

// One tree. Field order follows the tree record.
struct Tree {
  static constexpr size_t kMaxText = 259;  // longest name or file name, bytes (char[260] with its NUL)

  int32_t kind = 0;             // 0 spreading (拡散型), 1 rising (上昇型)
  uint8_t mutant = 0;           // 1 when the tree is a mutant (変異種)
  int32_t growth_speed = 0;     // percent of the caller's step budget used per grow call
  int32_t split_distance = 0;   // mean offset of a split child, pixels
  int32_t split_spread = 0;     // variance of that offset
  int32_t split_chance = 0;     // percent chance that a finished tree splits
  int32_t split_max = 0;        // upper bound for the number of split children
  int32_t loop_chance = 0;      // percent chance that a loop point starts a loop child
  int32_t mutation_chance = 0;  // percent chance that a new child becomes a mutant
  int32_t part_jitter = 0;      // range of the random length change of non-branch ops
  int32_t branch_jitter = 0;    // the same for branch ops
  int32_t state = 0;            // slot state: 0 empty, 1 waiting for its turn, 2 handled / born this pass
  std::vector<GrowthOp> ops;    // the growth program; ops[0] is the root branch (op count = ops.size())
  Pen pen;                      // the drawing head
  std::array<PartImage, kPartCount> parts;      // 0 flower, 1 second flower, 2 leaf, 3 branch sprite
  std::array<uint8_t, kPartCount> part_present{};  // 1 when the matching part image was created
  std::string name;             // display name, Shift-JIS, at most kMaxText bytes
  std::string file_name;        // tree file it came from or was saved to, Shift-JIS
  int32_t plant_x = 0;          // where it was planted, canvas pixels from the left
  int32_t plant_y = 0;          // ... from the top
  uint8_t label_state = 0;      // 0 waiting for the first flower, 2 for the first leaf, 1 label placed
  uint32_t cursor = 0;          // index of the next op to execute

  // A cleared tree (kind 0, all parameters 0, no ops) with a new Pen, whose
  // brush is built with random draws.
  Tree() = default;

  uint32_t op_count() const { return static_cast<uint32_t>(ops.size()); }
  bool finished() const { return cursor >= op_count(); }
  bool HasFlower() const;  // any op is a flower (101)

  void ClearOps();
  // Appends a branch. On an empty list it creates the root {100, heading
  // offset, 0, 0, aux} (length and parent ignored). Otherwise the parent must
  // be an existing branch op: -1 and nothing changed if not. 0 on success.
  int AppendBranch(int32_t heading_offset, int32_t length, int32_t parent, int32_t aux);
  // Appends a flower, leaf or second flower {code, heading offset, length,
  // parent, 0, spare, part angle, 0, 0, 0}. -2 on an empty list, -1 when the
  // parent is out of range or not a branch (or the code is not a part op).
  int AppendPart(int32_t code, int32_t heading_offset, int32_t length, int32_t parent, int32_t spare,
                 int32_t part_angle);
  // Appends a copy of all ten fields (the caller keeps the invariants).
  void AppendCopy(const GrowthOp& op);

  // Plants the tree at (x, y): plant and pen position, heading 90 for a
  // rising tree else rand() % 360, cursor 0, state 1, label state 0 when the
  // program has a flower else 2. The pen's step count keeps its value.
  void Place(int32_t x, int32_t y);
  // Makes this tree a child: clears the ops, copies the strings and every
  // field of init (split spread reduced to its low 8 bits), pen position and
  // heading, step count 0, pen heading variance, colour, interval and brush
  // parameters from source (rebuilding the brush: draws), cursor 0, label
  // state 0. The stamp countdown keeps its value.
  void InitFromParameters(const TreeInit& init, const Pen& source);
  // The fresh default tree: the defaults of the tree and pen (pen mode 1),
  // the six colour parameters of the four part images 0, cursor 0. Rebuilds
  // the brush (type 1, 8 x 8, 150, 100, 90; draws).
  void InitDefault(const std::string& name, const std::string& file_name, int32_t kind, uint8_t mutant,
                   int32_t x, int32_t y, int32_t heading);
  // Creates the four part images afresh as copies of the given ones.
  void CopyParts(const std::array<PartImage, kPartCount>& from);
  // Frees the op list, the part images (part-present bytes 0) and the pen's
  // brush cells. Draws nothing.
  void Release();
};

// Default values of a fresh default tree.
inline constexpr int32_t kDefaultKind = 1;
inline constexpr int32_t kDefaultGrowthSpeed = 22;
inline constexpr int32_t kDefaultSplitDistance = 500;
inline constexpr int32_t kDefaultSplitSpread = 5000;
inline constexpr int32_t kDefaultSplitChance = 25;
inline constexpr int32_t kDefaultSplitMax = 1;
inline constexpr int32_t kDefaultLoopChance = 0;
inline constexpr int32_t kDefaultMutationChance = 12;
inline constexpr int32_t kDefaultPartJitter = 1;
inline constexpr int32_t kDefaultBranchJitter = 4;

// The built-in sample tree (new-tree command): init default with the name
// "エゾイチヤクソウ", file name "ファイル名", kind 1, followed by its 33-op
// program. The part images are not touched (load them separately).
void MakeSampleTree(Tree& tree, int32_t x, int32_t y, int32_t heading);

// True when growth can run the tree's program without reading outside it:
// op 0 is a branch, every later op's parent is an earlier branch op, and
// every loop point's loop branch is a branch op. Tree files with a program
// that fails this are refused; growth checks it too.
bool ValidateGrowthProgram(const Tree& tree);

// The table of exactly 100 tree slots plus the growing count.
class TreeTable {
 public:
  static constexpr int kSlots = 100;

  // Builds the 100 trees with their pens (draws random numbers).
  TreeTable();
  TreeTable(const TreeTable&) = delete;
  TreeTable& operator=(const TreeTable&) = delete;

  Tree& operator[](int i) { return *trees_[static_cast<size_t>(i)]; }
  const Tree& operator[](int i) const { return *trees_[static_cast<size_t>(i)]; }

  // Every slot's state and cursor 0; growing count 0 (slots keep their other contents).
  void ClearAll();
  // Lowest slot index with state 0, or -1 when all 100 are in use.
  int FirstEmptySlot() const;
  // Lowest slot index with state 0 other than `except`, or -1.
  int FirstEmptySlotExcept(int except) const;

  // The number of slots in state 1 or 2, as kept by the operations below.
  int growing_count() const { return growing_count_.load(std::memory_order_relaxed); }
  void CountUp() { SetCount(growing_count() + 1); }
  void CountDown() { SetCount(growing_count() - 1); }
  // Sets the count and tells the listener (the tree-count panel).
  void SetCount(int n);
  // The listener is called with the new count on whichever thread changed it
  // (the growth worker too), so it must only post a redraw, never block.
  void SetCountListener(std::function<void(int)> listener) { listener_ = std::move(listener); }

 private:
  std::array<std::unique_ptr<Tree>, kSlots> trees_;
  std::atomic<int> growing_count_{0};
  std::function<void(int)> listener_;
};

}  // namespace sylvane
