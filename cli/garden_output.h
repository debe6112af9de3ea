// Output shared by the garden commands of sylvane-cli: the plain composite
// as a picture, the tree layer with its weight plane as an RGBA PNG, and the
// one-line JSON report.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "canvas/image/surface.h"
#include "trees/growth.h"

namespace sylvane {
struct Canvas;
}

namespace sylvane::cli {

// The text after the last '.' of the file name, in lower case ("" when the
// name has no dot).
std::string LowerExtension(const std::string& path);

// True when the path ends in .png, .bmp, .jpg or .jpeg (any case).
bool IsPictureName(const std::string& path);

// Writes a picture as PNG, BMP or JPEG (of the given quality) by the name's
// extension. 0 when written, kPictureWriteFailed when the writer failed,
// kNotAPictureName when the name ends in none of those; prints nothing.
constexpr int kPictureWriteFailed = -1;
constexpr int kNotAPictureName = -2;
int WritePictureByName(const Surface& picture, const std::string& path, int jpeg_quality);

// Writes background x weight / 255 + tree layer as PNG, BMP or JPEG (quality
// 90) by the path's extension. 0, or 1 after a message on stderr.
int WriteComposite(const Canvas& canvas, const std::string& path);

// Writes the tree layer as an 8-bit RGBA PNG whose alpha is the weight plane.
int WriteTreeLayers(const Canvas& canvas, const std::string& path);

// What a garden command did, reported with --report.
struct GardenReport {
  int64_t passes = 0;
  GrowthStats stats;
  int64_t archived_files = 0;  // tree files written by automatic mutant saving
};

// One JSON line on stderr: passes, trees born, split and loop children,
// mutants, archived files, growing trees, and the random generator's state.
void PrintReport(const GardenReport& report);

// What the sample commands write after growing: the composite picture
// (--out), the tree layer (--layers) and the report (--report), each when
// asked for, in that order. 0, or 1 when a picture could not be written (the
// rest is still written).
int WriteSampleOutputs(const Canvas& canvas, const std::optional<std::string>& out,
                       const std::optional<std::string>& layers, bool report, const GardenReport& result);

// Redraws a progress bar of `width` characters on stderr as
// "\r[###...] DONE/TOTAL" followed by tail, ending the line after the last step.
void DrawProgressBar(int done, int total, int width, const std::string& tail);

}  // namespace sylvane::cli
