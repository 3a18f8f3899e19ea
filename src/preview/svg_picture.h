#pragma once
// The wireframe as an SVG picture: a white drawing area of width x height
// pixels and one black <line x1=".." y1=".." x2=".." y2=".."/> per segment,
// in drawing order, at the integer screen coordinates. Edges are drawn crisp
// (no smoothing) and centred on pixels, so that the picture matches the
// window's pixel lines.

#include <string>
#include <vector>

#include "preview/wireframe.h"

std::string Svg_Picture(const std::vector<Segment>& segments, int width, int height);
