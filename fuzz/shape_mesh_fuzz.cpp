// Fitting any file for the Korvane 3D: read (STL, PLY or BASIC data, chosen
// by the first byte), then the options chosen by the next bytes (--up,
// --fit, --faces N, auto or max, --clean) with the line numbering of the two
// after them. Whatever the file holds, the shaped store must be whole (every
// corner within the points, the counters within the arrays), hold no two
// points that print alike and no face of zero area at one decimal, keep at
// most N faces, leave the normal mesh's faces as read, and save (for --faces
// auto and max, within the line numbers) to a file that reads back to exactly
// it.
//
// Input: kind, options, N, start (16 bits, low byte first), step (8 bits,
// signed), then the file.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>

#include "check_store.h"
#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "fuzz_file.h"
#include "import/read_input.h"
#include "require.h"
#include "shape/shape_mesh.h"
#include "shape/tidy_mesh.h"

namespace {

std::string Point_Text(const Point3& p) {
  char text[3 * 64];
  size_t length = Format_Coordinate(p.X, text);
  text[length++] = ',';
  length += Format_Coordinate(p.Y, text + length);
  text[length++] = ',';
  length += Format_Coordinate(p.Z, text + length);
  return {text, length};
}

Shape_Options Options_From(uint8_t bits, uint8_t count) {
  Shape_Options options;
  const Up_Axis axes[] = {Up_Axis::X, Up_Axis::Y, Up_Axis::Z, Up_Axis::Minus_X, Up_Axis::Minus_Y, Up_Axis::Minus_Z};
  if (bits % 7 != 6) {
    options.turn = true;
    options.up = axes[bits % 7];
  }
  const double sizes[] = {0, 400, 0.01, 3e38};
  options.fit_size = sizes[(bits / 7) % 4];
  switch ((bits / 28) % 4) {
    case 1: options.face_limit = Face_Limit::Count; options.max_faces = count + 1u; break;
    case 2: options.face_limit = count % 2 ? Face_Limit::Legible : Face_Limit::Fit_Line_Numbers; break;
    case 3: options.clean = true; break;
    default: break;
  }
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const Input_Kind kinds[] = {Input_Kind::Stl, Input_Kind::Ply, Input_Kind::Bas};
  const Input_Kind kind = kinds[data[0] % 3];
  const Shape_Options options = Options_From(data[1], data[2]);
  const int16_t start = static_cast<int16_t>(uint16_t(data[3]) | uint16_t(data[4]) << 8);
  const int16_t step = static_cast<int8_t>(data[5]);

  MeshStore store;
  const Outcome read = Read_Fuzz_Input(store, kind, data + 6, size - 6);
  Check_Outcome(store, read);
  if (!read.ok || !options.Any()) return 0;
  store.Basic_Line = start;
  store.Basic_Step = step;
  const size_t normal_faces = store.Faces_Normal.size();

  Shape_Report report;
  const Outcome shaped = Shape_Mesh(store, options, report);
  const bool within_lines =
      options.face_limit == Face_Limit::Fit_Line_Numbers || options.face_limit == Face_Limit::Legible;
  if (!shaped.ok) {
    Require(within_lines &&
                shaped.message.rfind("Not even one face fits the BASIC line numbers", 0) == 0,
            "only --faces auto and max fail, and only when not one face fits");
    return 0;
  }
  Require(Holds_Index(store.Pts_Optimized, store.Nb_Pts_Optimized) &&
              Holds_Index(store.Faces_Optimized, store.Nb_Faces) && store.Nb_Faces < int64_t(store.Faces_Visible.size()) &&
              store.Nb_Pts_Optimized < int64_t(store.Pts_Screen.size()),
          "the counters lie within the arrays, the preview's included");
  Require(store.Faces_Normal.size() == normal_faces, "the normal mesh keeps its faces");
  if (options.face_limit == Face_Limit::Count)
    Require(store.Nb_Faces + int64_t{1} <= int64_t(options.max_faces), "--faces N keeps at most N faces");
  std::set<std::string> texts;
  for (int32_t i = 0; i <= store.Nb_Pts_Optimized; ++i)
    Require(texts.insert(Point_Text(store.Pts_Optimized[i])).second, "no two points print alike");
  const Tidy_Result again = Count_Tidy_Losses({store.Pts_Optimized.data(), size_t(store.Nb_Pts_Optimized + 1)},
                                              {store.Faces_Optimized.data(), size_t(store.Nb_Faces + 1)});
  Require(again.faces_outside == 0 && again.points_collapsing == 0 && again.faces_degenerate == 0 &&
              again.points_unused == 0,
          "tidying the tidy mesh changes nothing: every corner names a point, no face of zero area, no unused point");

  store.File_Output = Fuzz_Output_Folder() + "/shaped.bas";
  ::unlink(store.File_Output.c_str());
  const Outcome written = Write_Bas(store);
  if (within_lines) Require(written.ok, "--faces auto and max always save");
  if (!written.ok || store.Nb_Faces < 1) return 0;  // a file of fewer than two faces has no counts to read
  MeshStore back;
  back.File_Input = store.File_Output;
  Require(Read_Input(back, Input_Kind::Bas).ok, "the saved file opens");
  Require(back.Nb_Pts_Optimized == store.Nb_Pts_Optimized && back.Nb_Faces == store.Nb_Faces,
          "the saved file has the shaped counts");
  for (int32_t i = 0; i <= store.Nb_Pts_Optimized; ++i)
    Require(std::memcmp(&back.Pts_Optimized[i], &store.Pts_Optimized[i], sizeof(Point3)) == 0,
            "the saved points read back bit for bit: each is already what the file holds");
  return 0;
}
