// Path helpers and float guards.
#include "app/paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Paths, MakeAbsolutePathJoinsOnlyRelativePaths) {
  EXPECT_EQ(app::MakeAbsolutePath("/game/", ""), "");
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "SOUNDS\\tally.wav"), "/game/SOUNDS\\tally.wav");
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "C:\\x.png"), "C:\\x.png");
  // A colon in the first place is no drive letter.
  EXPECT_EQ(app::MakeAbsolutePath("/game/", ":x"), "/game/:x");
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "/abs/x.png"), "/abs/x.png");
}

TEST(Paths, FolderAndFileNamePartsPreferForwardSlashes) {
  EXPECT_EQ(app::GetFolderPart("CARS/viper\\body.mdl"), "CARS/");
  EXPECT_EQ(app::GetFolderPart("CARS\\viper/"), "CARS\\");
  EXPECT_EQ(app::GetFolderPart("CARS\\viper\\body.mdl"), "CARS\\viper\\");
  EXPECT_EQ(app::GetFolderPart("body.mdl"), "body.mdl");
  EXPECT_EQ(app::GetFolderPart("viper/"), "viper/");

  EXPECT_EQ(app::GetFileNamePart("CARS/viper\\body.mdl"), "viper\\body.mdl");
  EXPECT_EQ(app::GetFileNamePart("CARS\\viper\\body.mdl"), "body.mdl");
  EXPECT_EQ(app::GetFileNamePart("body.mdl"), "body.mdl");
}

TEST(Paths, NormalizePathSlashesCollapsesEveryRun) {
  EXPECT_EQ(app::NormalizePathSlashes("SOUNDS//tally.wav"), "SOUNDS/tally.wav");
  EXPECT_EQ(app::NormalizePathSlashes("a\\\\\\b///c\\/d"), "a/b/c/d");
  EXPECT_EQ(app::NormalizePathSlashes(""), "");
}

TEST(Paths, IsFiniteOrTurnsNanIntoZeroAndInfinityIntoTheFallback) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(app::IsFiniteOr(std::nanf(""), 5.0f), 0.0f);
  EXPECT_EQ(app::IsFiniteOr(inf, 5.0f), 5.0f);
  EXPECT_EQ(app::IsFiniteOr(-inf, 5.0f), 5.0f);
  EXPECT_EQ(app::IsFiniteOr(-2.5f, 5.0f), -2.5f);
  EXPECT_EQ(app::IsFiniteOrD(std::nan(""), 1.0), 0.0);
  EXPECT_EQ(app::IsFiniteOrD(-std::numeric_limits<double>::infinity(), 1.0), 1.0);
  EXPECT_EQ(app::IsFiniteOrD(3.0, 1.0), 3.0);
}

TEST(Paths, RunAndWaitReportsFailedLaunchesAsZero) {
  EXPECT_EQ(app::RunAndWait("", "", 1), 0);
  EXPECT_EQ(app::RunAndWait("/nonexistent/program", "--flag", 1), 0);
  EXPECT_EQ(app::RunAndWait("/bin/true", "", 1), 0);
  EXPECT_GT(app::RunAndWait("/bin/true", "a \"b c\"", 0), 0);
}

}  // namespace
