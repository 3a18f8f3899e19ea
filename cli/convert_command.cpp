#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "core/line_numbering.h"
#include "export/write_bas.h"
#include "import/read_input.h"

namespace {

struct Convert_Options {
  std::vector<std::string> inputs;
  std::string output;
  std::string directory;
  std::string start = "10";
  std::string step = "1";
};

// Converts one input into a fresh store; prints why it failed, naming it.
bool Convert_One(const Convert_Options& options, const std::string& input, Input_Kind kind,
                 const std::string& output) {
  MeshStore store;
  store.File_Input = input;
  Outcome read = Read_Input(store, kind);
  if (!read.ok || !store.Object_Loaded) {
    std::cerr << input << ": " << (read.message.empty() ? "not loaded" : read.message) << "\n";
    return false;
  }
  Outcome numbering = Set_Line_Numbering(store, options.start, options.step);
  Outcome written = numbering;
  if (numbering.ok) {
    store.File_Output = output;
    written = output == "-" ? Write_Bas_To_Stdout(store) : Write_Bas(store);
  }
  if (!written.ok) {
    std::cerr << input << ": " << written.message << "\n";
    return false;
  }
  return true;
}

int Run_Convert(const Convert_Options& options) {
  std::vector<Input_Kind> kinds;
  for (const std::string& input : options.inputs) {
    kinds.push_back(Kind_Of_Input(input));
    if (kinds.back() == Input_Kind::Unsupported) {
      std::cerr << "unsupported input: " << input << "\n";
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
  command->add_option("inputs", options->inputs, "STL, PLY or BAS files")->required();
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
  command->add_option("--start", options->start, "First BASIC line number (default 10)");
  command->add_option("--step", options->step, "Line number step (default 1)");
  command->footer(
      "Examples:\n"
      "  stl2bas convert cube.stl -o cube.bas\n"
      "  stl2bas convert cube.stl -o - --start 100 --step 10\n"
      "  stl2bas convert a.stl b.ply -d out\n");
  command->callback([command, output, directory] {
    if (output->count() == 0 && directory->count() == 0)
      throw CLI::RequiredError("-o FILE or -d DIR");
    (void)command;
  });
  return [options] { return Run_Convert(*options); };
}
