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

namespace {

constexpr std::string_view kElementVertex = "element vertex";
constexpr std::string_view kElementFace = "element face";
constexpr std::string_view kEndHeader = "end_header";

enum class Element_Kind { Vertex, Face, Other };

struct Element {
  Element_Kind kind;
  int32_t count;
  int64_t line;      // the header line that declares it
  std::string name;  // "element vertex", "element face", "element <name>"
};

// What the header declares, in its order.
struct Ply_Header {
  std::vector<Element> elements;
  int32_t vertices = -1;  // -1: no "element vertex" line
  int32_t faces = -1;     // -1: no "element face" line
};

bool Is_Blank(char c) { return c == ' ' || c == '\t'; }

// The blank-separated word of a header line at `index` (0 for the first),
// or "" when the line has fewer words.
std::string_view Header_Word(std::string_view line, int index) {
  size_t at = 0;
  for (int i = 0;; ++i) {
    while (at < line.size() && Is_Blank(line[at])) ++at;
    size_t end = at;
    while (end < line.size() && !Is_Blank(line[end])) ++end;
    if (i == index || at == end) return line.substr(at, end - at);
    at = end;
  }
}

// The count of a vertex or face element line: the text after the keyword and
// the one character that follows it.
int32_t Keyword_Count(std::string_view line, std::string_view keyword) {
  size_t from = Find_Text(line, keyword) + keyword.size() + 1;
  return Round_To_Int32(Parse_Number(from < line.size() ? line.substr(from) : std::string_view()));
}

// Every entry is a line of at least one byte: a count larger than the input
// cannot be right.
Outcome Check_Count(const Element& element, uint64_t input_size) {
  if (static_cast<uint64_t>(element.count) <= input_size) return Outcome::Success();
  return Outcome::Failure(At_Line(element.line) + "\"" + element.name + "\" declares " +
                          std::to_string(element.count) + " entries, but the file has only " +
                          std::to_string(input_size) + " bytes");
}

// Reads the header up to and including its "end_header" line, counting lines
// in `line_number`. Where the input's size is known, each declared count is
// checked against it here, so nothing is ever sized from a count the file
// cannot hold.
Outcome Read_Ply_Header(Line_Reader& file, Ply_Header& header, int64_t& line_number,
                        const std::string& path) {
  std::string_view line;
  while (file.Next(line)) {
    ++line_number;
    std::string_view first_word = Header_Word(line, 0);
    if (first_word == "format" && Header_Word(line, 1) != "ascii") {
      std::string_view format = Header_Word(line, 1);
      return Outcome::Failure(At_Line(line_number) + "the format is " +
                              (format.empty() ? std::string("not named") : std::string(format)) +
                              "; only ASCII PLY files (\"format ascii\") can be read");
    }

    Element element{Element_Kind::Other, 0, line_number, ""};
    if (Contains(line, kElementVertex)) {
      element.kind = Element_Kind::Vertex;
      element.count = Keyword_Count(line, kElementVertex);
      element.name = kElementVertex;
    } else if (Contains(line, kElementFace)) {
      element.kind = Element_Kind::Face;
      element.count = Keyword_Count(line, kElementFace);
      element.name = kElementFace;
    } else if (first_word == "element") {
      element.count = Round_To_Int32(Parse_Number(Header_Word(line, 2)));
      element.name = "element " + std::string(Header_Word(line, 1));
    }
    if (!element.name.empty()) {
      const std::string at = At_Line(line_number) + "\"" + element.name + "\" ";
      if (element.count < 0)
        return Outcome::Failure(at + "declares " + std::to_string(element.count) + " entries");
      if (file.Size_Known())
        if (Outcome fits = Check_Count(element, static_cast<uint64_t>(file.Input_Size())); !fits.ok) return fits;
      int32_t* declared = element.kind == Element_Kind::Vertex ? &header.vertices
                          : element.kind == Element_Kind::Face ? &header.faces
                                                               : nullptr;
      if (declared) {
        if (*declared >= 0) return Outcome::Failure(at + "is the second such line of the header");
        *declared = element.count;
      }
      header.elements.push_back(element);
    }

    if (Contains(line, kEndHeader)) {
      if (header.vertices < 0)
        return Outcome::Failure(At_Line(line_number) + "the header ends without an \"element vertex\" line");
      if (header.faces < 0)
        return Outcome::Failure(At_Line(line_number) + "the header ends without an \"element face\" line");
      return Outcome::Success();
    }
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, path));
  return Outcome::Silent("No \"end_header\" line: the file ends inside its header");
}

std::string Count_Text(int32_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

bool Names_Vertex(int32_t corner, int32_t last_vertex) { return corner >= 0 && corner <= last_vertex; }

}  // namespace

Point3 Parse_Ply_Vertex(std::string_view line) {
  return Read_Point(line);
}

Face3 Parse_Ply_Face(std::string_view line) {
  int32_t values[4];  // the corner count, then the first three corners
  Read_Blank_Separated_Int32(line, values, 4);
  return {values[1], values[2], values[3]};
}

Outcome Read_Ply(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  Line_Reader file(source);
  Progress_Meter meter(progress, file);

  Ply_Header header;
  int64_t line_number = 0;
  Outcome outcome = Read_Ply_Header(file, header, line_number, name);
  if (!outcome.ok) return outcome;

  mesh.Nb_Pts_Normal = header.vertices - 1;
  mesh.Nb_Faces = header.faces - 1;
  auto no_memory = [&] {
    return Outcome::Failure("Not enough memory for " + std::to_string(header.vertices) + " vertices and " +
                            std::to_string(header.faces) + " faces");
  };
  // A file's counts have been checked against its size: its arrays are
  // sized once, now. A stream's counts cannot be checked until it ends, so
  // its arrays grow as its lines arrive and take their full size at the end.
  const bool sized = file.Size_Known();
  if (sized && !Size_Arrays_For_Mesh(mesh)) return no_memory();
  auto room_for = [&](auto& array, int32_t index, int32_t count) {
    if (sized || static_cast<size_t>(index) < array.size()) return;
    array.Resize(std::min<size_t>(std::max<size_t>(1024, 2 * array.size()), static_cast<size_t>(count)));
  };

  // The element lines, in the header's order, until the file ends.
  int32_t vertices_read = 0;
  int32_t faces_read = 0;
  std::string_view line;
  bool file_ended = false;
  try {
    for (const Element& element : header.elements) {
      for (int32_t i = 0; i < element.count; ++i) {
        if (!file.Next(line)) {
          file_ended = true;
          break;
        }
        ++line_number;
        if (!meter.Step("Reading", 0, 80)) return meter.Cancelled();
        if (element.kind == Element_Kind::Vertex) {
          room_for(mesh.Pts_Normal, i, element.count);
          mesh.Pts_Normal[i] = Parse_Ply_Vertex(line);
          vertices_read = i + 1;
        } else if (element.kind == Element_Kind::Face) {
          Face3 face = Parse_Ply_Face(line);
          for (int32_t corner : {face.A, face.B, face.C})
            if (!Names_Vertex(corner, mesh.Nb_Pts_Normal))
              return Outcome::Failure(At_Line(line_number) + "face " + std::to_string(i) + " names vertex " +
                                      std::to_string(corner) + ", but the file has " +
                                      std::to_string(header.vertices) + " vertices");
          room_for(mesh.Faces_Normal, i, element.count);
          mesh.Faces_Normal[i] = face;
          faces_read = i + 1;
        }
      }
      if (file_ended) break;
    }
  } catch (const std::bad_alloc&) {
    return no_memory();  // a stream's arrays could not grow
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));

  if (!sized) {
    // The stream has ended or given every declared line: its counts meet
    // the same check as a file's, now that its size is known.
    if (file_ended)
      for (const Element& element : header.elements)
        if (Outcome fits = Check_Count(element, file.Bytes_Consumed()); !fits.ok) {
          mesh.Nb_Pts_Normal = mesh.Nb_Faces = 0;  // as a file refused in its header leaves them
          return fits;
        }
    try {
      mesh.Pts_Normal.Resize(static_cast<size_t>(header.vertices));
      mesh.Faces_Normal.Resize(static_cast<size_t>(header.faces));
    } catch (const std::bad_alloc&) {
      return no_memory();
    }
    if (!Size_Derived_Arrays(mesh)) return no_memory();
  }

  if (vertices_read < header.vertices)
    return Outcome::Silent("The file ends after " + std::to_string(vertices_read) + " of the " +
                           std::to_string(header.vertices) + " vertices its header declares");
  if (vertices_read < 2 || faces_read < 2)
    return Outcome::Silent(Count_Text(vertices_read, "vertex", "vertices") + " and " +
                           Count_Text(faces_read, "face", "faces") + " read: a mesh needs at least two of each");
  return Outcome::Success();
}
