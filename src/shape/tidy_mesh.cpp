#include "shape/tidy_mesh.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/parse_number.h"
#include "core/index_table.h"
#include "export/coordinate_text.h"
#include "shape/exact_product.h"

namespace {

// Room for one point's text: three coordinates of at most 42 characters and
// two commas.
constexpr size_t kPointTextRoom = 3 * 64;

// A rounded point: its coordinates as the file holds them, and the text the
// writer prints for each as whole tenths ("-12.3" is -123), a one-to-one
// stand-in for the text: exact whenever every text has at most 18 digits,
// as in any real model.
struct Rounded_Point {
  Point3 value;
  int64_t tenths[3];
  bool exact;
};

// The whole tenths of a coordinate text; false when its digits do not fit
// in 18.
bool Tenths_Of(std::string_view text, int64_t& tenths) {
  tenths = 0;
  const bool minus = !text.empty() && text.front() == '-';
  if (minus) text.remove_prefix(1);
  int64_t value = 0;
  int digits = 0;
  for (char c : text) {
    if (c == '.') continue;
    if (++digits > 18) return false;
    value = value * 10 + (c - '0');
  }
  tenths = minus ? -value : value;
  return true;
}

// The coordinate the file holds for a coordinate text, as the BASIC data
// reader reads it. Below 2^53 tenths the reader's number parse is one
// correctly rounded division of the tenths by ten, done here directly.
float Value_Of_Text(std::string_view text, bool exact, int64_t tenths) {
  constexpr int64_t kExactDouble = int64_t{1} << 53;
  if (exact && tenths < kExactDouble && tenths > -kExactDouble)
    return Round_To_Single(static_cast<double>(tenths) / 10.0);
  return Round_To_Single(Parse_Number(text));
}

// Rounds a point and writes its text (three coordinates as the writer
// prints them, joined by commas) to `text`; returns the text's length.
}  // namespace

float Round_As_Written(float value) {
  char text[64];
  const size_t length = Format_Coordinate(value, text);
  int64_t tenths = 0;
  const bool exact = Tenths_Of({text, length}, tenths);
  return Value_Of_Text({text, length}, exact, tenths);
}

namespace {

size_t Round_Point(const Point3& p, Rounded_Point& rounded, char* text) {
  const float in[3] = {p.X, p.Y, p.Z};
  float out[3];
  size_t length = 0;
  rounded.exact = true;
  for (int i = 0; i < 3; ++i) {
    out[i] = Round_As_Written(in[i]);
    // The text of the rounded value is what the file will hold: it keys the
    // point, so no two kept points can print alike.
    if (i > 0) text[length++] = ',';
    const size_t size = Format_Coordinate(out[i], text + length);
    rounded.exact = Tenths_Of({text + length, size}, rounded.tenths[i]) && rounded.exact;
    length += size;
  }
  rounded.value = {out[0], out[1], out[2]};
  return length;
}

// Zero area at one decimal: two corners the same point, or the three on one
// line, tested exactly on whole tenths (the differences of two tenths of at
// most 18 digits fit in 64 bits, their products in 128).
bool Has_No_Area(const Rounded_Point& a, const Rounded_Point& b, const Rounded_Point& c) {
  if (a.exact && b.exact && c.exact) {
    int64_t u[3], v[3];
    for (int i = 0; i < 3; ++i) {
      u[i] = b.tenths[i] - a.tenths[i];
      v[i] = c.tenths[i] - a.tenths[i];
    }
    return Products_Equal(u[1], v[2], u[2], v[1]) && Products_Equal(u[2], v[0], u[0], v[2]) &&
           Products_Equal(u[0], v[1], u[1], v[0]);
  }
  // Coordinates beyond 10^17: their floats are whole numbers far apart.
  const double u[3] = {double{b.value.X} - a.value.X, double{b.value.Y} - a.value.Y, double{b.value.Z} - a.value.Z};
  const double v[3] = {double{c.value.X} - a.value.X, double{c.value.Y} - a.value.Y, double{c.value.Z} - a.value.Z};
  return u[1] * v[2] - u[2] * v[1] == 0 && u[2] * v[0] - u[0] * v[2] == 0 && u[0] * v[1] - u[1] * v[0] == 0;
}

uint64_t Hash_Tenths(const int64_t tenths[3]) {
  return Hash_Three(static_cast<uint64_t>(tenths[0]), static_cast<uint64_t>(tenths[1]),
                    static_cast<uint64_t>(tenths[2]));
}

// The distinct rounded points in the order of first occurrence, found by
// their texts: a table of indices over the whole-tenths keys, and a map of
// the full texts for the rare point whose text has more than 18 digits. The
// two kinds never print alike, since their digits differ in number.
class Distinct_Points {
 public:
  explicit Distinct_Points(size_t count) : table_(Capacity_For(count)) { points.reserve(count / 2 + 1); }

  void Prefetch(uint64_t hash) const { table_.Prefetch(hash); }

  uint32_t Find_Or_Add(const Rounded_Point& point, uint64_t hash, std::string_view text) {
    const uint32_t next = static_cast<uint32_t>(points.size());
    if (!point.exact) {
      const auto [at, added] = long_texts_.try_emplace(std::string(text), next);
      if (added) points.push_back(point);
      return at->second;
    }
    const uint32_t index = table_.Find_Or_Add(hash, next, [&](uint32_t seen) {
      const Rounded_Point& other = points[seen];
      return other.exact && other.tenths[0] == point.tenths[0] && other.tenths[1] == point.tenths[1] &&
             other.tenths[2] == point.tenths[2];
    });
    if (index == next) points.push_back(point);
    return index;
  }

  std::vector<Rounded_Point> points;

 private:
  // Twice the points a mesh could have: the table never fills past half.
  static size_t Capacity_For(size_t count) {
    size_t capacity = 16;
    while (capacity < 2 * count) capacity <<= 1;
    return capacity;
  }

  Index_Table table_;
  std::unordered_map<std::string, uint32_t> long_texts_;
};

}  // namespace


namespace {

// The tidy step; with `keep` false only its counts.
Tidy_Result Tidy(std::span<const Point3> points, std::span<const Face3> faces, bool keep) {
  Tidy_Result result;
  // Only points that some face names are rounded: the rest are dropped
  // anyway (a reduced mesh names a small part of its points).
  std::vector<uint8_t> named(points.size(), 0);
  size_t named_count = 0;
  auto within = [&](int32_t corner) { return corner >= 0 && static_cast<size_t>(corner) < points.size(); };
  for (const Face3& f : faces)
    if (within(f.A) && within(f.B) && within(f.C))
      for (int32_t corner : {f.A, f.B, f.C}) {
        named_count += named[corner] == 0;
        named[corner] = 1;
      }
  // The distinct rounded points in the order of first occurrence. Points
  // are rounded a block ahead so that their table slots can be fetched
  // before they are looked up: the table is read at random.
  Distinct_Points table(named_count);
  std::vector<uint32_t> remap(points.size());
  constexpr size_t kBlock = 16;
  Rounded_Point rounded[kBlock];
  uint64_t hashes[kBlock];
  char texts[kBlock][kPointTextRoom];
  size_t lengths[kBlock];
  size_t index[kBlock];
  for (size_t from = 0; from < points.size();) {
    size_t n = 0;
    for (; n < kBlock && from < points.size(); ++from) {
      if (!named[from]) continue;
      index[n] = from;
      lengths[n] = Round_Point(points[from], rounded[n], texts[n]);
      hashes[n] = Hash_Tenths(rounded[n].tenths);
      table.Prefetch(hashes[n]);
      ++n;
    }
    for (size_t k = 0; k < n; ++k)
      remap[index[k]] = table.Find_Or_Add(rounded[k], hashes[k], {texts[k], lengths[k]});
  }
  const std::vector<Rounded_Point>& distinct = table.points;
  result.points_collapsing = static_cast<int64_t>(named_count - distinct.size());

  // Faces that keep their area, over the distinct points; then the points
  // they use, renumbered in the same order.
  std::vector<int32_t> renumber(distinct.size(), -1);
  if (keep) result.faces.reserve(faces.size());
  for (const Face3& f : faces) {
    if (!within(f.A) || !within(f.B) || !within(f.C)) {
      ++result.faces_outside;
      continue;
    }
    const uint32_t a = remap[f.A], b = remap[f.B], c = remap[f.C];
    if (a == b || b == c || a == c || Has_No_Area(distinct[a], distinct[b], distinct[c])) {
      ++result.faces_degenerate;
      continue;
    }
    if (keep) result.faces.push_back({static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c)});
    renumber[a] = renumber[b] = renumber[c] = 0;  // used
  }
  int32_t next = 0;
  for (size_t k = 0; k < distinct.size(); ++k) {
    if (renumber[k] < 0) continue;
    renumber[k] = next++;
    if (keep) result.points.push_back(distinct[k].value);
  }
  result.points_unused = static_cast<int64_t>(points.size() - named_count + distinct.size()) - next;
  for (Face3& f : result.faces) f = {renumber[f.A], renumber[f.B], renumber[f.C]};
  return result;
}

}  // namespace

Tidy_Result Tidy_Mesh(std::span<const Point3> points, std::span<const Face3> faces) {
  return Tidy(points, faces, true);
}

Tidy_Result Count_Tidy_Losses(std::span<const Point3> points, std::span<const Face3> faces) {
  return Tidy(points, faces, false);
}
