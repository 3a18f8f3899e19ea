#include "import/read_off.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <vector>

#include "core/line_reader.h"
#include "core/parse_number.h"
#include "core/progress_meter.h"
#include "core/text_chars.h"
#include "import/polygon_mesh.h"

namespace {

// The words of a line, up to a "#".
void Split_Words(std::string_view line, std::vector<std::string_view>& words) {
  words.clear();
  line = line.substr(0, line.find('#'));
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && Is_White_Space(line[at])) ++at;
    const size_t start = at;
    while (at < line.size() && !Is_White_Space(line[at])) ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
}

// A plain whole number (digits only), or -1.
int64_t Whole_Number(std::string_view word) {
  if (word.empty() || word.size() > 12) return -1;
  int64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool Is_Keyword(std::string_view word) {
  return word.size() >= 3 && word.substr(word.size() - 3) == "OFF" &&
         word.find_first_not_of("STCN4nOF") == std::string_view::npos;
}

class Off_Reader {
 public:
  Off_Reader(Line_Reader& file, const std::string& name, Mesh_Arrays& mesh, Progress* progress)
      : file_(file), name_(name), mesh_(mesh), meter_(progress, file) {}

  Outcome Read() {
    if (Outcome header = Read_Header(); !header.ok) return header;
    const bool sized = file_.Size_Known();
    if (sized)
      if (Outcome fits = Check_Counts(static_cast<uint64_t>(file_.Input_Size())); !fits.ok) return fits;
    Polygon_Mesh built(mesh_, vertices_, faces_, sized);
    if (!built.Start()) return built.No_Memory();
    int32_t read = 0;
    try {
      for (; read < vertices_ && Next_Words(); ++read) {
        if (!meter_.Step("Reading", 0, 80)) return Outcome::Cancelled();
        float xyz[3] = {0, 0, 0};
        for (size_t k = 0; k < 3 && k < words_.size(); ++k) xyz[k] = Round_To_Single(Parse_Number(words_[k]));
        built.Set_Vertex(read, {xyz[0], xyz[1], xyz[2]});
      }
      for (int64_t face = 0; read == vertices_ && face < faces_ && Next_Words(); ++face) {
        if (!meter_.Step("Reading", 0, 80)) return Outcome::Cancelled();
        // The corner count, capped at the values that follow it.
        const int64_t count = Round_To_Int32(Parse_Number(words_[0]));
        const int64_t corners = std::clamp<int64_t>(count, 0, static_cast<int64_t>(words_.size()) - 1);
        corners_.clear();
        for (int64_t k = 1; k <= corners; ++k)
          corners_.push_back(Round_To_Int32(Parse_Number(words_[static_cast<size_t>(k)])));
        if (Outcome added = built.Add_Polygon(face, corners_, line_number_); !added.ok) return added;
      }
    } catch (const std::bad_alloc&) {
      return built.No_Memory();
    }
    if (file_.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file_, name_));
    if (!sized && file_.Ended())
      if (Outcome fits = Check_Counts(file_.Bytes_Consumed()); !fits.ok) {
        mesh_.Nb_Pts_Normal = mesh_.Nb_Faces = -1;  // as a file refused in its header leaves them
        return fits;
      }
    return built.Finish({.count_triangles = true, .face = "triangle", .faces = "triangles"});
  }

 private:
  // The next line that holds a word, split; false at the end of the input.
  bool Next_Words() {
    std::string_view line;
    while (file_.Next(line)) {
      ++line_number_;
      Split_Words(line, words_);
      if (!words_.empty()) return true;
    }
    return false;
  }

  Outcome Read_Header() {
    std::vector<int64_t> numbers;
    bool keyword_seen = false, dimension_due = false;
    while (numbers.size() < 2) {
      if (!Next_Words()) {
        if (file_.Read_Failed()) return Outcome::Failure(Read_Failure_Text(file_, name_));
        return Outcome::Silent("The file ends before the OFF header's vertex and face counts");
      }
      size_t k = 0;
      if (!keyword_seen && numbers.empty() && Is_Keyword(words_[0])) {
        keyword_seen = true;
        dimension_due = words_[0].size() >= 4 && words_[0][words_[0].size() - 4] == 'n';
        k = 1;
      }
      for (; k < words_.size() && numbers.size() < 2; ++k) {
        const int64_t number = Whole_Number(words_[k]);
        if (number < 0 || number > INT32_MAX)
          return Outcome::Failure(At_Line(line_number_) + "\"" + std::string(words_[k]) +
                                  "\" is not a count: an OFF header gives the vertex and face counts");
        if (dimension_due) {
          dimension_due = false;  // "nOFF": the dimension comes first
          continue;
        }
        numbers.push_back(number);
      }
    }
    header_line_ = line_number_;
    vertices_ = numbers[0];
    faces_ = numbers[1];
    return Outcome::Success();
  }

  // Every vertex and face takes a line of at least two bytes.
  Outcome Check_Counts(uint64_t size) const {
    for (auto [count, what] : {std::pair{vertices_, "vertices"}, std::pair{faces_, "faces"}})
      if (static_cast<uint64_t>(count) > size / 2)
        return Outcome::Failure(At_Line(header_line_) + "the OFF header declares " + std::to_string(count) + " " +
                                what + ", but the file has only " + std::to_string(size) + " bytes");
    return Outcome::Success();
  }

  Line_Reader& file_;
  const std::string& name_;
  Mesh_Arrays& mesh_;
  Progress_Meter meter_;
  std::vector<std::string_view> words_;
  std::vector<int32_t> corners_;
  int64_t line_number_ = 0;
  int64_t header_line_ = 0;
  int64_t vertices_ = 0;
  int64_t faces_ = 0;
};

}  // namespace

Outcome Read_Off(Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
  mesh.Input_Format = "off";
  mesh.Nb_Pts_Normal = mesh.Nb_Faces = -1;
  Line_Reader file(source);
  Off_Reader reader(file, name, mesh, progress);
  return reader.Read();
}
