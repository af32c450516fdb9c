// The headless race refuses a race it cannot run with a message naming what is missing, for the race report and
// the tools that drive races without a window.
#include <gtest/gtest.h>

#include <string>

#include "game/headless_race.h"
#include "game_test_support.h"
#include "race/race_definition.h"
#include "race/race_list.h"

namespace game {
namespace {

TEST(HeadlessRaceLoad, ARaceThatCannotRunIsRefusedWithAMessageNamingWhatIsMissing) {
  const struct {
    const char* what;
    const char* list;
    int index;
    const char* missingTrack;  // the race's track replaced by a file that does not exist, when set
    std::string error;
  } cases[] = {
      {"unknown list", "PODIUM", 0, nullptr, "no race list PODIUM in " + game_test::SampleGameFolder() + "manifest.dat"},
      {"past the list's end", "QUICKRACE", 1000, nullptr, "QUICKRACE has no race 1000"},
      {"before the list's start", "CAREER", -1, nullptr, "CAREER has no race -1"},
      {"track file gone", "QUICKRACE", 0, "TRACKS/GONE/scene.scn", "race %s: the track TRACKS/GONE/scene.scn gave no cars"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HeadlessRace race(game_test::SampleGameFolder(), 1);
    std::string expected = c.error;
    if (c.missingTrack != nullptr) {
      race::RaceDefinition* definition = RaceListByName(race.Content(), c.list)->At(c.index);
      ASSERT_NE(definition, nullptr);
      definition->path = c.missingTrack;
      expected.replace(expected.find("%s"), 2, definition->name);
    }
    std::string error;
    EXPECT_FALSE(race.Load(c.list, c.index, error));
    EXPECT_EQ(error, expected);
  }
}

}  // namespace
}  // namespace game
