// Uniform x/z grid of triangle boxes: cell sizing, the two-pass build and cell numbers of coordinates.
#include "geometry/triangle_grid.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace {

// A cell about the size of a wheel's or the hull's cast box, so most casts read one to four cells; a very large
// track gets larger cells rather than more than kMaxCellsPerSide on a side.
constexpr float kCellSize = 64.0f;
constexpr uint32_t kMaxCellsPerSide = 512;
// A triangle over more cells than this goes to the list every query reads instead of into each cell.
constexpr size_t kMaxCellsPerTriangle = 64;

bool EmptyBox(const Vec3& boxMin, const Vec3& boxMax) { return !(boxMin.x <= boxMax.x) || !(boxMin.z <= boxMax.z); }

}  // namespace

void TriangleGrid::Clear() {
  columns_ = rows_ = 0;
  cellsPerInch_ = 0;
  cellStart_.clear();
  entries_.clear();
  large_.clear();
}

void TriangleGrid::Build(const std::vector<uint32_t>& order, const std::vector<Vec3>& triangleMin,
                         const std::vector<Vec3>& triangleMax, const Vec3& boundsMin, const Vec3& boundsMax) {
  Clear();
  const size_t count = order.size();
  const float width = boundsMax.x - boundsMin.x;
  const float depth = boundsMax.z - boundsMin.z;
  if (count == 0 || !std::isfinite(width) || !std::isfinite(depth) || width < 0 || depth < 0) return;
  const float cellSize = std::max({kCellSize, width / kMaxCellsPerSide, depth / kMaxCellsPerSide});
  cellsPerInch_ = 1.0f / cellSize;
  originX_ = boundsMin.x;
  originZ_ = boundsMin.z;
  columns_ = std::clamp<uint32_t>(static_cast<uint32_t>(width * cellsPerInch_) + 1, 1, kMaxCellsPerSide);
  rows_ = std::clamp<uint32_t>(static_cast<uint32_t>(depth * cellsPerInch_) + 1, 1, kMaxCellsPerSide);

  // First pass counts each cell's entries, the second fills them in the given order.
  std::vector<uint32_t> filled(static_cast<size_t>(columns_) * rows_ + 1, 0);
  auto forEachCell = [this](const Vec3& boxMin, const Vec3& boxMax, auto&& use) {
    const uint32_t column0 = Column(boxMin.x), column1 = Column(boxMax.x);
    const uint32_t row0 = Row(boxMin.z), row1 = Row(boxMax.z);
    for (uint32_t row = row0; row <= row1; ++row)
      for (uint32_t column = column0; column <= column1; ++column) use(static_cast<size_t>(row) * columns_ + column);
  };
  auto known = [&](size_t place) {
    const uint32_t t = order[place];
    return t < triangleMin.size() && t < triangleMax.size() && !EmptyBox(triangleMin[t], triangleMax[t]);
  };
  std::vector<bool> large(count, false);
  for (size_t place = 0; place < count; ++place) {
    if (!known(place) || large[place]) continue;
    const Vec3& boxMin = triangleMin[order[place]];
    const Vec3& boxMax = triangleMax[order[place]];
    const size_t cells = static_cast<size_t>(Column(boxMax.x) - Column(boxMin.x) + 1) * (Row(boxMax.z) - Row(boxMin.z) + 1);
    if (cells <= kMaxCellsPerTriangle) continue;
    large[place] = true;
    large_.push_back({boxMin, boxMax, static_cast<uint32_t>(place)});
  }
  for (size_t place = 0; place < count; ++place) {
    if (!known(place) || large[place]) continue;
    forEachCell(triangleMin[order[place]], triangleMax[order[place]], [&filled](size_t cell) { ++filled[cell + 1]; });
  }
  for (size_t cell = 1; cell < filled.size(); ++cell) filled[cell] += filled[cell - 1];
  cellStart_ = filled;
  entries_.resize(cellStart_.back());
  for (size_t place = 0; place < count; ++place) {
    if (!known(place) || large[place]) continue;
    const Vec3& boxMin = triangleMin[order[place]];
    const Vec3& boxMax = triangleMax[order[place]];
    const Entry entry{boxMin, boxMax, static_cast<uint32_t>(place)};
    forEachCell(boxMin, boxMax, [&](size_t cell) { entries_[filled[cell]++] = entry; });
  }
}

}  // namespace geometry
