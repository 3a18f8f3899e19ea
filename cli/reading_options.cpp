#include "reading_options.h"

#include <string_view>

#include "assimp_bridge/scene_bytes.h"
#include "core/line_numbering.h"

void Add_Line_Number_Options(CLI::App& command, std::string& start, std::string& step, const std::string& purpose) {
  command.add_option("--start", start, "First BASIC line number" + purpose + " (default 10)")
      ->check([](const std::string& text) { return Start_Text_Fault(text); }, "NUMBER");
  command.add_option("--step", step, "Line number step, 1 or more" + purpose + " (default 1)")
      ->check([](const std::string& text) { return Step_Text_Fault(text); }, "NUMBER");
}

void Add_Memory_Option(CLI::App& command, uint64_t& memory_bytes) {
  command
      .add_option_function<uint64_t>(
          "--memory", [&memory_bytes](const uint64_t& mib) { memory_bytes = mib << 20; },
          "MiB that reading an OBJ, glTF, 3MF, ... file may take (default: as the file's size allows, at most " +
              std::to_string(kScene_Memory_Ceiling >> 20) + ")")
      ->check(CLI::Range(uint64_t{64}, uint64_t{1} << 24));
}
