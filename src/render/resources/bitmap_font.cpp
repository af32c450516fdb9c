// Width-table parsing: tokens split by the table's separators, numbers read like the C library's atoi.
#include "render/resources/bitmap_font.h"

#include <cctype>
#include <climits>
#include <vector>

#include "platform/file_system.h"

namespace render {

namespace {

constexpr char kSeparators[] = " \t\n\r:=";
constexpr char kComment = '#';

bool IsSeparator(char c) {
  for (const char* s = kSeparators; *s != '\0'; ++s) {
    if (*s == c) return true;
  }
  return false;
}

// Leading white space skipped, optional sign, digits up to the first non-digit; 0 when none. Saturates instead of
// overflowing.
long long ReadInteger(const std::string& token) {
  size_t i = 0;
  while (i < token.size() && std::isspace(static_cast<unsigned char>(token[i]))) ++i;
  bool negative = false;
  if (i < token.size() && (token[i] == '-' || token[i] == '+')) negative = token[i++] == '-';
  long long value = 0;
  for (; i < token.size() && std::isdigit(static_cast<unsigned char>(token[i])); ++i) {
    if (value < INT_MAX) value = value * 10 + (token[i] - '0');
  }
  if (value > INT_MAX) value = INT_MAX;
  return negative ? -value : value;
}

}  // namespace

void BitmapFont::ParseIni(const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t comment = line.find(kComment);
    if (comment != std::string::npos) line.resize(comment);
    std::vector<std::string> tokens;
    std::string token;
    for (char c : line) {
      if (IsSeparator(c)) {
        if (!token.empty()) tokens.push_back(token);
        token.clear();
      } else {
        token += c;
      }
    }
    if (!token.empty()) tokens.push_back(token);
    if (tokens.size() < 2 || tokens[0] == "[Char") continue;
    const long long code = ReadInteger(tokens[0]);
    // Only codes of the table: a negative one would write before it.
    if (code < 0 || code > 255) continue;
    widths[static_cast<size_t>(code)] = static_cast<int32_t>(ReadInteger(tokens[1]));
  }
}

void BitmapFont::LoadIni(const std::string& fileName) {
  widthAdjustment = 0;
  letterSpacing = 0;
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(platform::ResolveDataPath(fileName), bytes, platform::kMaxTextFileBytes)) return;
  ParseIni(std::string(bytes.begin(), bytes.end()));
}

}  // namespace render
