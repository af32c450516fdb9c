// Leaderboard encoders and addresses: Base64, XOR, URL escaping, the checksum and the post and view addresses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/leaderboard.h"
#include "platform/os.h"

namespace {

using namespace app;

std::string B64(const std::string& text) {
  return Base64Encode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(LeaderboardEncoders, Base64PadsToWholeQuartets) {
  EXPECT_EQ(B64(""), "");
  EXPECT_EQ(B64("f"), "Zg==");
  EXPECT_EQ(B64("fo"), "Zm8=");
  EXPECT_EQ(B64("foo"), "Zm9v");
  EXPECT_EQ(B64("foobar"), "Zm9vYmFy");
  const uint8_t high[] = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(Base64Encode(high, 3), "+/+/") << "the last two alphabet letters";
}

TEST(LeaderboardEncoders, XorRepeatsTheKeyAndUsesOnlyWhatTheDataNeeds) {
  EXPECT_EQ(XorCipher("\x01\x02\x03", "\x01\x01", 3, 2), std::string("\x00\x03\x02", 3));
  const std::string expected = {static_cast<char>('a' ^ 'q'), static_cast<char>('b' ^ 'o')};
  EXPECT_EQ(XorCipher("ab", "qobvse47", 2, 8), expected);
  EXPECT_EQ(XorCipher("abc", "", 3, 0), "abc");
  const std::string twice = XorCipher(XorCipher("HSRA=12340", "1234", 10, 4).c_str(), "1234", 10, 4);
  EXPECT_EQ(twice, "HSRA=12340");
  EXPECT_EQ(XorBase64("1234", kLeaderboardKey), "QF1RQg==");
}

TEST(LeaderboardEncoders, UrlEscapeKeepsTheSafeCharactersOnly) {
  EXPECT_EQ(UrlEscape("Az09/.-"), "Az09/.-");
  EXPECT_EQ(UrlEscape("a b"), "a+b");
  EXPECT_EQ(UrlEscape("$"), "%24");
  EXPECT_EQ(UrlEscape("=+_~"), "%3d%2b%5f%7e");
  EXPECT_EQ(UrlEscape(std::string(1, static_cast<char>(233))), "%e9");
  EXPECT_EQ(UrlEscape(std::string("\0x", 2)), "%00x");
}

TEST(LeaderboardEncoders, ChecksumShiftsAndXorsSignedBytes) {
  EXPECT_EQ(LeaderboardChecksum(""), 0u);
  EXPECT_EQ(LeaderboardChecksum("A"), 65u);
  EXPECT_EQ(LeaderboardChecksum("AB"), (65u * 4) ^ 66u);
  // A byte above 127 counts as negative: all its upper bits are set, then the top bit is dropped.
  EXPECT_EQ(LeaderboardChecksum(std::string(1, static_cast<char>(0xE9))), 0xFFFFFFE9u & 0x7FFFFFFFu);
  // Old characters shift out past 32 bits.
  EXPECT_EQ(LeaderboardChecksum(std::string(20, '\x01')), 0x55555555u) << "sixteen ones of 01 in base 4";
}

TEST(LeaderboardClient, PostAddressCarriesTheScrambledScore) {
  LeaderboardClient client("DP", "GAME", [](const std::string&) { return true; });
  EXPECT_EQ(client.BuildPostAddress(0, 12340, 1234),
            std::string(kLeaderboardEndpoint) + "?dp=DP&u=name&g=GAME&d=QF1RQg%3d%3d%24eWFhdQwDAQcFAg%3d%3d%24216159351");
}

TEST(LeaderboardClient, ViewAndPostOpenTheBrowserWithTheirAddresses) {
  std::vector<std::string> opened;
  LeaderboardClient client("dp1", "g1", [&](const std::string& address) {
    opened.push_back(address);
    return false;  // a browser that does not start changes nothing
  });
  client.ViewScores();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::string(kLeaderboardEndpoint) + "?dp=dp1&g=g1");

  platform::CrtSeed(7);
  const int random = platform::CrtRand() % 10000;
  platform::CrtSeed(7);
  client.PostScore(2, 990);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], client.BuildPostAddress(2, 990, random));
}

}  // namespace
