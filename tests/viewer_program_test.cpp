// The BASIC file's formats and the viewer program: written as asked, read
// back as the data alone, and, in every dialect, keyword case, line length
// and numbering, run by a real BASIC interpreter (bwbasic) to print what the
// print program prints (tests/cli_viewer_test.sh holds that against render).
#include <cctype>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "export/viewer_dialects.h"
#include "export/viewer_program.h"
#include "shape_meshes.h"
#include "test_files.h"

namespace {

struct Written {
  std::string text;
  std::vector<std::string> lines;  // without CR LF
};

Written Write(MeshStore& store, const Bas_Format& format, int16_t start, int16_t step) {
  store.File_Output = (Test_Temp_Folder() / "program.bas").string();
  store.Basic_Line = start;
  store.Basic_Step = step;
  EXPECT_TRUE(Write_Bas(store, format).ok);
  Written w{Read_Test_File(store.File_Output), {}};
  std::istringstream in(w.text);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(line.ends_with('\r'));
    w.lines.push_back(line.substr(0, line.size() - 1));
  }
  return w;
}

MeshStore Random_Torus(std::mt19937& random) {
  const double size = std::uniform_real_distribution<double>(20, 150)(random);
  return Loaded_Store(Torus(9, 7, size, size * 0.4, 0.2, random));
}

// A random view and line length in the dialect and keyword case given.
Bas_Format Random_Format(std::mt19937& random, std::string_view dialect, Keyword_Case keywords) {
  std::uniform_int_distribution<int> angle(0, 359), zoom(1, 3), side(100, 640), coin(0, 1),
      length(Shortest_Line_Length, Longest_Line_Length);
  return {keywords, coin(random) ? length(random) : 0,
          Viewer_Settings{angle(random), angle(random), angle(random), zoom(random), side(random), side(random),
                          coin(random) == 1, std::string(dialect)}};
}

size_t Number_End(const std::string& line) { return std::min(line.find_first_not_of("0123456789"), line.size()); }
std::string After_Number(const std::string& line) { return line.substr(Number_End(line)); }
std::string Number_Of(const std::string& line) { return line.substr(0, Number_End(line)); }
bool Is_Comment(const std::string& line) { return After_Number(line).starts_with("'"); }
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}
bool Is_Data(const std::string& line) { return Upper(After_Number(line)).starts_with(" DATA "); }
// A line of the dialect's table as the program holds it.
std::string As_Written(std::string_view text, Keyword_Case keywords) {
  if (text.starts_with("'")) return std::string(text);
  std::string line(1, ' ');
  line += keywords == Keyword_Case::Upper ? Upper(std::string(text)) : std::string(text);
  return line;
}

TEST(ViewerProgram, WrittenAsAskedAndReadBackAsTheData) {  // the CLI tests count its lines
  std::mt19937 random(5);
  const Viewer_Layout layout = Layout_Of_Viewer();
  for (int round = 0; round < 20; ++round) {
    MeshStore store = Random_Torus(random);
    const Viewer_Dialect& dialect = Viewer_Dialects()[round % Viewer_Dialects().size()];
    const Bas_Format format = Random_Format(random, dialect.name, round % 2 ? Keyword_Case::Upper : Keyword_Case::Lower);
    const int start = std::uniform_int_distribution<int>(0, 9000)(random), step = 1 + round;
    const Written w = Write(store, format, static_cast<int16_t>(start), static_cast<int16_t>(step));
    const size_t length = static_cast<size_t>(format.line_length);
    for (size_t k = 0; k < w.lines.size(); ++k) {
      const std::string& line = w.lines[k];
      // Numbered whole; comments on lines of their own; statements in the case asked.
      ASSERT_EQ(Number_Of(line), std::to_string(start + static_cast<int64_t>(k) * step)) << line;
      EXPECT_TRUE(line.find('\'') == std::string::npos || Is_Comment(line)) << line;
      EXPECT_TRUE(format.keywords == Keyword_Case::Lower || Is_Comment(line) || line == Upper(line)) << line;
      EXPECT_TRUE(Is_Data(line) || line.size() <= static_cast<size_t>(Shortest_Line_Length)) << line;
      // Within the length (one item may pass it alone), and full: the
      // section's next item would not have fitted.
      if (!Is_Data(line) || !length) continue;
      EXPECT_TRUE(line.size() <= length || std::count(line.begin(), line.end(), ',') <= 2) << line;
      if (k + 1 < w.lines.size() && Is_Data(w.lines[k + 1])) {
        const std::string next = After_Number(w.lines[k + 1]).substr(6);
        const size_t item = next.find(',', next.find(',', next.find(',') + 1) + 1);
        EXPECT_GT(line.size() + 1 + std::min(item, next.size()), length) << line;
      }
    }
    for (int j = 0; j < 2; ++j) {
      EXPECT_EQ(After_Number(w.lines[layout.setup + j]), As_Written(dialect.setup[j], format.keywords));
      EXPECT_EQ(After_Number(w.lines[layout.subroutine + j]), As_Written(dialect.draw[j], format.keywords));
    }
    // Read back as the data alone.
    MeshStore plain, program;
    ASSERT_TRUE(Read_Bytes(plain, Input_Kind::Bas, Saved_Bas(store, "data.bas")).ok);
    ASSERT_TRUE(Read_Bytes(program, Input_Kind::Bas, w.text).ok);
    EXPECT_TRUE(Same_Entries(program.Pts_Optimized, plain.Pts_Optimized, plain.Nb_Pts_Optimized));
    EXPECT_TRUE(Same_Entries(program.Faces_Optimized, plain.Faces_Optimized, plain.Nb_Faces));
  }
}

// Runs the program in bwbasic in the test's own folder (it may hand a line
// it does not know to the shell, so it only runs what we wrote), with its
// comments as REM, which it needs; returns what it printed.
std::string Printed_By_Bwbasic(const std::vector<std::string>& lines) {
  std::string program;
  for (const std::string& line : lines)
    program += Is_Comment(line) ? Number_Of(line) + " REM " + After_Number(line).substr(1) + "\n" : line + "\n";
  Write_Temp_File("run.bas", program);
  const std::string folder = Test_Temp_Folder().string();
  EXPECT_EQ(std::system(("cd '" + folder + "' && timeout 300 bwbasic run.bas </dev/null >out.txt 2>&1").c_str()), 0);
  const std::string printed = Read_Test_File(folder + "/out.txt");
  EXPECT_EQ(printed.find("ERROR"), std::string::npos) << printed;
  return printed;
}

TEST(ViewerProgram, EveryDialectReadsAndProjectsAsThePrintProgramInAnInterpreter) {
  if (std::system("command -v bwbasic >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "bwbasic is not installed (./scripts/test installs it)";
  std::mt19937 random(23);
  const Viewer_Layout layout = Layout_Of_Viewer();
  const std::regex segment(R"((^|\n) *-?\d+ +-?\d+ +-?\d+ +-?\d+ *\n)");
  for (const Viewer_Dialect& dialect : Viewer_Dialects())
    for (Keyword_Case keywords : {Keyword_Case::Lower, Keyword_Case::Upper}) {
      SCOPED_TRACE(std::string(dialect.name) + (keywords == Keyword_Case::Upper ? " upper" : " lower"));
      MeshStore store = Random_Torus(random);
      Bas_Format format = Random_Format(random, dialect.name, keywords);
      Bas_Format print = Bas_Format{Keyword_Case::Lower, 0, format.viewer};
      print.viewer->dialect = "print";
      const std::string expected = Printed_By_Bwbasic(Write(store, print, 10, 1).lines);
      EXPECT_TRUE(std::regex_search(expected, segment)) << expected;
      // bwbasic has no graphics: the set-up goes, and the subroutine prints.
      std::vector<std::string> lines = Write(store, format, 100, 7).lines;
      for (int64_t k : {layout.setup, layout.setup + 1, layout.subroutine + 1}) lines[k] = Number_Of(lines[k]) + "'";
      lines[layout.subroutine] = Number_Of(lines[layout.subroutine]) + As_Written("print x1;y1;x2;y2", keywords);
      EXPECT_EQ(Printed_By_Bwbasic(lines), expected);
    }
}

TEST(ViewerProgram, RefusedWhereItCouldNotRunAndTheOldFileStays) {  // the CLI tests refuse a step of 0
  std::mt19937 random(13);
  const MeshStore good = Random_Torus(random);
  for (int bad = 0; bad < 4; ++bad) {
    MeshStore store = good;
    store.File_Output = Write_Temp_File("program.bas", "old");
    store.Basic_Line = bad == 0 ? -10 : 10;  // a BASIC's lines rise from 0
    store.Basic_Step = 1;
    if (bad == 1) store.Faces_Optimized[store.Nb_Faces].B = store.Nb_Pts_Optimized + 1;
    if (bad == 2) store.Faces_Optimized[0].C = -1;
    if (bad == 3) store.Nb_Faces = store.Nb_Pts_Optimized = -1;
    const Outcome written = Write_Bas(store, Random_Format(random, "print", Keyword_Case::Lower));
    EXPECT_FALSE(written.ok || written.message.empty()) << bad;
    EXPECT_EQ(Read_Test_File(store.File_Output), "old") << bad;
  }
}

}  // namespace
