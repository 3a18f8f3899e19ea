#include "export/write_bas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "export/coordinate_text.h"
#include "export/decimal_digits.h"
#include "export/file_sink.h"
#include "export/viewer_program.h"
#include "core/file_extension.h"

namespace {

constexpr size_t kWrapAfter = 100;  // a data line longer than this is written
const char* const kTooManyLines = "Too many lines for the BASIC line numbers";

size_t Int_Text(int64_t value, char* out) {
  const uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (value < 0) *out++ = '-';
  return (value < 0) + Write_Digits(magnitude, out);
}

// Numbers the lines and packs items into data lines. Items are formatted
// straight into the line being built, which goes to the sink once complete.
// The sink is a File_Sink when writing, and a line counter when only the
// number of lines is wanted: both see exactly the same lines.
template <typename Sink>
class Bas_Emitter {
 public:
  // Room for a line at the longest wrap point plus one more item of three
  // longest coordinates (each at most 42 characters).
  static constexpr size_t kLineRoom = 512;
  static_assert(Longest_Line_Length + 1 + 3 * 42 + 2 + 2 <= kLineRoom);

  // `check_range`: a line whose number lies outside -32768..32767 is refused.
  // Without it the numbers go on in 64 bits (to count the lines a mesh needs).
  Bas_Emitter(Sink& sink, int16_t start, int16_t step, bool check_range, const Bas_Format& format)
      : sink_(sink),
        number_(start),
        step_(step),
        check_range_(check_range),
        data_(format.keywords == Keyword_Case::Upper ? " DATA " : " data "),
        line_length_(format.line_length == 0
                         ? 0
                         : static_cast<size_t>(std::clamp(format.line_length, Shortest_Line_Length,
                                                           Longest_Line_Length))) {}

  // A line of its own: a comment, or a statement of the viewer.
  bool Line(std::string_view text) {
    if (!Start_Line() || text.size() > kLineRoom - length_ - 2) return false;
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
      if (!Start_Prefix()) return nullptr;
    } else {
      line_[length_++] = ',';
    }
    item_ = length_;
    return line_ + length_;
  }

  // The item ends at `end` (the first item of a line is never tested). By
  // default a further item that took the line past 100 characters writes
  // it. With a line length, a further item that took the line past it is
  // moved to the next line, and the line is written without it. False when
  // that line would need a number out of range.
  bool Item_End(const char* end) {
    const size_t length = static_cast<size_t>(end - line_);
    if (empty_ || (line_length_ == 0 ? length <= kWrapAfter : length <= line_length_)) {
      length_ = length;
      empty_ = false;
      return true;
    }
    if (line_length_ == 0) {
      length_ = length;
      End_Line();
      empty_ = true;
      return true;
    }
    char item[kLineRoom];
    const size_t item_length = length - item_;
    std::memcpy(item, line_ + item_, item_length);
    length_ = item_ - 1;  // without its comma
    End_Line();
    if (!Start_Prefix()) return false;
    std::memcpy(line_ + length_, item, item_length);
    length_ += item_length;
    return true;
  }

  void End_Section() {
    if (!empty_) End_Line();
    empty_ = true;
  }

  int64_t Next_Number() const { return number_; }

 private:
  bool Start_Line() {
    if (check_range_ && (number_ < INT16_MIN || number_ > INT16_MAX)) return false;
    length_ = Int_Text(number_, line_);
    return true;
  }

  bool Start_Prefix() {
    if (!Start_Line()) return false;
    std::memcpy(line_ + length_, data_.data(), data_.size());
    length_ += data_.size();
    return true;
  }

  void End_Line() {
    line_[length_++] = '\r';
    line_[length_++] = '\n';
    sink_.Append({line_, length_});
    number_ += step_;  // a number out of range is refused when it is used
  }

  Sink& sink_;
  int64_t number_;
  int64_t step_;
  bool check_range_;
  std::string_view data_;  // the prefix after the number: the keyword between blanks
  size_t line_length_;     // 0: written once past 100 characters
  char line_[kLineRoom];
  size_t length_ = 0;
  size_t item_ = 0;  // where the last item began
  bool empty_ = true;
};

// Counts the lines instead of keeping them.
struct Line_Counter {
  int64_t lines = 0;
  void Append(std::string_view) { ++lines; }
};

// Emits the file of an optimized mesh: points 0..last_point, faces
// 0..last_face, after the viewer when the format has one. False when a
// line's number is out of range (only with `check_range`); `next` receives
// the number after the last line.
template <typename Sink>
bool Emit_Mesh(Sink& sink, const Point3* points, int32_t last_point, const Face3* faces, int32_t last_face,
               int16_t start, int16_t step, const Bas_Format& format, bool check_range, int64_t& next) {
  Bas_Emitter<Sink> out(sink, start, step, check_range, format);

  if (format.viewer)
    for (const std::string& line : Viewer_Lines(*format.viewer, format.keywords, start, step))
      if (!out.Line(line)) return false;
  if (!out.Line("'Number of Faces and Number of Points")) return false;
  out.Begin_Section();
  char* at = out.Item_Start();
  if (!at) return false;
  at += Int_Text(last_face, at);
  *at++ = ',';
  at += Int_Text(last_point, at);
  if (!out.Item_End(at)) return false;
  out.End_Section();

  if (!out.Line("'Points from the 3D Object")) return false;
  out.Begin_Section();
  for (int32_t i = 0; i <= last_point; ++i) {
    const Point3& p = points[i];
    if (!(at = out.Item_Start())) return false;
    at += Format_Coordinate(p.X, at);
    *at++ = ',';
    at += Format_Coordinate(p.Y, at);
    *at++ = ',';
    at += Format_Coordinate(p.Z, at);
    if (!out.Item_End(at)) return false;
  }
  out.End_Section();

  if (!out.Line("'Faces from the 3D Object")) return false;
  out.Begin_Section();
  for (int32_t f = 0; f <= last_face; ++f) {
    const Face3& face = faces[f];
    if (!(at = out.Item_Start())) return false;
    at += Int_Text(face.A, at);
    *at++ = ',';
    at += Int_Text(face.B, at);
    *at++ = ',';
    at += Int_Text(face.C, at);
    if (!out.Item_End(at)) return false;
  }
  out.End_Section();
  next = out.Next_Number();
  return true;
}

// Emits the store's optimized mesh; `next` receives the number after the
// last line.
template <typename Sink>
Outcome Emit_Bas(const MeshStore& store, const Bas_Format& format, Sink& sink, int64_t& next) {
  Check_Store_Rule(Holds_Index(store.Pts_Optimized, store.Nb_Pts_Optimized) &&
                       Holds_Index(store.Faces_Optimized, store.Nb_Faces),
                   "the saved mesh holds what its counters name");
  if (format.viewer) {
    const Outcome runs = Check_Viewer_Program(*format.viewer, store.Valid_Pts_Optimized(),
                                              store.Valid_Faces_Optimized(), store.Basic_Line, store.Basic_Step);
    if (!runs.ok) return runs;
  }
  if (!Emit_Mesh(sink, store.Pts_Optimized.data(), store.Nb_Pts_Optimized, store.Faces_Optimized.data(),
                 store.Nb_Faces, store.Basic_Line, store.Basic_Step, format, true, next))
    return Outcome::Failure(kTooManyLines);
  return Outcome::Success();
}

// Emits into a File_Sink and leaves Basic_Line past the last number used.
Outcome Emit_Bas(MeshStore& store, const Bas_Format& format, File_Sink& sink) {
  int64_t next = 0;
  const Outcome outcome = Emit_Bas(static_cast<const MeshStore&>(store), format, sink, next);
  if (outcome.ok && next >= INT16_MIN && next <= INT16_MAX) store.Basic_Line = static_cast<int16_t>(next);
  return outcome;
}

// Keeps the lines in memory.
struct Text_Sink {
  std::string& text;
  void Append(std::string_view line) { text.append(line); }
};

}  // namespace

Outcome Write_Bas(MeshStore& store, const Bas_Format& format) {
  File_Sink sink;
  const Outcome cannot_write = Outcome::Failure("Cannot write file: " + store.File_Output);
  // Saving a BASIC data file over itself renumbers it; any other input is
  // never replaced by its own conversion.
  const std::string keep = Has_Extension(store.File_Input, "BAS") ? std::string() : store.File_Input;
  if (!sink.Open(store.File_Output, keep)) return cannot_write;
  Outcome outcome = Emit_Bas(store, format, sink);
  if (!outcome.ok) return outcome;  // the sink removes its temporary file
  return sink.Commit() ? outcome : cannot_write;
}

Outcome Write_Bas_To_Stdout(MeshStore& store, const Bas_Format& format) {
  File_Sink sink;
  sink.Open_Stdout();
  Outcome outcome = Emit_Bas(store, format, sink);
  if (!outcome.ok) return outcome;
  return sink.Commit() ? outcome : Outcome::Failure("Cannot write to standard output");
}

Outcome Write_Bas_To_Text(const MeshStore& store, std::string& text, const Bas_Format& format) {
  text.clear();
  Text_Sink sink{text};
  int64_t next = 0;
  const Outcome outcome = Emit_Bas(store, format, sink, next);
  if (!outcome.ok) text.clear();
  return outcome;
}

int64_t Count_Bas_Lines(std::span<const Point3> points, std::span<const Face3> faces, int16_t start,
                        int16_t step, const Bas_Format& format) {
  Line_Counter counter;
  int64_t next = 0;
  Emit_Mesh(counter, points.data(), static_cast<int32_t>(points.size()) - 1, faces.data(),
            static_cast<int32_t>(faces.size()) - 1, start, step, format, false, next);
  return counter.lines;
}

int64_t Available_Bas_Lines(int16_t start, int16_t step) {
  if (step == 0) return -1;
  const int64_t room = step > 0 ? int64_t{INT16_MAX} - start : int64_t{start} - INT16_MIN;
  return room / std::abs(int64_t{step}) + 1;
}
