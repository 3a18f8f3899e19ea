#include "import/read_stl.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "import/binary_stl.h"
#include "import/line_values.h"

namespace {
constexpr std::string_view kFacet = "facet normal";
constexpr std::string_view kVertex = "vertex";
}  // namespace

Point3 Parse_Stl_Vertex(std::string_view line) {
  size_t keyword = Find_Text(line, kVertex);
  size_t start = keyword == std::string_view::npos ? 6 : keyword + kVertex.size();
  return Read_Point(start < line.size() ? line.substr(start) : std::string_view());
}

namespace {

// The ASCII read over `file`; `facets` receives the facet lines counted.
Outcome Read_Ascii_Stl(Line_Reader& file, const std::string& name, Mesh_Arrays& mesh, Progress* progress,
                       int64_t& facets) {
  Progress_Meter meter(progress, file);

  // One pass. A facet line takes at least 13 bytes, so the file's size
  // bounds the facets: the normal arrays are reserved for that many (the
  // system supplies memory only where entries are written) and cut to the
  // facets found at the end. Input of unknown size, or a system that will
  // not reserve that much, starts small and doubles.
  constexpr int64_t kMax_Facets = kMax_Stl_Facets;
  constexpr size_t kFirst_Room = 1024;
  const int64_t size = file.Input_Size();
  size_t room = size > 0 ? static_cast<size_t>(std::min<int64_t>(size / 13 + 1, kMax_Facets)) : kFirst_Room;
  auto too_many = [] {
    return Outcome::Failure("Too many facets for one mesh: more than " + std::to_string(kMax_Facets));
  };
  auto no_memory = [](int64_t facets) {
    return Outcome::Failure("Not enough memory for " + std::to_string(facets) + " facets");
  };
  auto reserve = [&]() {
    try {
      Size_Fresh(mesh.Faces_Normal, room);
      Size_Fresh(mesh.Pts_Normal, 3 * room);
      return true;
    } catch (const std::bad_alloc&) {
      Size_Fresh(mesh.Faces_Normal, 0);
      Size_Fresh(mesh.Pts_Normal, 0);
      return false;
    }
  };
  if (!reserve()) {
    room = kFirst_Room;
    if (!reserve()) return no_memory(static_cast<int64_t>(room));
  }

  // Every line that contains "facet normal" counts as a facet, also one met
  // where a corner was expected: Nb_Faces counts them all, and faces or
  // points the file never filled in stay zero.
  facets = 0;
  auto next = [&](std::string_view& line) {
    if (!file.Next(line)) return false;
    if (Contains(line, kFacet)) ++facets;
    return true;
  };
  // The counters and every array of the mesh for the facets counted.
  auto finish = [&] { return Size_Stl_Facets(mesh, facets); };

  // A facet line, one ignored line, then the corners A, B, C. A facet cut
  // short by the end of the file keeps zeros where it ends.
  std::string_view line;
  int32_t f = -1;
  int32_t p = -1;
  while (file.Next(line)) {
    if (!meter.Step("Reading facets", 0, 80)) {
      finish();
      return meter.Cancelled();
    }
    if (!Contains(line, kFacet)) continue;
    if (++facets > kMax_Facets) return too_many();
    ++f;  // f < facets <= kMax_Facets, so p stays below 3 * kMax_Facets
    if (static_cast<size_t>(f) >= mesh.Faces_Normal.size()) {
      room = std::min<size_t>(2 * room, kMax_Facets);
      try {
        mesh.Faces_Normal.Resize(room);
        mesh.Pts_Normal.Resize(3 * room);
      } catch (const std::bad_alloc&) {
        return no_memory(facets);
      }
    }
    if (!next(line)) break;
    Face3& face = mesh.Faces_Normal[f];
    int32_t* corners[3] = {&face.A, &face.B, &face.C};
    bool complete = true;
    for (int32_t* corner : corners) {
      if (!next(line)) {
        complete = false;
        break;
      }
      ++p;
      mesh.Pts_Normal[p] = Parse_Stl_Vertex(line);
      *corner = p;
    }
    if (!complete) break;
  }
  if (facets > kMax_Facets) return too_many();
  if (!finish()) return no_memory(facets);
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));

  if (f > 0 && p > 0) return Outcome::Success();
  if (facets == 0) return Outcome::Silent("No \"facet normal\" line: not an ASCII STL file");
  return Outcome::Silent("Only one facet read: a mesh needs at least two");
}

// A binary STL read from a file whose size its header's count confirmed:
// the arrays are sized once and the records decoded in large pieces.
Outcome Read_Binary_Stl_File(Line_Reader& file, Mesh_Arrays& mesh, Progress* progress, uint32_t facets,
                             const std::string& name) {
  Binary_Stl_Decoder decoder(mesh, true);
  if (facets > kMax_Stl_Facets || !decoder.Reserve(facets)) return decoder.Finish();
  constexpr size_t kPiece = size_t{1} << 20;
  Flat_Array<char> piece;
  try {
    piece.Size_Zeroed(kPiece);
  } catch (const std::bad_alloc&) {
    return Outcome::Failure("Not enough memory for " + std::to_string(facets) + " facets");
  }
  const uint64_t size = static_cast<uint64_t>(file.Input_Size());
  for (;;) {
    const size_t got = file.Read_Raw(piece.data(), kPiece);
    if (got == 0) break;
    decoder.Feed(piece.data(), got);
    if (progress && !progress->Update("Reading facets", static_cast<int>(80 * decoder.Bytes() / size)))
      return Outcome::Cancelled();
  }
  if (file.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file, name));
  // A file that changed size while it was read is no longer this binary STL.
  if (!decoder.Is_Binary(decoder.Bytes()))
    return Outcome::Failure("Cannot read file: " + name + " (its size changed while it was read)");
  return decoder.Finish();
}

// An input that starts like a binary STL but is not one by its size, and
// holds no ASCII facet either: the message says what the sizes are.
Outcome Size_Mismatch(uint32_t declared, uint64_t size) {
  return Outcome::Failure("The binary STL header declares " + std::to_string(declared) + " facets, which take " +
                          std::to_string(Binary_Stl_Size(declared)) + " bytes, but the file has " +
                          std::to_string(size) + " bytes");
}

Outcome Read_Stl_File(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  Line_Reader file(source);
  std::string_view head;
  if (!file.Peek(kBinary_Stl_Header, head)) return Outcome::Failure(Read_Failure_Text(file, name));
  const uint64_t size = static_cast<uint64_t>(file.Input_Size());
  const bool has_header = head.size() == kBinary_Stl_Header;
  const uint32_t declared = has_header ? Binary_Stl_Count(head) : 0;
  if (has_header && size == Binary_Stl_Size(declared)) {
    mesh.Input_Format = "binary-stl";
    return Read_Binary_Stl_File(file, mesh, progress, declared, name);
  }
  const bool looks_binary = has_header && Looks_Binary(head);
  int64_t facets = 0;
  Outcome outcome = Read_Ascii_Stl(file, name, mesh, progress, facets);
  const bool mismatch = facets == 0 && looks_binary && !file.Read_Failed();
  mesh.Input_Format = mismatch ? "binary-stl" : "ascii-stl";
  return mismatch && !outcome.cancelled ? Size_Mismatch(declared, size) : outcome;
}

// A stream's size is known only at its end. One whose first 84 bytes look
// binary is read as ASCII lines and decoded as a binary STL in the same
// pass; once it has ended, its size decides which read it was, exactly as
// for a file. Any other stream is read as ASCII only, so a big ASCII STL
// piped in is held once. (The two rules differ only for a binary STL whose
// header and count are all text, which takes 7.5 GB or more.)
Outcome Read_Stl_Stream(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  Mesh_Arrays binary;
  Binary_Stl_Decoder decoder(binary, false);
  Binary_Stl_Tee tee(source, decoder);
  Line_Reader file(tee);
  int64_t facets = 0;
  Outcome outcome = Read_Ascii_Stl(file, name, mesh, progress, facets);
  if (outcome.cancelled || tee.Failed()) return outcome;
  // The ASCII read may stop early (a line too long, too many facets): the
  // rest of the stream is read for as long as it may still be binary.
  constexpr size_t kPiece = size_t{1} << 16;
  char piece[kPiece];
  while (decoder.Still_Possible())
    if (tee.Read(piece, kPiece) <= 0) break;
  if (tee.Failed()) return Outcome::Failure("Cannot read file: " + name);
  // The drain stops at the stream's end, or once it holds more than a
  // binary STL of its count: a stream of that exact size has ended.
  if (decoder.Head_Looks_Binary() && decoder.Is_Binary(decoder.Bytes())) {
    Outcome read = decoder.Finish();
    mesh = std::move(binary);
    mesh.Input_Format = "binary-stl";
    return read;
  }
  const bool mismatch = facets == 0 && decoder.Head_Looks_Binary() && !file.Read_Failed();
  mesh.Input_Format = mismatch ? "binary-stl" : "ascii-stl";
  return mismatch ? Size_Mismatch(decoder.Declared(), decoder.Bytes()) : outcome;
}

}  // namespace

Outcome Read_Stl(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  if (progress && !progress->Update("Reading facets", 0)) return Progress_Meter::Cancelled();
  if (source.Size() >= 0) return Read_Stl_File(source, name, mesh, progress);
  return Read_Stl_Stream(source, name, mesh, progress);
}
