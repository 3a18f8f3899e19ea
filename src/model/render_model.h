#pragma once
// Drawing a loaded model as the window's preview draws it, into an SVG or
// PNG picture file (preview/svg_picture.h, preview/png_picture.h), written
// the safe way and never over the input it was drawn from.

#include <string>
#include <vector>

#include "core/mesh_store.h"
#include "core/outcome.h"
#include "preview/wireframe.h"

enum class Picture_Format { Svg, Png };

struct Picture_Request {
  int angle_x = 0, angle_y = 0, angle_z = 0;  // whole degrees, as the scroll bars give them
  int zoom = 1;
  int width = 0, height = 0;  // the drawing area in pixels
  bool show_normal = true;
  Picture_Format format = Picture_Format::Svg;
  std::string output;
};

// Draws the store's loaded model and writes the picture (a PNG only in a
// build with PNG pictures; otherwise it "could not be made"). Writes the view
// state, Show_Normal and what drawing writes (preview/wireframe.h). A
// failure names the picture, or says that memory ran out while drawing or
// writing it.
Outcome Render_Model(MeshStore& store, const Picture_Request& request);

// The segments of that drawing, in drawing order, as the window paints them
// (the request's output and format are not used). Writes what Render_Model
// writes of the store; says when memory ran out while drawing.
Outcome Draw_Model(MeshStore& store, const Picture_Request& request, std::vector<Segment>& segments);
