// Curves and the .crv file: "point" blocks of an opening line, then x = value and y = value lines.
#include "app/curve.h"

#include <algorithm>

#include "app/settings_file.h"
#include "app/text_file_reader.h"

namespace app {

namespace {

constexpr char kSeparators[] = " =";
constexpr char kComment = '#';
constexpr char kPointPrefix[] = "point";

// The value on the next non-comment line (its second token); 0 when the line is too short.
float ReadValueLine(TextFileReader& reader) {
  TokenQueue tokens;
  reader.ReadTokens(tokens, kSeparators, kComment);
  if (tokens.size() < 2) return 0.0f;
  return ParseLeadingFloat(tokens[1]);
}

}  // namespace

Curve::Curve(const std::string& path) {
  TextFileReader reader;
  if (reader.Open(path)) LoadCrv(reader);
}

Curve Curve::FromText(const std::string& text) {
  Curve curve;
  TextFileReader reader;
  reader.OpenText(text);
  curve.LoadCrv(reader);
  return curve;
}

void Curve::LoadCrv(TextFileReader& reader) {
  points_.clear();
  TokenQueue tokens;
  while (true) {
    tokens.clear();
    reader.ReadTokens(tokens, kSeparators, kComment);
    if (reader.Eof()) break;
    if (tokens.size() != 1 || tokens[0].rfind(kPointPrefix, 0) != 0) continue;
    // The line after the point's name (an opening brace) carries nothing.
    TokenQueue dropped;
    reader.ReadWhitespaceTokens(dropped, kComment);
    CurvePoint point;
    point.x = ReadValueLine(reader);
    point.y = ReadValueLine(reader);
    // A file that ends inside a point adds nothing rather than a made-up point.
    if (reader.Eof()) break;
    points_.push_back(point);
  }
}

size_t Curve::FindIndex(float x) const {
  for (size_t i = 0; i < points_.size(); ++i) {
    if (points_[i].x > x) return i;
  }
  return points_.size();
}

float Curve::Evaluate(float x) const {
  if (points_.empty()) return 0.0f;
  const size_t i = FindIndex(x);
  if (i == 0) return points_.front().y;
  if (i == points_.size()) return points_.back().y;
  const CurvePoint& lower = points_[i - 1];
  const CurvePoint& upper = points_[i];
  const float run = upper.x - lower.x;
  const float rise = upper.y - lower.y;
  return (x - lower.x) / run * rise + lower.y;
}

void Curve::ScaleY(float factor) {
  for (CurvePoint& point : points_) point.y *= factor;
}

float Curve::MaxY() const {
  float largest = 0.0f;
  for (const CurvePoint& point : points_) largest = std::max(largest, point.y);
  return largest;
}

}  // namespace app
