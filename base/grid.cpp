#include "base/grid.h"

#include <algorithm>
#include <utility>

namespace sylvane {

namespace {

// The allocation of both grid kinds. Releasing swaps the vector away to give
// the memory back: patterns are rebuilt often but may shrink.
template <typename Grid>
void ReleaseCells(Grid& grid) {
  decltype(grid.cells)().swap(grid.cells);
  grid.columns = grid.rows = 0;
}

template <typename Grid>
bool AllocateCells(Grid& grid, int32_t new_columns, int32_t new_rows) {
  ReleaseCells(grid);
  if (!IsGridSizeUsable(new_columns, new_rows)) return false;
  grid.cells.resize(size_t(new_columns) * size_t(new_rows));
  grid.columns = new_columns;
  grid.rows = new_rows;
  return true;
}

template <typename Grid, typename Value>
bool AllocateFilledCells(Grid& grid, int32_t new_columns, int32_t new_rows, Value value) {
  if (!AllocateCells(grid, new_columns, new_rows)) return false;
  std::fill(grid.cells.begin(), grid.cells.end(), value);
  return true;
}

}  // namespace

bool FloatGrid::Allocate(int32_t new_columns, int32_t new_rows) { return AllocateCells(*this, new_columns, new_rows); }

bool FloatGrid::AllocateFilled(int32_t new_columns, int32_t new_rows, float value) {
  return AllocateFilledCells(*this, new_columns, new_rows, value);
}

void FloatGrid::Release() { ReleaseCells(*this); }

bool ByteGrid::Allocate(int32_t new_columns, int32_t new_rows) { return AllocateCells(*this, new_columns, new_rows); }

bool ByteGrid::AllocateFilled(int32_t new_columns, int32_t new_rows, uint8_t value) {
  return AllocateFilledCells(*this, new_columns, new_rows, value);
}

void ByteGrid::Release() { ReleaseCells(*this); }

void ByteGrid::CopyFrom(const ByteGrid& other) {
  if (this == &other) return;
  if (!Allocate(other.columns, other.rows)) return;
  cells = other.cells;
}

void ByteGrid::Write(ByteWriter& out) const {
  out.WriteI32(columns);
  out.WriteI32(rows);
  if (columns != 0 && rows != 0) out.WriteBytes(cells.data(), cells.size());
}

void ByteGrid::Write(std::vector<uint8_t>& out) const {
  ByteWriter w;
  Write(w);
  out.insert(out.end(), w.bytes().begin(), w.bytes().end());
}

bool ByteGrid::Read(ByteReader& in) {
  int32_t new_columns = 0, new_rows = 0;
  if (!in.ReadI32(new_columns) || !in.ReadI32(new_rows)) return false;
  // An empty grid is stored as a zero count with no cells; the grid in memory
  // is left alone then.
  if (new_columns == 0 || new_rows == 0) return true;
  if (!IsGridSizeUsable(new_columns, new_rows)) return false;
  size_t count = size_t(new_columns) * size_t(new_rows);
  // Check the length before allocating: a damaged count must not allocate.
  if (in.remaining() < count) return false;
  ByteGrid read;
  read.AllocateFilled(new_columns, new_rows, 0);
  if (!in.ReadBytes(read.cells.data(), count)) return false;
  *this = std::move(read);
  return true;
}

}  // namespace sylvane
