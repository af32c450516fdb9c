// Uniform grid over x and z of a collision file's triangle boxes: each cell lists the triangles whose boxes reach
// into it, so a cast finds the handful of triangles near its own small box without walking a long list. A
// triangle reaching over many cells (a ground plane, or a damaged file's stray vertex) is kept once in a list of
// its own that every query reads, so the grid's size stays a small multiple of the triangle count.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/math/types.h"

namespace geometry {

using platform::Vec3;

class TriangleGrid {
 public:
  // Sorts the triangles into the cells their boxes reach, each cell listing them in the given order; cells cover
  // the bounds (anything beyond them falls into the border cells). Triangle order[i] has the box
  // triangleMin[order[i]]..triangleMax[order[i]] and is known to the grid by its place i. A triangle with an
  // empty box goes into no cell.
  void Build(const std::vector<uint32_t>& order, const std::vector<Vec3>& triangleMin,
             const std::vector<Vec3>& triangleMax, const Vec3& boundsMin, const Vec3& boundsMax);
  void Clear();
  bool Empty() const { return cellStart_.empty(); }

  // Calls visit(place, boxMin, boxMax) once for every triangle whose box meets the query box on all three axes,
  // bounds included: the same comparisons as app::AabbOverlap(triangle box, query box). Places come in
  // ascending order when *ascending is set afterwards (a single cell was read). Returns false, visiting
  // nothing, when the box has a NaN or reversed x or z extent, which the cells cannot answer for, or reaches
  // over more cells than a walk of the partition would cost.
  template <class Visit>
  bool ForEachOverlapping(const Vec3& boxMin, const Vec3& boxMax, Visit&& visit, bool* ascending) const;

  size_t CellCount() const { return cellStart_.empty() ? 0 : cellStart_.size() - 1; }
  size_t EntryCount() const { return entries_.size() + large_.size(); }

 private:
  // A triangle's box kept beside its place so a cell's entries are tested without touching the geometry.
  struct Entry {
    Vec3 min, max;
    uint32_t place;
  };
  uint32_t Cell(float coordinate, float origin, uint32_t count) const {
    // Truncation is the floor for the positive values that reach it.
    const float cell = (coordinate - origin) * cellsPerInch_;
    if (!(cell > 0)) return 0;  // NaN too
    return cell >= static_cast<float>(count - 1) ? count - 1 : static_cast<uint32_t>(cell);
  }
  uint32_t Column(float x) const { return Cell(x, originX_, columns_); }
  uint32_t Row(float z) const { return Cell(z, originZ_, rows_); }

  float originX_ = 0, originZ_ = 0;
  float cellsPerInch_ = 0;
  uint32_t columns_ = 0, rows_ = 0;
  std::vector<uint32_t> cellStart_;  // entries of cell (column, row) are [cellStart_[i], cellStart_[i + 1])
  std::vector<Entry> entries_;
  std::vector<Entry> large_;  // triangles over more cells than kMaxCellsPerTriangle, in the given order
};

// A query over more cells than this is left to the partition: it is no longer a cast's small box.
constexpr size_t kMaxQueryCells = 1024;

template <class Visit>
bool TriangleGrid::ForEachOverlapping(const Vec3& boxMin, const Vec3& boxMax, Visit&& visit, bool* ascending) const {
  *ascending = true;
  if (!(boxMin.x <= boxMax.x) || !(boxMin.z <= boxMax.z)) return false;
  if (Empty()) return true;
  // Cell numbers grow with the coordinate (each step of the conversion is monotonic under rounding), so every
  // box meeting the query shares at least one cell with it; the first shared cell reports it.
  const uint32_t column0 = Column(boxMin.x), column1 = Column(boxMax.x);
  const uint32_t row0 = Row(boxMin.z), row1 = Row(boxMax.z);
  if (static_cast<size_t>(column1 - column0 + 1) * (row1 - row0 + 1) > kMaxQueryCells) return false;
  *ascending = column0 == column1 && row0 == row1;
  auto overlaps = [&boxMin, &boxMax](const Entry& e) {
    return boxMax.x >= e.min.x && boxMin.x <= e.max.x && boxMax.y >= e.min.y && boxMin.y <= e.max.y &&
           boxMax.z >= e.min.z && boxMin.z <= e.max.z;
  };
  for (const Entry& e : large_) {
    if (!overlaps(e)) continue;
    *ascending = false;
    visit(e.place, e.min, e.max);
  }
  for (uint32_t row = row0; row <= row1; ++row) {
    for (uint32_t column = column0; column <= column1; ++column) {
      const size_t cell = static_cast<size_t>(row) * columns_ + column;
      for (uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
        const Entry& e = entries_[i];
        if (!overlaps(e)) continue;
        // A box spanning cells is reported from the lowest cell both reach.
        const uint32_t firstColumn = std::max(Column(e.min.x), column0);
        const uint32_t firstRow = std::max(Row(e.min.z), row0);
        if (column == firstColumn && row == firstRow) visit(e.place, e.min, e.max);
      }
    }
  }
  return true;
}

}  // namespace geometry
