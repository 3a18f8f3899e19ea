#include "preview/wireframe.h"

#include <algorithm>

#include "preview/cull_faces.h"
#include "preview/project_points.h"

namespace {

// The scroll bars' ranges: whole degrees 0..359, zoom 1..20.
constexpr int Angle_Max = 359;
constexpr int Zoom_Min = 1;
constexpr int Zoom_Max = 20;

// Two segments per face, A-B then B-C. The edge C-A is left out: it shows only
// where a neighbouring face draws the same two screen points.
void Append_Faces(std::span<const Face3> faces, int32_t last_face, std::span<const ScreenPoint> screen,
                  int32_t last_point, std::vector<Segment>& segments) {
  const int32_t n = last_face;
  // One reservation for the whole picture; a vector that has already grown
  // to this size keeps its storage.
  segments.reserve(2 * static_cast<size_t>(n + 1));
  const Face3* face = faces.data();
  const ScreenPoint* point = screen.data();
  for (int32_t i = 0; i <= n; ++i) {
    const Face3 f = face[i];
    if (!Face_Within(f, last_point)) continue;
    segments.push_back({point[f.A], point[f.B]});
    segments.push_back({point[f.B], point[f.C]});
  }
}

}  // namespace

void Set_View(MeshStore& store, int angle_x, int angle_y, int angle_z, int zoom) {
  store.Angle_X = static_cast<float>(std::clamp(angle_x, 0, Angle_Max));
  store.Angle_Y = static_cast<float>(std::clamp(angle_y, 0, Angle_Max));
  store.Angle_Z = static_cast<float>(std::clamp(angle_z, 0, Angle_Max));
  store.Zoom = static_cast<int16_t>(std::clamp(zoom, Zoom_Min, Zoom_Max));
}

void Set_Drawing_Area(MeshStore& store, int width, int height) {
  // Halved and rounded down; a size below zero counts as zero, and a centre
  // beyond the 16-bit screen range is held at its edge.
  store.Center_X = static_cast<float>(std::max(width, 0) / 2);
  store.Center_Y = static_cast<int16_t>(std::min(std::max(height, 0) / 2, 32767));
}

void Build_Wireframe(MeshStore& store, std::vector<Segment>& segments) {
  segments.clear();
  if (!store.Object_Loaded) return;
  Check_Store(store);
  if (store.Show_Normal) {
    const int32_t last_point = Project_Normal(store);
    Append_Faces(store.Faces_Normal, store.Nb_Faces, store.Pts_Screen, last_point, segments);
  } else {
    const int32_t last_point = Project_Optimized(store);
    const int32_t last_visible = Cull_Faces(store);
    Append_Faces(store.Faces_Visible, last_visible, store.Pts_Screen, last_point, segments);
  }
}
