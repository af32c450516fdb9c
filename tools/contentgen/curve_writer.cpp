// Writer of .crv curve files.
#include "contentgen/curve_writer.h"

#include <locale>
#include <sstream>

#include "contentgen/data_file_writer.h"

namespace contentgen {

std::string CurveText(const CurvePoints& points) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  // Nine significant digits bring every float back exactly.
  out.precision(9);
  out << "# curve: " << points.size() << " points\n";
  for (size_t i = 0; i < points.size(); ++i) {
    out << "point" << i << "\n{\n";
    out << "x = " << static_cast<double>(points[i].first) << "\n";
    out << "y = " << static_cast<double>(points[i].second) << "\n";
    out << "}\n";
  }
  return out.str();
}

bool WriteCurve(const std::string& path, const CurvePoints& points) { return WriteTextFile(path, CurveText(points)); }

}  // namespace contentgen
