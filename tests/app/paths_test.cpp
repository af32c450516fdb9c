// Path helpers, float guards and shell-free launching.
#include "app/paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Paths, AbsolutePathsFolderPartsAndSlashes) {
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "SOUNDS\\tally.wav"), "/game/SOUNDS\\tally.wav");
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "C:\\x.png"), "C:\\x.png");
  EXPECT_EQ(app::MakeAbsolutePath("/game/", ":x"), "/game/:x");  // a colon in the first place is no drive letter
  EXPECT_EQ(app::MakeAbsolutePath("/game/", "/abs/x.png"), "/abs/x.png");
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
