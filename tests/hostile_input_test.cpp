// Hostile inputs at the edge of the assimp formats: the names a model gives
// for the files it refers to, the bytes it arrives as, and what reading it
// apart may take.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "assimp_bridge/scene_bytes.h"
#include "core/companion_path.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

constexpr uint64_t kMiB = uint64_t{1} << 20;

// root/secret.bin beside the model's folder, root/model/ holding a buffer, a
// subfolder and links that stay inside or lead out.
struct Model_Folder {
  fs::path root = Test_Temp_Folder();
  fs::path model = root / "model";
  Model_Folder() {
    fs::remove_all(model);
    fs::create_directories(model / "sub");
    Write_Temp_File("secret.bin", "SECRET");
    Write_Temp_File("model/buffer.bin", "points");
    Write_Temp_File("model/sub/deep.bin", "points");
    fs::create_symlink("buffer.bin", model / "in-link");
    fs::create_symlink("sub", model / "in-folder");
    fs::create_symlink("../secret.bin", model / "out-link");
    fs::create_symlink("..", model / "out-folder");
    fs::create_symlink(model / "sub" / "../../secret.bin", model / "sub" / "out-through-dots");
    fs::remove(root / "link-to-model");
    fs::create_symlink(model, root / "link-to-model");
  }
};

TEST(Resolve_Companion, ReadsOnlyWhatLiesInTheInputsFolderOrBelow) {
  const Model_Folder folder;
  struct Case {
    std::string name;
    bool read;
  };
  const Case cases[] = {
      {"buffer.bin", true},          {"./buffer.bin", true},         {"sub/deep.bin", true},
      {"sub/../buffer.bin", true},   {"in-link", true},              {"in-folder/deep.bin", true},
      {"missing.bin", true},         {"out-folder/model/buffer.bin", true},
      {"../secret.bin", false},      {"sub/../../secret.bin", false}, {"out-link", false},
      {"out-folder/secret.bin", false}, {"sub/out-through-dots", false}, {"in-folder/../../secret.bin", false},
      {(folder.model / "buffer.bin").string(), false},  // absolute, even inside
      {"/etc/passwd", false},        {"/proc/self/environ", false},  {"//etc/passwd", false},
      {".", false},                  {"..", false},                  {"", false}};
  // The folder as given, through a link, and relative to the current one.
  for (const fs::path& base : {folder.model, folder.root / "link-to-model",
                               fs::relative(folder.model, fs::current_path())}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(base.string() + " | " + c.name);
      const Companion_Path resolved = Resolve_Companion(base.string(), c.name);
      EXPECT_EQ(!resolved.path.empty(), c.read) << resolved.refusal;
      if (resolved.path.empty()) {
        EXPECT_THAT(resolved.refusal, HasSubstr("not read"));
        if (!c.name.empty()) {
          EXPECT_THAT(resolved.refusal, HasSubstr(c.name));
        }
        continue;
      }
      // What is read is the very file the name reaches, and it lies below
      // the folder's true place.
      const fs::path reached = fs::weakly_canonical(base / c.name);
      EXPECT_EQ(fs::path(resolved.path), reached);
      EXPECT_EQ(resolved.path.rfind(fs::canonical(folder.model).string() + "/", 0), 0u);
    }
  }
  // An input without a folder (standard input) reads nothing it names.
  EXPECT_TRUE(Resolve_Companion("", "buffer.bin").path.empty());
}

// A stream that never ends, of one byte over and over; counts what was taken.
class Endless_Source final : public Byte_Source {
 public:
  explicit Endless_Source(char fill, int64_t size = -1) : fill_(fill), size_(size) {}
  int64_t Read(char* out, size_t size) override {
    std::memset(out, fill_, size);
    given += size;
    return static_cast<int64_t>(size);
  }
  int64_t Size() const override { return size_; }
  uint64_t given = 0;

 private:
  char fill_;
  int64_t size_;
};

TEST(Read_Scene_Bytes, ChecksBytesAsTheyArriveAndKeepsNoMoreThanTheReadingCouldUse) {
  std::string bytes;
  // An OBJ of NUL bytes is refused at its first piece, however long it is.
  Endless_Source zeros('\0');
  Outcome read = Read_Scene_Bytes(zeros, "obj", 0, bytes);
  EXPECT_FALSE(read.ok);
  EXPECT_THAT(read.message, HasSubstr("byte 0 is a NUL"));
  EXPECT_LE(zeros.given, kMiB);
  // A NUL further on is found where it is, from a pipe as from a file.
  const std::string text = std::string(300000, 'v') + '\0' + "f 1 2 3\n";
  for (bool piped : {false, true}) {
    Memory_Source memory(text);
    Stream_Source stream(text);
    read = Read_Scene_Bytes(piped ? static_cast<Byte_Source&>(stream) : memory, "obj", 0, bytes);
    EXPECT_THAT(read.message, HasSubstr("byte 300000 is a NUL"));
  }
  // Other formats may hold NUL bytes; none is kept beyond half the memory the
  // reading may take, from a stream or a file.
  for (uint64_t limit : {2 * kMiB, 8 * kMiB}) {
    Endless_Source endless('a');
    read = Read_Scene_Bytes(endless, "gltf", limit, bytes);
    EXPECT_FALSE(read.ok);
    EXPECT_THAT(read.message, HasSubstr("--memory"));
    EXPECT_LE(endless.given, limit / 2 + kMiB);
    EXPECT_LE(bytes.size(), limit / 2);
    Endless_Source sized('a', static_cast<int64_t>(limit));
    EXPECT_FALSE(Read_Scene_Bytes(sized, "glb", limit, bytes).ok);
    EXPECT_EQ(sized.given, 0u);  // refused by its size alone
  }
  const std::string binary("\0glb\0", 5);
  Memory_Source small(binary);
  ASSERT_TRUE(Read_Scene_Bytes(small, "glb", 0, bytes).ok);
  EXPECT_EQ(bytes, binary);
}

// Memory follows what a mesh of the input could need: padding a file with
// blanks earns nothing, every other byte earns some, up to the ceiling. Time
// follows the bytes, a small file getting seconds.
TEST(Scene_Limits, FollowWhatAMeshOfTheInputCouldNeedNotItsPadding) {
  std::mt19937 random(21);
  const std::string marks = "{}[]\":,0123456789.-eE abcxyz\t\n\r";
  for (int round = 0; round < 50; ++round) {
    std::string file;
    const size_t length = random() % 5000;
    for (size_t i = 0; i < length; ++i) file += marks[random() % marks.size()];
    std::string padded = file;
    for (int blanks = random() % 100000; blanks > 0; --blanks)
      padded.insert(random() % (padded.size() + 1), 1, " \t\r\n"[random() % 4]);
    const Isolation_Limits limits = Scene_Limits(file, 0);
    EXPECT_EQ(Scene_Limits(padded, 0).memory_bytes, limits.memory_bytes);
    EXPECT_GT(Scene_Limits(file + "x", 0).memory_bytes, limits.memory_bytes);
    EXPECT_LE(limits.memory_bytes, limits.memory_ceiling);
    EXPECT_EQ(limits.memory_ceiling, kScene_Memory_Ceiling);
    EXPECT_LE(limits.cpu_seconds, Scene_Limits(padded, 0).cpu_seconds);
    EXPECT_LE(limits.cpu_seconds, 10u) << "a small file gets seconds";
    EXPECT_GE(limits.cpu_ceiling, limits.cpu_seconds);
    // --memory is taken as it is.
    const Isolation_Limits given = Scene_Limits(padded, 100 * kMiB);
    EXPECT_EQ(given.memory_bytes, 100 * kMiB);
    EXPECT_EQ(given.memory_ceiling, 100 * kMiB);
  }
  // A file of marks only reaches the ceiling and stays there.
  EXPECT_EQ(Scene_Limits(std::string(kScene_Memory_Ceiling / kScene_Memory_Per_Byte, 'x'), 0).memory_bytes,
            kScene_Memory_Ceiling);
  EXPECT_GT(Scene_Limits(std::string(64 * kMiB, ' '), 0).cpu_seconds, Scene_Limits("", 0).cpu_seconds);
}

}  // namespace
