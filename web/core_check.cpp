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
#include <vector>

#include "core/byte_source.h"
#include "model/load_model.h"
#include "model/render_model.h"
#include "model/save_model.h"
#include "preview/svg_picture.h"

namespace {

int Fail(const std::string& name, const Outcome& outcome) {
  std::cerr << name << ": " << (outcome.message.empty() ? "not loaded" : outcome.message) << "\n";
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
  if (!file) return Fail(args[1], Outcome::Failure("cannot be read"));

  // Read, numbered and shaped as stl2bas reads the file (the page's road).
  Model_Request request;
  Outcome refused;
  request.choice = Choose_Input(args[1], "", More_Formats{}, refused);
  if (!request.choice.Chosen()) return Fail(args[1], refused);
  const bool bas = request.choice.kind == Input_Kind::Bas;
  if (mode == "shape") {
    request.shape.turn = true;
    request.shape.up = Up_Axis::Y;
    request.shape.fit_size = 400;
    request.shape.face_limit = Face_Limit::Count;
    request.shape.max_faces = 300;
  }
  // render draws the normal mesh, but of a BASIC data file, which has none.
  request.normal_only = mode == "render" && !bas;
  Memory_Source source(bytes);
  request.source = &source;
  MeshStore store;
  store.File_Input = args[1];
  const Model_Result loaded = Load_Model(store, request);
  if (!loaded.outcome.ok || !store.Object_Loaded) return Fail(args[1], loaded.outcome);

  if (mode == "render") {
    Picture_Request view;  // the window's drawing area, as render draws by default
    view.angle_x = 30;
    view.angle_y = 20;
    view.angle_z = 10;
    view.zoom = 5;
    view.width = 481;
    view.height = 473;
    view.show_normal = !bas;
    std::vector<Segment> segments;
    if (const Outcome drawn = Draw_Model(store, view, segments); !drawn.ok) return Fail(args[1], drawn);
    std::cout << Svg_Picture(segments, view.width, view.height);
    return std::cout.flush() ? 0 : 1;
  }
  std::string text;
  if (const Outcome written = Save_Model_Text(store, request.shape, text); !written.ok) return Fail(args[1], written);
  std::cout << text;
  return std::cout.flush() ? 0 : 1;
}
