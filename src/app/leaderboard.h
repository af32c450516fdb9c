// Online leaderboard through the web browser: the posted score travels in the address, scrambled with a XOR
// key, Base64 and a checksum and escaped for a URL. The program itself opens no network connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/browser_launch.h"

namespace app {

constexpr const char* Base64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// The scrambling key of every posted score.
constexpr const char* kLeaderboardKey = "qobvse47";
constexpr const char* kLeaderboardEndpoint =
    "http://leaderboard.example.com/Redirector/Games/LeaderboardLookup/Decoder.aspx";

// Standard Base64, padded with '=' to a multiple of four characters, no line breaks.
std::string Base64Encode(const uint8_t* bytes, size_t length);
// byte i = data[i] XOR key[i mod keyLength]; an empty key leaves the data as it is.
std::string XorCipher(const char* data, const char* key, size_t dataLength, size_t keyLength);
std::string XorBase64(const std::string& text, const std::string& key);
// Space → '+'; letters, digits, '/', '.', '-' kept; every other byte → '%' and two lower-case hex digits.
std::string UrlEscape(const std::string& text);
// h = (h · 4) XOR c over the characters (as signed bytes) in 32-bit unsigned arithmetic; the low 31 bits.
uint32_t LeaderboardChecksum(const std::string& text);

// What the score screens say when the browser could not be started for the leaderboard, or its launcher failed.
inline constexpr char kLeaderboardNotOpened[] = "No web browser could be started for the leaderboard";

class LeaderboardClient {
 public:
  // dpValue and gameValue go into the "dp" and "g" fields of every request. The pages open through the launcher
  // (the system's when null) with the desktop's browser.
  LeaderboardClient(std::string dpValue, std::string gameValue, platform::ProcessLauncher* launcher = nullptr);

  // The address posting the score of leaderboard letter 'A' + index; random is the scrambling number 0-9999.
  std::string BuildPostAddress(uint8_t index, int score, int random) const;
  std::string BuildViewAddress() const;

  // Draws the scrambling number from the game's random generator and opens the post address. Both return the
  // browser's launch, for the screen to follow until it has opened or failed.
  BrowserLaunch PostScore(uint8_t index, int score);
  BrowserLaunch ViewScores();

  std::string dpValue;
  std::string gameValue;

 private:
  platform::ProcessLauncher* launcher_;
};

}  // namespace app
