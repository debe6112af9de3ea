#include "trees/part_data.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/file_io.h"
#include "base/random.h"
#include "canvas/image/image_io.h"
#include "canvas/image/luma_hue.h"
#include "platform/folder_list.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane {

const std::array<std::string, kPartCount> kSamplePartDescriptions = {
    "imgb/ezoichiyakusou_hana.txt",
    "imgb/ezoichiyakusou_hana2.txt",
    "imgb/ezoichiyakusou_happa.txt",
    "imgb/dummy_eda.txt",
};

namespace {

// Longest image name kept (the name buffer is char[260]).
constexpr size_t kMaxImageName = 259;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// "%s": the first word of the line, after leading blanks.
bool ScanWord(std::string_view line, std::string& word) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  size_t start = i;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  if (i == start) return false;
  word.assign(line.substr(start, std::min(i - start, kMaxImageName)));
  return true;
}

// "<key>=%d": the key literally at the start of the line, then an integer
// after optional blanks and sign. Values beyond the int32 range saturate.
bool ScanKeyInt(std::string_view line, std::string_view key, int32_t& value) {
  if (line.substr(0, key.size()) != key) return false;
  size_t i = key.size();
  while (i < line.size() && IsBlank(line[i])) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  size_t digits = i;
  int64_t v = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (v <= int64_t(INT32_MAX) + 1) v = v * 10 + (line[i] - '0');
    ++i;
  }
  if (i == digits) return false;
  if (negative) v = -v;
  value = int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  return true;
}

}  // namespace

int ParsePartDescription(std::string_view text, std::string& image_name, std::array<int32_t, 12>& params) {
  static const struct {
    const char* key;
    int param;
  } kKeys[] = {{"HANA_ROOT_X=", kParamRootX}, {"HANA_ROOT_Y=", kParamRootY}, {"HANA_ALPHA=", kParamAlpha},
               {"HANA_BGC_R=", kParamBackRed}, {"HANA_BGC_G=", kParamBackGreen}, {"HANA_BGC_B=", kParamBackBlue}};
  int matched = 0;
  size_t pos = 0;
  for (int line_no = 0; line_no < 7 && pos < text.size(); ++line_no) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line_no == 0) {
      if (!ScanWord(line, image_name)) break;
    } else {
      int32_t v = 0;
      if (!ScanKeyInt(line, kKeys[line_no - 1].key, v)) break;
      params[size_t(kKeys[line_no - 1].param)] = v;
    }
    ++matched;
  }
  return matched;
}

int ReadPartDescription(const std::string& path, const std::string& caption, std::string& image_name,
                        PartImage& part) {
  std::vector<uint8_t> bytes;
  // A description is a few lines; anything above a megabyte is not one.
  if (ReadWholeFile(path, bytes, 1 << 20) != ReadFileStatus::kOk) {
    ShowMessage("投影情報ファイルが読み込めませんでした。", caption);
    return -1;
  }
  ParsePartDescription(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), image_name,
                       part.params);
  return 0;
}

int LoadSampleParts(Tree& tree, const std::string& program_folder,
                    const std::array<std::string, kPartCount>& descriptions, int* loaded) {
  std::array<std::string, kPartCount> image_names;
  std::array<bool, kPartCount> described{};
  for (int i = 0; i < kPartCount; ++i) {
    tree.parts[size_t(i)] = PartImage();
    tree.part_present[size_t(i)] = 1;
  }
  for (size_t i = 0; i < kPartCount; ++i) {
    described[i] = ReadPartDescription(JoinPath(program_folder, descriptions[i]), descriptions[i],
                                       image_names[i], tree.parts[i]) == 0;
  }
  const std::string folder = JoinPath(program_folder, kSamplePartFolder);
  int count = 0;
  for (size_t i = 0; i < kPartCount; ++i) {
    if (!described[i]) continue;
    PartImage& part = tree.parts[i];
    if (LoadImageWithAlpha(JoinPath(folder, image_names[i]), part.surface, part.alpha) == 0) ++count;
  }
  if (loaded) *loaded = count;
  return 0;
}

int LoadProjectionPart(Tree& tree, const std::string& program_folder, const std::string& description) {
  PartImage& part = tree.parts[kPartFlower];
  part = PartImage();
  tree.part_present[kPartFlower] = 1;
  const std::string folder = JoinPath(program_folder, kProjectionFolder);
  std::string image_name;
  if (ReadPartDescription(JoinPath(folder, description), description, image_name, part) != 0) return -1;
  if (LoadImageWithAlpha(JoinPath(folder, image_name), part.surface, part.alpha) != 0) return -1;
  VaryProjectionPart(part);
  return 0;
}

void VaryProjectionPart(PartImage& part) {
  const double luma_factor = (Rand() % 7) * 0.1 + 0.8;
  const double hue_factor = (Rand() % 190) * 0.01 + 0.1;
  const double chroma_factor = (Rand() % 10) * 0.1 + 0.5;
  Surface& s = part.surface;
  for (int32_t r = 0; r < s.height && !s.empty(); ++r) {
    uint8_t* p = s.BufferRow(r);
    for (int32_t x = 0; x < s.width; ++x, p += 3) {
      LumaHue c = LumaHueForward(p[2], p[1], p[0]);
      int luma = int(c.luma * luma_factor);
      float hue = float(c.hue * hue_factor);
      float chroma = float(c.chroma * chroma_factor);
      int red, green, blue;
      LumaHueInverse(luma, hue, chroma, red, green, blue);
      p[0] = uint8_t(blue);
      p[1] = uint8_t(green);
      p[2] = uint8_t(red);
    }
  }
  switch (Rand() % 3) {
    case 0:
      MirrorPart(part);
      break;
    case 1:
      FlipPart(part);
      break;
    default:
      break;
  }
}

void MirrorPart(PartImage& part) {
  Surface& s = part.surface;
  for (int32_t r = 0; r < s.height && !s.empty(); ++r) {
    uint8_t* row = s.BufferRow(r);
    for (int32_t a = 0, b = s.width - 1; a < b; ++a, --b) std::swap_ranges(row + 3 * a, row + 3 * a + 3, row + 3 * b);
  }
  AlphaPlane& al = part.alpha;
  if (al.bytes.size() == size_t(al.width) * size_t(al.height)) {
    for (int32_t r = 0; r < al.height; ++r) std::reverse(al.BufferRow(r), al.BufferRow(r) + al.width);
  }
}

void FlipPart(PartImage& part) {
  Surface& s = part.surface;
  for (int32_t a = 0, b = s.height - 1; a < b && !s.empty(); ++a, --b)
    std::swap_ranges(s.BufferRow(a), s.BufferRow(a) + s.stride, s.BufferRow(b));
  AlphaPlane& al = part.alpha;
  if (al.bytes.size() == size_t(al.width) * size_t(al.height)) {
    for (int32_t a = 0, b = al.height - 1; a < b; ++a, --b)
      std::swap_ranges(al.BufferRow(a), al.BufferRow(a) + al.width, al.BufferRow(b));
  }
}

std::vector<std::string> ListProjectionDescriptions(const std::string& program_folder) {
  std::vector<FolderEntry> entries;
  std::vector<std::string> names;
  if (!ListFolderFiles(JoinPath(program_folder, kProjectionFolder), ".dat", entries)) return names;
  for (auto& e : entries) names.push_back(std::move(e.name));
  std::sort(names.begin(), names.end());
  if (names.size() > size_t(kMaxProjectionFiles)) names.resize(size_t(kMaxProjectionFiles));
  return names;
}

}  // namespace sylvane
