// Leaderboard encoders and addresses: Base64, XOR, URL escaping, the checksum and the post and view addresses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/leaderboard.h"
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
  std::vector<std::string> opened;
  LeaderboardClient client("DP", "GAME", [&](const std::string& address) {
    opened.push_back(address);
    return false;  // a browser that does not start changes nothing
  });
  EXPECT_EQ(client.BuildPostAddress(0, 12340, 1234),
            std::string(kLeaderboardEndpoint) + "?dp=DP&u=name&g=GAME&d=QF1RQg%3d%3d%24eWFhdQwDAQcFAg%3d%3d%24216159351");
  client.ViewScores();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::string(kLeaderboardEndpoint) + "?dp=DP&g=GAME");
  platform::CrtSeed(7);
  const int random = platform::CrtRand() % 10000;
  platform::CrtSeed(7);
  client.PostScore(2, 990);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], client.BuildPostAddress(2, 990, random));
}

}  // namespace
