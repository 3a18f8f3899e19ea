#include "model/render_model.h"

#include <new>
#include <vector>

#include "export/file_sink.h"
#ifdef KORVANE_WITH_PNG
#include "preview/png_picture.h"
#endif
#include "preview/svg_picture.h"
#include "preview/wireframe.h"

Outcome Draw_Model(MeshStore& store, const Picture_Request& request, std::vector<Segment>& segments) {
  try {
    store.Show_Normal = request.show_normal;
    Set_View(store, request.angle_x, request.angle_y, request.angle_z, request.zoom);
    Set_Drawing_Area(store, request.width, request.height);
    Build_Wireframe(store, segments);
  } catch (const std::bad_alloc&) {
    segments = {};
    return Outcome::No_Memory("drawing the picture");
  }
  return Outcome::Success();
}

Outcome Render_Model(MeshStore& store, const Picture_Request& request) {
  std::vector<Segment> segments;
  if (Outcome drawn = Draw_Model(store, request, segments); !drawn.ok) return drawn;
  std::string picture;
  try {
    if (request.format == Picture_Format::Svg) picture = Svg_Picture(segments, request.width, request.height);
#ifdef KORVANE_WITH_PNG
    else
      picture = Png_Picture(segments, request.width, request.height);
#endif
  } catch (const std::bad_alloc&) {
    return Outcome::No_Memory("drawing the picture");
  }
  if (picture.empty()) return Outcome::Failure(request.output + ": the picture could not be made");
  try {
    File_Sink sink;
    bool written = sink.Open(request.output, store.File_Input);
    if (written) {
      sink.Append(picture);
      written = sink.Commit();
    }
    if (!written) return Outcome::Failure("Cannot write file: " + request.output);
  } catch (const std::bad_alloc&) {
    return Outcome::No_Memory("writing the picture");
  }
  return Outcome::Success();
}
