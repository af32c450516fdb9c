// Tests of the tokenizing text reader.
#include "app/text_file_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

constexpr const char* kDataSeparators = ":,\n\t\r";

TokenQueue Tokens(std::initializer_list<const char*> values) {
  TokenQueue tokens;
  for (const char* v : values) tokens.emplace_back(v);
  return tokens;
}

TEST(TextFileReader, SkipsCommentLinesKeepsEmptyLinesAndNeedsTheLastLineFeed) {
  const struct {
    const char* text;
    std::vector<TokenQueue> lines;
  } cases[] = {
      {"# header\n#more\nA,B\n\nC\n", {Tokens({"A", "B"}), {}, Tokens({"C"})}},  // an empty line is a line
      {"A\nB", {Tokens({"A"})}},
  };
  for (const auto& c : cases) {
    TextFileReader reader;
    reader.OpenText(c.text);
    for (const TokenQueue& expected : c.lines) {
      TokenQueue tokens;
      EXPECT_FALSE(reader.Eof());
      reader.ReadTokens(tokens, kDataSeparators, '#');
      EXPECT_EQ(tokens, expected) << c.text;
    }
    TokenQueue rest;
    reader.ReadTokens(rest, kDataSeparators, '#');
    EXPECT_TRUE(rest.empty()) << c.text;
    EXPECT_TRUE(reader.Eof());
  }
}

TEST(TextFileReader, LinesStopAtZeroBytes) {
  TextFileReader reader;
  reader.OpenText(std::string("AB\0CD\n", 6));
  EXPECT_EQ(reader.ReadLine(), "AB");
  EXPECT_EQ(reader.ReadLine(), "CD");
  EXPECT_FALSE(reader.Eof());
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.Eof());
}

}  // namespace
}  // namespace app
