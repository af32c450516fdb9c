// The fixed indices of the menu screens and the atlas rectangles of the icons most screens share.
#pragma once

#include <cstdint>

namespace frontend {

namespace screen_index {
inline constexpr int32_t kMainMenu = 0;
inline constexpr int32_t kVehicleClass = 1;
inline constexpr int32_t kPracticeRace = 2;
inline constexpr int32_t kGarage = 3;
inline constexpr int32_t kCareerRace = 4;
inline constexpr int32_t kContestRace = 5;
inline constexpr int32_t kOptionsMenu = 6;
inline constexpr int32_t kVideoOptions = 7;
inline constexpr int32_t kControlMenu = 8;
inline constexpr int32_t kAudioOptions = 9;
inline constexpr int32_t kPauseMenu = 10;
inline constexpr int32_t kRaceResults = 11;
inline constexpr int32_t kLoading = 12;
// Slots of the manager's table; the last one (13) is the flow's "no screen change" and stays empty.
inline constexpr int32_t kSlotCount = 14;
inline constexpr int32_t kScreenCount = 13;
}  // namespace screen_index

// Pixel rectangles (left, top, right, bottom) of "MENUS\button.png".
inline constexpr float kFullScreenIconNormal[4] = {428, 2, 475, 30};
inline constexpr float kFullScreenIconHighlight[4] = {428, 34, 475, 62};
inline constexpr float kQuitIconNormal[4] = {481, 2, 509, 30};
inline constexpr float kQuitIconHighlight[4] = {481, 34, 509, 62};
// Single clear texels: a button with one of these faces shows only its text until highlighted.
inline constexpr float kBlankButtonNormal[4] = {10, 88, 11, 89};
inline constexpr float kBlankEntryNormal[4] = {4, 144, 5, 145};
inline constexpr float kWideHighlight[4] = {3, 2, 200, 39};

}  // namespace frontend
