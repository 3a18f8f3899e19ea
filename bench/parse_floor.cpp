// The parse floor: the least work any converter must do on a text mesh.
// Maps the file, walks its lines and converts every vertex value with
// std::from_chars (and, for PLY, every face index), nothing else: no store,
// no merging, no output. Prints a checksum so nothing is optimised away.
//
//   parse_floor FILE.stl|FILE.ply
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* Skip_Blanks(const char* p, const char* end) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  return p;
}

template <typename T>
const char* Read_Values(const char* p, const char* end, int count, double& sum) {
  for (int i = 0; i < count; ++i) {
    p = Skip_Blanks(p, end);
    T value{};
    auto result = std::from_chars(p, end, value);
    sum += static_cast<double>(value);
    p = result.ptr;
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: parse_floor FILE.stl|FILE.ply\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  size_t size = static_cast<size_t>(info.st_size);
  const char* data = static_cast<const char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
  if (data == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
  const char* end = data + size;
  const bool ply = std::strstr(argv[1], ".ply") != nullptr;
  double sum = 0;
  long vertices = 0, faces = 0;
  bool in_header = ply;
  const char* line = data;
  while (line < end) {
    const char* eol = static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
    if (!eol) eol = end;
    std::string_view text(line, static_cast<size_t>(eol - line));
    if (ply) {
      if (in_header) {
        if (text.substr(0, 15) == "element vertex ") vertices = std::atol(line + 15);
        if (text.substr(0, 13) == "element face ") faces = std::atol(line + 13);
        if (text.substr(0, 10) == "end_header") in_header = false;
      } else if (vertices > 0) {
        Read_Values<double>(line, eol, 3, sum);
        --vertices;
      } else if (faces > 0) {
        Read_Values<long>(line, eol, 4, sum);
        --faces;
      }
    } else {
      size_t at = text.find("vertex");
      if (at != std::string_view::npos) Read_Values<double>(line + at + 6, eol, 3, sum);
    }
    line = eol + 1;
  }
  std::printf("%g\n", sum);
  return 0;
}
