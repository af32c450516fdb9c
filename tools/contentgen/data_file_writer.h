// Writer of the tagged text data format: <NAME>,value,... records and [NAME] ... [/NAME] blocks.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace contentgen {

// Builds the text line by line; every line ends with a line feed, so the last one is read too.
class DataFileWriter {
 public:
  // # comment line.
  DataFileWriter& Comment(const std::string& text);
  // <NAME>,value,value...  Values must not hold ':', ',', '#', tabs or line breaks (they would split).
  DataFileWriter& Record(const std::string& name, const std::vector<std::string>& values = {});
  // Convenience for numeric values, written in shortest round-trip form.
  DataFileWriter& Record(const std::string& name, std::initializer_list<double> values);
  DataFileWriter& BeginBlock(const std::string& name);
  DataFileWriter& EndBlock(const std::string& name);
  DataFileWriter& BlankLine();

  const std::string& Text() const { return text_; }
  // Writes the text to the path (folders created); false and a printed line on failure.
  bool Save(const std::string& path) const;

 private:
  std::string text_;
};

// A number as the data files write it: integers without a decimal point, others with up to 9 significant digits.
std::string FormatNumber(double value);

// Writes text to a file, creating its folder; false and a printed line on failure.
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace contentgen
