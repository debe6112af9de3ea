// Mutation handling: every tree born in the garden (loop child, split child,
// scattered copy) passes through HandleMutation right after it was made. The
// child always receives copies of its parent's part images; with the parent's
// mutation chance it becomes a mutant: it is crossed with a tree of the garden
// (part images grafted, parameters averaged), its part colours drift, one part
// is grafted with projection material from prj_data, and it is archived as a
// tree file as the mutant-saving setting says (ask, never, automatically).
//
// Reads a copy of the settings it needs (MutationSettings), never the
// program's settings themselves, so that it can run on the growth worker;
// questions, messages and the sound go through the platform seam, the save
// dialog through SaveTreeWithDialog (trees/ki_file.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "canvas/image/surface.h"
#include "platform/platform.h"
#include "trees/growth.h"
#include "trees/mutation_settings.h"
#include "trees/tree.h"

namespace sylvane {

struct MInitInfo;

// Runs mutation handling for the new child of parent with the environment's
// table and mutation settings (GrowthEnv::mutate). Returns 0.
int HandleMutation(const GrowthEnv& env, Tree& parent, Tree& child);
// The same with a given table as the garden (crossover partners).
int HandleMutationIn(TreeTable& table, const MutationSettings& settings, Tree& parent, Tree& child);

// The copy of the settings that mutation handling reads, with the platform's
// program folder.
MutationSettings MutationSettingsFrom(const MInitInfo& settings);

// The nine parameters that crossing two trees blends, in the order the
// crossing draws for them: split chance, mutation chance, growth speed,
// split distance, split maximum, loop chance, part jitter, branch jitter and
// the pen's heading variance. Each is kept within 0..max when blended.
constexpr int kCrossedParameterCount = 9;
struct CrossedParameter {
  const char* name;  // short English name for reports ("split_chance", ...)
  int32_t max;       // upper bound of a blended value (the lower bound is 0)
};
const CrossedParameter& CrossedParameterInfo(int index);
// The parameter `index` (0..kCrossedParameterCount - 1) of tree.
int32_t& CrossedParameterOf(Tree& tree, int index);
int32_t CrossedParameterOf(const Tree& tree, int index);
// The blend of two values: trunc((theirs + mine) * 0.5) limited to 0..max.
int32_t BlendCrossedParameter(int32_t mine, int32_t theirs, int32_t max);
// One part graft of a crossing: way 1 grafts source rooted into target, way 2
// tiled, any other way leaves target as it is.
void GraftPart(PartImage& target, const PartImage& source, int way);

// Paints source into target's visible pixels with the source's colour
// offsets and 80 % of its alpha, the two roots (parameters 1 and 2) laid on
// each other. Source column 0 is never used. Target alpha is unchanged.
void GraftRooted(PartImage& target, const PartImage& source);
// The same with the source repeated from the target's top-left corner; the
// roots play no part.
void GraftTiled(PartImage& target, const PartImage& source);

// Loads the projection description `description` (in program_folder/prj_data)
// into a temporary tree and grafts its part 0 into target: tiled for way 1,
// rooted otherwise. Nothing happens when it cannot be loaded (the loaders'
// messages). Returns 0 when grafted, -1 otherwise.
int GraftProjection(PartImage& target, const std::string& program_folder, const std::string& description,
                    int way);

// Keeps the mutant archive bounded: counts the "*.ki" files of folder and
// finds the one created first. Below limit: returns the count. Otherwise
// deletes that file and returns count - 1; -1 when it cannot be deleted (so a
// caller's pruning loop ends instead of spinning).
int PruneArchive(const std::string& folder, int limit);

// The archive file name of a mutant of a tree named parent_name, made at
// time t: "<name>_<month>_<day>_<hour>_<minute>_<second>_<ms>.ki", with the
// characters a file name cannot hold (\ / : * ? " < > |) in the name turned
// into '_' (Shift-JIS trail bytes left alone).
std::string ArchiveFileName(const std::string& parent_name, const LocalTime& t);

// Plays the mutation sound (program_folder/sound/<sound file>) when the
// setting is on and a file is chosen. On the growth worker it plays to its
// end before mutation handling goes on (so a burst of mutants is heard one by
// one); on the interface thread (the daily pass, planting) it plays on while
// the windows keep answering. `wait` says which; the first form asks the
// platform which thread it runs on.
void PlayMutationSound(const MutationSettings& settings);
void PlayMutationSound(const MutationSettings& settings, SoundWait wait);

// The main window's update timer is stopped while the "ask" question is on
// screen and started again afterwards; the Windows program installs these.
void SetMutationTimerHooks(std::function<void()> stop_timer, std::function<void()> start_timer);

}  // namespace sylvane
