// sylvane-cli diary DIR OUT.(webp|gif) [--fps F] [--size WxH]
// Assembles the pictures of a diary folder ("YYYY-MM-DD.jpg", as the program
// writes them) into an animation in date order, one picture a frame. Other
// files and pictures that cannot be read are skipped with one line each on
// stderr. Frames are the first picture's size unless --size gives another;
// pictures of another size are fitted to it. --fps 1..50, default 10.
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/diary.h"
#include "canvas/image/animation.h"
#include "canvas/image/image_io.h"
#include "cli/command.h"
#include "platform/folder_list.h"
#include "platform/text.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "diary DIR OUT.(webp|gif) [--fps F] [--size WxH]";
constexpr int kDefaultFps = 10;

int Fail(const std::string& text) { return UsageError("diary", kUsage, text); }

int RunDiary(const GlobalOptions&, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto fps_text = args.Value("--fps");
  const auto size_text = args.Value("--size");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error);
  if (files.size() != 2) return Fail("needs DIR and OUT");
  const std::string& folder = files[0];
  const std::string& out = files[1];
  AnimationFormat format;
  if (!AnimationFormatForPath(out, format)) return Fail("OUT must end in .webp or .gif");
  int fps = kDefaultFps, width = 0, height = 0;
  if (fps_text && (!ParseInt(*fps_text, fps) || fps < 1 || fps > kMaxAnimationFps))
    return Fail("--fps needs a number 1..50");
  if (size_text && (!ParseSize(*size_text, width, height) || !IsAcceptableSize(width, height)))
    return Fail("--size needs WxH, each 1..16384");
  if (!FolderExists(folder)) {
    std::fprintf(stderr, "diary: %s is not a folder\n", folder.c_str());
    return 1;
  }

  std::vector<std::string> others;
  const std::vector<DiaryEntry> entries = ListDiaryFolder(folder, &others);
  for (const std::string& name : others) std::fprintf(stderr, "diary: skipped %s: not a diary picture\n", name.c_str());

  AnimationWriter writer;
  Surface picture, sized;
  for (const DiaryEntry& e : entries) {
    const std::string name = FileNamePart(e.path);
    if (ReadJpeg(e.path, picture, false) != 0) {
      std::fprintf(stderr, "diary: skipped %s: cannot be read as a JPEG picture\n", name.c_str());
      continue;
    }
    if (!writer.is_open()) {
      if (width == 0) {
        width = picture.width;
        height = picture.height;
      }
      if (writer.Open(out, width, height, fps) != kAnimationOk) {
        std::fprintf(stderr, "diary: cannot write %s\n", out.c_str());
        return 1;
      }
    }
    const Surface* frame = &picture;
    if (picture.width != width || picture.height != height) {
      if (FitFrame(picture, width, height, sized) != 0) {
        std::fprintf(stderr, "diary: skipped %s: cannot be fitted to %dx%d\n", name.c_str(), width, height);
        continue;
      }
      frame = &sized;
    }
    if (writer.AddFrame(*frame) != kAnimationOk) {
      std::fprintf(stderr, "diary: cannot write %s\n", out.c_str());
      return 1;
    }
  }
  if (!writer.is_open()) {
    std::fprintf(stderr, "diary: no diary pictures in %s\n", folder.c_str());
    return 1;
  }
  const int frames = writer.frame_count();
  if (writer.Finish() != kAnimationOk) return 1;
  std::printf("%s: %d frames, %dx%d\n", out.c_str(), frames, width, height);
  return 0;
}

const Command kDiary{"diary", kUsage, RunDiary};
const Registration reg{kDiary};

}  // namespace
}  // namespace sylvane::cli
