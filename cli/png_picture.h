#pragma once
// The wireframe rasterised as a PNG file's bytes: a white width x height
// image with every segment drawn as a one-pixel black line, unsmoothed, in
// drawing order. Empty when the image cannot be made or encoded.

#include <string>
#include <vector>

#include "preview/wireframe.h"

std::string Png_Picture(const std::vector<Segment>& segments, int width, int height);
