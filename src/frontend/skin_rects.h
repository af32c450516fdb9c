// Where the shared menu-skin pieces sit in the skin image (left, top, right, bottom in pixels; a reversed pair
// mirrors the piece), used by every menu screen that draws list rows, scroll bars, arrows and back/next buttons.
#pragma once

namespace frontend::skin {

// Scroll lists: a lit and a plain row, the scroll-bar thumb and track, and the up/down arrows.
constexpr float kSelectedRow[4] = {2, 2, 231, 31};
constexpr float kPlainRow[4] = {50, 85, 52, 100};
constexpr float kThumbRect[4] = {12, 106, 13, 107};
constexpr float kTrackRect[4] = {12, 88, 13, 89};
constexpr float kDownNormal[4] = {199, 66, 220, 43};
constexpr float kDownHighlight[4] = {199, 91, 220, 68};
constexpr float kUpNormal[4] = {199, 43, 220, 66};
constexpr float kUpHighlight[4] = {199, 68, 220, 91};

// Left/right steppers beside a value.
constexpr float kLeftNormal[4] = {195, 44, 170, 67};
constexpr float kLeftHighlight[4] = {195, 69, 170, 92};
constexpr float kRightNormal[4] = {170, 44, 195, 67};
constexpr float kRightHighlight[4] = {170, 69, 195, 92};

// The forward ("next", "race") button is the back button mirrored.
constexpr float kNextRect[4] = {455, 168, 297, 196};
constexpr float kBackRect[4] = {297, 168, 455, 196};

}  // namespace frontend::skin
