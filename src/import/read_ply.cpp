#include "import/read_ply.h"

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "import/line_values.h"
#include "merge/optimize_points.h"

namespace {

constexpr std::string_view kElementVertex = "element vertex";
constexpr std::string_view kElementFace = "element face";
constexpr std::string_view kEndHeader = "end_header";

enum class Element_Kind { Vertex, Face, Other };

struct Element {
  Element_Kind kind;
  int32_t count;
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

// Reads the header up to and including its "end_header" line, counting lines
// in `line_number`. Each declared count is checked against the file's size
// here, so nothing is ever sized from a count the file cannot hold.
Outcome Read_Ply_Header(Line_Reader& file, Ply_Header& header, int64_t& line_number,
                        const std::string& path) {
  const uint64_t file_size = file.File_Size();
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

    Element element{Element_Kind::Other, 0};
    std::string name;
    if (Contains(line, kElementVertex)) {
      element = {Element_Kind::Vertex, Keyword_Count(line, kElementVertex)};
      name = kElementVertex;
    } else if (Contains(line, kElementFace)) {
      element = {Element_Kind::Face, Keyword_Count(line, kElementFace)};
      name = kElementFace;
    } else if (first_word == "element") {
      element.count = Round_To_Int32(Parse_Number(Header_Word(line, 2)));
      name = "element " + std::string(Header_Word(line, 1));
    }
    if (!name.empty()) {
      const std::string at = At_Line(line_number) + "\"" + name + "\" ";
      if (element.count < 0)
        return Outcome::Failure(at + "declares " + std::to_string(element.count) + " entries");
      // Every entry is a line of at least one byte.
      if (static_cast<uint64_t>(element.count) > file_size)
        return Outcome::Failure(at + "declares " + std::to_string(element.count) +
                                " entries, but the file has only " + std::to_string(file_size) + " bytes");
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

Outcome Read_Ply(MeshStore& store, Progress* progress) {
  store.Nb_Pts_Normal = 0;
  store.Nb_Faces = 0;
  store.Object_Loaded = false;

  Line_Reader file;
  if (Outcome opened = Open_Input(file, store.File_Input); !opened.ok) return opened;
  Progress_Meter meter(progress, file);

  Ply_Header header;
  int64_t line_number = 0;
  Outcome outcome = Read_Ply_Header(file, header, line_number, store.File_Input);
  if (!outcome.ok) return outcome;

  store.Nb_Pts_Normal = header.vertices - 1;
  store.Nb_Faces = header.faces - 1;
  if (!Size_Arrays_For_Mesh(store))
    return Outcome::Failure("Not enough memory for " + std::to_string(header.vertices) + " vertices and " +
                            std::to_string(header.faces) + " faces");

  // The element lines, in the header's order, until the file ends.
  int32_t vertices_read = 0;
  int32_t faces_read = 0;
  std::string_view line;
  bool file_ended = false;
  for (const Element& element : header.elements) {
    for (int32_t i = 0; i < element.count; ++i) {
      if (!file.Next(line)) {
        file_ended = true;
        break;
      }
      ++line_number;
      if (!meter.Step("Reading", 0, 80)) return meter.Cancelled();
      if (element.kind == Element_Kind::Vertex) {
        store.Pts_Normal[i] = Parse_Ply_Vertex(line);
        vertices_read = i + 1;
      } else if (element.kind == Element_Kind::Face) {
        Face3 face = Parse_Ply_Face(line);
        for (int32_t corner : {face.A, face.B, face.C})
          if (!Names_Vertex(corner, store.Nb_Pts_Normal))
            return Outcome::Failure(At_Line(line_number) + "face " + std::to_string(i) + " names vertex " +
                                    std::to_string(corner) + ", but the file has " +
                                    std::to_string(header.vertices) + " vertices");
        store.Faces_Normal[i] = face;
        faces_read = i + 1;
      }
    }
    if (file_ended) break;
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, store.File_Input));

  if (vertices_read < header.vertices)
    return Outcome::Silent("The file ends after " + std::to_string(vertices_read) + " of the " +
                           std::to_string(header.vertices) + " vertices its header declares");
  if (vertices_read < 2 || faces_read < 2)
    return Outcome::Silent(Count_Text(vertices_read, "vertex", "vertices") + " and " +
                           Count_Text(faces_read, "face", "faces") + " read: a mesh needs at least two of each");

  store.Object_Loaded = true;
  if (!Optimize_Points(store, progress)) {
    store.Object_Loaded = false;
    return meter.Cancelled();
  }
  return Outcome::Success();
}
