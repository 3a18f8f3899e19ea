#include "shape/target_report.h"

#include "export/write_bas.h"

Target_Report Report_Target(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                            int16_t step, const Bas_Format& format) {
  Target_Report report;
  report.bounds = Bounds_Of(points);
  report.lines_needed = Count_Bas_Lines(points, faces, start, step, format);
  report.lines_available = Available_Bas_Lines(start, step);
  return report;
}
