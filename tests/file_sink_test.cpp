// The one way files are written (the window's save, convert and render),
// over every kind of path a user can name. Whatever the path, nothing on
// disk changes but the one file the write reaches: links stay links, a FIFO
// stays a FIFO, no temporary file is left, and a refused write changes
// nothing at all. Devices, read-only files and the commands' exit codes are
// checked through stl2bas in cli_save_test.sh.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <utility>

#include "export/file_sink.h"
#include "export/write_bas.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

// What a folder holds, recursively, without following links.
struct Entry {
  fs::file_type type;
  unsigned mode;
  std::string content;  // a regular file's bytes, a link's text
  bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;

Snapshot Take_Snapshot(const fs::path& folder) {
  Snapshot entries;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const fs::file_status status = item.symlink_status();
    Entry entry{status.type(), static_cast<unsigned>(status.permissions()), {}};
    if (status.type() == fs::file_type::symlink) entry.content = fs::read_symlink(item.path()).string();
    if (status.type() == fs::file_type::regular) entry.content = Read_Test_File(item.path().string());
    entries[item.path().lexically_relative(folder).string()] = entry;
  }
  return entries;
}

// The text written: more than one block of the sink, in pieces of every
// size, one of them larger than a block.
std::string Sample_Text() {
  std::string text;
  for (int i = 0; text.size() < 3'000'000; ++i) text += std::to_string(i * 7919) + " data 1.5,-2.0,3.25\r\n";
  return text;
}

struct Sink_Result {
  bool opened = false;
  bool committed = false;
};

Sink_Result Write_Through_Sink(const std::string& target, const std::string& keep, const std::string& text) {
  File_Sink sink;
  Sink_Result result;
  result.opened = sink.Open(target, keep);
  if (!result.opened) return result;
  size_t at = 0;
  for (size_t piece : {size_t{1}, size_t{100}, size_t{1'500'000}, size_t{7}, size_t{65536}}) {
    sink.Append(std::string_view(text).substr(at, piece));
    at = std::min(text.size(), at + piece);
  }
  sink.Append(std::string_view(text).substr(at));
  result.committed = sink.Commit();
  return result;
}

enum class Expect {
  Replaced,         // `written` (in the folder) holds the text afterwards
  Written_Directly, // the FIFO received the text; nothing in the folder changed
  Refused,          // Open said no: nothing in the folder changed
};

struct Target {
  std::string path;
  std::string keep;  // the input that must not be replaced
};

struct Path_Case {
  const char* name;
  std::function<Target(const fs::path& folder)> make;
  Expect expect;
  std::string written = {};  // for Replaced: the file that receives the text, from the folder
};

void PrintTo(const Path_Case& c, std::ostream* out) { *out << c.name; }

std::string Make_File(const fs::path& path, const std::string& text, fs::perms mode = fs::perms(0644)) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, mode);
  return path.string();
}

std::string Link(const fs::path& link, const fs::path& to) {
  fs::create_directories(link.parent_path());
  fs::create_symlink(to, link);
  return link.string();
}

// A name as long as the file system takes (255 bytes), or one byte longer.
std::string Long_Name(size_t bytes) { return std::string(bytes - 4, 'n') + ".bas"; }

// What a writer sends through the FIFO until it closes it; "" when no writer
// comes within two seconds (the FIFO was refused, or replaced).
std::string Read_Fifo(const std::string& path) {
  // Opened without waiting, then polled: a reader blocked in open could not
  // be released if the FIFO lost its name.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return "";
  std::string text;
  char block[65536];
  pollfd wait{fd, POLLIN, 0};
  while (::poll(&wait, 1, 2000) > 0) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got == 0) break;  // the writer closed it
    if (got > 0) text.append(block, static_cast<size_t>(got));
  }
  ::close(fd);
  return text;
}

unsigned New_File_Mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

class WritePath : public ::testing::TestWithParam<Path_Case> {};

TEST_P(WritePath, ChangesOnlyWhatTheWriteReaches) {
  const Path_Case& c = GetParam();
  const fs::path folder = fs::absolute(Test_Temp_Folder());
  fs::remove_all(folder);
  fs::create_directories(folder);
  const Target target = c.make(folder);

  // A FIFO is read as it is written.
  std::future<std::string> fifo_text;
  std::error_code no_such_path;
  const bool fifo = fs::is_fifo(target.path, no_such_path);
  if (fifo) fifo_text = std::async(std::launch::async, [path = target.path] { return Read_Fifo(path); });

  const Snapshot before = Take_Snapshot(folder);
  const std::string text = Sample_Text();
  const Sink_Result result = Write_Through_Sink(target.path, target.keep, text);

  EXPECT_EQ(result.opened, c.expect != Expect::Refused);
  EXPECT_EQ(result.committed, c.expect != Expect::Refused);
  Snapshot expected = before;
  if (c.expect == Expect::Replaced) {
    Entry& entry = expected[c.written];
    if (!before.contains(c.written)) entry = {fs::file_type::regular, New_File_Mode(), {}};
    entry.content = text;
  }
  // Entry by entry, so that a failure names the entry rather than printing megabytes.
  const Snapshot after = Take_Snapshot(folder);
  for (const auto& [name, entry] : expected) {
    ASSERT_TRUE(after.contains(name)) << name << " is gone";
    EXPECT_EQ(after.at(name).type, entry.type) << name;
    EXPECT_EQ(after.at(name).mode, entry.mode) << name;
    EXPECT_TRUE(after.at(name).content == entry.content) << name << " holds other bytes";
  }
  for (const auto& [name, entry] : after) EXPECT_TRUE(expected.contains(name)) << name << " was left behind";
  if (fifo) {
    EXPECT_TRUE(fifo_text.get() == (c.expect == Expect::Written_Directly ? text : "")) << "FIFO text";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WritePath,
    ::testing::Values(
        // Its mode is not the one a new file gets, and the input is another file.
        Path_Case{"RegularFileKeepsItsMode",
                  [](const fs::path& f) {
                    const std::string input = Make_File(f / "cube.stl", "solid cube");
                    return Target{Make_File(f / "cube.bas", "old", fs::perms(0640)), input};
                  },
                  Expect::Replaced, "cube.bas"},
        // An absolute link to a relative one that leads into another folder.
        Path_Case{"ChainOfLinksStaysAndItsTargetIsReplaced",
                  [](const fs::path& f) {
                    Make_File(f / "elsewhere/real.bas", "old", fs::perms(0604));
                    Link(f / "here/second.bas", "../elsewhere/real.bas");
                    return Target{Link(f / "here/first.bas", f / "here/second.bas"), {}};
                  },
                  Expect::Replaced, "elsewhere/real.bas"},
        Path_Case{"DanglingLinkCreatesItsTarget",
                  [](const fs::path& f) {
                    fs::create_directories(f / "sub");
                    return Target{Link(f / "link.bas", "sub/made.bas"), {}};
                  },
                  Expect::Replaced, "sub/made.bas"},
        Path_Case{"LinkLoop", [](const fs::path& f) {
                    Link(f / "b.bas", "a.bas");
                    return Target{Link(f / "a.bas", "b.bas"), {}};
                  },
                  Expect::Refused},
        Path_Case{"FifoIsWrittenNotReplaced",
                  [](const fs::path& f) {
                    const std::string path = (f / "pipe.bas").string();
                    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
                    return Target{path, {}};
                  },
                  Expect::Written_Directly},
        Path_Case{"Folder",
                  [](const fs::path& f) {
                    fs::create_directories(f / "dir.bas");
                    return Target{(f / "dir.bas").string(), {}};
                  },
                  Expect::Refused},
        // A new file, named as long as the file system allows.
        Path_Case{"LongestName", [](const fs::path& f) { return Target{(f / Long_Name(255)).string(), {}}; },
                  Expect::Replaced, Long_Name(255).c_str()},
        Path_Case{"NameTooLong", [](const fs::path& f) { return Target{(f / Long_Name(256)).string(), {}}; },
                  Expect::Refused},
        // Neither its path nor a link leads to it: only the file's identity tells.
        Path_Case{"SameAsInputUnderASecondName",
                  [](const fs::path& f) {
                    const std::string input = Make_File(f / "cube.stl", "solid cube");
                    fs::create_hard_link(input, f / "out.bas");
                    return Target{(f / "out.bas").string(), input};
                  },
                  Expect::Refused}),
    [](const auto& info) { return std::string(info.param.name); });

// The writer of BASIC data files replaces its own input only to renumber a
// BASIC data file; a mesh file is never replaced by its own conversion,
// whatever name or link leads to it.
TEST(WriteBasOverItsInput, OnlyABasicDataFileIsRenumberedInPlace) {
  const fs::path folder = Test_Temp_Folder();
  const std::pair<const char*, bool> inputs[] = {{"cube.stl", false}, {"cube.ply", false}, {"CUBE.Bas", true}};
  for (const auto& [input_name, renumbered] : inputs) {
    for (bool through_link : {false, true}) {
      fs::remove_all(folder);
      fs::create_directories(folder);
      const std::string input = Make_File(folder / input_name, "what the user had");
      MeshStore store;
      store.Pts_Optimized = {{1, 2, 3}};
      store.Faces_Optimized = {{0, 0, 0}};
      store.Nb_Pts_Optimized = 0;
      store.Nb_Faces = 0;
      store.Basic_Line = 100;
      store.Basic_Step = 10;
      store.File_Input = input;
      store.File_Output = through_link ? Link(folder / "out.bas", input_name) : input;
      const Outcome written = Write_Bas(store);
      EXPECT_EQ(written.ok, renumbered) << input_name << (through_link ? " through a link" : "");
      const std::string now = Read_Test_File(input);
      if (renumbered) {
        EXPECT_TRUE(now.starts_with("100'Number of Faces")) << input_name;
      } else {
        EXPECT_EQ(written.message, "Cannot write file: " + store.File_Output);
        EXPECT_EQ(now, "what the user had") << input_name;
      }
      EXPECT_EQ(fs::is_symlink(folder / "out.bas"), through_link);
    }
  }
}

}  // namespace
