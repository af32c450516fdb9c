// The play-time report handed at exit to the host application's statistics component: time played, races
// started and one caller's value. On this platform there is no such component, so nothing is sent.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/result.h"

namespace app {

// The host's statistics component, when one exists: opened, given one report, closed.
class HostStatsComponent {
 public:
  virtual ~HostStatsComponent() = default;
  // identifier: the game's registry-format GUID; flagValue 1 when the report's flag is false, else 0.
  virtual platform::HResult HostOpen(const std::string& identifier, int flagValue, const std::string& folder,
                                     const std::string& text) = 0;
  virtual platform::HResult HostReport(const std::string& secondText, const std::string& firstText,
                                       const std::string& report) = 0;
  virtual platform::HResult HostClose(const std::string& text) = 0;
};

// Makes the component; null when the host does not provide one (always, on this platform).
using HostStatsConnector = std::function<std::unique_ptr<HostStatsComponent>()>;

// The identifier the game opens the component with.
constexpr const char* kHostStatsIdentifier = "{6C6F6E67-2D72-6163-6520-636F72736169}";

class HostStatsReport {
 public:
  HostStatsReport(std::string firstText, std::string secondText, bool flag, HostStatsConnector connector = {});

  void AddPlayTime(float seconds) { timePlayed += seconds; }
  void AddGamePlayed() { ++gamesPlayed; }

  // "LC=1,TP=<seconds rounded>,GP=<games>,UL=<value>".
  std::string BuildReportString() const;

  // Stores ulValue, connects and, when the component opened, sends the report and closes it. Failures end the
  // report quietly.
  void ReportHostStats(int ulValue);

  bool flag;
  bool connected = false;
  float timePlayed = 0;
  int gamesPlayed = 0;
  int ulValue = 0;
  std::string firstText;
  std::string secondText;

 private:
  HostStatsConnector connector_;
};

}  // namespace app
