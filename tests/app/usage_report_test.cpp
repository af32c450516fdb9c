// Host statistics report: its text, and the open/report/close order when a host component exists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/usage_report.h"

namespace {

using app::HostStatsReport;

struct RecordingHost final : app::HostStatsComponent {
  explicit RecordingHost(std::vector<std::string>& log, platform::HResult openResult = platform::kOk,
                         platform::HResult reportResult = platform::kOk)
      : log_(log), openResult_(openResult), reportResult_(reportResult) {}
  platform::HResult HostOpen(const std::string& identifier, int flagValue, const std::string&, const std::string& text) override {
    log_.push_back("open " + std::to_string(identifier.size()) + " " + std::to_string(flagValue) + " [" + text + "]");
    return openResult_;
  }
  platform::HResult HostReport(const std::string& second, const std::string& first, const std::string& report) override {
    log_.push_back("report " + second + " " + first + " " + report);
    return reportResult_;
  }
  platform::HResult HostClose(const std::string& text) override {
    log_.push_back("close [" + text + "]");
    return platform::kOk;
  }
  std::vector<std::string>& log_;
  platform::HResult openResult_;
  platform::HResult reportResult_;
};

TEST(HostStatsReport, ReportStringRoundsThePlayTime) {
  HostStatsReport report("first", "second", false);
  EXPECT_EQ(report.BuildReportString(), "LC=1,TP=0,GP=0,UL=0");
  report.AddPlayTime(754.0f);
  report.AddPlayTime(0.6f);
  for (int i = 0; i < 3; ++i) report.AddGamePlayed();
  EXPECT_EQ(report.BuildReportString(), "LC=1,TP=755,GP=3,UL=0");
  report.timePlayed = 10.49f;
  report.ulValue = -7;
  EXPECT_EQ(report.BuildReportString(), "LC=1,TP=10,GP=3,UL=-7");
}

TEST(HostStatsReport, WithoutAHostComponentNothingIsSent) {
  HostStatsReport report("first", "second", false);
  report.ReportHostStats(42);
  EXPECT_EQ(report.ulValue, 42);
  EXPECT_FALSE(report.connected);
}

TEST(HostStatsReport, AHostIsOpenedGivenTheReportAndClosed) {
  std::vector<std::string> log;
  HostStatsReport report("first", "second", false, [&] { return std::make_unique<RecordingHost>(log); });
  report.AddPlayTime(1.5f);
  report.ReportHostStats(5);
  EXPECT_TRUE(report.connected);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "open 38 1 []") << "a 38-character identifier; 1 for the flag false";
  EXPECT_EQ(log[1], "report second first LC=1,TP=2,GP=0,UL=5");
  EXPECT_EQ(log[2], "close []");

  std::vector<std::string> flagged;
  HostStatsReport withFlag("a", "b", true, [&] { return std::make_unique<RecordingHost>(flagged); });
  withFlag.ReportHostStats(0);
  EXPECT_EQ(flagged.front(), "open 38 0 []");
}

TEST(HostStatsReport, FailuresEndTheReportQuietly) {
  std::vector<std::string> log;
  HostStatsReport refused("f", "s", false, [&] { return std::make_unique<RecordingHost>(log, platform::kFalse); });
  refused.ReportHostStats(1);
  EXPECT_FALSE(refused.connected) << "only S_OK opens";
  EXPECT_EQ(log.size(), 1u);

  log.clear();
  HostStatsReport failing("f", "s", false,
                          [&] { return std::make_unique<RecordingHost>(log, platform::kOk, platform::kFail); });
  failing.ReportHostStats(1);
  EXPECT_EQ(log.size(), 2u) << "no close after a failed report";
}

}  // namespace
