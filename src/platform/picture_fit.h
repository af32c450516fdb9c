// Where a picture of one size is shown on a screen of another: as large as fits with its shape kept, centred,
// with bars on the sides left over. Both the display backend and the mouse mapping use it, so a click lands on
// the pixel drawn under the pointer.
#pragma once

#include <algorithm>

#include "platform/window_system.h"

namespace platform {

// The rectangle of the area the picture covers. A picture or area without pixels fills the whole area.
inline Rect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
    return Rect{0, 0, std::max(0, areaWidth), std::max(0, areaHeight)};
  }
  const long long wide = static_cast<long long>(areaWidth) * pictureHeight;
  const long long tall = static_cast<long long>(areaHeight) * pictureWidth;
  int width = areaWidth;
  int height = areaHeight;
  if (wide > tall) {
    // The area is wider than the picture: bars left and right.
    width = static_cast<int>((static_cast<long long>(areaHeight) * pictureWidth + pictureHeight / 2) / pictureHeight);
  } else if (wide < tall) {
    height = static_cast<int>((static_cast<long long>(areaWidth) * pictureHeight + pictureWidth / 2) / pictureWidth);
  }
  const int left = (areaWidth - width) / 2;
  const int top = (areaHeight - height) / 2;
  return Rect{left, top, left + width, top + height};
}

// The picture pixel under an area pixel; points on the bars give the nearest edge pixel of the picture.
inline Point AreaToPicture(Point area, int pictureWidth, int pictureHeight, const Rect& fit) {
  if (fit.Width() <= 0 || fit.Height() <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return area;
  // The picture pixel under the centre of the area pixel.
  const auto map = [](int value, int start, int span, int size) {
    const long long offset = (2LL * (value - start) + 1) * size;
    const long long mapped = offset >= 0 ? offset / (2LL * span) : -((-offset + 2LL * span - 1) / (2LL * span));
    return static_cast<int>(std::clamp<long long>(mapped, 0, size - 1));
  };
  return Point{map(area.x, fit.left, fit.Width(), pictureWidth), map(area.y, fit.top, fit.Height(), pictureHeight)};
}

}  // namespace platform
