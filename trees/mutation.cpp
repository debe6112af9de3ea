#include "trees/mutation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

#include "base/random.h"
#include "canvas/image/luma_hue.h"
#include "canvas/records/settings.h"
#include "platform/folder_list.h"
#include "platform/text.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"

namespace sylvane {
namespace {

struct TimerHooks {
  std::mutex mutex;
  std::function<void()> stop;
  std::function<void()> start;
};
TimerHooks& Hooks() {
  static TimerHooks hooks;
  return hooks;
}

void RunHook(bool stop) {
  std::function<void()> f;
  {
    std::lock_guard<std::mutex> lock(Hooks().mutex);
    f = stop ? Hooks().stop : Hooks().start;
  }
  if (f) f();
}

// A part image is usable as a graft partner when its alpha plane covers its picture.
bool HasPixels(const PartImage& p) {
  return !p.surface.empty() && p.alpha.bytes.size() == size_t(p.surface.width) * size_t(p.surface.height);
}

int ClampByte(int64_t v) { return int(std::clamp<int64_t>(v, 0, 255)); }

// Brings a hue into 0..255 by adding or subtracting 255.
float WrapHue(float hue) {
  if (!std::isfinite(hue)) return 127.5f;
  if (std::fabs(hue) > 1e6f) hue = std::fmod(hue, 255.0f);
  while (hue < 0.0f) hue += 255.0f;
  while (hue > 255.0f) hue -= 255.0f;
  return hue;
}

// Blends one source pixel (bgr, alpha a) tinted by the source's offsets into
// one target pixel.
void BlendGraftPixel(uint8_t* t, const uint8_t* s, int a, const PartImage& source) {
  LumaHue c = LumaHueForward(s[2], s[1], s[0]);
  int luma = ClampByte(int64_t(c.luma) + source.params[kParamLumaOffset]);
  float hue = WrapHue(c.hue + float(source.params[kParamHueOffset]));
  float chroma = float(std::clamp(double(c.chroma) + source.params[kParamChromaOffset], 0.0, 255.0));
  int red, green, blue;
  LumaHueInverse(luma, hue, chroma, red, green, blue);
  const int o = int(a * 0.8);
  const int colour[3] = {blue, green, red};
  for (int k = 0; k < 3; ++k) t[k] = uint8_t(std::min(255, (o * colour[k] + t[k] * (255 - o)) / 255));
}

// Shared walk of both grafts: pick(x, y, sx, sy) maps a target pixel (rows
// from the top) to a source pixel and says whether there is one.
template <typename Pick>
void Graft(PartImage& target, const PartImage& source, Pick pick) {
  if (!HasPixels(target) || !HasPixels(source)) return;
  Surface& ts = target.surface;
  const Surface& ss = source.surface;
  for (int32_t y = 0; y < ts.height; ++y) {
    const uint8_t* talpha = target.alpha.BufferRow(ts.height - 1 - y);
    for (int32_t x = 0; x < ts.width; ++x) {
      if (talpha[x] == 0) continue;
      int64_t sx, sy;
      if (!pick(x, y, sx, sy)) continue;
      const int a = source.alpha.BufferRow(int32_t(ss.height - 1 - sy))[sx];
      if (a == 0) continue;
      BlendGraftPixel(ts.PixelAt(x, y), ss.PixelAt(int32_t(sx), int32_t(sy)), a, source);
    }
  }
}

// One drifting offset: an odd draw adds, an even one subtracts rand() % step;
// a magnitude above 255 starts again from rand() % 255.
void DriftOffset(int32_t& v, int step) {
  int64_t n = (Rand() & 1) ? int64_t(v) + Rand() % step : int64_t(v) - Rand() % step;
  if (n > 255 || n < -255) n = Rand() % 255;
  v = int32_t(n);
}

// One drifting range: grows by rand() % 10; above 100 it starts again from rand() % 100.
void DriftRange(int32_t& v) {
  int64_t n = int64_t(v) + Rand() % 10;
  if (n > 100) n = Rand() % 100;
  v = int32_t(n);
}

void Crossover(Tree& k, const Tree& q) {
  for (int i = 0; i < kCrossedParameterCount; ++i) {
    if (Rand() % 100 >= 35) continue;
    int32_t& mine = CrossedParameterOf(k, i);
    mine = BlendCrossedParameter(mine, CrossedParameterOf(q, i), CrossedParameterInfo(i).max);
  }
}

std::string CutText(std::string s) {
  if (s.size() <= Tree::kMaxText) return s;
  size_t i = 0, keep = 0;
  while (i < Tree::kMaxText) {
    size_t n = IsSjisLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + n > Tree::kMaxText) break;
    i += n;
    keep = i;
  }
  s.resize(keep);
  return s;
}

void ArchiveMutant(const MutationSettings& settings, const Tree& parent, Tree& child) {
  switch (settings.mutant_handling) {
    case 0: {
      PlayMutationSound(settings);
      RunHook(true);
      char text[600];
      std::snprintf(text, sizeof text, "%sの変異種が発生しました。保存しますか？", parent.name.c_str());
      if (Ask(text, "変異種発生", QuestionButtons::kYesNo) == Answer::kYes) {
        child.cursor = 0;
        // The settings belong to the interface thread: the folder the user
        // ended in goes back through chosen_folder.
        std::string folder = settings.save_trees_folder;
        SaveTreeWithDialog(child, folder);
        if (settings.chosen_folder) *settings.chosen_folder = folder;
      } else {
        child.file_name = CutText(parent.file_name + "_var");
      }
      RunHook(false);
      break;
    }
    case 2: {
      PlayMutationSound(settings);
      const std::string& folder = settings.archive_folder;
      const int limit = settings.archive_limit;
      int count;
      do {
        count = PruneArchive(folder, limit);
      } while (count >= limit && count > 0);
      SaveTreeFile(child, JoinPath(folder, ArchiveFileName(parent.name, GetPlatform().Now())));
      break;
    }
    default:
      break;
  }
}

}  // namespace

const CrossedParameter& CrossedParameterInfo(int index) {
  static const CrossedParameter kParams[kCrossedParameterCount] = {
      {"split_chance", 100},   {"mutation_chance", 100}, {"growth_speed", 100},
      {"split_distance", 300}, {"split_max", 4},         {"loop_chance", 100},
      {"part_jitter", 50},     {"branch_jitter", 50},    {"heading_variance", 50},
  };
  return kParams[index];
}

int32_t& CrossedParameterOf(Tree& tree, int index) {
  static int32_t Tree::*const kFields[kCrossedParameterCount - 1] = {
      &Tree::split_chance, &Tree::mutation_chance, &Tree::growth_speed, &Tree::split_distance,
      &Tree::split_max,    &Tree::loop_chance,     &Tree::part_jitter,  &Tree::branch_jitter,
  };
  return index == kCrossedParameterCount - 1 ? tree.pen.heading_variance : tree.*kFields[index];
}

int32_t CrossedParameterOf(const Tree& tree, int index) { return CrossedParameterOf(const_cast<Tree&>(tree), index); }

int32_t BlendCrossedParameter(int32_t mine, int32_t theirs, int32_t max) {
  const int64_t v = int64_t(std::trunc((double(theirs) + double(mine)) * 0.5));
  return int32_t(std::clamp<int64_t>(v, 0, max));
}

void GraftPart(PartImage& target, const PartImage& source, int way) {
  if (way == 1)
    GraftRooted(target, source);
  else if (way == 2)
    GraftTiled(target, source);
}

void GraftRooted(PartImage& target, const PartImage& source) {
  const int64_t tx = target.params[kParamRootX], ty = target.params[kParamRootY];
  const int64_t rx = source.params[kParamRootX], ry = source.params[kParamRootY];
  const int64_t sw = source.surface.width, sh = source.surface.height;
  Graft(target, source, [&](int32_t x, int32_t y, int64_t& sx, int64_t& sy) {
    sx = x - tx + rx;
    sy = y - ty + ry;
    return sx > 0 && sx < sw && sy >= 0 && sy < sh;
  });
}

void GraftTiled(PartImage& target, const PartImage& source) {
  const int64_t sw = source.surface.width, sh = source.surface.height;
  Graft(target, source, [&](int32_t x, int32_t y, int64_t& sx, int64_t& sy) {
    sx = x % sw;
    sy = y % sh;
    return true;
  });
}

int GraftProjection(PartImage& target, const std::string& program_folder, const std::string& description,
                    int way) {
  Tree temporary;
  if (LoadProjectionPart(temporary, program_folder, description) != 0) return -1;
  if (way == 1)
    GraftTiled(target, temporary.parts[kPartFlower]);
  else
    GraftRooted(target, temporary.parts[kPartFlower]);
  return 0;
}

int PruneArchive(const std::string& folder, int limit) {
  std::vector<FolderEntry> files;
  ListFolderFiles(folder, ".ki", files);
  const int count = int(files.size());
  if (count < limit || count == 0) return count;
  // The first created; equal times fall back to the name, so the choice never
  // depends on the listing order.
  auto first = std::min_element(files.begin(), files.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return a.created != b.created ? a.created < b.created : a.name < b.name;
  });
  if (!DeleteFileAt(JoinPath(folder, first->name))) return -1;
  return count - 1;
}

std::string ArchiveFileName(const std::string& parent_name, const LocalTime& t) {
  std::string name = parent_name;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsSjisLeadByte(c) && i + 1 < name.size()) {
      ++i;  // the trail byte may look like '\' or '|'
      continue;
    }
    if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
      name[i] = '_';
  }
  char tail[120];
  std::snprintf(tail, sizeof tail, "_%d_%d_%d_%d_%d_%d.ki", t.month, t.day, t.hour, t.minute, t.second,
                t.milliseconds);
  return name + tail;
}

void PlayMutationSound(const MutationSettings& settings) {
  PlayMutationSound(settings, GetPlatform().OnInterfaceThread() ? SoundWait::kNo : SoundWait::kToEnd);
}

void PlayMutationSound(const MutationSettings& settings, SoundWait wait) {
  if (!settings.sound || settings.sound_file.empty()) return;
  GetPlatform().PlaySoundWaiting(JoinPath(JoinPath(settings.program_folder, "sound"), settings.sound_file), wait);
}

MutationSettings MutationSettingsFrom(const MInitInfo& s) {
  MutationSettings m;
  m.mutant_handling = s.mutant_handling;
  m.save_trees_folder = s.folders[kFolderSaveTrees];
  m.archive_folder = s.folders[kFolderMutantArchive];
  m.archive_limit = s.mutant_file_count;
  m.sound = s.mutation_sound != 0;
  m.sound_file = s.sound_file;
  m.program_folder = GetPlatform().ProgramFolder();
  return m;
}

void SetMutationTimerHooks(std::function<void()> stop_timer, std::function<void()> start_timer) {
  std::lock_guard<std::mutex> lock(Hooks().mutex);
  Hooks().stop = std::move(stop_timer);
  Hooks().start = std::move(start_timer);
}

int HandleMutation(const GrowthEnv& env, Tree& parent, Tree& child) {
  if (!env.table) {
    child.CopyParts(parent.parts);
    return 0;
  }
  return HandleMutationIn(*env.table, env.mutation, parent, child);
}

int HandleMutationIn(TreeTable& table, const MutationSettings& settings, Tree& parent, Tree& child) {
  // 1. The child always draws with its parent's parts.
  child.CopyParts(parent.parts);
  // 2-3. With the parent's mutation chance it becomes a mutant.
  if (Rand() % 100 >= parent.mutation_chance) return 0;
  child.mutant = 1;

  // 4. Crossover with a tree among the leading run of growing slots.
  int n = 0;
  while (n < TreeTable::kSlots && (table[n].state == 1 || table[n].state == 2)) ++n;
  if (n > 0) {
    const Tree& partner = table[Rand() % n];
    for (int i = 0; i < kPartCount; ++i) GraftPart(child.parts[size_t(i)], partner.parts[size_t(i)], Rand() % 3);
    Crossover(child, partner);
  }

  // 5. Colour drift of the part images 0, 2, 3, 1.
  for (int i : {0, 2, 3, 1}) {
    auto& p = child.parts[size_t(i)].params;
    DriftOffset(p[kParamLumaOffset], 10);
    DriftOffset(p[kParamHueOffset], 30);
    DriftOffset(p[kParamChromaOffset], 30);
    DriftRange(p[kParamLumaRange]);
    DriftRange(p[kParamHueRange]);
    DriftRange(p[kParamChromaRange]);
  }

  // 6. New material from a projection description.
  Rand();
  static const int kPartOfDraw[4] = {kPartFlower, kPartLeaf, kPartBranch, kPartSecondFlower};
  PartImage& target = child.parts[size_t(kPartOfDraw[Rand() % 4])];
  const std::string& program_folder = settings.program_folder;
  std::vector<std::string> names = ListProjectionDescriptions(program_folder);
  if (!names.empty()) {
    const std::string& name = names[size_t(Rand()) % names.size()];
    const int way = Rand() % 2;
    GraftProjection(target, program_folder, name, way);
  }

  // 7. Archive it.
  if (!child.ops.empty()) ArchiveMutant(settings, parent, child);
  return 0;
}

}  // namespace sylvane
