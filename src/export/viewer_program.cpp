#include "export/viewer_program.h"

#include <string_view>

#include "core/text_chars.h"
#include "export/viewer_dialects.h"

namespace {

// One line of the template: its text, with slots in braces, and the label
// that other lines name it by ({face} is replaced by the number of the line
// labelled "face"). Upper-case slots take the view's values and the
// dialect's lines. Variable names are two characters at most, since many
// BASICs tell names apart by their first two; none holds a keyword.
struct Template_Line {
  std::string_view text;
  std::string_view label = {};
};

// The face loop keeps the preview's order: faces in file order, each drawn
// A-B then B-C. D is the preview's culling test, each coordinate divided by
// 100 before any subtraction; a face with D >= 0 faces the viewer.
constexpr Template_Line kViewer[] = {
    {"'Korvane 3D viewer: draws the model in the data below"},
    {"'View: turns about X, Y, Z in degrees, X then Z then Y"},
    {"ax={ANGLE_X}", "view"},
    {"ay={ANGLE_Y}"},
    {"az={ANGLE_Z}"},
    {"'Zoom: screen units per model unit"},
    {"zm={ZOOM}"},
    {"'Drawing area, width and height; the origin at its centre"},
    {"wd={WIDTH}"},
    {"ht={HEIGHT}"},
    {"'1 hides the faces turned away, 0 draws every face"},
    {"op={CULL}", "view_end"},
    {"'Read the last indices, the points and the faces"},
    {"read nf,np"},
    {"dim px(np)"},
    {"dim py(np)"},
    {"dim pz(np)"},
    {"dim u(np)"},
    {"dim v(np)"},
    {"dim fa(nf)"},
    {"dim fb(nf)"},
    {"dim fc(nf)"},
    {"for i=0 to np"},
    {"read px(i),py(i),pz(i)"},
    {"next i"},
    {"for i=0 to nf"},
    {"read fa(i),fb(i),fc(i)"},
    {"next i"},
    {"'Turn and project each point to (U,V); pi is 3.14159"},
    {"k=3.14159/180"},
    {"sx=sin(ax*k)"},
    {"cx=cos(ax*k)"},
    {"sy=sin(ay*k)"},
    {"cy=cos(ay*k)"},
    {"sz=sin(az*k)"},
    {"cz=cos(az*k)"},
    {"mx=int(wd/2)"},
    {"my=int(ht/2)"},
    {"for i=0 to np"},
    {"t1=py(i)*cx-pz(i)*sx"},
    {"t2=py(i)*sx+pz(i)*cx"},
    {"t3=px(i)*cz-t1*sz"},
    {"t4=px(i)*sz+t1*cz"},
    {"u(i)=int((t3*cy-t2*sy)*zm+mx)"},
    {"v(i)=int(t4*zm+my)"},
    {"if u(i)>32767 then u(i)=32767"},
    {"if u(i)<-32768 then u(i)=-32768"},
    {"if v(i)>32767 then v(i)=32767"},
    {"if v(i)<-32768 then v(i)=-32768"},
    {"next i"},
    {"'Screen set-up"},
    {"{SETUP_1}", "setup"},
    {"{SETUP_2}"},
    {"'Each face as A-B and B-C; D below 0: turned away"},
    {"for i=0 to nf"},
    {"a=fa(i)"},
    {"b=fb(i)"},
    {"c=fc(i)"},
    {"t1=(u(a)/100-u(b)/100)*(v(c)/100-v(b)/100)"},
    {"t2=(u(c)/100-u(b)/100)*(v(a)/100-v(b)/100)"},
    {"d=t1-t2"},
    {"if op=0 then d=0"},
    {"if d>=0 then gosub {face}"},
    {"next i"},
    {"end"},
    {"'One face: the lines A-B and B-C"},
    {"x1=u(a)", "face"},
    {"y1=v(a)"},
    {"x2=u(b)"},
    {"y2=v(b)"},
    {"gosub {draw}"},
    {"x1=u(b)"},
    {"y1=v(b)"},
    {"x2=u(c)"},
    {"y2=v(c)"},
    {"gosub {draw}"},
    {"return"},
    {"'Drawing subroutine: a line from (X1,Y1) to (X2,Y2)"},
    {"{DRAW_1}", "draw"},
    {"{DRAW_2}"},
    {"return"},
};
constexpr int64_t kViewerLines = static_cast<int64_t>(std::size(kViewer));

int64_t Index_Of(std::string_view label) {
  for (int64_t i = 0; i < kViewerLines; ++i)
    if (kViewer[i].label == label) return i;
  return -1;
}

// The text a slot stands for; empty for a name the template does not know.
std::string Slot_Text(std::string_view name, const Viewer_Settings& view, const Viewer_Dialect& dialect,
                      int64_t start, int64_t step) {
  if (name == "ANGLE_X") return std::to_string(view.angle_x);
  if (name == "ANGLE_Y") return std::to_string(view.angle_y);
  if (name == "ANGLE_Z") return std::to_string(view.angle_z);
  if (name == "ZOOM") return std::to_string(view.zoom);
  if (name == "WIDTH") return std::to_string(view.width);
  if (name == "HEIGHT") return std::to_string(view.height);
  if (name == "CULL") return view.all_faces ? "0" : "1";
  if (name == "SETUP_1") return std::string(dialect.setup[0]);
  if (name == "SETUP_2") return std::string(dialect.setup[1]);
  if (name == "DRAW_1") return std::string(dialect.draw[0]);
  if (name == "DRAW_2") return std::string(dialect.draw[1]);
  const int64_t line = Index_Of(name);
  return line < 0 ? std::string() : std::to_string(start + line * step);
}

// The template line with its slots filled, as it follows the line number.
std::string Fill_Line(std::string_view text, const Viewer_Settings& view, const Viewer_Dialect& dialect,
                      Keyword_Case keywords, int64_t start, int64_t step) {
  std::string line;
  for (size_t at = 0; at < text.size();) {
    const size_t open = text.find('{', at);
    const size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) {
      line += text.substr(at);
      break;
    }
    line += text.substr(at, open - at);
    line += Slot_Text(text.substr(open + 1, close - open - 1), view, dialect, start, step);
    at = close + 1;
  }
  if (!line.empty() && line.front() == '\'') return line;
  // A statement follows its number after a blank. Its text holds no string,
  // so every letter of it is a keyword or a variable name.
  return " " + (keywords == Keyword_Case::Upper ? Upper(line) : line);
}

}  // namespace

Viewer_Layout Layout_Of_Viewer() {
  return {kViewerLines, Index_Of("view"), Index_Of("view_end"), Index_Of("setup"), Index_Of("draw")};
}

std::vector<std::string> Viewer_Lines(const Viewer_Settings& view, Keyword_Case keywords, int64_t start,
                                      int64_t step) {
  std::vector<std::string> lines;
  const Viewer_Dialect* dialect = Find_Viewer_Dialect(view.dialect);
  if (!dialect) return lines;
  lines.reserve(kViewerLines);
  for (const Template_Line& line : kViewer)
    lines.push_back(Fill_Line(line.text, view, *dialect, keywords, start, step));
  return lines;
}

Outcome Check_Viewer_Program(const Viewer_Settings& view, std::span<const Point3> points,
                             std::span<const Face3> faces, int64_t start, int64_t step) {
  if (!Find_Viewer_Dialect(view.dialect)) return Outcome::Failure("Unknown drawing dialect: " + view.dialect);
  if (start < 0 || step < 1)
    return Outcome::Failure("A program's line numbers start at 0 or above and rise by a step of 1 or more");
  if (points.empty() || faces.empty()) return Outcome::Failure("The viewer needs at least one face and one point");
  const int64_t count = static_cast<int64_t>(points.size());
  for (size_t f = 0; f < faces.size(); ++f)
    for (int32_t corner : {faces[f].A, faces[f].B, faces[f].C})
      if (corner < 0 || corner >= count)
        return Outcome::Failure("Face " + std::to_string(f) + " names point " + std::to_string(corner) +
                                ", which the mesh does not have: the viewer would stop there");
  return Outcome::Success();
}
