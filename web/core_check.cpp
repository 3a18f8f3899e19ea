// The converter's libraries built for WebAssembly, put to work under node
// by web/check-core: reads a mesh file's bytes into memory, reads them as
// stl2bas reads that file, and writes to standard output what stl2bas
// writes for it:
//
//   core_check convert FILE   stl2bas convert FILE -o -
//   core_check shape FILE     stl2bas convert FILE -o - --up y --fit 400 --faces 300
//   core_check render FILE    stl2bas render FILE -o OUT.svg --angles 30,20,10 --zoom 5
//                             (OUT.svg's bytes; a BASIC data file's optimized mesh)
//
// STL, PLY and BASIC data files are told by the last three letters of
// their name, OFF files by their extension. A failure prints "FILE: message"
// on standard error and exits 1.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_numbering.h"
#include "export/write_bas.h"
#include "import/read_input.h"
#include "import/read_off.h"
#include "preview/svg_picture.h"
#include "preview/wireframe.h"
#include "shape/shape_mesh.h"

namespace {

Outcome Read_Bytes(MeshStore& store, std::string_view bytes) {
  Memory_Source source(bytes);
  const Input_Kind kind = Kind_Of_Input(store.File_Input);
  if (kind != Input_Kind::Unsupported) return Read_Input(store, kind, source);
  if (!Has_Extension(store.File_Input, "OFF")) return Outcome::Failure("unsupported input");
  const Mesh_Reader off = [](Byte_Source& from, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
    return Read_Off(from, name, mesh, progress);
  };
  return Read_Input_With(store, off, Read_Scope::Normal_And_Optimized, source);
}

int Fail(const std::string& name, const std::string& message) {
  std::cerr << name << ": " << message << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2 || (args[0] != "convert" && args[0] != "shape" && args[0] != "render")) {
    std::cerr << "usage: core_check convert|shape|render FILE\n";
    return 2;
  }
  const std::string& mode = args[0];
  std::ifstream file(args[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file) return Fail(args[1], "cannot be read");

  MeshStore store;
  store.File_Input = args[1];
  const Outcome read = Read_Bytes(store, bytes);
  if (!read.ok || !store.Object_Loaded) return Fail(args[1], read.message.empty() ? "not loaded" : read.message);
  const Outcome numbered = Set_Line_Numbering(store, "10", "1");
  if (!numbered.ok) return Fail(args[1], numbered.message);

  const bool bas = Kind_Of_Input(args[1]) == Input_Kind::Bas;
  Shape_Options shape;
  if (mode == "shape") {
    shape.turn = true;
    shape.up = Up_Axis::Y;
    shape.fit_size = 400;
    shape.face_limit = Face_Limit::Count;
    shape.max_faces = 300;
  }
  Shape_Report report;
  const Outcome shaped = Shape_Mesh(store, shape, report);
  if (!shaped.ok) return Fail(args[1], shaped.message);
  if (mode == "render") {
    constexpr int width = 481, height = 473;  // the window's drawing area, as render draws by default
    store.Show_Normal = !bas;
    Set_View(store, 30, 20, 10, 5);
    Set_Drawing_Area(store, width, height);
    std::vector<Segment> segments;
    Build_Wireframe(store, segments);
    std::cout << Svg_Picture(segments, width, height);
    return std::cout.flush() ? 0 : 1;
  }
  if (shape.Any() && store.Nb_Faces < 0)
    return Fail(args[1], "No face keeps its area at one decimal, so the file would hold no face");
  const Outcome written = Write_Bas_To_Stdout(store);
  return written.ok ? 0 : Fail(args[1], written.message);
}
