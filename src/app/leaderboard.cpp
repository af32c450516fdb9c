// Leaderboard encoders and the post and view addresses.
#include "app/leaderboard.h"

#include "platform/os.h"

namespace app {

std::string Base64Encode(const uint8_t* bytes, size_t length) {
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3) {
    const uint32_t b0 = bytes[i];
    const uint32_t b1 = i + 1 < length ? bytes[i + 1] : 0;
    const uint32_t b2 = i + 2 < length ? bytes[i + 2] : 0;
    const uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
    out += Base64Alphabet[(triple >> 18) & 63];
    out += Base64Alphabet[(triple >> 12) & 63];
    out += i + 1 < length ? Base64Alphabet[(triple >> 6) & 63] : '=';
    out += i + 2 < length ? Base64Alphabet[triple & 63] : '=';
  }
  return out;
}

std::string XorCipher(const char* data, const char* key, size_t dataLength, size_t keyLength) {
  std::string out(data, dataLength);
  if (keyLength == 0) return out;
  for (size_t i = 0; i < dataLength; ++i) out[i] = static_cast<char>(data[i] ^ key[i % keyLength]);
  return out;
}

std::string XorBase64(const std::string& text, const std::string& key) {
  const std::string scrambled = XorCipher(text.data(), key.data(), text.size(), key.size());
  return Base64Encode(reinterpret_cast<const uint8_t*>(scrambled.data()), scrambled.size());
}

std::string UrlEscape(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == ' ') {
      out += '+';
    } else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
               byte == '/' || byte == '.' || byte == '-') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

uint32_t LeaderboardChecksum(const std::string& text) {
  uint32_t h = 0;
  for (const char c : text) h = (h * 4u) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
  return h & 0x7FFFFFFFu;
}

LeaderboardClient::LeaderboardClient(std::string dp, std::string game, platform::ProcessLauncher* launcher)
    : dpValue(std::move(dp)),
      gameValue(std::move(game)),
      launcher_(launcher != nullptr ? launcher : &platform::SystemLauncher()) {}

std::string LeaderboardClient::BuildPostAddress(uint8_t index, int score, int random) const {
  const std::string randomText = std::to_string(random);
  const std::string scrambledRandom = XorBase64(randomText, kLeaderboardKey);
  const std::string record = std::string("HSR") + static_cast<char>('A' + index) + "=" + std::to_string(score);
  const std::string scrambledRecord = XorBase64(record, randomText);
  const std::string checksum = std::to_string(LeaderboardChecksum(scrambledRecord + kLeaderboardKey));
  return std::string(kLeaderboardEndpoint) + "?dp=" + dpValue + "&u=name&g=" + gameValue +
         "&d=" + UrlEscape(scrambledRandom) + "%24" + UrlEscape(scrambledRecord) + "%24" + UrlEscape(checksum);
}

std::string LeaderboardClient::BuildViewAddress() const {
  return std::string(kLeaderboardEndpoint) + "?dp=" + dpValue + "&g=" + gameValue;
}

BrowserLaunch LeaderboardClient::PostScore(uint8_t index, int score) {
  const int random = platform::CrtRand() % 10000;
  return BrowserLaunch::Open(*launcher_, BuildPostAddress(index, score, random));
}

BrowserLaunch LeaderboardClient::ViewScores() { return BrowserLaunch::Open(*launcher_, BuildViewAddress()); }

}  // namespace app
