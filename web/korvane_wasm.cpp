// The page's binding over the converter's libraries, built for WebAssembly:
// plain C functions over byte arrays that web/page/korvane.js calls. A model
// is loaded from the bytes of a file the way stl2bas loads it (Load_Model,
// the one road of a model), and then reported, written as BASIC text or
// drawn as the window's preview, as often as the page asks.
//
// Nothing here throws into JavaScript: every failure is the message stl2bas
// prints for it ("name: message"), and memory running out is caught where
// the library catches it.
#include <emscripten/emscripten.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "controller/fit_commands.h"
#include "core/line_numbering.h"
#include "core/byte_source.h"
#include "export/viewer_dialects.h"
#include "model/info_document.h"
#include "model/load_model.h"
#include "model/model_report.h"
#include "model/render_model.h"
#include "model/save_model.h"
#include "preview/draw_lines.h"
#include "shape/target_verdict.h"

namespace {

// What a loaded model keeps between the page's calls, and what the last
// call gave back (read by the page until its next call on the model).
struct Page_Model {
  std::string name;
  Input_Choice choice;
  Model_Request request;
  MeshStore store;
  Model_Result result;
  std::string refused;  // options or a name refused before anything was read
  int area_width = 481, area_height = 473;  // the preview's, for the judgement of the model as read
  bool propose = false;  // whether the load judges the model as read for the fit (the page's "propose")
  std::string report;   // JSON
  std::string text;     // the BASIC file
  std::string message;  // why the last call failed
  std::vector<Segment> segments;
  std::vector<uint32_t> pixels;
};

// The view's ranges, as stl2bas takes them, and its words for a value
// outside them.
constexpr int kLargest_Angle = 359;
constexpr int kLargest_Zoom = 20;
constexpr int kLargest_Side = 8192;
const char* const kAngles_Refused = "--angles: three whole degrees 0..359";
const char* const kZoom_Refused = "--zoom: 1..20";
const char* const kArea_Refused = "the drawing area is 1..8192 pixels a side";
const char* const kFaces_Refused = "--faces takes a whole number from 1, auto or max";

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;  // opaque black in the canvas's RGBA bytes

// Tells the page how far a read has come: Module.onProgress(stage, percent),
// whose false stops the read.
EM_JS(int, Tell_Progress, (const char* stage, int percent), {
  const tell = Module["onProgress"];
  return tell ? (tell(UTF8ToString(stage), percent) === false ? 0 : 1) : 1;
});

class Page_Progress final : public Progress {
 public:
  bool Update(std::string_view stage, int percent) override {
    return Tell_Progress(std::string(stage).c_str(), percent) != 0;
  }
};

std::string Failure_Text(const std::string& name, const Outcome& outcome) {
  return name + ": " + (outcome.message.empty() ? "not loaded" : outcome.message);
}

// The load's report, {"ok", "refused", "message", "info", "fit"}, without
// the last two, which a load that read a model fills.
Json Report_Of(bool ok, bool refused, const Json& message) {
  return Json{{"ok", ok}, {"refused", refused}, {"message", message}, {"info", Json()}, {"fit", Json()}};
}

// JSON text of any strings: a byte that is not UTF-8 shows as U+FFFD.
std::string Json_Text(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

bool Within(int value, int lo, int hi) { return value >= lo && value <= hi; }

// A drawing refused or failed: -1, with the reason as the model's message.
int Drawing_Failed(Page_Model& model, std::string reason) {
  model.message = std::move(reason);
  return -1;
}

bool Refuse(std::string& refused, std::string reason) {
  refused = std::move(reason);
  return false;
}

// `value` as a whole number within lo..hi (JSON numbers with a fraction,
// or out of range, are not).
bool Whole(const Json& value, int64_t lo, int64_t hi, int& whole) {
  if (!value.is_number_integer()) return false;
  const int64_t number = value.is_number_unsigned() && value.get<uint64_t>() > uint64_t{INT64_MAX}
                             ? INT64_MAX
                             : value.get<int64_t>();
  if (number < lo || number > hi) return false;
  whole = static_cast<int>(number);
  return true;
}

// The option `key` of `object` as a whole number within lo..hi, or
// `fallback` when it is not given.
bool Whole_Option(const Json& object, const char* key, int fallback, int64_t lo, int64_t hi, int& whole) {
  const auto found = object.find(key);
  if (found == object.end()) {
    whole = fallback;
    return true;
  }
  return Whole(*found, lo, hi, whole);
}

// The view a viewer program draws, as stl2bas --angles, --zoom and --mesh
// take it: by default the whole model as the preview first shows it. False,
// with the reason, for one stl2bas would refuse.
bool Read_View(const Json& view, bool bas_input, Viewer_Settings& viewer, std::string& refused) {
  const Json angles = view.value("angles", Json::array({0, 0, 0}));
  if (!angles.is_array() || angles.size() != 3 || !Whole(angles[0], 0, kLargest_Angle, viewer.angle_x) ||
      !Whole(angles[1], 0, kLargest_Angle, viewer.angle_y) || !Whole(angles[2], 0, kLargest_Angle, viewer.angle_z))
    return Refuse(refused, kAngles_Refused);
  if (!Whole_Option(view, "zoom", 1, 1, kLargest_Zoom, viewer.zoom)) return Refuse(refused, kZoom_Refused);
  const std::string mesh = view.value("mesh", std::string());
  if (!mesh.empty() && mesh != "normal" && mesh != "optimized")
    return Refuse(refused, "--mesh: normal or optimized");
  viewer.all_faces = mesh.empty() ? !bas_input : mesh == "normal";
  return true;
}

// The options the page gives, as stl2bas takes them on its command line.
// False, with the reason, for one stl2bas would refuse.
bool Read_Options(const Json& options, bool bas_input, Page_Model& model) {
  Model_Request& request = model.request;
  std::string& refused = model.refused;
  const Json area = options.value("area", Json::array({model.area_width, model.area_height}));
  if (!area.is_array() || area.size() != 2 || !Whole(area[0], 1, kLargest_Side, model.area_width) ||
      !Whole(area[1], 1, kLargest_Side, model.area_height))
    return Refuse(refused, kArea_Refused);
  request.start = options.value("start", std::string("10"));
  request.step = options.value("step", std::string("1"));
  if (const std::string fault = Start_Text_Fault(request.start); !fault.empty()) return Refuse(refused, "--start: " + fault);
  if (const std::string fault = Step_Text_Fault(request.step); !fault.empty()) return Refuse(refused, "--step: " + fault);
  request.normal_only = options.value("normal_only", false);
  model.propose = options.value("propose", false);
  Shape_Options& shape = request.shape;
  const std::string up = options.value("up", std::string());
  if (!up.empty()) {
    if (!Parse_Up_Axis(up, shape.up)) return Refuse(refused, "--up: the axis is one of x, y, z, -x, -y, -z");
    shape.turn = true;
  }
  const double fit = options.value("fit", 0.0);
  if (!(std::isfinite(fit) && fit >= 0 && fit <= FLT_MAX)) return Refuse(refused, "--fit: the size is a number above 0");
  shape.fit_size = fit;
  const Json faces = options.value("faces", Json());
  if (faces == "auto") {
    shape.face_limit = Face_Limit::Legible;
  } else if (faces == "max") {
    shape.face_limit = Face_Limit::Fit_Line_Numbers;
  } else if (faces.is_number_integer()) {
    const int64_t count = faces.get<int64_t>();
    if (count < 1 || count > INT32_MAX) return Refuse(refused, kFaces_Refused);
    shape.face_limit = Face_Limit::Count;
    shape.max_faces = static_cast<size_t>(count);
  } else if (!faces.is_null()) {
    return Refuse(refused, kFaces_Refused);
  }
  shape.clean = options.value("clean", false);

  Bas_Format& format = shape.format;
  const std::string keywords = options.value("keyword_case", std::string("lower"));
  if (keywords != "lower" && keywords != "upper") return Refuse(refused, "--keyword-case: lower or upper");
  format.keywords = keywords == "upper" ? Keyword_Case::Upper : Keyword_Case::Lower;
  if (!Whole_Option(options, "line_length", 0, 0, Longest_Line_Length, format.line_length) ||
      (format.line_length != 0 && format.line_length < Shortest_Line_Length))
    return Refuse(refused, "--line-length: the length is " + std::to_string(Shortest_Line_Length) + ".." +
                     std::to_string(Longest_Line_Length));
  if (options.value("program", false)) {
    Viewer_Settings viewer;
    viewer.dialect = options.value("dialect", std::string("print"));
    if (!Find_Viewer_Dialect(viewer.dialect)) return Refuse(refused, "--dialect: no dialect " + viewer.dialect);
    if (!Read_View(options.value("view", Json::object()), bas_input, viewer, refused)) return false;
    format.viewer = viewer;
  }
  return true;
}

// Whether the window would offer to fit the model as read, why, and the
// fields' first values: up as read, 400 units, every face or as many as
// draw legibly (Propose_Fit).
Json Fit_Proposal(const Page_Model& model) {
  const bool offered = model.store.Object_Loaded && !model.request.shape.Any() &&
                       model.choice.kind != Input_Kind::Bas && model.choice.format.empty();
  if (!offered) return Json();
  const std::span<const Point3> points = model.store.Valid_Pts_Optimized();
  const std::span<const Face3> faces = model.store.Valid_Faces_Optimized();
  const Target_Verdict verdict =
      Judge_Target(points, faces, model.store.Basic_Line, model.store.Basic_Step, model.area_width, model.area_height);
  const Fit_Choice choice = Propose_Fit(points, faces, verdict);
  return Json{{"serves", verdict.Serves()},
              {"reasons", Fit_Reasons(Fit_Moment::Opened, verdict, faces.size())},
              {"all_faces", faces.size()},
              {"size", choice.size},
              {"faces", choice.faces},
              {"legible", choice.legible}};
}

void Load(Page_Model& model, std::string_view bytes, const std::string& options_text) {
  Json options;
  try {
    options = Json::parse(options_text);
  } catch (const Json::exception&) {
    model.refused = "the options are not JSON";
  }
  Outcome refused;
  model.choice = Choose_Input(model.name, "", More_Formats{}, refused);
  if (!model.refused.empty()) return;
  if (!model.choice.Chosen()) {
    model.refused = refused.message;
    return;
  }
  try {
    if (!Read_Options(options, model.choice.kind == Input_Kind::Bas, model)) return;
  } catch (const Json::exception&) {
    model.refused = "the options are not what stl2bas takes";
    return;
  }
  Memory_Source source(bytes);
  Page_Progress progress;
  model.request.choice = model.choice;
  model.request.source = &source;
  model.request.progress = &progress;
  model.store.File_Input = model.name;
  model.result = Load_Model(model.store, model.request);
  model.request.source = nullptr;
  model.request.progress = nullptr;

  Json report = Report_Of(model.result.outcome.ok, false, Json());
  if (!model.result.outcome.ok) report["message"] = Failure_Text(model.name, model.result.outcome);
  // As stl2bas info: a read that failed is reported with what it reached;
  // a numbering that cannot be used, or memory running out, is not.
  if (!model.result.outcome.out_of_memory && model.result.step != Model_Step::Numbering) {
    const Model_Report measured = Report_Model(model.store, model.result, model.choice, model.request.shape);
    if (!measured.measured.ok) {
      report["ok"] = false;
      report["message"] = Failure_Text(model.name, measured.measured);
    } else {
      Json info = Info_Document(model.name, model.choice, model.store, model.result, measured);
      if (measured.shape.reduced) info["simplify_error"] = measured.shape.simplify_error;
      report["info"] = std::move(info);
      if (model.propose) report["fit"] = Fit_Proposal(model);
    }
  }
  model.report = Json_Text(report);
}

}  // namespace

extern "C" {

// Loads a model from `size` bytes at `bytes`, named `name` (UTF-8: its kind
// comes from the name, as stl2bas takes it), with the options given as JSON
// (see Read_Options). Null only when memory runs out for the model itself.
EMSCRIPTEN_KEEPALIVE Page_Model* korvane_load(const char* bytes, size_t size, const char* name,
                                             const char* options) {
  Page_Model* model = new (std::nothrow) Page_Model;
  if (!model) return nullptr;
  try {
    model->name = name;
    Load(*model, std::string_view(bytes, size), options);
    if (!model->refused.empty())
      model->report = Json_Text(Report_Of(false, true, model->refused));
  } catch (const std::bad_alloc&) {
    model->report = R"({"ok":false,"refused":false,"message":"not enough memory while loading the model",)"
                    R"("info":null,"fit":null})";
  }
  return model;
}

EMSCRIPTEN_KEEPALIVE void korvane_free(Page_Model* model) { delete model; }

// The load's report: {"ok", "refused" (an option or the name), "message"
// (as stl2bas prints it, or null), "info" (the document of stl2bas info
// --json, with simplify_error), "fit" (the window's judgement of the model
// as read, or null)}.
EMSCRIPTEN_KEEPALIVE const char* korvane_report(const Page_Model* model) { return model->report.c_str(); }

// Writes the model's BASIC file as stl2bas convert writes it: 1 with the
// text in korvane_text, 0 with the reason in korvane_message.
// With a viewer program, `view` (JSON as the load's "view", or empty for the
// load's own) is the view it draws: the page passes the one it shows.
EMSCRIPTEN_KEEPALIVE int korvane_convert(Page_Model* model, const char* view) {
  model->text.clear();
  model->message.clear();
  std::optional<Viewer_Settings>& viewer = model->request.shape.format.viewer;
  if (viewer && view && *view) {
    std::string refused;
    try {
      if (!Read_View(Json::parse(view), model->choice.kind == Input_Kind::Bas, *viewer, refused)) {
        model->message = refused;
        return 0;
      }
    } catch (const Json::exception&) {
      model->message = "the view is not what stl2bas takes";
      return 0;
    }
  }
  if (!model->refused.empty()) {
    model->message = model->refused;
    return 0;
  }
  if (!model->result.outcome.ok) {
    model->message = Failure_Text(model->name, model->result.outcome);
    return 0;
  }
  if (model->request.normal_only) {
    model->message = model->name + ": loaded to draw its normal mesh only";
    return 0;
  }
  const Outcome saved = Save_Model_Text(model->store, model->request.shape, model->text);
  if (!saved.ok) model->message = Failure_Text(model->name, saved);
  return saved.ok ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* korvane_text(const Page_Model* model) { return model->text.data(); }
EMSCRIPTEN_KEEPALIVE size_t korvane_text_size(const Page_Model* model) { return model->text.size(); }
EMSCRIPTEN_KEEPALIVE const char* korvane_message(const Page_Model* model) { return model->message.c_str(); }

// Draws the model as the window's preview draws it, at these angles and
// zoom, the normal mesh (1), the optimized one (0) or, with -1, the one
// stl2bas render draws by default (optimized for BASIC data or a fitted
// model), into a width x height area:
// the number of segments (korvane_segments: x1, y1, x2, y2 for each, in
// drawing order), with the picture in korvane_pixels (RGBA, white with
// black lines); -1 with the reason in korvane_message.
EMSCRIPTEN_KEEPALIVE int korvane_draw(Page_Model* model, int angle_x, int angle_y, int angle_z, int zoom,
                                      int normal, int width, int height) {
  model->message.clear();
  model->segments.clear();
  const bool shaped = model->request.shape.Any() && !model->request.normal_only;
  if (normal < 0) normal = model->choice.kind == Input_Kind::Bas || shaped ? 0 : 1;
  if (normal && (model->choice.kind == Input_Kind::Bas || shaped))
    return Drawing_Failed(*model, model->name + ": " +
                                      (shaped ? "a fitted model shows its optimized mesh"
                                              : "a BASIC data file has no normal mesh; use --mesh optimized"));
  if (!Within(width, 1, kLargest_Side) || !Within(height, 1, kLargest_Side))
    return Drawing_Failed(*model, kArea_Refused);
  for (int angle : {angle_x, angle_y, angle_z})
    if (!Within(angle, 0, kLargest_Angle)) return Drawing_Failed(*model, kAngles_Refused);
  if (!Within(zoom, 1, kLargest_Zoom)) return Drawing_Failed(*model, kZoom_Refused);
  Picture_Request view;
  view.angle_x = angle_x;
  view.angle_y = angle_y;
  view.angle_z = angle_z;
  view.zoom = zoom;
  view.width = width;
  view.height = height;
  view.show_normal = normal != 0;
  Outcome drawn = model->result.outcome.ok ? Draw_Model(model->store, view, model->segments) : Outcome::Success();
  try {
    model->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kWhite);
  } catch (const std::bad_alloc&) {
    drawn = Outcome::No_Memory("drawing the picture");
  }
  if (!drawn.ok) {
    model->segments.clear();
    return Drawing_Failed(*model, Failure_Text(model->name, drawn));
  }
  Draw_Lines(model->pixels.data(), width, height, width, model->segments, kBlack);
  return static_cast<int>(model->segments.size());
}

EMSCRIPTEN_KEEPALIVE const int16_t* korvane_segments(const Page_Model* model) {
  static_assert(sizeof(Segment) == 4 * sizeof(int16_t), "a segment is four 16-bit numbers");
  return reinterpret_cast<const int16_t*>(model->segments.data());
}
EMSCRIPTEN_KEEPALIVE const uint32_t* korvane_pixels(const Page_Model* model) { return model->pixels.data(); }

// The viewer program's dialects, as JSON: [{"name", "families"}, ...],
// "print" first.
EMSCRIPTEN_KEEPALIVE const char* korvane_dialects() {
  static const std::string text = [] {
    Json list = Json::array();
    for (const Viewer_Dialect& dialect : Viewer_Dialects())
      list.push_back({{"name", std::string(dialect.name)}, {"families", std::string(dialect.families)}});
    return list.dump();
  }();
  return text.c_str();
}

}  // extern "C"
