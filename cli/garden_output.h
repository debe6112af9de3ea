// Output shared by the garden commands of sylvane-cli: the plain composite
// as a picture, the tree layer with its weight plane as an RGBA PNG, and the
// one-line JSON report.
#pragma once
#include <cstdint>
#include <string>

#include "trees/growth.h"

namespace sylvane {
struct Canvas;
}

namespace sylvane::cli {

// True when the path ends in .png, .bmp, .jpg or .jpeg (any case).
bool IsPictureName(const std::string& path);

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

// The number of "*.ki" files in folder (0 when it cannot be listed).
int64_t CountTreeFiles(const std::string& folder);

}  // namespace sylvane::cli
