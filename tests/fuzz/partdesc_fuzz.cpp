// Fuzz target for plant part descriptions: the text is parsed on its own and
// then read from the two data folders, "imgb/fuzz.txt" for the sample tree's
// four parts and "prj_data/fuzz.dat" as a projection part, next to a few small
// pictures the description may name. Parsing matches 0..7 lines and changes
// only the parameters of matched lines; loading never faults, and a part that
// loads has a picture with an alpha plane of its size.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/file_io.h"
#include "platform/text.h"
#include "canvas/image/image_io.h"
#include "support/recording_platform.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace {

using sylvane::fuzz::Check;
using sylvane::fuzz::WriteQuickly;

using namespace sylvane;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A program folder with imgb/ and prj_data/ holding small pictures of every
// type, made once.
const std::string& ProgramFolder() {
  static testing::TempDir* dir = new testing::TempDir();
  static bool made = [] {
    Surface s;
    s.CreateFilled(5, 4, 90);
    AlphaPlane a;
    a.CreateFilled(5, 4, 128);
    std::vector<uint8_t> png, bmp, jpg;
    Check(EncodePng(s, &a, png) && EncodeBmp(s, bmp) && EncodeJpeg(s, 80, jpg));
    for (const char* sub : {"imgb", "prj_data"}) {
      const std::string folder = JoinPath(dir->path(), sub);
      std::filesystem::create_directories(folder);
      WriteQuickly(JoinPath(folder, "pic.png"), png);
      WriteQuickly(JoinPath(folder, "pic.bmp"), bmp);
      WriteQuickly(JoinPath(folder, "pic.jpg"), jpg);
      WriteQuickly(JoinPath(folder, "junk.png"), "not a picture", 13);
    }
    return true;
  }();
  (void)made;
  return dir->path();
}

void CheckPart(const PartImage& part) {
  Check(!part.surface.empty());
  Check(part.alpha.width == part.surface.width && part.alpha.height == part.surface.height);
  Check(part.alpha.bytes.size() == size_t(part.alpha.width) * size_t(part.alpha.height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::RecordingPlatform* platform = new testing::RecordingPlatform();
  const std::string& program = ProgramFolder();
  platform->messages.clear();
  platform->program_folder = program;

  // Parsing alone: unmatched lines keep the values that were there.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string name = "before";
  std::array<int32_t, 12> params;
  params.fill(-7);
  const int matched = ParsePartDescription(text, name, params);
  Check(matched >= 0 && matched <= 7);
  if (matched == 0) Check(name == "before");
  Check(!name.empty() && name.size() <= 259);
  for (char c : name) Check(!IsBlank(c));
  // Lines in file order: root x, root y, alpha, red, green, blue.
  static const int kOrder[6] = {1, 2, 0, 3, 4, 5};
  for (int line = 1; line < 7; ++line)
    if (line >= matched) Check(params[size_t(kOrder[line - 1])] == -7);
  for (size_t i = 6; i < 12; ++i) Check(params[i] == -7);  // never set by a description

  // The same text as description files.
  if (!WriteQuickly(JoinPath(JoinPath(program, kSamplePartFolder), "fuzz.txt"), data, size) ||
      !WriteQuickly(JoinPath(JoinPath(program, kProjectionFolder), "fuzz.dat"), data, size))
    return 0;
  Tree tree;
  int loaded = -1;
  const std::array<std::string, kPartCount> names = {"imgb/fuzz.txt", "imgb/fuzz.txt", "imgb/fuzz.txt",
                                                     "imgb/missing.txt"};
  Check(LoadSampleParts(tree, program, names, &loaded) == 0);
  Check(loaded == 0 || loaded == 3);
  for (int i = 0; i < loaded; ++i) CheckPart(tree.parts[size_t(i)]);
  Check(tree.parts[3].surface.empty());

  Tree projected;
  if (LoadProjectionPart(projected, program, "fuzz.dat") == 0) {
    CheckPart(projected.parts[0]);
    Check(loaded == 3);
  }
  return 0;
}
