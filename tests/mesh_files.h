#pragma once
// Writers of test meshes in the forms the readers take: ASCII and binary STL,
// ASCII and binary PLY (any scalar type, either byte order, elements in any
// order, extra properties and elements). Each writes the same data in every
// form, so that a test can read them all and expect one store.
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/float_text.h"
#include "core/mesh_store.h"
#include "test_files.h"

// Bytes of a binary file, in either byte order.
class Byte_Writer {
 public:
  explicit Byte_Writer(bool big_endian) : big_(big_endian) {}
  template <typename T>
  void Put(T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if (big_ != (std::endian::native == std::endian::big))
      for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    out_.append(bytes, sizeof(T));
  }
  // A value of a PLY scalar type, named as a header names it.
  void Put_As(const std::string& type, double value) {
    if (type == "char" || type == "int8") Put(static_cast<int8_t>(value));
    else if (type == "uchar" || type == "uint8") Put(static_cast<uint8_t>(value));
    else if (type == "short" || type == "int16") Put(static_cast<int16_t>(value));
    else if (type == "ushort" || type == "uint16") Put(static_cast<uint16_t>(value));
    else if (type == "int" || type == "int32") Put(static_cast<int32_t>(value));
    else if (type == "uint" || type == "uint32") Put(static_cast<uint32_t>(value));
    else if (type == "float" || type == "float32") Put(static_cast<float>(value));
    else Put(value);
  }
  void Text(const std::string& text) { out_ += text; }
  const std::string& Bytes() const { return out_; }

 private:
  bool big_;
  std::string out_;
};

// A facet of an STL file: its three corners.
struct Test_Facet {
  Point3 corners[3];
};

// A point as text that reads back to the same floats.
inline std::string Point_Text(const Point3& p) {
  return Shortest_Float_Text(p.X) + " " + Shortest_Float_Text(p.Y) + " " + Shortest_Float_Text(p.Z);
}

inline std::string Ascii_Stl(const std::vector<Test_Facet>& facets) {
  std::string text = "solid test\n";
  for (const Test_Facet& facet : facets)
    text += Stl_Facet(Point_Text(facet.corners[0]), Point_Text(facet.corners[1]), Point_Text(facet.corners[2]));
  return text + "endsolid test\n";
}

// `header` is padded (or cut) to the format's 80 bytes.
inline std::string Binary_Stl(const std::vector<Test_Facet>& facets, std::string header = "test") {
  Byte_Writer out(false);
  header.resize(80, ' ');
  out.Text(header);
  out.Put(static_cast<uint32_t>(facets.size()));
  for (const Test_Facet& facet : facets) {
    for (int k = 0; k < 3; ++k) out.Put(0.0f);  // the normal, not read
    for (const Point3& p : facet.corners) {
      out.Put(p.X);
      out.Put(p.Y);
      out.Put(p.Z);
    }
    out.Put(uint16_t{0x1234});  // attribute bytes, not read
  }
  return out.Bytes();
}

// Points and polygons of a PLY file.
struct Test_Mesh {
  std::vector<Point3> points;
  std::vector<std::vector<int32_t>> faces;
};

// How a PLY file of a Test_Mesh is laid out.
struct Ply_Layout {
  std::string format = "ascii";  // or binary_little_endian, binary_big_endian
  std::string coordinate_type = "float";
  std::string count_type = "uchar";
  std::string index_type = "int";
  std::string list_name = "vertex_indices";
  bool faces_first = false;
  // Other properties around x, y, z and the corner list, and other elements
  // (one with a list) before and after the mesh's.
  bool extras = false;
};

inline std::string Number_Text(const std::string& type, double value) {
  if (type == "float" || type == "float32") return Shortest_Float_Text(static_cast<float>(value));
  if (type == "double" || type == "float64") {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
  }
  return std::to_string(static_cast<int64_t>(value));
}

// The PLY file of `mesh`; an ASCII file writes the same values as text. The
// coordinates must be values of the coordinate type.
inline std::string Ply_File(const Test_Mesh& mesh, const Ply_Layout& layout,
                            const std::vector<std::vector<double>>& coordinates = {}) {
  const bool ascii = layout.format == "ascii";
  Byte_Writer out(layout.format == "binary_big_endian");
  std::string header = "ply\nformat " + layout.format + " 1.0\ncomment written by a test\n";
  const std::string vertex_header =
      "element vertex " + std::to_string(mesh.points.size()) + "\n" +
      "property " + layout.coordinate_type + " x\n" +
      (layout.extras ? "property list uchar short vertex_tags\n" : "") + "property " + layout.coordinate_type +
      " y\nproperty " + layout.coordinate_type + " z\n" + (layout.extras ? "property uchar red\n" : "");
  const std::string face_header = "element face " + std::to_string(mesh.faces.size()) + "\n" +
                                  (layout.extras ? "property int flags\n" : "") + "property list " +
                                  layout.count_type + " " + layout.index_type + " " + layout.list_name + "\n" +
                                  (layout.extras ? "property list uchar float texcoord\n" : "");
  if (layout.extras) header += "element material 2\nproperty uchar red\nproperty list ushort int refs\n";
  header += layout.faces_first ? face_header + vertex_header : vertex_header + face_header;
  if (layout.extras) header += "element edge 1\nproperty int vertex1\nproperty int vertex2\n";
  out.Text(header + "end_header\n");
  // ASCII lines hold the mesh's values first, as the reader takes them by position.
  auto materials = [&] {
    for (int m = 0; m < 2; ++m) {
      if (ascii) {
        out.Text(std::to_string(m) + (m ? " 2 7 8\n" : " 0\n"));
        continue;
      }
      out.Put(static_cast<uint8_t>(m));
      out.Put(static_cast<uint16_t>(2 * m));
      for (int k = 0; k < 2 * m; ++k) out.Put(int32_t{7 + k});
    }
  };
  auto vertices = [&] {
    for (size_t i = 0; i < mesh.points.size(); ++i) {
      const Point3& p = mesh.points[i];
      const double xyz[3] = {coordinates.empty() ? p.X : coordinates[i][0],
                             coordinates.empty() ? p.Y : coordinates[i][1],
                             coordinates.empty() ? p.Z : coordinates[i][2]};
      if (ascii) {
        out.Text(Number_Text(layout.coordinate_type, xyz[0]) + " " + Number_Text(layout.coordinate_type, xyz[1]) +
                 " " + Number_Text(layout.coordinate_type, xyz[2]) + (layout.extras ? " 0 255" : "") + "\n");
        continue;
      }
      out.Put_As(layout.coordinate_type, xyz[0]);
      if (layout.extras) {
        out.Put(uint8_t{2});
        out.Put(int16_t{-1});
        out.Put(int16_t{5});
      }
      out.Put_As(layout.coordinate_type, xyz[1]);
      out.Put_As(layout.coordinate_type, xyz[2]);
      if (layout.extras) out.Put(uint8_t{255});
    }
  };
  auto faces = [&] {
    for (const std::vector<int32_t>& face : mesh.faces) {
      if (ascii) {
        std::string line = std::to_string(face.size());
        for (int32_t corner : face) {
          line += ' ';
          line += std::to_string(corner);
        }
        out.Text(line + (layout.extras ? " 2 0.5 0.25" : "") + "\n");
        continue;
      }
      if (layout.extras) out.Put(int32_t{-7});
      out.Put_As(layout.count_type, static_cast<double>(face.size()));
      for (int32_t corner : face) out.Put_As(layout.index_type, corner);
      if (layout.extras) {
        out.Put(uint8_t{2});
        out.Put(0.5f);
        out.Put(0.25f);
      }
    }
  };
  if (layout.extras) materials();
  if (layout.faces_first) {
    faces();
    vertices();
  } else {
    vertices();
    faces();
  }
  if (layout.extras) {
    if (ascii) out.Text("0 1\n");
    else {
      out.Put(int32_t{0});
      out.Put(int32_t{1});
    }
  }
  return out.Bytes();
}

// A random polygon mesh: points with repeats (so that merging has work),
// faces of 3 to `most_corners` corners.
inline Test_Mesh Random_Mesh(std::mt19937& random, int points, int faces, int most_corners) {
  Test_Mesh mesh;
  std::uniform_int_distribution<int> grid(-20, 20);
  for (int i = 0; i < points; ++i)
    mesh.points.push_back({grid(random) * 0.25f, grid(random) * 1.5f, static_cast<float>(grid(random))});
  std::uniform_int_distribution<int32_t> corner(0, points - 1);
  std::uniform_int_distribution<int> corners(3, most_corners);
  for (int f = 0; f < faces; ++f) {
    std::vector<int32_t> face(static_cast<size_t>(corners(random)));
    for (int32_t& c : face) c = corner(random);
    mesh.faces.push_back(face);
  }
  return mesh;
}
