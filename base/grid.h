// FloatGrid and ByteGrid: small two-dimensional arrays of 32-bit floats and of
// bytes, stored row by row. A brush pattern keeps its variants in a FloatGrid;
// the settings file and the wallpaper changer keep their image list in a
// ByteGrid, which has a file form:
//   int32 columns, int32 rows (little-endian), then, when both are non-zero,
//   the cells row by row, each row from column 0, one byte per cell.
#pragma once
#include <cstdint>
#include <vector>

#include "base/bytes.h"

namespace sylvane {

// Largest number of cells a grid may hold. Larger requests (sizes that come
// from damaged files or absurd parameters) leave the grid empty instead of
// exhausting memory.
constexpr int64_t kMaxGridCells = int64_t(1) << 25;

// True when a columns x rows grid would hold cells: both counts positive and
// the product within kMaxGridCells.
constexpr bool IsGridSizeUsable(int64_t columns, int64_t rows) {
  // Divided rather than multiplied: sizes from damaged files can overflow a product.
  return columns > 0 && rows > 0 && columns <= kMaxGridCells / rows;
}

struct FloatGrid {
  int32_t columns = 0;      // cells per row
  int32_t rows = 0;         // number of rows
  std::vector<float> cells; // columns * rows values, row 0 first

  // Releases any previous contents, then allocates columns x rows cells
  // (values unspecified). A count that is not positive, or a grid larger than
  // kMaxGridCells, leaves the grid empty (both counts 0); returns false then.
  bool Allocate(int32_t new_columns, int32_t new_rows);
  // Allocate, then every cell set to value.
  bool AllocateFilled(int32_t new_columns, int32_t new_rows, float value);
  // Frees the cells; both counts become 0.
  void Release();

  bool empty() const { return cells.empty(); }
  float* Row(int32_t r) { return cells.data() + size_t(r) * size_t(columns); }
  const float* Row(int32_t r) const { return cells.data() + size_t(r) * size_t(columns); }
  float& At(int32_t column, int32_t row) { return Row(row)[column]; }
  float At(int32_t column, int32_t row) const { return Row(row)[column]; }
};

struct ByteGrid {
  int32_t columns = 0;        // bytes per row
  int32_t rows = 0;           // number of rows
  std::vector<uint8_t> cells; // columns * rows bytes, row 0 first

  // As FloatGrid::Allocate / AllocateFilled.
  bool Allocate(int32_t new_columns, int32_t new_rows);
  bool AllocateFilled(int32_t new_columns, int32_t new_rows, uint8_t value);
  // Becomes a copy of other (empty when other is empty).
  void CopyFrom(const ByteGrid& other);
  void Release();

  // Appends the file form.
  void Write(ByteWriter& out) const;
  void Write(std::vector<uint8_t>& out) const;
  // Reads the file form. When either count is 0 the reading stops after the
  // two counts and the grid stays as it was (true). A negative count, a grid
  // larger than kMaxGridCells or too few bytes for the cells is refused
  // (false) and the grid stays as it was; the reader's position is then
  // unspecified.
  bool Read(ByteReader& in);

  bool empty() const { return cells.empty(); }
  uint8_t* Row(int32_t r) { return cells.data() + size_t(r) * size_t(columns); }
  const uint8_t* Row(int32_t r) const { return cells.data() + size_t(r) * size_t(columns); }
  uint8_t& At(int32_t column, int32_t row) { return Row(row)[column]; }
  uint8_t At(int32_t column, int32_t row) const { return Row(row)[column]; }
};

}  // namespace sylvane
