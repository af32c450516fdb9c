// A practice race of the sample game with the player's car alone on the track, held until its green light:
// what the tests that drive the player's car by itself start from.
#pragma once

#include <string>

#include "game/headless_race.h"
#include "race/race_definition.h"
#include "race/race_list.h"

namespace game_test {

// Loads race `index` of the practice list with no opponents and runs it to the green light. False, with the
// loader's error, when the race does not load.
inline bool StartLonePracticeRace(game::HeadlessRace& race, int index, std::string& error) {
  game::RaceListByName(race.Content(), "QUICKRACE")->At(index)->opponents = 0;
  if (!race.Load("QUICKRACE", index, error)) return false;
  for (int frame = 0; frame < 600 && race.Flow().state != app::game_state::kRacing; ++frame) race.Frame(1.0f / 60.0f);
  return true;
}

}  // namespace game_test
