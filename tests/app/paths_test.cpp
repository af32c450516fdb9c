// Path helpers, float guards and shell-free launching.
#include "app/paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A data file's name joins the game folder whatever separators start it, unless it is empty or holds a drive
// colon: it reads the same on every machine. A path the game holds stands when it is a full path of this system;
// a name of the game folder stands when it already lies under that folder (as the resource manager's own names
// come back), and otherwise joins as a data file's name does.
TEST(Paths, NamesJoinTheGameFolderAsTheirSourceSays) {
  const struct {
    const char* name;
    const char* dataName;
    const char* systemPath;
    const char* gameFolderName;
  } cases[] = {
      {"", "", "", ""},
      {"SOUNDS\\tally.wav", "/game/SOUNDS\\tally.wav", "/game/SOUNDS\\tally.wav", "/game/SOUNDS\\tally.wav"},
      {"C:\\x.png", "C:\\x.png", "C:\\x.png", "C:\\x.png"},
      {":x", "/game/:x", "/game/:x", "/game/:x"},  // a colon in the first place is no drive letter
      {"/tmp/x.png", "/game//tmp/x.png", "/tmp/x.png", "/game//tmp/x.png"},
      {"/ETC/passwd", "/game//ETC/passwd", "/ETC/passwd", "/game//ETC/passwd"},
      {"/Media/career.dat", "/game//Media/career.dat", "/Media/career.dat", "/game//Media/career.dat"},
      {"//RACES//x", "/game///RACES//x", "//RACES//x", "/game///RACES//x"},
      {"\\CARS\\x", "/game/\\CARS\\x", "/game/\\CARS\\x", "/game/\\CARS\\x"},
      {"/RACES/x", "/game//RACES/x", "/RACES/x", "/game//RACES/x"},
      {"/../x", "/game//../x", "/../x", "/game//../x"},
      {"/", "/game//", "/", "/game//"},
      // Already under the game folder: the resource manager's upper-cased names and a car's joined files.
      {"/game/CARS/x.mdl", "/game//game/CARS/x.mdl", "/game/CARS/x.mdl", "/game/CARS/x.mdl"},
      {"/GAME//CARS\\X.MDL", "/game//GAME//CARS\\X.MDL", "/GAME//CARS\\X.MDL", "/GAME//CARS\\X.MDL"},
      {"/game", "/game//game", "/game", "/game//game"},  // the folder's name is not a file under it
      {"/gamer/x", "/game//gamer/x", "/gamer/x", "/game//gamer/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app::MakeAbsolutePath("/game/", c.name), c.dataName) << c.name;
    EXPECT_EQ(app::MakeSystemPath("/game/", c.name), c.systemPath) << c.name;
    EXPECT_EQ(app::MakeGameFolderPath("/game/", c.name), c.gameFolderName) << c.name;
  }
  // Without a folder every name stands, as a join with nothing leaves it.
  EXPECT_EQ(app::MakeGameFolderPath("", "/tmp/x"), "/tmp/x");
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
