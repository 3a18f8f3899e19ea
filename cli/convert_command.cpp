#include <filesystem>
#include <iostream>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "export/write_bas.h"
#include "input_choice.h"
#include "prepare_mesh.h"
#include "reading_options.h"
#include "shape_options.h"

namespace {

struct Convert_Options {
  std::vector<std::string> inputs;
  std::string output;
  std::string directory;
  std::string start = "10";
  std::string step = "1";
  std::string from;
  uint64_t memory = 0;
  Shape_Option_Texts shape;
};

// Converts one input into a fresh store; prints why it failed, naming it.
// Memory running out ends this input's conversion, not the program.
bool Convert_One(const Convert_Options& options, const std::string& input, const Input_Choice& kind,
                 const std::string& output) {
  const char* doing = "reading it";
  try {
    MeshStore store;
    store.File_Input = input;
    const Shape_Options shape = Read_Shape_Options(options.shape);
    if (!Prepare_Mesh(store, kind, options.start, options.step, shape, false, doing)) return false;
    if (shape.Any() && store.Nb_Faces < 0) {
      std::cerr << input << ": No face keeps its area at one decimal, so the file would hold no face"
                << (shape.fit_size > 0 ? "" : " (--fit 400 makes the model 400 units across)") << "\n";
      return false;
    }
    doing = "writing the BASIC data file";
    store.File_Output = output;
    const Outcome written = output == "-" ? Write_Bas_To_Stdout(store) : Write_Bas(store);
    if (!written.ok) {
      std::cerr << input << ": " << written.message << "\n";
      Explain_Too_Many_Lines(std::cerr, store);
      return false;
    }
    return true;
  } catch (const std::bad_alloc&) {
    std::cerr << input << ": not enough memory while " << doing << "\n";
    return false;
  }
}

int Run_Convert(const Convert_Options& options) {
  std::vector<Input_Choice> kinds;
  for (const std::string& input : options.inputs) {
    kinds.push_back(Choose_Input(input, options.from));
    if (!kinds.back().Chosen()) return 2;
    kinds.back().memory_limit = options.memory;
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
    all = Convert_One(options, options.inputs[i], kinds[i], outputs[i]) && all;
  return all ? 0 : 1;
}

}  // namespace

Command_Run Add_Convert_Command(CLI::App& app) {
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
  Add_Line_Number_Options(*command, options->start, options->step);
  Add_From_Option(*command, options->from);
  Add_Memory_Option(*command, options->memory);
  Add_Shape_Options(*command, options->shape);
  command->footer(std::string("Examples:\n"
                              "  stl2bas convert cube.stl -o cube.bas\n"
                              "  stl2bas convert cube.stl -o - --start 100 --step 10\n"
                              "  stl2bas convert a.stl b.ply part.obj scene.glb -d out\n"
                              "  stl2bas convert - --from stl -o cube.bas < cube.stl\n"
                              "  stl2bas convert bunny.ply -o bunny.bas --up y --fit 400 --faces 1000\n\n") +
                  Shape_Options_Footer);
  command->callback([command, output, directory] {
    if (output->count() == 0 && directory->count() == 0)
      throw CLI::RequiredError("-o FILE or -d DIR");
    (void)command;
  });
  return [options] { return Run_Convert(*options); };
}
