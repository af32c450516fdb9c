// A piecewise-linear function y(x) read from a .crv file: torque, steering-range and tyre-slip curves.
#pragma once

#include <string>
#include <vector>

namespace app {

class TextFileReader;

struct CurvePoint {
  float x = 0.0f;
  float y = 0.0f;
};

// Points are kept in file order and expected in ascending x; they are neither sorted nor checked.
class Curve {
 public:
  Curve() = default;
  // Loads the file; a missing file gives an empty curve.
  explicit Curve(const std::string& path);
  // Parses .crv text held in memory.
  static Curve FromText(const std::string& text);

  // y at x by linear interpolation between the points around x, the end values outside them; 0 for an empty
  // curve.
  float Evaluate(float x) const;
  // The index of the first point whose x is strictly greater than x; the point count when none is.
  size_t FindIndex(float x) const;
  void ScaleY(float factor);
  // The largest y, never below 0 (0 for an empty curve or all-negative values).
  float MaxY() const;

  const std::vector<CurvePoint>& Points() const { return points_; }
  bool Empty() const { return points_.empty(); }

 private:
  void LoadCrv(TextFileReader& reader);

  std::vector<CurvePoint> points_;
};

}  // namespace app
