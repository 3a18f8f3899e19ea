#include "preview/svg_picture.h"

#include <charconv>

namespace {

void Append_Int(std::string& out, int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void Append_Attribute(std::string& out, const char* name, int value) {
  out += name;
  out += "=\"";
  Append_Int(out, value);
  out += '"';
}

}  // namespace

std::string Svg_Picture(const std::vector<Segment>& segments, int width, int height) {
  std::string out;
  // About 50 characters a line: one allocation for the whole text.
  out.reserve(320 + 56 * segments.size());
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" ";
  Append_Attribute(out, "width", width);
  out += ' ';
  Append_Attribute(out, "height", height);
  out += " viewBox=\"0 0 ";
  Append_Int(out, width);
  out += ' ';
  Append_Int(out, height);
  out += "\">\n";
  out += "<rect x=\"0\" y=\"0\" ";
  Append_Attribute(out, "width", width);
  out += ' ';
  Append_Attribute(out, "height", height);
  out += " fill=\"white\"/>\n";
  // Half a pixel across and down: a one-pixel line at whole coordinates then
  // covers exactly the pixels the window paints.
  out += "<g transform=\"translate(0.5 0.5)\" stroke=\"black\" stroke-width=\"1\" stroke-linecap=\"square\" shape-rendering=\"crispEdges\">\n";
  for (const Segment& s : segments) {
    out += "<line ";
    Append_Attribute(out, "x1", s.From.X);
    out += ' ';
    Append_Attribute(out, "y1", s.From.Y);
    out += ' ';
    Append_Attribute(out, "x2", s.To.X);
    out += ' ';
    Append_Attribute(out, "y2", s.To.Y);
    out += "/>\n";
  }
  out += "</g>\n</svg>\n";
  return out;
}
