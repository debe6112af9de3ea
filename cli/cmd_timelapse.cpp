// sylvane-cli timelapse GARDEN.syl OUT.(webp|gif) --passes N --every K
//                       [--mode M | --renderer R] [--fps F] [--size WxH]
// Grows the garden in memory by N growth passes (budget 200, as the update
// cycle does) and writes an animation of it: the lit garden as opened, then
// after every K passes (1 + N / K frames). The garden file is never written
// and no mutant is archived. The lighting is the settings' lighting mode
// unless --mode names another (0..27) or --renderer picks a renderer; modes
// that choose their renderer at every render do so at every frame. Frames are
// the garden's size unless --size gives another; --fps (1..50, default 10)
// sets the speed. A progress bar goes to stderr when it is a terminal.
#include <cstdio>
#include <string>
#include <vector>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "canvas/garden.h"
#include "canvas/image/animation.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "trees/growth.h"
#include "trees/planting.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] =
    "timelapse GARDEN.syl OUT.(webp|gif) --passes N --every K [--mode M | --renderer R] [--fps F] [--size WxH]";
constexpr int kBarWidth = 30;
constexpr int kDefaultFps = 10;

int Fail(const std::string& text) { return UsageError("timelapse", kUsage, text); }

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// What the command was asked for.
struct TimelapseRequest {
  std::string garden;
  std::string out;
  int passes = 0;     // growth passes in all
  int every = 1;      // passes between frames
  int mode = -1;      // lighting mode, or -1 for the settings'
  int renderer = -1;  // fixed renderer, or -1 to choose by mode
  int fps = kDefaultFps;
  int width = 0;      // frame size; 0 x 0: the garden's
  int height = 0;
};

// Parses the arguments; an empty string when they fit, else the reason.
std::string ParseRequest(const std::vector<std::string>& raw, TimelapseRequest& r) {
  Args args(raw);
  const auto passes = args.Value("--passes");
  const auto every = args.Value("--every");
  const auto mode = args.Value("--mode");
  const auto renderer = args.Value("--renderer");
  const auto fps = args.Value("--fps");
  const auto size = args.Value("--size");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return error;
  if (files.size() != 2) return "needs GARDEN.syl and OUT";
  r.garden = files[0];
  r.out = files[1];
  AnimationFormat format;
  if (!AnimationFormatForPath(r.out, format)) return "OUT must end in .webp or .gif";
  if (!passes || !ParseInt(*passes, r.passes) || r.passes < 0) return "--passes needs a number >= 0";
  if (!every || !ParseInt(*every, r.every) || r.every < 1) return "--every needs a number >= 1";
  if (mode && renderer) return "--mode and --renderer exclude each other";
  if (mode && (!ParseInt(*mode, r.mode) || r.mode < 0 || r.mode >= kLightingModeCount))
    return "--mode needs a number 0..27";
  if (renderer && (!ParseInt(*renderer, r.renderer) || r.renderer < 0 || r.renderer >= kRendererCount))
    return "--renderer needs a number 0..32";
  if (fps && (!ParseInt(*fps, r.fps) || r.fps < 1 || r.fps > kMaxAnimationFps)) return "--fps needs a number 1..50";
  if (size && (!ParseSize(*size, r.width, r.height) || !IsAcceptableSize(r.width, r.height)))
    return "--size needs WxH, each 1..16384";
  return {};
}

// Renders the garden with the request's lighting and adds it as a frame.
int AddGardenFrame(const Canvas& canvas, const TimelapseRequest& r, AnimationWriter& writer, Surface& lit,
                   Surface& sized) {
  const int renderer = r.renderer >= 0 ? r.renderer : ChooseRenderer(r.mode >= 0 ? r.mode : CurrentLightingMode());
  if (RenderLayers(renderer, canvas.background, canvas.trees, canvas.weight, lit) != kRenderOk) {
    std::fprintf(stderr, "timelapse: the canvas layers differ in size\n");
    return 1;
  }
  const Surface* frame = &lit;
  if (lit.width != r.width || lit.height != r.height) {
    if (FitFrame(lit, r.width, r.height, sized) != 0) {
      std::fprintf(stderr, "timelapse: cannot make a %dx%d frame\n", r.width, r.height);
      return 1;
    }
    frame = &sized;
  }
  return writer.AddFrame(*frame) == kAnimationOk ? 0 : 1;
}

int RunTimelapse(const GlobalOptions& global, const std::vector<std::string>& raw) {
  TimelapseRequest r;
  const std::string error = ParseRequest(raw, r);
  if (!error.empty()) return Fail(error);

  LoadSettingsForCli();
  if (OpenGardenForCli(global, r.garden) != 0) return 1;
  Garden& garden = CliGarden();
  Canvas& canvas = garden.canvas;
  if (!canvas.exists) {
    ShowNoCanvasMessage();
    return 1;
  }
  if (r.width == 0) {
    r.width = canvas.width();
    r.height = canvas.height();
  }

  AnimationWriter writer;
  if (writer.Open(r.out, r.width, r.height, r.fps) != kAnimationOk) {
    std::fprintf(stderr, "timelapse: cannot write %s\n", r.out.c_str());
    return 1;
  }
  GrowthEnv env = MakeGrowthEnv(canvas, garden.table, garden.labels, Settings());
  // Only the animation is written: mutants are made but never archived.
  env.mutation.mutant_handling = 1;
  const bool bar = StderrIsTerminal();
  Surface lit, sized;
  if (AddGardenFrame(canvas, r, writer, lit, sized) != 0) return 1;
  for (int pass = 1; pass <= r.passes; ++pass) {
    GrowthPass(garden.table, env, kPeriodicBudget);
    if (pass % r.every == 0 && AddGardenFrame(canvas, r, writer, lit, sized) != 0) return 1;
    if (bar) {
      const std::string tail = " passes, " + std::to_string(writer.frame_count()) + " frames";
      DrawProgressBar(pass, r.passes, kBarWidth, tail);
    }
  }
  const int frames = writer.frame_count();
  if (writer.Finish() != kAnimationOk) return 1;
  std::printf("%s: %d frames, %dx%d, %d passes\n", r.out.c_str(), frames, r.width, r.height, r.passes);
  return 0;
}

const Command kTimelapse{"timelapse", kUsage, RunTimelapse};
const Registration reg{kTimelapse};

}  // namespace
}  // namespace sylvane::cli
