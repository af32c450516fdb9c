// Writer of .crv curve files: one "point" block per (x, y) pair.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace contentgen {

using CurvePoints = std::vector<std::pair<float, float>>;

// The text of a curve file: per point a name line (point0, point1, ...), an opening brace, "x = value",
// "y = value" and a closing brace.
std::string CurveText(const CurvePoints& points);
// Writes the curve file (folders created); false and a printed line on failure.
bool WriteCurve(const std::string& path, const CurvePoints& points);

}  // namespace contentgen
