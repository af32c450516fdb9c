// Line-by-line reader of text data files that splits each line into tokens by a set of separators and cuts comments.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace app {

using TokenQueue = std::deque<std::string>;

// Reads a whole text file into memory and hands it out line by line. Files are read as bytes: a carriage
// return stays in the line and is removed only when it is in the caller's separator set. A last line that is
// not ended by a line feed is never delivered as tokens, so a file cut short mid-line loses only that line.
class TextFileReader {
 public:
  TextFileReader() = default;
  ~TextFileReader() = default;
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  // Opens a data file (any case, either slash). Returns false, with nothing open, when it cannot be read.
  bool Open(const std::string& path);
  // Reads from text held in memory instead of a file (used by parsers of generated or fuzzed input). The text is
  // taken over, not copied, when it is moved in.
  void OpenText(std::string text, std::string name = "<memory>");
  // Starts again at the first line, as just after opening.
  void Rewind();
  void Close();
  bool IsOpen() const { return open_; }
  // True when the text opened holds nothing at all.
  bool IsEmpty() const { return text_.empty(); }
  const std::string& Path() const { return path_; }

  // True once a read has met the end of the text (or a token read was tried with nothing open).
  bool Eof() const { return eof_; }

  // The next line without its line feed; stops early at a zero byte. Sets Eof when the text ends first.
  std::string ReadLine();
  // Appends the tokens of the next line that does not begin with the comment character. Nothing is appended
  // for the final unterminated line or at the end of the text. The queue is never emptied here.
  void ReadTokens(TokenQueue& tokens, const char* separators, char comment);
  // ReadTokens with the separators space, tab, line feed, carriage return and colon.
  void ReadWhitespaceTokens(TokenQueue& tokens, char comment);

 private:
  std::string text_;
  size_t position_ = 0;
  std::string path_;
  bool open_ = false;
  bool eof_ = false;
  // Set when a read has failed at the end, like a stream's end-of-file indicator.
  bool streamEnd_ = false;
};

// Cuts the text at the first comment character and appends its tokens: maximal runs of characters that are
// not separators (so runs of separators make no empty token).
void TokenizeString(TokenQueue& tokens, const std::string& text, const char* separators, char comment);

}  // namespace app
