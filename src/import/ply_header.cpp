#include "import/ply_header.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "core/parse_number.h"
#include "core/text_chars.h"

namespace {

constexpr std::string_view kElementVertex = "element vertex";
constexpr std::string_view kElementFace = "element face";
constexpr std::string_view kEndHeader = "end_header";

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
double Keyword_Count(std::string_view line, std::string_view keyword, std::string& text) {
  size_t from = Find_Text(line, keyword) + keyword.size() + 1;
  const std::string_view rest = from < line.size() ? line.substr(from) : std::string_view();
  text = Header_Word(rest, 0);
  return Parse_Number(rest);
}

Ply_Property Read_Property(std::string_view line, int64_t line_number) {
  Ply_Property property;
  property.line = line_number;
  int word = 1;
  if (Header_Word(line, 1) == "list") {
    property.list = true;
    property.count_type = Ply_Type_Named(Header_Word(line, 2));
    if (property.count_type == Ply_Type::Unknown) property.type_name = Header_Word(line, 2);
    word = 3;
  }
  const std::string_view type = Header_Word(line, word);
  property.type = Ply_Type_Named(type);
  if (property.type_name.empty()) property.type_name = type;
  property.name = Header_Word(line, word + 1);
  return property;
}

// What a binary file needs of its header besides the counts.
Outcome Check_Binary_Header(Ply_Header& header) {
  for (const Ply_Element& element : header.elements)
    for (const Ply_Property& property : element.properties)
      if (property.type == Ply_Type::Unknown || (property.list && property.count_type == Ply_Type::Unknown))
        return Outcome::Failure(At_Line(property.line) + "the property type \"" + property.type_name +
                                "\" is not a PLY type");
  for (const Ply_Element& element : header.elements) {
    const std::string at = At_Line(element.line) + "\"" + element.name + "\" ";
    if (element.kind == Element_Kind::Vertex) {
      int* axes[3] = {&header.vertex_x, &header.vertex_y, &header.vertex_z};
      const char* names[3] = {"x", "y", "z"};
      for (int k = 0; k < 3; ++k) {
        *axes[k] = element.Find(names[k]);
        if (*axes[k] < 0 || element.properties[*axes[k]].list)
          return Outcome::Failure(at + "has no property " + names[k] + ": a binary file's vertices need x, y and z");
      }
    } else if (element.kind == Element_Kind::Face) {
      header.face_list = -1;
      for (const char* name : {"vertex_indices", "vertex_index"}) {
        const int found = element.Find(name);
        if (found >= 0 && element.properties[found].list) {
          header.face_list = found;
          break;
        }
      }
      for (size_t i = 0; header.face_list < 0 && i < element.properties.size(); ++i)
        if (element.properties[i].list) header.face_list = static_cast<int>(i);
      if (header.face_list < 0)
        return Outcome::Failure(at + "has no list property: a binary file's faces need their corners");
    }
  }
  return Outcome::Success();
}

}  // namespace

int Ply_Type_Size(Ply_Type type) {
  switch (type) {
    case Ply_Type::Int8:
    case Ply_Type::Uint8: return 1;
    case Ply_Type::Int16:
    case Ply_Type::Uint16: return 2;
    case Ply_Type::Int32:
    case Ply_Type::Uint32:
    case Ply_Type::Float32: return 4;
    case Ply_Type::Float64: return 8;
    case Ply_Type::Unknown: break;
  }
  return 0;
}

Ply_Type Ply_Type_Named(std::string_view name) {
  static constexpr std::pair<std::string_view, Ply_Type> kNames[] = {
      {"char", Ply_Type::Int8},     {"int8", Ply_Type::Int8},       {"uchar", Ply_Type::Uint8},
      {"uint8", Ply_Type::Uint8},   {"short", Ply_Type::Int16},     {"int16", Ply_Type::Int16},
      {"ushort", Ply_Type::Uint16}, {"uint16", Ply_Type::Uint16},   {"int", Ply_Type::Int32},
      {"int32", Ply_Type::Int32},   {"uint", Ply_Type::Uint32},     {"uint32", Ply_Type::Uint32},
      {"float", Ply_Type::Float32}, {"float32", Ply_Type::Float32}, {"double", Ply_Type::Float64},
      {"float64", Ply_Type::Float64}};
  for (const auto& [text, type] : kNames)
    if (name == text) return type;
  return Ply_Type::Unknown;
}

uint64_t Ply_Element::Least_Bytes() const {
  uint64_t bytes = 0;
  for (const Ply_Property& property : properties)
    bytes += static_cast<uint64_t>(Ply_Type_Size(property.list ? property.count_type : property.type));
  return bytes;
}

std::string Ply_Element::Count_Text() const {
  const double whole = std::nearbyint(declared);
  if (std::fabs(whole) < 9007199254740992.0) return std::to_string(static_cast<int64_t>(whole));
  return declared_text;
}

int Ply_Element::Find(std::string_view property) const {
  for (size_t i = 0; i < properties.size(); ++i)
    if (properties[i].name == property) return static_cast<int>(i);
  return -1;
}

Outcome Check_Ply_Count(const Ply_Element& element, Ply_Format format, uint64_t input_size) {
  const uint64_t count = static_cast<uint64_t>(element.count);
  const std::string declares = At_Line(element.line) + "\"" + element.name + "\" declares " +
                               element.Count_Text() + " entries";
  const std::string has = ", but the file has only " + std::to_string(input_size) + " bytes";
  if (format == Ply_Format::Ascii) {
    // Every entry is a line of at least one byte.
    if (count <= input_size) return Outcome::Success();
    return Outcome::Failure(declares + has);
  }
  const uint64_t least = element.Least_Bytes();
  if (least == 0 || count <= input_size / least) return Outcome::Success();
  return Outcome::Failure(declares + " of at least " + std::to_string(least) + " bytes" + has);
}

Outcome Check_Ply_Counts(const Ply_Header& header, uint64_t input_size) {
  for (const Ply_Element& element : header.elements)
    if (element.declared_as_text)
      if (Outcome fits = Check_Ply_Count(element, Ply_Format::Ascii, input_size); !fits.ok) return fits;
  if (header.format != Ply_Format::Ascii)
    for (const Ply_Element& element : header.elements)
      if (Outcome fits = Check_Ply_Count(element, header.format, input_size); !fits.ok) return fits;
  return Outcome::Success();
}

Outcome Read_Ply_Header(Line_Reader& file, Ply_Header& header, const std::string& name) {
  std::string_view line;
  while (file.Next(line)) {
    const int64_t line_number = ++header.lines;
    std::string_view first_word = Header_Word(line, 0);
    if (first_word == "format") {
      const std::string_view format = Header_Word(line, 1);
      if (format == "ascii")
        header.format = Ply_Format::Ascii;
      else if (format == "binary_little_endian")
        header.format = Ply_Format::Binary_Little_Endian;
      else if (format == "binary_big_endian")
        header.format = Ply_Format::Binary_Big_Endian;
      else
        return Outcome::Failure(At_Line(line_number) + "the format is " +
                                (format.empty() ? std::string("not named") : std::string(format)) +
                                "; PLY files are \"format ascii\", \"format binary_little_endian\" or "
                                "\"format binary_big_endian\"");
    }

    Ply_Element element;
    element.line = line_number;
    element.declared_as_text = header.format == Ply_Format::Ascii;
    if (Contains(line, kElementVertex)) {
      element.kind = Element_Kind::Vertex;
      element.declared = Keyword_Count(line, kElementVertex, element.declared_text);
      element.name = kElementVertex;
    } else if (Contains(line, kElementFace)) {
      element.kind = Element_Kind::Face;
      element.declared = Keyword_Count(line, kElementFace, element.declared_text);
      element.name = kElementFace;
    } else if (first_word == "element") {
      element.declared_text = Header_Word(line, 2);
      element.declared = Parse_Number(element.declared_text);
      element.name = "element " + std::string(Header_Word(line, 1));
    } else if (first_word == "property" && !header.elements.empty()) {
      header.elements.back().properties.push_back(Read_Property(line, line_number));
    }
    if (!element.name.empty()) {
      element.count = Round_To_Int32(element.declared);
      const std::string at = At_Line(line_number) + "\"" + element.name + "\" ";
      if (element.count < 0)
        return Outcome::Failure(at + "declares " + element.Count_Text() + " entries");
      if (std::nearbyint(element.declared) > INT32_MAX)
        return Outcome::Failure(at + "declares " + element.Count_Text() +
                                " entries, more than a mesh can hold");
      // A binary entry's size is known once its properties are: at the end.
      if (file.Size_Known() && header.format == Ply_Format::Ascii)
        if (Outcome fits = Check_Ply_Count(element, Ply_Format::Ascii, static_cast<uint64_t>(file.Input_Size()));
            !fits.ok)
          return fits;
      int32_t* declared = element.kind == Element_Kind::Vertex ? &header.vertices
                          : element.kind == Element_Kind::Face ? &header.faces
                                                               : nullptr;
      if (declared) {
        if (*declared >= 0) return Outcome::Failure(at + "is the second such line of the header");
        *declared = element.count;
      }
      header.elements.push_back(std::move(element));
    }

    if (Contains(line, kEndHeader)) {
      if (header.vertices < 0)
        return Outcome::Failure(At_Line(line_number) + "the header ends without an \"element vertex\" line");
      if (header.faces < 0)
        return Outcome::Failure(At_Line(line_number) + "the header ends without an \"element face\" line");
      if (header.format == Ply_Format::Ascii) return Outcome::Success();
      if (Outcome typed = Check_Binary_Header(header); !typed.ok) return typed;
      if (file.Size_Known()) return Check_Ply_Counts(header, static_cast<uint64_t>(file.Input_Size()));
      return Outcome::Success();
    }
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));
  return Outcome::Silent("No \"end_header\" line: the file ends inside its header");
}
