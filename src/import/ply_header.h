#pragma once
// The header of a PLY file: its format, and the elements it declares ("element
// vertex 8", "element face 12", any others) in its order, each with its
// properties. The data of an ASCII file is read by position (a vertex line's
// first three values, a face line's count and corners), so its property
// lines only matter to a binary file, which cannot be read without the type
// of every value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_reader.h"
#include "core/outcome.h"

enum class Ply_Format { Ascii, Binary_Little_Endian, Binary_Big_Endian };

// The scalar types of a property: char/int8, uchar/uint8, short/int16,
// ushort/uint16, int/int32, uint/uint32, float/float32, double/float64.
enum class Ply_Type : uint8_t { Int8, Uint8, Int16, Uint16, Int32, Uint32, Float32, Float64, Unknown };

// Bytes a value of the type takes in a binary file (0 for Unknown).
int Ply_Type_Size(Ply_Type type);
// The type of a name ("float", "float32", ...), or Unknown.
Ply_Type Ply_Type_Named(std::string_view name);

struct Ply_Property {
  std::string name;
  bool list = false;
  Ply_Type count_type = Ply_Type::Unknown;  // a list's count
  Ply_Type type = Ply_Type::Unknown;        // the value, or each item of a list
  std::string type_name;                    // as written, for messages
  int64_t line = 0;
};

enum class Element_Kind { Vertex, Face, Other };

struct Ply_Element {
  Element_Kind kind = Element_Kind::Other;
  int32_t count = 0;     // the declared count, saturated at the counters' range
  double declared = 0;        // the count as the header gives it
  std::string declared_text;  // and as it is written there

  // The declared count for messages: rounded to a whole number, or, beyond
  // what a double holds exactly, as the header writes it.
  std::string Count_Text() const;
  int64_t line = 0;  // the header line that declares it
  std::string name;  // "element vertex", "element face", "element <name>"
  std::vector<Ply_Property> properties;
  // No format line other than "format ascii" came before it: its count was
  // checked as an ASCII file's as soon as it was read.
  bool declared_as_text = true;

  // The least bytes one entry takes in a binary file: every scalar, and
  // every list's count with no items.
  uint64_t Least_Bytes() const;
  // The property of this name, or -1.
  int Find(std::string_view property) const;
};

struct Ply_Header {
  Ply_Format format = Ply_Format::Ascii;
  std::vector<Ply_Element> elements;
  int32_t vertices = -1;  // -1: no "element vertex" line
  int32_t faces = -1;     // -1: no "element face" line
  int64_t lines = 0;      // header lines read, "end_header" included
  // Binary files: where x, y and z lie among the vertex's properties, and
  // which list of the face holds its corners ("vertex_indices",
  // "vertex_index", else the first list).
  int vertex_x = -1, vertex_y = -1, vertex_z = -1;
  int face_list = -1;
};

// Reads the header up to and including its "end_header" line. Where the
// input's size is known, each declared count is checked against it, so that
// nothing is ever sized from a count the file cannot hold: an ASCII entry
// is a line of at least one byte, a binary entry takes Least_Bytes. A binary
// header must type every property, give the vertex x, y and z and the face a
// list. `name` names the input in messages.
Outcome Read_Ply_Header(Line_Reader& file, Ply_Header& header, const std::string& name);

// Whether `count` entries of `element` fit in `input_size` bytes, read in
// `format`; the refusal names the element's line.
Outcome Check_Ply_Count(const Ply_Element& element, Ply_Format format, uint64_t input_size);

// Every check of the header's counts against `input_size` that a file meets
// as its header is read: a stream's, once it has ended.
Outcome Check_Ply_Counts(const Ply_Header& header, uint64_t input_size);
