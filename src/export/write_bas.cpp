#include "export/write_bas.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "export/coordinate_text.h"
#include "export/decimal_digits.h"
#include "export/file_sink.h"
#include "import/input_kind.h"

namespace {

constexpr size_t kWrapAfter = 100;  // a data line longer than this is written
const char* const kTooManyLines = "Too many lines for the BASIC line numbers";

// Numbers the lines and packs items into data lines. Items are formatted
// straight into the line being built, which goes to the sink once complete.
class Bas_Emitter {
 public:
  // Room for a line at the wrap point plus one more item of three longest
  // coordinates (each at most 42 characters).
  static constexpr size_t kLineRoom = 512;

  Bas_Emitter(File_Sink& sink, int16_t start, int16_t step) : sink_(sink), number_(start), step_(step) {}

  bool Comment(std::string_view text) {
    if (!Start_Line()) return false;
    std::memcpy(line_ + length_, text.data(), text.size());
    length_ += text.size();
    End_Line();
    return true;
  }

  // Begins a data section; the prefix is only written with its first item.
  void Begin_Section() { empty_ = true; }

  // Where the next item's text goes: after the prefix of a new line, or
  // after a comma. Nullptr when a new line would need a number out of range.
  char* Item_Start() {
    if (empty_) {
      if (!Start_Line()) return nullptr;
      std::memcpy(line_ + length_, " data ", 6);
      length_ += 6;
    } else {
      line_[length_++] = ',';
    }
    return line_ + length_;
  }

  // The item ends at `end`; a further item that took the line past 100
  // characters writes it (the first item of a line is never tested).
  void Item_End(const char* end) {
    length_ = static_cast<size_t>(end - line_);
    if (!empty_ && length_ > kWrapAfter) {
      End_Line();
      empty_ = true;
      return;
    }
    empty_ = false;
  }

  void End_Section() {
    if (!empty_) End_Line();
    empty_ = true;
  }

  int32_t Next_Number() const { return number_; }

 private:
  bool Start_Line();

  void End_Line() {
    line_[length_++] = '\r';
    line_[length_++] = '\n';
    sink_.Append({line_, length_});
    number_ += step_;  // kept in 32 bits: a number out of range is refused when used
  }

  File_Sink& sink_;
  int32_t number_;
  int32_t step_;
  char line_[kLineRoom];
  size_t length_ = 0;
  bool empty_ = true;
};

size_t Int_Text(int32_t value, char* out) {
  const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  if (value < 0) *out++ = '-';
  return (value < 0) + Write_Digits(magnitude, out);
}

bool Bas_Emitter::Start_Line() {
  if (number_ < INT16_MIN || number_ > INT16_MAX) return false;
  length_ = Int_Text(number_, line_);
  return true;
}

Outcome Emit_Bas(MeshStore& store, File_Sink& sink) {
  if (!Holds_Index(store.Pts_Optimized, store.Nb_Pts_Optimized) ||
      !Holds_Index(store.Faces_Optimized, store.Nb_Faces))
    return Outcome::Failure("No complete mesh to save");

  Bas_Emitter out(sink, store.Basic_Line, store.Basic_Step);
  auto fail = [] { return Outcome::Failure(kTooManyLines); };

  if (!out.Comment("'Number of Faces and Number of Points")) return fail();
  out.Begin_Section();
  char* at = out.Item_Start();
  if (!at) return fail();
  at += Int_Text(store.Nb_Faces, at);
  *at++ = ',';
  at += Int_Text(store.Nb_Pts_Optimized, at);
  out.Item_End(at);
  out.End_Section();

  if (!out.Comment("'Points from the 3D Object")) return fail();
  out.Begin_Section();
  for (int32_t i = 0; i <= store.Nb_Pts_Optimized; ++i) {
    const Point3& p = store.Pts_Optimized[i];
    if (!(at = out.Item_Start())) return fail();
    at += Format_Coordinate(p.X, at);
    *at++ = ',';
    at += Format_Coordinate(p.Y, at);
    *at++ = ',';
    at += Format_Coordinate(p.Z, at);
    out.Item_End(at);
  }
  out.End_Section();

  if (!out.Comment("'Faces from the 3D Object")) return fail();
  out.Begin_Section();
  for (int32_t f = 0; f <= store.Nb_Faces; ++f) {
    const Face3& face = store.Faces_Optimized[f];
    if (!(at = out.Item_Start())) return fail();
    at += Int_Text(face.A, at);
    *at++ = ',';
    at += Int_Text(face.B, at);
    *at++ = ',';
    at += Int_Text(face.C, at);
    out.Item_End(at);
  }
  out.End_Section();

  int32_t next = out.Next_Number();
  if (next >= INT16_MIN && next <= INT16_MAX) store.Basic_Line = static_cast<int16_t>(next);
  return Outcome::Success();
}

}  // namespace

Outcome Write_Bas(MeshStore& store) {
  File_Sink sink;
  const Outcome cannot_write = Outcome::Failure("Cannot write file: " + store.File_Output);
  // Saving a BASIC data file over itself renumbers it; any other input is
  // never replaced by its own conversion.
  const std::string keep = Has_Extension(store.File_Input, "BAS") ? std::string() : store.File_Input;
  if (!sink.Open(store.File_Output, keep)) return cannot_write;
  Outcome outcome = Emit_Bas(store, sink);
  if (!outcome.ok) return outcome;  // the sink removes its temporary file
  return sink.Commit() ? outcome : cannot_write;
}

Outcome Write_Bas_To_Stdout(MeshStore& store) {
  File_Sink sink;
  sink.Open_Stdout();
  Outcome outcome = Emit_Bas(store, sink);
  if (!outcome.ok) return outcome;
  return sink.Commit() ? outcome : Outcome::Failure("Cannot write to standard output");
}
