// The whole road: read (STL, PLY or BASIC data, chosen by the first byte),
// merge, write with a start number and step taken from the next three bytes,
// read the written file back. The written file must obey the format and its
// packing rule, reading it back must give the same optimized mesh to the
// tenth, and saving what was read back must give a file that reads back to
// exactly the same mesh. The writer must refuse exactly the saves whose
// line numbers would leave -32768..32767, and then leave no file behind.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unistd.h>

#include "check_bas_text.h"
#include "check_store.h"
#include "export/coordinate_text.h"
#include "export/write_bas.h"
#include "fuzz_file.h"
#include "import/read_input.h"
#include "require.h"

namespace {

// Whether every line of the file fits the 16-bit line numbers, found by
// laying out the file's lines the plain way: three comments, the count line,
// and items packed until a line grows past 100 characters.
bool Line_Numbers_Fit(const MeshStore& store, int16_t start, int16_t step) {
  int64_t number = start;
  bool fits = true;
  auto width = [](int64_t n) { return std::to_string(n).size(); };
  auto single_line = [&] {
    fits = fits && number >= INT16_MIN && number <= INT16_MAX;
    number += step;
  };
  auto section = [&](int32_t last, auto item_length) {
    size_t length = 0;
    bool empty = true;
    for (int32_t i = 0; i <= last; ++i) {
      if (empty) {
        fits = fits && number >= INT16_MIN && number <= INT16_MAX;
        length = width(number) + 6 + item_length(i);
        empty = false;
      } else if ((length += 1 + item_length(i)) > 100) {
        number += step;
        empty = true;
      }
    }
    if (!empty) number += step;
  };
  auto coordinate_length = [](float v) {
    char text[64];
    return Format_Coordinate(v, text);
  };
  auto corner_length = [](int32_t v) { return std::to_string(v).size(); };
  single_line();  // header comment
  single_line();  // count line
  single_line();  // points comment
  section(store.Nb_Pts_Optimized, [&](int32_t i) {
    const Point3& p = store.Pts_Optimized[i];
    return coordinate_length(p.X) + coordinate_length(p.Y) + coordinate_length(p.Z) + 2;
  });
  single_line();  // faces comment
  section(store.Nb_Faces, [&](int32_t f) {
    const Face3& face = store.Faces_Optimized[f];
    return corner_length(face.A) + corner_length(face.B) + corner_length(face.C) + 2;
  });
  return fits;
}

bool Same_Bits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool Same_Face(const Face3& a, const Face3& b) { return a.A == b.A && a.B == b.B && a.C == b.C; }

// Saves the store with the numbering; false when the writer refused.
bool Save(MeshStore& store, int16_t start, int16_t step, std::string& text) {
  store.File_Output = Fuzz_Output_Folder() + "/mesh.bas";
  ::unlink(store.File_Output.c_str());
  store.Basic_Line = start;
  store.Basic_Step = step;
  const bool fits = Line_Numbers_Fit(store, start, step);
  const Outcome written = Write_Bas(store);
  Require(written.ok == fits, "the writer refuses exactly the saves whose line numbers do not fit");
  if (!written.ok) {
    Require(written.message == "Too many lines for the BASIC line numbers", "a refused save says why");
    Require(::access(store.File_Output.c_str(), F_OK) != 0, "a refused save leaves no file");
    return false;
  }
  Require(Read_Whole_File(store.File_Output, text), "the saved file can be read");
  Check_Bas_Text(text, store, start, step);
  return true;
}

MeshStore Open_Saved(const std::string& text) {
  MeshStore back;
  const Outcome read =
      Read_Fuzz_Input(back, Input_Kind::Bas, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  Require(read.ok && back.Object_Loaded, "a saved file opens");
  Check_Bas_Read(back);
  return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const Input_Kind kinds[] = {Input_Kind::Stl, Input_Kind::Ply, Input_Kind::Bas};
  const Input_Kind kind = kinds[data[0] % 3];
  const int16_t start = static_cast<int16_t>(uint16_t(data[1]) | uint16_t(data[2]) << 8);
  const int16_t step = static_cast<int8_t>(data[3]);

  MeshStore store;
  const Outcome read = Read_Fuzz_Input(store, kind, data + 4, size - 4);
  Check_Outcome(store, read);
  if (!read.ok) return 0;

  std::string first;
  if (!Save(store, start, step, first)) return 0;
  MeshStore back = Open_Saved(first);
  Require(back.Nb_Faces == store.Nb_Faces && back.Nb_Pts_Optimized == store.Nb_Pts_Optimized,
          "the saved file reads back with the same counts");
  for (int32_t f = 0; f <= store.Nb_Faces; ++f)
    Require(Same_Face(back.Faces_Optimized[f], store.Faces_Optimized[f]), "the faces read back as saved");
  for (int32_t i = 0; i <= store.Nb_Pts_Optimized; ++i) {
    const Point3& a = store.Pts_Optimized[i];
    const Point3& b = back.Pts_Optimized[i];
    for (auto [saved, again] : {std::pair{a.X, b.X}, std::pair{a.Y, b.Y}, std::pair{a.Z, b.Z}}) {
      const double spacing = std::abs(double{std::nextafter(saved, INFINITY)} - saved);
      Require(std::abs(double{again} - saved) <= 0.05 + 2 * spacing, "the points read back to the tenth");
    }
  }

  // What was read back is at the file's precision: saving it again and
  // reading that back changes nothing.
  std::string second;
  if (!Save(back, start, step, second)) return 0;
  MeshStore again = Open_Saved(second);
  for (int32_t i = 0; i <= back.Nb_Pts_Optimized; ++i)
    Require(Same_Bits(again.Pts_Optimized[i], back.Pts_Optimized[i]), "a saved file read back saves unchanged");
  return 0;
}
