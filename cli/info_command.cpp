#include <cstdio>
#include <iostream>
#include <span>
#include <string>

#include "commands.h"
#include "core/float_text.h"
#include "json_layout.h"
#include "model/info_document.h"
#include "model/model_report.h"
#include "model_options.h"
#include "program_options.h"

namespace {

struct Info_Options {
  std::string input;
  bool json = false;
  bool dump = false;
  Model_Options model;
  Program_Option_Texts program;  // the lines a whole program needs
};

std::string Bound_Text(double value) { return Shortest_Float_Text(static_cast<float>(value)); }

void Print_Json_Report(const Info_Options& options, const Input_Choice& choice, const MeshStore& store,
                       const Model_Result& result, const Model_Report& report) {
  Json_Object_Printer printer(std::cout);
  printer.Fields(Info_Document(options.input, choice, store, result, report));
  // Six significant digits are all the error means.
  if (report.shape.reduced) printer.Field("simplify_error", report.shape.simplify_error, 6);
  if (options.dump && report.loaded) {
    if (choice.kind != Input_Kind::Bas) {
      printer.Field("pts_normal", store.Valid_Pts_Normal());
      printer.Field("faces_normal", Valid_Entries(store.Faces_Normal, result.normal_faces));
    }
    printer.Field("pts_optimized", store.Valid_Pts_Optimized());
    printer.Field("faces_optimized", store.Valid_Faces_Optimized());
  }
  printer.End();
}

void Print_Target_Text(std::ostream& out, const Model_Report& info) {
  if (!info.known) return;
  const Bounds3& box = info.target.bounds;
  out << "  Bounds:                     ";
  if (box.empty) {
    out << "none (no point)\n";
  } else {
    const char* axis[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
      out << (i ? ", " : "") << axis[i] << " " << Bound_Text(box.min[i]) << " .. " << Bound_Text(box.max[i]);
    out << "\n";
  }
  out << "  BASIC lines:                " << info.target.lines_needed << " needed, ";
  if (info.target.lines_available < 0)
    out << "no limit";
  else
    out << info.target.lines_available << " available";
  out << " (from " << info.start << " by " << info.step << ")"
      << (Lines_Fit(info.target.lines_needed, info.target.lines_available) ? "" : ": too many, try --faces auto")
      << "\n";
  out << "  At one decimal:             " << info.points_collapsing << " points collapse, " << info.faces_degenerate
      << " faces lose their area" << (info.shape.tidied ? " (merged and dropped)" : "") << "\n";
  if (info.shape.faces_outside > 0)
    out << "  Dropped:                    " << info.shape.faces_outside
        << " faces naming a point the file does not have\n";
  if (info.shape.reduced) {
    char error[32];
    std::snprintf(error, sizeof error, "%.3g%%", 100 * info.shape.simplify_error);
    out << "  Reduced:                    to " << info.shape.faces_achieved << " faces (limit "
        << info.shape.faces_target << ", " << info.shape.faces_before << " before), error " << error
        << " of the model's size" << (info.shape.sloppy ? ", sloppy pass" : "") << "\n";
  }
}

int Run_Info(const Info_Options& options, const More_Formats& more) {
  const Input_Choice choice = Choose_Input_Or_Say(options.input, options.model, more);
  if (!choice.Chosen()) return 2;
  MeshStore store;
  store.File_Input = options.input;
  Model_Request request = Model_Request_For(choice, options.model, more);
  request.shape.format = Read_Program_Options(options.program, choice.kind == Input_Kind::Bas);
  const Model_Result result = Load_Model(store, request);
  // A read that failed is reported with what it reached; a numbering that
  // cannot be used, or memory running out, is not.
  if (result.outcome.out_of_memory || result.step == Model_Step::Numbering) {
    Say_Failed(options.input, result.outcome);
    return 1;
  }
  const Model_Report report = Report_Model(store, result, choice, request.shape);
  if (!report.measured.ok) {
    Say_Failed(options.input, report.measured);
    return 1;
  }

  if (options.json) {
    Print_Json_Report(options, choice, store, result, report);
  } else {
    std::cout << options.input << " (" << choice.Name() << "): " << (report.loaded ? "loaded" : "not loaded")
              << "\n";
    if (!result.outcome.ok) std::cout << "  " << result.outcome.message << "\n";
    // The window's captions are last indices; the counts are one more.
    std::cout << "  Number of Faces:            " << report.faces << "  (" << int64_t{report.faces} + 1
              << " faces)\n"
              << "  Number of Points:           " << report.points << "  (" << int64_t{report.points} + 1
              << " points)\n"
              << "  Number of Points Optimized: " << report.points_optimized << "  ("
              << int64_t{report.points_optimized} + 1 << " points)\n";
    Print_Target_Text(std::cout, report);
  }
  return report.loaded ? 0 : 1;
}

}  // namespace

Command_Run Add_Info_Command(CLI::App& app, const More_Formats& more) {
  auto options = std::make_shared<Info_Options>();
  CLI::App* command = app.add_subcommand("info", "Load one input and report what the window would show");
  command->add_option("input", options->input, "An STL, PLY or BAS file, or OBJ, OFF, 3MF, glTF, ... (- for standard input)")->required();
  command->add_flag("--json", options->json, "Print one JSON object");
  command->add_flag("--dump", options->dump, "With --json: add the points and faces of each mesh");
  Add_Model_Options(*command, options->model, more);
  Add_Program_Options(*command, options->program, true);
  command->footer(std::string("Examples:\n"
                              "  stl2bas info cube.stl\n"
                              "  stl2bas info cube.bas --json --dump\n"
                              "  stl2bas info torus.stl --faces auto --start 100 --step 10\n\n") +
                  Shape_Options_Footer);
  return [options, &more] { return Run_Info(*options, more); };
}
