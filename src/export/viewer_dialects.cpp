#include "export/viewer_dialects.h"

namespace {

// Machines whose graphics count y upward from the bottom get it turned
// round, so that the picture stands as the preview shows it.
constexpr Viewer_Dialect kDialects[] = {
    {"print", "any BASIC: prints each line's ends as X1 Y1 X2 Y2",
     {"'No screen set-up: each line is printed as text,", "'its two end points X1 Y1 X2 Y2"},
     {"print x1;y1;x2;y2", "'(room for a second statement)"}},
    {"line", "GW-BASIC and QBasic (640x200 in SCREEN 2), MSX BASIC (256x192)",
     {"screen 2", "'SCREEN 2: 640 x 200 in GW-BASIC, 256 x 192 on MSX"},
     {"line (x1,y1)-(x2,y2)", "'(room for a second statement)"}},
    {"move", "BBC BASIC (1280x1024 graphics units), Amstrad CPC Locomotive BASIC (640x400)",
     {"mode 1", "clg"},
     {"move x1,ht-1-y1", "draw x2,ht-1-y2"}},
    {"plot", "Atari BASIC (320x192 in GRAPHICS 8)",
     {"graphics 8", "color 1"},
     {"plot x1,y1", "drawto x2,y2"}},
    {"hplot", "Applesoft BASIC on the Apple II (280x160 in HGR)",
     {"hgr", "hcolor=3"},
     {"hplot x1,y1 to x2,y2", "'(room for a second statement)"}},
};

}  // namespace

std::span<const Viewer_Dialect> Viewer_Dialects() { return kDialects; }

const Viewer_Dialect* Find_Viewer_Dialect(std::string_view name) {
  for (const Viewer_Dialect& dialect : kDialects)
    if (dialect.name == name) return &dialect;
  return nullptr;
}
