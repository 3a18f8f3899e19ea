#include "import/ply_binary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "core/flat_array.h"
#include "core/parse_number.h"

namespace {

// The raw bytes after the header, through a buffer of its own: entries are
// decoded where they lie, and an entry cut by the buffer's end is moved to
// its front first.
class Binary_Input {
 public:
  static constexpr size_t kBuffer = size_t{1} << 20;

  explicit Binary_Input(Line_Reader& file) : file_(file) { buffer_.Size_Zeroed(kBuffer); }

  // Makes the next `count` bytes (at most kBuffer) readable through Take;
  // false when the input ends first.
  bool Need(size_t count) { return end_ - at_ >= count || Refill(count); }
  const char* Take(size_t count) {
    const char* bytes = buffer_.data() + at_;
    at_ += count;
    return bytes;
  }
  // Passes over `count` bytes; false when the input ends first.
  bool Skip(uint64_t count) {
    while (count > 0) {
      if (at_ == end_ && !Refill(1)) return false;
      const size_t step = static_cast<size_t>(std::min<uint64_t>(count, end_ - at_));
      at_ += step;
      count -= step;
    }
    return true;
  }
  // Whether the input certainly ends within the next `count` bytes: only a
  // file, whose size is known, can tell in advance.
  bool Ends_Within(uint64_t count) const {
    if (!file_.Size_Known()) return false;
    const uint64_t left = static_cast<uint64_t>(file_.Input_Size()) - file_.Bytes_Consumed() + (end_ - at_);
    return count > left;
  }

 private:
  bool Refill(size_t count) {
    std::memmove(buffer_.data(), buffer_.data() + at_, end_ - at_);
    end_ -= at_;
    at_ = 0;
    while (end_ < count) {
      const size_t got = file_.Read_Raw(buffer_.data() + end_, kBuffer - end_);
      if (got == 0) return false;
      end_ += got;
    }
    return true;
  }

  Line_Reader& file_;
  Flat_Array<char> buffer_;
  size_t at_ = 0;
  size_t end_ = 0;
};

// A scalar of any type as a double, which holds every one of them exactly.
double As_Double(const char* bytes, Ply_Type type, std::endian order) {
  switch (type) {
    case Ply_Type::Int8: return static_cast<int8_t>(bytes[0]);
    case Ply_Type::Uint8: return static_cast<uint8_t>(bytes[0]);
    case Ply_Type::Int16: return static_cast<int16_t>(Load_Stored<uint16_t>(bytes, order));
    case Ply_Type::Uint16: return Load_Stored<uint16_t>(bytes, order);
    case Ply_Type::Int32: return static_cast<int32_t>(Load_Stored<uint32_t>(bytes, order));
    case Ply_Type::Uint32: return Load_Stored<uint32_t>(bytes, order);
    case Ply_Type::Float32: return Bit_Copy<float>(Load_Stored<uint32_t>(bytes, order));
    case Ply_Type::Float64: return Bit_Copy<double>(Load_Stored<uint64_t>(bytes, order));
    case Ply_Type::Unknown: break;
  }
  return 0;
}

// Where a property's value lies in an entry without lists.
struct Fixed_Layout {
  bool fixed = true;
  size_t size = 0;
  std::vector<size_t> offsets;
};

Fixed_Layout Layout_Of(const Ply_Element& element) {
  Fixed_Layout layout;
  for (const Ply_Property& property : element.properties) {
    layout.offsets.push_back(layout.size);
    if (property.list) layout.fixed = false;
    layout.size += static_cast<size_t>(Ply_Type_Size(property.type));
  }
  return layout;
}

class Body_Reader {
 public:
  Body_Reader(Line_Reader& file, const Ply_Header& header, Polygon_Mesh& built, Progress_Meter& meter)
      : input_(file),
        header_(header),
        built_(built),
        meter_(meter),
        order_(header.format == Ply_Format::Binary_Big_Endian ? std::endian::big : std::endian::little) {}

  Outcome Read(bool& ended) {
    for (const Ply_Element& element : header_.elements) {
      Fixed_Layout layout = Layout_Of(element);
      // A fixed-size element that is passed over is skipped in one step.
      if (element.kind == Element_Kind::Other && layout.fixed) {
        if (!input_.Skip(uint64_t{layout.size} * static_cast<uint64_t>(element.count))) {
          ended = true;
          return Outcome::Success();
        }
        continue;
      }
      for (int32_t i = 0; i < element.count; ++i) {
        if (!meter_.Step("Reading", 0, 80)) return meter_.Cancelled();
        bool complete = true;
        Outcome outcome = element.kind == Element_Kind::Vertex ? Read_Vertex(element, layout, i, complete)
                          : element.kind == Element_Kind::Face ? Read_Face(element, i, complete)
                                                               : Skip_Entry(element, i, complete);
        if (!outcome.ok) return outcome;
        if (!complete) {
          ended = true;
          return Outcome::Success();
        }
      }
    }
    return Outcome::Success();
  }

 private:
  // A list's item count: refused below zero or when it is not a number.
  Outcome Read_Count(const Ply_Element& element, const Ply_Property& list, int32_t entry, uint64_t& count,
                     bool& complete) {
    const size_t size = static_cast<size_t>(Ply_Type_Size(list.count_type));
    if (!input_.Need(size)) {
      complete = false;
      return Outcome::Success();
    }
    const double value = As_Double(input_.Take(size), list.count_type, order_);
    if (!(value >= 0) || value != std::floor(value)) {
      char text[32];
      std::snprintf(text, sizeof text, "%.17g", value);
      return Outcome::Failure("Entry " + std::to_string(entry) + " of \"" + element.name + "\" declares a list of " +
                              text + " values");
    }
    count = value > 1e18 ? uint64_t{1} << 60 : static_cast<uint64_t>(value);
    return Outcome::Success();
  }

  // Passes over one property of an entry.
  Outcome Skip_Property(const Ply_Element& element, const Ply_Property& property, int32_t entry, bool& complete) {
    if (!property.list) {
      complete = input_.Skip(static_cast<uint64_t>(Ply_Type_Size(property.type)));
      return Outcome::Success();
    }
    uint64_t count = 0;
    Outcome outcome = Read_Count(element, property, entry, count, complete);
    if (!outcome.ok || !complete) return outcome;
    const uint64_t item = static_cast<uint64_t>(Ply_Type_Size(property.type));
    complete = count <= (uint64_t{1} << 60) / item && input_.Skip(count * item);
    return Outcome::Success();
  }

  Outcome Skip_Entry(const Ply_Element& element, int32_t entry, bool& complete) {
    for (const Ply_Property& property : element.properties) {
      Outcome outcome = Skip_Property(element, property, entry, complete);
      if (!outcome.ok || !complete) return outcome;
    }
    return Outcome::Success();
  }

  Outcome Store_Vertex(int32_t entry, const double (&xyz)[3]) {
    for (double value : xyz)
      if (!std::isfinite(value))
        return Outcome::Failure("Vertex " + std::to_string(entry) + " has a coordinate that is not a finite number");
    built_.Set_Vertex(entry, {Round_To_Single(xyz[0]), Round_To_Single(xyz[1]), Round_To_Single(xyz[2])});
    return Outcome::Success();
  }

  Outcome Read_Vertex(const Ply_Element& element, const Fixed_Layout& layout, int32_t entry, bool& complete) {
    const int axes[3] = {header_.vertex_x, header_.vertex_y, header_.vertex_z};
    double xyz[3] = {0, 0, 0};
    if (layout.fixed) {
      if (!input_.Need(layout.size)) {
        complete = false;
        return Outcome::Success();
      }
      const char* bytes = input_.Take(layout.size);
      for (int k = 0; k < 3; ++k)
        xyz[k] = As_Double(bytes + layout.offsets[axes[k]], element.properties[axes[k]].type, order_);
      return Store_Vertex(entry, xyz);
    }
    for (size_t p = 0; p < element.properties.size(); ++p) {
      const Ply_Property& property = element.properties[p];
      const int axis = static_cast<int>(std::find(axes, axes + 3, static_cast<int>(p)) - axes);
      if (axis == 3 || property.list) {
        Outcome outcome = Skip_Property(element, property, entry, complete);
        if (!outcome.ok || !complete) return outcome;
        continue;
      }
      const size_t size = static_cast<size_t>(Ply_Type_Size(property.type));
      if (!input_.Need(size)) {
        complete = false;
        return Outcome::Success();
      }
      const double value = As_Double(input_.Take(size), property.type, order_);
      // A name given twice: the first property of that name holds the axis.
      for (int k = 0; k < 3; ++k)
        if (axes[k] == static_cast<int>(p)) xyz[k] = value;
    }
    return Store_Vertex(entry, xyz);
  }

  Outcome Read_Face(const Ply_Element& element, int32_t entry, bool& complete) {
    corners_.clear();
    for (size_t p = 0; p < element.properties.size(); ++p) {
      const Ply_Property& property = element.properties[p];
      if (static_cast<int>(p) != header_.face_list) {
        Outcome outcome = Skip_Property(element, property, entry, complete);
        if (!outcome.ok || !complete) return outcome;
        continue;
      }
      uint64_t count = 0;
      Outcome outcome = Read_Count(element, property, entry, count, complete);
      if (!outcome.ok || !complete) return outcome;
      const size_t item = static_cast<size_t>(Ply_Type_Size(property.type));
      if (count > (uint64_t{1} << 60) / item || input_.Ends_Within(count * item)) {
        complete = false;
        return Outcome::Success();
      }
      for (uint64_t k = 0; k < count; ++k) {
        if (!input_.Need(item)) {
          complete = false;
          return Outcome::Success();
        }
        const double value = As_Double(input_.Take(item), property.type, order_);
        if (std::isnan(value))
          return Outcome::Failure("Face " + std::to_string(entry) + " names a vertex that is not a number");
        corners_.push_back(Round_To_Int32(value));
      }
    }
    // Fewer than three corners read as an ASCII face line's would.
    while (corners_.size() < 3) corners_.push_back(0);
    return built_.Add_Polygon(entry, corners_, 0);
  }

  Binary_Input input_;
  const Ply_Header& header_;
  Polygon_Mesh& built_;
  Progress_Meter& meter_;
  const std::endian order_;
  std::vector<int32_t> corners_;
};

}  // namespace

Outcome Read_Ply_Binary_Body(Line_Reader& file, const Ply_Header& header, Polygon_Mesh& built, Progress_Meter& meter,
                             bool& ended) {
  Body_Reader reader(file, header, built, meter);
  return reader.Read(ended);
}
