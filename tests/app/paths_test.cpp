// Path helpers, float guards and shell-free launching.
#include "app/paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A name stays as it is when it is empty, holds a drive colon or is a full path of this system (one '/' and a
// folder of the root, any letter case); every other name, however its separators start it, is the game's own.
TEST(Paths, NamesJoinTheGameFolderUnlessTheyAreDrivesOrFullPathsOfThisSystem) {
  const struct {
    const char* name;
    const char* made;
  } cases[] = {
      {"", ""},
      {"SOUNDS\\tally.wav", "/game/SOUNDS\\tally.wav"},
      {"C:\\x.png", "C:\\x.png"},
      {":x", "/game/:x"},  // a colon in the first place is no drive letter
      {"/tmp/x.png", "/tmp/x.png"},
      {"/TMP/X.PNG", "/TMP/X.PNG"},  // as the resource manager upper-cases a full path
      {"/usr", "/usr"},
      {"/tmp\\x", "/tmp\\x"},
      {"//RACES//x", "/game///RACES//x"},
      {"\\CARS\\x", "/game/\\CARS\\x"},
      {"/RACES/x", "/game//RACES/x"},
      {"//tmp/x", "/game///tmp/x"},
      {"\\tmp\\x", "/game/\\tmp\\x"},
      {"/../x", "/game//../x"},
      {"/", "/game//"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::MakeAbsolutePath("/game/", c.name), c.made) << c.name;
}

TEST(Paths, FolderPartsAndSlashes) {
  EXPECT_EQ(app::GetFolderPart("CARS/viper\\body.mdl"), "CARS/");  // a forward slash is looked for first
  EXPECT_EQ(app::GetFolderPart("body.mdl"), "body.mdl");
  EXPECT_EQ(app::GetFileNamePart("CARS\\viper\\body.mdl"), "body.mdl");
  EXPECT_EQ(app::NormalizePathSlashes("a\\\\\\b///c\\/d"), "a/b/c/d");
}

TEST(Paths, IsFiniteOrTurnsNanIntoZeroAndInfinityIntoTheFallback) {
  EXPECT_EQ(app::IsFiniteOr(std::nanf(""), 5.0f), 0.0f);
  EXPECT_EQ(app::IsFiniteOr(-std::numeric_limits<float>::infinity(), 5.0f), 5.0f);
  EXPECT_EQ(app::IsFiniteOr(-2.5f, 5.0f), -2.5f);
  EXPECT_EQ(app::IsFiniteOrD(std::nan(""), 1.0), 0.0);
}

TEST(Paths, RunAndWaitReportsFailedLaunchesAsZero) {
  EXPECT_EQ(app::RunAndWait("", "", 1), 0);
  EXPECT_EQ(app::RunAndWait("/nonexistent/program", "--flag", 1), 0);
  EXPECT_GT(app::RunAndWait("/bin/true", "a \"b c\"", 0), 0);
}

}  // namespace
