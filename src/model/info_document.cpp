#include "model/info_document.h"

namespace {

// Whether the text is UTF-8, as the JSON library judges it.
bool Is_Utf8(const std::string& text) {
  try {
    (void)Json(text).dump();
    return true;
  } catch (const Json::type_error&) {
    return false;
  }
}

}  // namespace

Json Info_Document(const std::string& input, const Input_Choice& choice, const MeshStore& store,
                   const Model_Result& result, const Model_Report& report) {
  Json out;
  out["file"] = input;
  // A name that is not UTF-8 also as its bytes, so that a script can still
  // open the very file.
  if (!Is_Utf8(input)) {
    Json bytes = Json::array();
    for (char c : input) bytes.push_back(int{static_cast<unsigned char>(c)});
    out["file_bytes"] = bytes;
  }
  out["kind"] = choice.Name();
  // What the read found: the input's format and how many polygons it split into triangles.
  out["format"] = store.Input_Format.empty() ? Json() : Json(store.Input_Format);
  out["polygons_split"] = store.Polygons_Split;
  out["loaded"] = report.loaded;
  out["faces"] = report.faces;
  out["points"] = report.points;
  out["points_optimized"] = report.points_optimized;
  out["message"] = result.outcome.ok ? Json() : Json(result.outcome.message);
  // What the target gets.
  const Target_Report& target = report.target;
  auto floats = [](const double (&v)[3]) {
    return Json{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
  };
  out["bounds"] = !report.known || target.bounds.empty
                      ? Json()
                      : Json{{"min", floats(target.bounds.min)}, {"max", floats(target.bounds.max)}};
  auto known = [&](bool is, int64_t value) { return is ? Json(value) : Json(); };
  out["lines_needed"] = known(report.known, target.lines_needed);
  out["lines_available"] = known(report.known && target.lines_available >= 0, target.lines_available);
  out["points_collapsing"] = known(report.known, report.points_collapsing);
  out["faces_degenerate"] = known(report.known, report.faces_degenerate);
  if (report.shape.reduced) {
    out["faces_target"] = report.shape.faces_target;
    out["faces_achieved"] = report.shape.faces_achieved;
  }
  return out;
}
