#pragma once
// The lines of a text as the readers must see them, split the plain way:
// LF, CR LF and a lone CR each end a line; a last line without a line end is
// still a line; a text that ends with a line end has no empty line after it.
// The fuzz targets compare what the readers did against walks over these.

#include <string_view>
#include <vector>

inline std::vector<std::string_view> Reference_Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}
