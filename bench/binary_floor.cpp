// The floor of a binary STL conversion: read the file into memory with
// plain read() calls, copy every corner into the point array, and merge the
// points (the converter's own merge). No checks, no store, no output. Prints
// the merged point count so nothing is optimised away.
//
//   binary_floor FILE.stl
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
  std::vector<char> bytes(static_cast<size_t>(info.st_size));
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
    if (got <= 0) return 1;
    done += static_cast<size_t>(got);
  }
  uint32_t facets;
  std::memcpy(&facets, bytes.data() + 80, 4);
  Mesh_Arrays mesh;
  mesh.Nb_Faces = static_cast<int32_t>(facets) - 1;
  mesh.Nb_Pts_Normal = 3 * static_cast<int32_t>(facets) - 1;
  Size_Arrays_For_Mesh(mesh);
  for (uint32_t f = 0; f < facets; ++f) {
    std::memcpy(&mesh.Pts_Normal[3 * f], bytes.data() + 84 + 50 * size_t{f} + 12, 36);
    const int32_t first = static_cast<int32_t>(3 * f);
    mesh.Faces_Normal[f] = {first, first + 1, first + 2};
  }
  Optimize_Points(mesh);
  std::printf("%d\n", mesh.Nb_Pts_Optimized + 1);
  return 0;
}
