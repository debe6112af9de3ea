// Plant part data: the part descriptions (small Shift-JIS text files naming a
// picture and giving its pivot and background colour) from which a tree's
// four part images are made. The folder "imgb" beside the program holds the
// built-in sample tree's parts, "prj_data" the projection descriptions
// ("*.dat") that mutation grafts into mutants' parts.
//
// Description format, one line each, matched literally and in this order:
//   <image file name>        one word; a blank ends it
//   HANA_ROOT_X=<int>        pivot column, pixels from the left
//   HANA_ROOT_Y=<int>        pivot row, pixels from the top
//   HANA_ALPHA=<int>         stored and copied, never drawn with
//   HANA_BGC_R=<int>         colour of transparent sprite pixels
//   HANA_BGC_G=<int>
//   HANA_BGC_B=<int>
// Reading stops at the first line that does not match; the parameters of that
// line and of the lines after it keep their previous values.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/image/surface.h"
#include "trees/tree.h"

namespace sylvane {

// Indexes of the twelve part parameters (PartImage::params).
enum PartParam : int {
  kParamAlpha = 0,        // HANA_ALPHA
  kParamRootX = 1,        // pivot column, pixels from the sprite's left edge
  kParamRootY = 2,        // pivot row, pixels from the sprite's top edge
  kParamBackRed = 3,      // background colour of transparent pixels
  kParamBackGreen = 4,
  kParamBackBlue = 5,
  kParamLumaOffset = 6,   // added to every drawn pixel's luma
  kParamHueOffset = 7,    // added to every drawn pixel's hue
  kParamChromaOffset = 8, // added to every drawn pixel's chroma
  kParamLumaRange = 9,    // random luma variation per draw
  kParamHueRange = 10,    // random hue variation per draw
  kParamChromaRange = 11, // random chroma variation per draw
};

// Folder names inside the program folder.
inline constexpr char kSamplePartFolder[] = "imgb";
inline constexpr char kProjectionFolder[] = "prj_data";
// The starter trees shipped beside the program; the open-tree dialog starts
// there until the user has opened a tree from elsewhere.
inline constexpr char kStarterTreeFolder[] = "trees";
// At most this many projection descriptions are considered.
constexpr int kMaxProjectionFiles = 20;

// The sample tree's descriptions (flower, second flower, leaf, branch),
// relative to the program folder.
extern const std::array<std::string, kPartCount> kSamplePartDescriptions;

// Applies a description's text to image_name and params as the format above
// says. Returns the number of lines that matched (0..7).
int ParsePartDescription(std::string_view text, std::string& image_name, std::array<int32_t, 12>& params);

// Reads the description file at path (relative names are taken from the
// current folder). On failure shows "投影情報ファイルが読み込めませんでした。"
// with `caption` (the description's name) as the caption and returns -1;
// otherwise fills image_name and parameters 1..6 and 0 and returns 0.
int ReadPartDescription(const std::string& path, const std::string& caption, std::string& image_name,
                        PartImage& part);

// Creates the tree's four part images afresh (part-present bytes 1), reads
// the four descriptions (names relative to program_folder) and loads each
// named picture with its alpha from program_folder/imgb. Single failures show
// only the loaders' own messages (a part whose description is missing is left
// empty without trying a picture). Returns 0; `loaded`, when given, receives
// the number of parts whose picture was loaded.
int LoadSampleParts(Tree& tree, const std::string& program_folder,
                    const std::array<std::string, kPartCount>& descriptions, int* loaded = nullptr);

// Creates part image 0 afresh and loads it from the projection description
// `description` in program_folder/prj_data, then varies its colour and
// orientation (VaryProjectionPart). Returns -1 when the description or the
// picture cannot be read (the loaders show their messages), else 0. Only part
// image 0 changes.
int LoadProjectionPart(Tree& tree, const std::string& program_folder, const std::string& description);

// The random variation of a projection part: luma factor (rand() % 7) * 0.1 +
// 0.8, hue factor (rand() % 190) * 0.01 + 0.1, chroma factor (rand() % 10) *
// 0.1 + 0.5 applied to every pixel through LumaHue; then rand() % 3: 0 mirrors
// picture and alpha left-right, 1 turns them upside down, 2 leaves them. The
// root point is not adjusted.
void VaryProjectionPart(PartImage& part);

// Mirrors a part's picture and alpha plane left-right / turns them upside down.
void MirrorPart(PartImage& part);
void FlipPart(PartImage& part);

// The names of the "*.dat" files in program_folder/prj_data, sorted by name
// (byte order) so that a seed picks the same files on every file system, at
// most kMaxProjectionFiles of them. Empty when the folder is missing.
std::vector<std::string> ListProjectionDescriptions(const std::string& program_folder);

}  // namespace sylvane
