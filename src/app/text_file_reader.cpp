// Line-by-line tokenizing reader of text data files.
#include "app/text_file_reader.h"

#include <cstring>
#include <utility>

#include "platform/file_system.h"

namespace app {

namespace {

constexpr const char* kWhitespaceSeparators = " \t\n\r:";

bool IsSeparator(char c, const char* separators) {
  // strchr would also match the terminating zero; a zero byte never reaches here since lines stop at it.
  return c != '\0' && std::strchr(separators, c) != nullptr;
}

}  // namespace

bool TextFileReader::Open(const std::string& path) {
  Close();
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes, platform::kMaxTextFileBytes)) return false;
  text_.assign(bytes.begin(), bytes.end());
  path_ = path;
  open_ = true;
  eof_ = false;
  streamEnd_ = false;
  position_ = 0;
  return true;
}

void TextFileReader::OpenText(std::string text, std::string name) {
  Close();
  text_ = std::move(text);
  path_ = std::move(name);
  open_ = true;
  Rewind();
}

void TextFileReader::Rewind() {
  position_ = 0;
  eof_ = false;
  streamEnd_ = false;
}

void TextFileReader::Close() {
  text_.clear();
  text_.shrink_to_fit();
  position_ = 0;
  open_ = false;
  streamEnd_ = false;
}

std::string TextFileReader::ReadLine() {
  if (!open_ || position_ >= text_.size()) {
    streamEnd_ = true;
    eof_ = true;
    return {};
  }
  // The line is taken in one piece: a long line costs its own length once, not its growth.
  size_t end = position_;
  while (end < text_.size() && text_[end] != '\n' && text_[end] != '\0') ++end;
  std::string line = text_.substr(position_, end - position_);
  if (end == text_.size()) {
    streamEnd_ = true;
    eof_ = true;
  }
  position_ = end < text_.size() ? end + 1 : end;
  return line;
}

void TextFileReader::ReadTokens(TokenQueue& tokens, const char* separators, char comment) {
  if (!open_ || streamEnd_) {
    eof_ = true;
    return;
  }
  std::string line;
  do {
    line = ReadLine();
  } while (!eof_ && !line.empty() && line[0] == comment);
  if (eof_) return;
  TokenizeString(tokens, line, separators, comment);
}

void TextFileReader::ReadWhitespaceTokens(TokenQueue& tokens, char comment) {
  ReadTokens(tokens, kWhitespaceSeparators, comment);
}

void TokenizeString(TokenQueue& tokens, const std::string& text, const char* separators, char comment) {
  size_t end = text.size();
  if (comment != '\0') {
    const size_t cut = text.find(comment);
    if (cut != std::string::npos) end = cut;
  }
  size_t i = 0;
  while (i < end) {
    while (i < end && IsSeparator(text[i], separators)) ++i;
    const size_t start = i;
    while (i < end && !IsSeparator(text[i], separators)) ++i;
    if (i > start) tokens.emplace_back(text, start, i - start);
  }
}

}  // namespace app
