// The race a screen starts, carried through the screen flow's 32-bit request parameter: which race list of the
// content database and the race's position in it.
#pragma once

#include <cstdint>

namespace app {
class ScreenFlow;
}
namespace race {
class ContentDatabase;
struct RaceDefinition;
}

namespace frontend {

// 0 when the race belongs to none of the database's lists (such a race cannot be started).
int32_t EncodeRaceParameter(const race::ContentDatabase& database, const race::RaceDefinition* race);
// The race a parameter names, or null when the list or the position no longer exists.
race::RaceDefinition* FindRaceByParameter(const race::ContentDatabase& database, int32_t parameter);
// Queues the loading screen and the race start; false (nothing queued) for a race of no list.
bool RequestRace(app::ScreenFlow& flow, const race::ContentDatabase& database, const race::RaceDefinition* race);

}  // namespace frontend
