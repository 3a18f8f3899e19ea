#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "model/model_report.h"
#include "model/save_model.h"
#include "model_options.h"
#include "program_options.h"

namespace {

struct Convert_Options {
  std::vector<std::string> inputs;
  std::string output;
  std::string directory;
  Model_Options model;
  Program_Option_Texts program;
};

// Converts one input into a fresh store; prints why it failed, naming it.
bool Convert_One(const Convert_Options& options, const std::string& input, const Input_Choice& choice,
                 const std::string& output, const More_Formats& more) {
  MeshStore store;
  store.File_Input = input;
  Model_Request request = Model_Request_For(choice, options.model, more);
  request.shape.format = Read_Program_Options(options.program, choice.kind == Input_Kind::Bas);
  const Model_Result loaded = Load_Model(store, request);
  if (!loaded.outcome.ok) {
    Say_Failed(input, loaded.outcome);
    return false;
  }
  const Outcome saved = Save_Model(store, output, request.shape);
  if (!saved.ok) {
    Say_Failed(input, saved);
    if (!saved.out_of_memory)
      Explain_Too_Many_Lines(std::cerr, Report_Store_Target(store, request.shape.format), store.Basic_Line,
                             store.Basic_Step);
    return false;
  }
  // A BASIC data file is already what the target gets; a fitted model keeps
  // every face it saves.
  if (!request.shape.Any() && choice.kind != Input_Kind::Bas)
    Warn_Faces_Losing_Area(std::cerr, input, Faces_Losing_Area(store), int64_t{store.Nb_Faces} + 1);
  return true;
}

int Run_Convert(const Convert_Options& options, const More_Formats& more) {
  std::vector<Input_Choice> kinds;
  for (const std::string& input : options.inputs) {
    kinds.push_back(Choose_Input_Or_Say(input, options.model, more));
    if (!kinds.back().Chosen()) return 2;
    if (input == "-" && options.output.empty()) {
      std::cerr << "standard input (-) is written with -o FILE (or -o - for standard output)\n";
      return 2;
    }
  }
  std::vector<std::string> outputs;
  if (!options.output.empty()) {
    if (options.inputs.size() != 1) {
      std::cerr << "-o names one output: give one input, or use -d DIR\n";
      return 2;
    }
    outputs.push_back(options.output);
  } else {
    std::set<std::string> seen;
    for (const std::string& input : options.inputs) {
      std::filesystem::path out =
          std::filesystem::path(options.directory) / std::filesystem::path(input).stem();
      out += ".bas";
      if (!seen.insert(out.string()).second) {
        std::cerr << "two inputs would both be written to " << out.string() << "\n";
        return 2;
      }
      outputs.push_back(out.string());
    }
  }

  bool all = true;
  for (size_t i = 0; i < options.inputs.size(); ++i)
    all = Convert_One(options, options.inputs[i], kinds[i], outputs[i], more) && all;
  return all ? 0 : 1;
}

}  // namespace

Command_Run Add_Convert_Command(CLI::App& app, const More_Formats& more) {
  auto options = std::make_shared<Convert_Options>();
  CLI::App* command = app.add_subcommand(
      "convert", "Read each input, merge its points and write the optimized mesh as a BASIC data file");
  command->add_option("inputs", options->inputs, "STL, PLY or BAS files, or OBJ, OFF, 3MF, glTF, ... (- for standard input)")->required();
  auto* output = command->add_option("-o,--output", options->output,
                                     "The output file for a single input (\"-\" for standard output)");
  auto* directory = command->add_option("-d,--directory", options->directory,
                                        "Write each input to DIR/<name without extension>.bas");
  // An empty name is a mistake, not a request for the default.
  const auto not_empty = [](const std::string& text) { return text.empty() ? "the name is empty" : ""; };
  output->check(not_empty, "FILE");
  directory->check(not_empty, "DIR");
  output->excludes(directory);
  directory->excludes(output);
  Add_Model_Options(*command, options->model, more);
  Add_Program_Options(*command, options->program, true);
  command->footer(std::string("Examples:\n"
                              "  stl2bas convert cube.stl -o cube.bas\n"
                              "  stl2bas convert cube.stl -o - --start 100 --step 10\n"
                              "  stl2bas convert a.stl b.ply part.obj scene.glb -d out\n"
                              "  stl2bas convert - --from stl -o cube.bas < cube.stl\n"
                              "  stl2bas convert bunny.ply -o bunny.bas --up y --fit 400 --faces 1000\n"
                              "  stl2bas convert bunny.ply -o bunny.bas --fit 400 --faces 1000 --program --zoom 1\n\n") +
                  Shape_Options_Footer + "\n" + Program_Options_Footer);
  command->callback([command, output, directory] {
    if (output->count() == 0 && directory->count() == 0)
      throw CLI::RequiredError("-o FILE or -d DIR");
    (void)command;
  });
  return [options, &more] { return Run_Convert(*options, more); };
}
