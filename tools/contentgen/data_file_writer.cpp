// Writer of the tagged text data format.
#include "contentgen/data_file_writer.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <system_error>

namespace contentgen {

std::string FormatNumber(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  if (std::nearbyint(value) == value && std::fabs(value) < 1e15) {
    out << static_cast<long long>(value);
  } else {
    out.precision(9);
    out << value;
  }
  return out.str();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  std::error_code error;
  const std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "contentgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

DataFileWriter& DataFileWriter::Comment(const std::string& text) {
  text_ += "# " + text + "\n";
  return *this;
}

DataFileWriter& DataFileWriter::Record(const std::string& name, const std::vector<std::string>& values) {
  text_ += "<" + name + ">";
  for (const std::string& value : values) text_ += "," + value;
  text_ += "\n";
  return *this;
}

DataFileWriter& DataFileWriter::Record(const std::string& name, std::initializer_list<double> values) {
  std::vector<std::string> texts;
  for (double value : values) texts.push_back(FormatNumber(value));
  return Record(name, texts);
}

DataFileWriter& DataFileWriter::BeginBlock(const std::string& name) {
  text_ += "[" + name + "]\n";
  return *this;
}

DataFileWriter& DataFileWriter::EndBlock(const std::string& name) {
  text_ += "[/" + name + "]\n";
  return *this;
}

DataFileWriter& DataFileWriter::BlankLine() {
  text_ += "\n";
  return *this;
}

bool DataFileWriter::Save(const std::string& path) const { return WriteTextFile(path, text_); }

}  // namespace contentgen
