// Read_Stl on any bytes. Besides the store's invariants, the read is
// compared with a plain walk over the input: an input of exactly 84 + 50 N
// bytes (N at bytes 80..83) is N binary facets, whose corners are the floats
// of their records; any other is walked as reference lines: the facet count
// is the number of lines holding "facet normal", and facet f owns the three
// lines after the one that follows its facet line (points 3f, 3f+1, 3f+2). The
// line reader itself must count and hand out exactly the reference lines,
// also where its buffer is refilled and when the bytes come as a pipe's do,
// a pipe must read as its file, and the preview must read nothing outside
// the arrays.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check_preview.h"
#include "check_store.h"
#include "core/line_reader.h"
#include "fuzz_file.h"
#include "import/read_stl.h"
#include "reference_lines.h"
#include "require.h"
#include "stream_source.h"

namespace {

bool Same_Bits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

constexpr std::string_view kFacet = "facet normal";

int64_t Facet_Lines(const std::vector<std::string_view>& lines) {
  int64_t count = 0;
  for (std::string_view line : lines) count += line.find(kFacet) != std::string_view::npos;
  return count;
}

// Every line in turn, from a block of known size and from a pipe.
void Check_Line_Reader(std::string_view bytes, const std::vector<std::string_view>& expected) {
  // One reader for the whole run: its buffer is reused, as it is when one
  // reader opens input after input, and fresh pages cost more than the check.
  static Line_Reader reader;
  Memory_Source memory(bytes);
  Stream_Source stream(bytes);
  for (Byte_Source* source : {static_cast<Byte_Source*>(&memory), static_cast<Byte_Source*>(&stream)}) {
  reader.Open(*source);
  std::string_view line;
  size_t count = 0;
  while (reader.Next(line)) {
    Require(count < expected.size() && line == expected[count], "the line reader hands out the reference lines");
    ++count;
  }
  Require(!reader.Read_Failed() && count == expected.size(), "the line reader reads every line");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  MeshStore store;
  store.Object_Loaded = true;  // as an earlier load left it
  MeshStore streamed = store;
  const Outcome outcome = Read_Fuzz_Input(store, Input_Kind::Stl, data, size);
  Check_Outcome(store, outcome);
  Check_Same_Read(store, outcome, streamed, Read_Fuzz_Input(streamed, Input_Kind::Stl, data, size, true), true);

  const std::vector<std::string_view> lines = Reference_Lines(text);
  Check_Line_Reader(text, lines);

  if (size >= 84) {
    uint32_t declared;
    std::memcpy(&declared, data + 80, 4);  // little-endian, as the fuzzing hosts are
    if (size == 84 + 50 * uint64_t{declared}) {
      Require(store.Input_Format == "binary-stl", "an input of 84 + 50 N bytes is a binary STL");
      Require(store.Nb_Faces == int64_t{declared} - 1 && store.Nb_Pts_Normal == 3 * int64_t{declared} - 1,
              "a binary STL holds the facets its header declares");
      bool finite = true;
      for (uint32_t f = 0; f < declared; ++f)
        for (int k = 0; k < 3; ++k) {
          Point3 corner;
          std::memcpy(&corner, data + 84 + 50 * f + 12 + 12 * k, sizeof corner);
          finite = finite && std::isfinite(corner.X) && std::isfinite(corner.Y) && std::isfinite(corner.Z);
          Require(std::memcmp(&store.Pts_Normal[3 * f + k], &corner, sizeof corner) == 0,
                  "a binary facet's corners are the floats of its record");
          const Face3& face = store.Faces_Normal[f];
          Require(face.A == int32_t(3 * f) && face.B == int32_t(3 * f + 1) && face.C == int32_t(3 * f + 2),
                  "binary facet f owns points 3f, 3f+1 and 3f+2");
        }
      Require(outcome.ok == (finite && declared >= 2),
              "a binary STL loads exactly when it has two facets and every coordinate is finite");
      if (outcome.ok) Check_Mesh_Read(store);
      Check_Preview(store, true);
      return 0;
    }
  }

  const int64_t facets = Facet_Lines(lines);
  Require(store.Nb_Faces == facets - 1 && store.Nb_Pts_Normal == 3 * facets - 1,
          "Nb_Faces and Nb_Pts_Normal follow the facet lines");

  std::vector<Point3> points(static_cast<size_t>(3 * facets));
  std::vector<Face3> faces(static_cast<size_t>(facets));
  int64_t f = -1, p = -1;
  for (size_t i = 0; i < lines.size();) {
    if (lines[i++].find("facet normal") == std::string_view::npos) continue;
    ++f;
    if (i++ >= lines.size()) break;
    int32_t* corners[3] = {&faces[f].A, &faces[f].B, &faces[f].C};
    bool complete = true;
    for (int32_t* corner : corners) {
      if (i >= lines.size()) {
        complete = false;
        break;
      }
      points[++p] = Parse_Stl_Vertex(lines[i++]);
      *corner = int32_t(p);
    }
    if (!complete) break;
  }
  Require(outcome.ok == (f > 0 && p > 0), "the read succeeds exactly when two facets were read");
  for (int64_t k = 0; k < 3 * facets; ++k)
    Require(Same_Bits(store.Pts_Normal[k], points[k]), "Pts_Normal holds the vertex lines of the facets");
  for (int64_t k = 0; k < facets; ++k)
    Require(std::memcmp(&store.Faces_Normal[k], &faces[k], sizeof(Face3)) == 0,
            "facet f owns points 3f, 3f+1 and 3f+2, zero where the file ends");

  if (outcome.ok) Check_Mesh_Read(store);
  Check_Preview(store, true);

  // The same text again, behind one long line that puts the reader's 1 MiB
  // chunk boundary at a place within the text that the first two bytes
  // choose: lines, CR LF pairs and keywords cut by a refill.
  if (size >= 2) {
    constexpr size_t kChunk = size_t{1} << 20;
    const size_t cut = (size_t(data[0]) | size_t(data[1]) << 8) % (size + 1);
    static std::string padded;
    padded.assign(kChunk - cut - 1, 'x');
    padded += '\n';
    padded += text;
    std::vector<std::string_view> padded_lines = {std::string_view(padded).substr(0, kChunk - cut - 1)};
    for (std::string_view line : lines) padded_lines.push_back(line);
    Check_Line_Reader(padded, padded_lines);
  }
  return 0;
}
