// The floor of a binary STL conversion: read the file with plain read()
// calls, copy every corner into the point array, and merge the points (the
// converter's own merge). No checks, no store, no output. Prints
// the merged point count so nothing is optimised away.
//
//   binary_floor FILE.stl
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

#include "core/mesh_store.h"
#include "merge/optimize_points.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: binary_floor FILE.stl\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || info.st_size < 84) {
    std::perror(argv[1]);
    return 1;
  }
  // The file in pieces of whole records through one reused buffer, each
  // corner copied into the point array.
  char header[84];
  if (read(fd, header, sizeof header) != sizeof header) return 1;
  uint32_t facets;
  std::memcpy(&facets, header + 80, 4);
  Mesh_Arrays mesh;
  mesh.Nb_Faces = static_cast<int32_t>(facets) - 1;
  mesh.Nb_Pts_Normal = 3 * static_cast<int32_t>(facets) - 1;
  Size_Arrays_For_Mesh(mesh);
  constexpr size_t kRecords = 20000;
  std::unique_ptr<char[]> piece(new char[50 * kRecords]);
  for (uint32_t f = 0; f < facets;) {
    const size_t records = std::min<size_t>(kRecords, facets - f);
    for (size_t done = 0; done < 50 * records;) {
      const ssize_t got = read(fd, piece.get() + done, 50 * records - done);
      if (got <= 0) return 1;
      done += static_cast<size_t>(got);
    }
    for (size_t r = 0; r < records; ++r, ++f) {
      std::memcpy(&mesh.Pts_Normal[3 * size_t{f}], piece.get() + 50 * r + 12, 36);
      const int32_t first = static_cast<int32_t>(3 * f);
      mesh.Faces_Normal[f] = {first, first + 1, first + 2};
    }
  }
  Optimize_Points(mesh);
  std::printf("%d\n", mesh.Nb_Pts_Optimized + 1);
  return 0;
}
