#include "import/read_ply.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "import/line_values.h"
#include "import/ply_binary.h"
#include "import/ply_header.h"
#include "import/polygon_mesh.h"

Point3 Parse_Ply_Vertex(std::string_view line) {
  return Read_Point(line);
}

void Parse_Ply_Face_Corners(std::string_view line, std::vector<int32_t>& corners) {
  int32_t values[4];  // the corner count, then the first three corners
  const int found = Read_Blank_Separated_Int32(line, values, 4);
  corners.assign(values + 1, values + 4);
  const int32_t count = values[0];
  if (count <= 3 || found < 4) return;
  // A polygon: its corners after the third, up to the count. The values
  // after them (texture lists, colours) are not read.
  size_t at = 0;
  int32_t value = 0;
  for (int skipped = 0; skipped < 4; ++skipped) Next_Int32_Value(line, at, value);
  while (static_cast<int64_t>(corners.size()) < count && Next_Int32_Value(line, at, value)) corners.push_back(value);
}

namespace {

// The element lines of an ASCII file, in the header's order, until the file
// ends (`ended`) or the last element's last line.
Outcome Read_Ply_Ascii_Body(Line_Reader& file, const Ply_Header& header, Polygon_Mesh& built, Progress_Meter& meter,
                            bool& ended) {
  int64_t line_number = header.lines;
  std::vector<int32_t> corners;
  std::string_view line;
  for (const Ply_Element& element : header.elements) {
    for (int32_t i = 0; i < element.count; ++i) {
      if (!file.Next(line)) {
        ended = true;
        return Outcome::Success();
      }
      ++line_number;
      if (!meter.Step("Reading", 0, 80)) return meter.Cancelled();
      if (element.kind == Element_Kind::Vertex) {
        built.Set_Vertex(i, Parse_Ply_Vertex(line));
      } else if (element.kind == Element_Kind::Face) {
        Parse_Ply_Face_Corners(line, corners);
        if (Outcome added = built.Add_Polygon(i, corners, line_number); !added.ok) return added;
      }
    }
  }
  return Outcome::Success();
}

}  // namespace

Outcome Read_Ply(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  Line_Reader file(source);
  Progress_Meter meter(progress, file);

  Ply_Header header;
  mesh.Input_Format = "ascii-ply";
  Outcome outcome = Read_Ply_Header(file, header, name);
  if (header.format != Ply_Format::Ascii) mesh.Input_Format = "binary-ply";
  if (!outcome.ok) return outcome;

  // A file's counts have been checked against its size: its arrays are
  // sized once, now. A stream's counts cannot be checked until it ends, so
  // its arrays grow as its entries arrive and take their full size at the end.
  Polygon_Mesh built(mesh, header.vertices, header.faces, file.Size_Known());
  if (!built.Start()) return built.No_Memory();
  bool ended = false;
  try {
    outcome = header.format == Ply_Format::Ascii ? Read_Ply_Ascii_Body(file, header, built, meter, ended)
                                                 : Read_Ply_Binary_Body(file, header, built, meter, ended);
  } catch (const std::bad_alloc&) {
    return built.No_Memory();  // a stream's arrays, or a polygon's, could not grow
  }
  if (!outcome.ok) return outcome;
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));
  if (!file.Size_Known()) {
    // A stream's counts meet the checks a file's met as its header was
    // read, against its size: as much of it as they need. Entries of no
    // bytes (a binary element without properties) can declare more than
    // was read; the rest of the stream then tells.
    Outcome fits = Check_Ply_Counts(header, file.Bytes_Consumed());
    char rest[1 << 16];
    while (!fits.ok && !ended && file.Read_Raw(rest, sizeof rest) > 0)
      fits = Check_Ply_Counts(header, file.Bytes_Consumed());
    if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));
    if (!fits.ok) {
      // As a file refused in its header leaves them.
      mesh.Nb_Pts_Normal = mesh.Nb_Faces = 0;
      return fits;
    }
  }
  // Each face the file ends before is one zero triangle.
  if (Outcome zeros = built.Add_Zero_Triangles(header.faces - built.Polygons_Read()); !zeros.ok) return zeros;
  return built.Finish();
}
