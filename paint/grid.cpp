#include "paint/grid.h"

#include <algorithm>
#include <utility>

namespace sylvane {

bool FloatGrid::Allocate(int32_t new_columns, int32_t new_rows) {
  Release();
  if (!IsGridSizeUsable(new_columns, new_rows)) return false;
  cells.resize(size_t(new_columns) * size_t(new_rows));
  columns = new_columns;
  rows = new_rows;
  return true;
}

bool FloatGrid::AllocateFilled(int32_t new_columns, int32_t new_rows, float value) {
  if (!Allocate(new_columns, new_rows)) return false;
  std::fill(cells.begin(), cells.end(), value);
  return true;
}

void FloatGrid::Release() {
  // Give the memory back: patterns are rebuilt often but may shrink.
  std::vector<float>().swap(cells);
  columns = rows = 0;
}

bool ByteGrid::Allocate(int32_t new_columns, int32_t new_rows) {
  Release();
  if (!IsGridSizeUsable(new_columns, new_rows)) return false;
  cells.resize(size_t(new_columns) * size_t(new_rows));
  columns = new_columns;
  rows = new_rows;
  return true;
}

bool ByteGrid::AllocateFilled(int32_t new_columns, int32_t new_rows, uint8_t value) {
  if (!Allocate(new_columns, new_rows)) return false;
  std::fill(cells.begin(), cells.end(), value);
  return true;
}

void ByteGrid::CopyFrom(const ByteGrid& other) {
  if (this == &other) return;
  if (!Allocate(other.columns, other.rows)) return;
  cells = other.cells;
}

void ByteGrid::Release() {
  std::vector<uint8_t>().swap(cells);
  columns = rows = 0;
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
