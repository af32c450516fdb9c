// The host statistics report: its text and the open, report, close sequence.
#include "app/usage_report.h"

#include <cmath>

#include "app/paths.h"

namespace app {

HostStatsReport::HostStatsReport(std::string first, std::string second, bool reportFlag, HostStatsConnector connector)
    : flag(reportFlag), firstText(std::move(first)), secondText(std::move(second)), connector_(std::move(connector)) {}

std::string HostStatsReport::BuildReportString() const {
  const double rounded = std::floor(static_cast<double>(timePlayed) + 0.5);
  long long seconds = 0;
  if (std::isfinite(rounded)) {
    seconds = static_cast<long long>(std::fmax(std::fmin(rounded, 2147483647.0), -2147483648.0));
  }
  return "LC=1,TP=" + std::to_string(seconds) + ",GP=" + std::to_string(gamesPlayed) + ",UL=" + std::to_string(ulValue);
}

void HostStatsReport::ReportHostStats(int value) {
  ulValue = value;
  connected = false;
  std::unique_ptr<HostStatsComponent> host = connector_ ? connector_() : nullptr;
  if (host == nullptr) return;  // no host component: nothing is sent
  if (host->HostOpen(kHostStatsIdentifier, flag ? 0 : 1, GetExecutableFolder(), "") != platform::kOk) return;
  connected = true;
  if (platform::Failed(host->HostReport(secondText, firstText, BuildReportString()))) return;
  host->HostClose("");
}

}  // namespace app
