// Host statistics report: the play time is rounded, counted games and the last lap time are carried, and a
// missing host component leaves the report unconnected instead of failing.
#include <gtest/gtest.h>

#include "app/usage_report.h"

namespace {

TEST(HostStatsReport, TheReportStringRoundsThePlayTime) {
  app::HostStatsReport report("first", "second", false);
  report.AddPlayTime(754.0f);
  report.AddPlayTime(0.6f);
  for (int i = 0; i < 3; ++i) report.AddGamePlayed();
  report.ReportHostStats(5);
  EXPECT_FALSE(report.connected);
  EXPECT_EQ(report.BuildReportString(), "LC=1,TP=755,GP=3,UL=5");
}

}  // namespace
