#include "prepare_mesh.h"

#include <iostream>

#include "core/line_numbering.h"

bool Prepare_Mesh(MeshStore& store, const Input_Choice& kind, const std::string& start, const std::string& step,
                  const Shape_Options& shape, bool normal_only, const char*& doing) {
  const std::string& input = store.File_Input;
  doing = "reading it";
  const Outcome read = Read_Chosen_Input(store, kind);
  if (!read.ok || !store.Object_Loaded) {
    std::cerr << input << ": " << (read.message.empty() ? "not loaded" : read.message) << "\n";
    return false;
  }
  const Outcome numbering = Set_Line_Numbering(store, start, step);
  if (!numbering.ok) {
    std::cerr << input << ": " << numbering.message << "\n";
    return false;
  }
  doing = "fitting the model";
  if (normal_only) {
    Turn_And_Fit(store, shape);
    return true;
  }
  Shape_Report report;
  const Outcome shaped = Shape_Mesh(store, shape, report);
  if (!shaped.ok) {
    std::cerr << input << ": " << shaped.message << "\n";
    return false;
  }
  return true;
}
