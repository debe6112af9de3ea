// Pictures for the canvas tests, built in code: patterned surfaces, PNG and
// JPEG streams made straight with libpng and libjpeg (so that the readers are
// checked against the libraries, not against our own writers), and BMP files
// assembled field by field.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/image/surface.h"

namespace sylvane::testing {

// A w x h surface whose every byte (padding too) is a function of its position
// and salt, so that misplaced rows or columns show.
Surface PatternSurface(int w, int h, int salt = 0);
// The blue, green, red of PatternSurface at column x, row y from the top.
void PatternPixel(int x, int y, int salt, uint8_t bgr[3]);

// A PNG made by libpng. rows: one per picture row (top first), each in the
// packed layout libpng expects for bit_depth and color_type. A palette
// picture gets a palette of palette_size grey entries.
std::vector<uint8_t> LibpngEncode(int w, int h, int bit_depth, int color_type,
                                  const std::vector<std::vector<uint8_t>>& rows, bool interlaced = false,
                                  int palette_size = 0);
// Rows of constant bytes, enough for any layout: row_bytes each.
std::vector<std::vector<uint8_t>> FlatRows(int h, size_t row_bytes, uint8_t value);

// A JPEG made by libjpeg from interleaved samples (top row first) of
// `components` channels in color_space (a J_COLOR_SPACE value).
std::vector<uint8_t> LibjpegEncode(int w, int h, int components, int color_space,
                                   const std::vector<uint8_t>& samples, int quality = 90);

// A BMP assembled field by field: the 54 header bytes, then `gap` bytes of
// gap_value, then the pixel bytes.
struct BmpFields {
  uint32_t file_size = 0;  // bfSize; 0 = computed
  uint32_t off_bits = 54;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bit_count = 24;
  uint32_t compression = 0;
  size_t gap = 0;
  uint8_t gap_value = 0;
};
std::vector<uint8_t> BuildBmp(const BmpFields& f, const std::vector<uint8_t>& pixels);

// Whole-file helpers.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Names of the files in a folder (to see that no temporary file was left behind).
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace sylvane::testing
