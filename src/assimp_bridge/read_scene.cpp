#include "assimp_bridge/read_scene.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#ifdef KORVANE_WITH_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "assimp_bridge/companion_files.h"
#include "assimp_bridge/scene_bytes.h"
#endif

#include "core/flat_array.h"
#include "core/platform.h"
#include "core/parse_number.h"
#include "core/text_chars.h"
#include "import/polygon_mesh.h"

#ifdef KORVANE_WITH_ASSIMP
namespace {

// Exactly the identity: then the points are copied bit for bit. (The
// library's own test allows a tolerance.)
bool Is_Identity(const aiMatrix4x4& m) {
  const float entries[16] = {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4,
                             m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4};
  for (int i = 0; i < 16; ++i)
    if (entries[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
  return true;
}

struct Placed_Mesh {
  const aiMesh* mesh;
  aiMatrix4x4 transform;
  bool identity;
};

// Every placement of a mesh: depth first from the root, each node's meshes
// in its order, with the product of the transforms from the root down. The
// walk keeps its own stack, so a deep tree costs no call depth.
Outcome Place_Meshes(const aiScene& scene, std::vector<Placed_Mesh>& placed) {
  struct Visit {
    const aiNode* node;
    aiMatrix4x4 parent;
  };
  std::vector<Visit> stack = {{scene.mRootNode, aiMatrix4x4()}};
  while (!stack.empty()) {
    const Visit visit = stack.back();
    stack.pop_back();
    if (!visit.node) continue;
    const aiMatrix4x4 transform = visit.parent * visit.node->mTransformation;
    for (unsigned i = 0; i < visit.node->mNumMeshes; ++i) {
      const unsigned index = visit.node->mMeshes[i];
      if (index >= scene.mNumMeshes || !scene.mMeshes[index])
        return Outcome::Failure("A node of the scene names mesh " + std::to_string(index) + ", which it does not hold");
      placed.push_back({scene.mMeshes[index], transform, Is_Identity(transform)});
    }
    for (unsigned i = visit.node->mNumChildren; i-- > 0;) stack.push_back({visit.node->mChildren[i], transform});
  }
  return Outcome::Success();
}

Point3 Place(const aiVector3D& v, const Placed_Mesh& placed, bool& finite) {
  if (placed.identity) {
    finite = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    return {v.x, v.y, v.z};
  }
  const aiMatrix4x4& m = placed.transform;
  const double x = v.x, y = v.y, z = v.z;
  const double out[3] = {double{m.a1} * x + double{m.a2} * y + double{m.a3} * z + m.a4,
                         double{m.b1} * x + double{m.b2} * y + double{m.b3} * z + m.b4,
                         double{m.c1} * x + double{m.c2} * y + double{m.c3} * z + m.c4};
  // A point placed beyond the float range is no point either.
  finite = true;
  for (double c : out) finite = finite && std::isfinite(c) && std::fabs(c) <= FLT_MAX;
  return {static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2])};
}

Outcome Build_Mesh(const std::vector<Placed_Mesh>& placed, Mesh_Arrays& mesh) {
  int64_t points = 0, polygons = 0;
  for (const Placed_Mesh& p : placed) {
    points += p.mesh->mNumVertices;
    polygons += p.mesh->mNumFaces;
    if (p.mesh->mNumVertices > 0 && !p.mesh->mVertices) return Outcome::Failure("A mesh of the scene has no points");
    if (p.mesh->mNumFaces > 0 && !p.mesh->mFaces) return Outcome::Failure("A mesh of the scene has no faces");
  }
  if (points > INT32_MAX)
    return Outcome::Failure("Too many points for one mesh: " + std::to_string(points) + " points");
  // The scene is in memory: its arrays are sized once, for its points and one
  // triangle a polygon, and grow as polygons split.
  Polygon_Mesh built(mesh, points, std::min<int64_t>(polygons, INT32_MAX), true);
  if (!built.Start()) return built.No_Memory();
  int32_t first_point = 0;
  int64_t polygon = 0;
  std::vector<int32_t> corners;
  for (size_t m = 0; m < placed.size(); ++m) {
    const aiMesh& source = *placed[m].mesh;
    for (unsigned v = 0; v < source.mNumVertices; ++v) {
      bool finite = true;
      built.Set_Vertex(first_point + static_cast<int32_t>(v), Place(source.mVertices[v], placed[m], finite));
      if (!finite)
        return Outcome::Failure("Point " + std::to_string(v) + " of mesh " + std::to_string(m) +
                                " of the scene is not a finite number");
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f, ++polygon) {
      const aiFace& face = source.mFaces[f];
      if (face.mNumIndices < 3) continue;  // points and lines make no face
      if (!face.mIndices) return Outcome::Failure("A face of the scene has no corners");
      corners.clear();
      for (unsigned k = 0; k < face.mNumIndices; ++k) {
        if (face.mIndices[k] >= source.mNumVertices)
          return Outcome::Failure("Face " + std::to_string(f) + " of mesh " + std::to_string(m) + " names point " +
                                  std::to_string(face.mIndices[k]) + ", but the mesh has " +
                                  std::to_string(source.mNumVertices) + " points");
        corners.push_back(first_point + static_cast<int32_t>(face.mIndices[k]));
      }
      if (Outcome added = built.Add_Polygon(polygon, corners, 0); !added.ok) return added;
    }
    first_point += static_cast<int32_t>(source.mNumVertices);
  }
  return built.Finish({.vertex = "point",
                       .vertices = "points",
                       .count_triangles = true,
                       .face = "triangle",
                       .faces = "triangles",
                       .where = "in the scene"});
}

// The library's work on the input's bytes: the scene as one normal mesh
// (Pts_Normal, Faces_Normal, their counters and Polygons_Split), and the
// outcome.
Outcome Import_Scene(const std::string& bytes, const Scene_Input& input, const std::string& format,
                     Mesh_Arrays& mesh) {
  Assimp::Importer importer;
  // Files the input names come from its folder and below only, never from
  // the current one.
  auto* companions = new Companion_Files(input.folder);
  importer.SetIOHandler(companions);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
  // Validation only: no joining of vertices, no triangulation.
  const aiScene* scene =
      importer.ReadFileFromMemory(bytes.data(), bytes.size(), aiProcess_ValidateDataStructure, format.c_str());
  if (!scene) {
    const std::string why = importer.GetErrorString();
    if (why.find("bad_alloc") != std::string::npos) throw std::bad_alloc();
    const std::string cannot = "Not a mesh the " + format + " reader can read: ";
    // The library's reason may quote a file the input names: it is not
    // passed on.
    if (const std::string quoted = companions->Quoted_File(why); !quoted.empty())
      return Outcome::Failure(cannot + "its reason quotes \"" + quoted + "\", a file the input names, and is not shown");
    // A refused file is the likely reason: say so, and why.
    if (!companions->First_Refusal().empty())
      return Outcome::Failure(cannot + companions->First_Refusal() + " (" +
                              (why.empty() ? std::string("no reason given") : why) + ")");
    return Outcome::Failure(cannot + (why.empty() ? std::string("no reason given") : why));
  }
  if (!scene->mRootNode || scene->mNumMeshes == 0) return Outcome::Silent("The scene holds no mesh");
  std::vector<Placed_Mesh> placed;
  if (Outcome walked = Place_Meshes(*scene, placed); !walked.ok) return walked;
  return Build_Mesh(placed, mesh);
}

// A child's result as bytes: the outcome, the counters, then the arrays.
template <typename T>
void Put(std::string& out, const T& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}
template <typename T>
bool Take(std::string_view& in, T& value) {
  if (in.size() < sizeof value) return false;
  std::memcpy(&value, in.data(), sizeof value);
  in.remove_prefix(sizeof value);
  return true;
}

std::string Pack(const Outcome& outcome, const Mesh_Arrays& mesh) {
  std::string out;
  Put(out, static_cast<uint8_t>(outcome.ok));
  Put(out, static_cast<uint8_t>(outcome.shown));
  Put(out, static_cast<uint64_t>(outcome.message.size()));
  out += outcome.message;
  Put(out, mesh.Nb_Pts_Normal);
  Put(out, mesh.Nb_Faces);
  Put(out, mesh.Polygons_Split);
  Put(out, static_cast<uint64_t>(mesh.Pts_Normal.size()));
  Put(out, static_cast<uint64_t>(mesh.Faces_Normal.size()));
  out.append(reinterpret_cast<const char*>(mesh.Pts_Normal.data()), mesh.Pts_Normal.size() * sizeof(Point3));
  out.append(reinterpret_cast<const char*>(mesh.Faces_Normal.data()), mesh.Faces_Normal.size() * sizeof(Face3));
  return out;
}

bool Unpack(std::string_view in, Outcome& outcome, Mesh_Arrays& mesh) {
  uint8_t ok = 0, shown = 0;
  uint64_t length = 0, points = 0, faces = 0;
  if (!Take(in, ok) || !Take(in, shown) || !Take(in, length) || in.size() < length) return false;
  outcome.ok = ok != 0;
  outcome.shown = shown != 0;
  outcome.message.assign(in.substr(0, length));
  in.remove_prefix(length);
  if (!Take(in, mesh.Nb_Pts_Normal) || !Take(in, mesh.Nb_Faces) || !Take(in, mesh.Polygons_Split) ||
      !Take(in, points) || !Take(in, faces) || in.size() != points * sizeof(Point3) + faces * sizeof(Face3))
    return false;
  mesh.Pts_Normal.Size_Zeroed(points);
  mesh.Faces_Normal.Size_Zeroed(faces);
  if (points > 0) std::memcpy(mesh.Pts_Normal.data(), in.data(), points * sizeof(Point3));
  if (faces > 0) std::memcpy(mesh.Faces_Normal.data(), in.data() + points * sizeof(Point3), faces * sizeof(Face3));
  return true;
}

}  // namespace

bool Reads_Scene_Format(std::string_view extension) {
  if (extension.empty() || extension.size() > 16) return false;
  const Assimp::Importer importer;
  std::string dotted = ".";
  dotted += Lower(extension);
  return importer.IsExtensionSupported(dotted);
}

Outcome Read_Scene(Byte_Source& source, const std::string& /*name*/, Mesh_Arrays& mesh, Progress* progress,
                   const Scene_Input& input) {
  const std::string format = Lower(input.format);
  mesh.Input_Format = format;
  mesh.Nb_Pts_Normal = mesh.Nb_Faces = -1;  // until the scene is read
  if (progress && !progress->Update("Reading", 0)) return Outcome::Cancelled();
  std::string bytes;
  if (Outcome read = Read_Scene_Bytes(source, format, input.memory_limit, bytes); !read.ok) return read;

  // The library runs apart, within limits that follow the input: its OBJ
  // parser, for one, writes outside its memory on some malformed files, and
  // its SMD and COB loaders loop on some files of a few hundred bytes (both
  // found by fuzzing).
  Isolation_Limits limits = Scene_Limits(bytes, input.memory_limit);
  if (input.cpu_seconds > 0) limits.cpu_seconds = limits.cpu_ceiling = input.cpu_seconds;
  std::string packed;
  const Isolated_End end = Run_Isolated(
      [&] {
        Mesh_Arrays scene;
        scene.Nb_Pts_Normal = scene.Nb_Faces = -1;
        const Outcome outcome = Import_Scene(bytes, input, format, scene);
        return Pack(outcome, scene);
      },
      packed, limits);
  const std::string cannot = "Not a mesh the " + format + " reader can read: ";
  Outcome outcome;
  switch (end) {
    case Isolated_End::Out_Of_Memory:
      return Outcome::Failure(cannot + "it needed more memory than a file of this size may take (--memory allows more)");
    case Isolated_End::Out_Of_Time:
      return Outcome::Failure(cannot + "it ran for longer than a file of this size may take");
    case Isolated_End::Crashed:
      return Outcome::Failure(cannot + "it stopped on this file");
    case Isolated_End::Not_Started:
      // Never in this process: the limits are what keeps a hostile file from
      // crashing or stalling the converter.
      return Outcome::Failure("Cannot read " + format +
                              " files now: the system refused the process that reads them (too many processes?)");
    case Isolated_End::Done:
      if (!Unpack(packed, outcome, mesh)) return Outcome::Failure(cannot + "it stopped on this file");
      break;
  }
  if (progress && !progress->Update("Reading", 80)) return Outcome::Cancelled();
  return outcome;
}

#else  // built without assimp

bool Reads_Scene_Format(std::string_view) { return false; }

Outcome Read_Scene(Byte_Source&, const std::string&, Mesh_Arrays&, Progress*, const Scene_Input& input) {
  return Outcome::Failure("This stl2bas was built without assimp and reads no " + Lower(input.format) + " files");
}

#endif

More_Formats Scene_Formats() {
  More_Formats more;
  more.reads = Reads_Scene_Format;
  more.reader = [](const std::string& format, const std::string& folder, uint64_t memory_limit) -> Mesh_Reader {
    const Scene_Input input{format, folder, memory_limit};
    return [input](Byte_Source& source, const std::string& name, Mesh_Arrays& mesh, Progress* progress) {
      return Read_Scene(source, name, mesh, progress, input);
    };
  };
  return more;
}
