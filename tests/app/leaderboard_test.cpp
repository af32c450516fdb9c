// Leaderboard encoders and addresses: Base64, XOR, URL escaping, the checksum, the post and view addresses, and
// the browser's launch followed until it has opened or failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/leaderboard.h"
#include "platform/null_desktop.h"
#include "platform/os.h"

namespace {

using namespace app;

TEST(LeaderboardEncoders, PaddingEscapesAndSignedChecksumBytes) {
  for (auto [text, encoded] : {std::pair{"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xFB\xFF\xBF", "+/+/"}}) {
    EXPECT_EQ(Base64Encode(reinterpret_cast<const uint8_t*>(text), std::strlen(text)), encoded) << text;
  }
  EXPECT_EQ(XorCipher("ab", "qobvse47", 2, 8), std::string({static_cast<char>('a' ^ 'q'), static_cast<char>('b' ^ 'o')}));
  EXPECT_EQ(UrlEscape("Az09/.- $=_~"), "Az09/.-+%24%3d%5f%7e");
  EXPECT_EQ(UrlEscape(std::string("\0\xE9", 2)), "%00%e9");
  // A byte above 127 counts as negative: all its upper bits are set, then the top bit is dropped.
  EXPECT_EQ(LeaderboardChecksum(std::string(1, static_cast<char>(0xE9))), 0xFFFFFFE9u & 0x7FFFFFFFu);
  EXPECT_EQ(LeaderboardChecksum(std::string(20, '\x01')), 0x55555555u) << "old characters shift out past 32 bits";
}

TEST(LeaderboardClient, ViewAndPostOpenTheBrowserWithTheirAddresses) {
  platform::RecordingLauncher launcher;
  launcher.opens = false;  // a browser that does not start changes nothing
  LeaderboardClient client("DP", "GAME", &launcher);
  EXPECT_EQ(client.BuildPostAddress(0, 12340, 1234),
            std::string(kLeaderboardEndpoint) + "?dp=DP&u=name&g=GAME&d=QF1RQg%3d%3d%24eWFhdQwDAQcFAg%3d%3d%24216159351");
  client.ViewScores();
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_EQ(launcher.calls[0].program, std::string(kLeaderboardEndpoint) + "?dp=DP&g=GAME");
  EXPECT_TRUE(launcher.calls[0].arguments.empty());
  EXPECT_FALSE(launcher.calls[0].waited) << "the game goes on while the browser runs";
  platform::CrtSeed(7);
  const int random = platform::CrtRand() % 10000;
  platform::CrtSeed(7);
  client.PostScore(2, 990);
  ASSERT_EQ(launcher.calls.size(), 2u);
  EXPECT_EQ(launcher.calls[1].program, client.BuildPostAddress(2, 990, random));
}

// Both pages are followed frame by frame until the browser is known to have opened or failed, and each end is
// told once: a failure the player would otherwise never see, and a launcher that goes on as the browser.
TEST(LeaderboardClient, TheBrowsersLaunchIsFollowedUntilItHasOpenedOrFailed) {
  using platform::ProgramOutcome;
  using Step = BrowserLaunch::Step;
  constexpr ProgramOutcome kRun = ProgramOutcome::kRunning;
  const struct {
    const char* what;
    bool starts;
    std::vector<ProgramOutcome> outcomes;  // what the launcher reports on each frame; the last one from then on
    Step end;
    int endFrame;  // the frame (of 0.25 s) that tells the end
  } cases[] = {
      {"no launcher", false, {ProgramOutcome::kSucceeded}, Step::kFailed, 1},
      {"the launcher fails at once", true, {ProgramOutcome::kFailed}, Step::kFailed, 1},
      {"the launcher fails after a moment", true, {kRun, kRun, ProgramOutcome::kFailed}, Step::kFailed, 3},
      {"the launcher fails within the grace", true, {kRun, kRun, kRun, kRun, kRun, ProgramOutcome::kFailed},
       Step::kFailed, 6},
      {"the launcher hands the page over and ends", true, {kRun, ProgramOutcome::kSucceeded}, Step::kOpened, 2},
      {"the launcher runs on as the browser", true, {kRun}, Step::kOpened, 6},  // 6 × 0.25 s = the grace
  };
  ASSERT_FLOAT_EQ(kBrowserStartGrace, 1.5f);
  for (const auto& c : cases) {
    for (const bool view : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (view ? ", view" : ", post"));
      platform::RecordingLauncher launcher;
      launcher.opens = c.starts;
      LeaderboardClient client("DP", "GAME", &launcher);
      BrowserLaunch launch = view ? client.ViewScores() : client.PostScore(0, 1000);
      EXPECT_TRUE(launch.Waiting());
      int frame = 0;
      Step step = Step::kWaiting;
      while (step == Step::kWaiting && frame < 100) {
        launcher.outcome = c.outcomes[std::min<size_t>(frame, c.outcomes.size() - 1)];
        ++frame;
        step = launch.Follow(0.25f);
      }
      EXPECT_EQ(step, c.end);
      EXPECT_EQ(frame, c.endFrame);
      EXPECT_FALSE(launch.Waiting());
      // Only the program started is asked about, and only while it is followed.
      const std::vector<int64_t> asked(c.starts ? c.endFrame : 0, c.starts ? 1 : 0);
      EXPECT_EQ(launcher.asked, asked);
      EXPECT_EQ(launch.Follow(0.25f), Step::kIdle) << "the end is told once";
      EXPECT_EQ(launcher.asked.size(), asked.size());
    }
  }
  EXPECT_EQ(BrowserLaunch().Follow(0.25f), BrowserLaunch::Step::kIdle) << "nothing launched, nothing to tell";
}

}  // namespace
