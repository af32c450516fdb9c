// Colour measures the picture tests share: sRGB to linear light, relative luminance, contrast ratio and the
// CIE 1976 L*a*b* distance (white point D65), on 0xAARRGGBB colours.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace colour_measure {

inline double Linear(uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

inline double RelativeLuminance(uint32_t argb) {
  return 0.2126 * Linear((argb >> 16) & 0xFF) + 0.7152 * Linear((argb >> 8) & 0xFF) + 0.0722 * Linear(argb & 0xFF);
}

inline double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Lab {
  double l = 0, a = 0, b = 0;
};

inline Lab ToLab(uint32_t argb) {
  const double r = Linear((argb >> 16) & 0xFF), g = Linear((argb >> 8) & 0xFF), b = Linear(argb & 0xFF);
  const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  const auto f = [](double t) {
    constexpr double kEdge = 6.0 / 29.0;
    return t > kEdge * kEdge * kEdge ? std::cbrt(t) : t / (3 * kEdge * kEdge) + 4.0 / 29.0;
  };
  return Lab{116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

inline double LabDistance(uint32_t first, uint32_t second) {
  const Lab p = ToLab(first), q = ToLab(second);
  return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) + (p.b - q.b) * (p.b - q.b));
}

}  // namespace colour_measure
