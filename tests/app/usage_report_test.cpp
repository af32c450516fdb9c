// Host statistics report: its text, and the open/report/close order when a host component exists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/usage_report.h"

namespace {

using app::HostStatsReport;

struct RecordingHost final : app::HostStatsComponent {
  RecordingHost(std::vector<std::string>& log, platform::HResult openResult, platform::HResult reportResult)
      : log_(log), openResult_(openResult), reportResult_(reportResult) {}
  platform::HResult HostOpen(const std::string& id, int flag, const std::string&, const std::string&) override {
    log_.push_back("open " + std::to_string(id.size()) + " " + std::to_string(flag));
    return openResult_;
  }
  platform::HResult HostReport(const std::string& second, const std::string& first, const std::string& report) override {
    log_.push_back("report " + second + " " + first + " " + report);
    return reportResult_;
  }
  platform::HResult HostClose(const std::string&) override {
    log_.push_back("close");
    return platform::kOk;
  }
  std::vector<std::string>& log_;
  platform::HResult openResult_, reportResult_;
};

TEST(HostStatsReport, AHostIsOpenedGivenTheRoundedReportAndClosedAndFailuresEndItQuietly) {
  const struct {
    platform::HResult open, report;
    std::vector<std::string> log;
  } cases[] = {
      {platform::kOk, platform::kOk, {"open 38 1", "report second first LC=1,TP=755,GP=3,UL=5", "close"}},
      {platform::kFalse, platform::kOk, {"open 38 1"}},  // only S_OK opens
      {platform::kOk, platform::kFail, {"open 38 1", "report second first LC=1,TP=755,GP=3,UL=5"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> log;
    HostStatsReport report("first", "second", false,
                           [&] { return std::make_unique<RecordingHost>(log, c.open, c.report); });
    report.AddPlayTime(754.0f);
    report.AddPlayTime(0.6f);
    for (int i = 0; i < 3; ++i) report.AddGamePlayed();
    report.ReportHostStats(5);
    EXPECT_EQ(log, c.log);
  }
  HostStatsReport absent("first", "second", false);
  absent.ReportHostStats(42);
  EXPECT_FALSE(absent.connected);
  EXPECT_EQ(absent.BuildReportString(), "LC=1,TP=0,GP=0,UL=42");
}

}  // namespace
