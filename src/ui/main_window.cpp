#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>

#include <limits>

#include "ui/dialog_filter.h"
#include "ui/picture_box.h"

namespace {

// The narrowest message box: room for its title and the window's buttons.
constexpr int kMessageWidth = 280;

// The layout is given in twips; the window shows 15 twips a pixel.
constexpr int Px(int twips) { return twips / 15; }

void Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QString Text_Of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// An 11-pixel face as the window's font, narrowed, then made smaller, only
// as far as the widest caption needs to fit its fixed box whatever fonts the
// system offers.
QFont Caption_Font(QFont font, const QString& widest_caption, int room) {
  font.setPixelSize(11);
  if (QFontMetrics(font).horizontalAdvance(widest_caption) <= room) return font;
  font.setStretch(QFont::SemiCondensed);
  for (int pixels = 11; pixels > 8; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(widest_caption) <= room) break;
  }
  return font;
}

// Frames draw their caption on their top border line.
const char* const kFrameStyle =
    "QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 7px; padding: 0 2px; }";

QGroupBox* Make_Frame(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  frame->setStyleSheet(kFrameStyle);
  Place(frame, l, t, w, h);
  return frame;
}

QPushButton* Make_Button(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  Place(button, l, t, w, h);
  return button;
}

// Every label has a single-line border; only the two path labels are
// left-aligned, all other texts are centred.
QLabel* Make_Label(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h,
                   Qt::Alignment alignment = Qt::AlignCenter) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  label->setLineWidth(1);
  label->setAlignment(alignment);
  Place(label, l, t, w, h);
  return label;
}

QLineEdit* Make_Text_Box(QWidget* parent, const char* name, const char* text, int l, int t, int w, int h) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(name);
  box->setAlignment(Qt::AlignCenter);
  box->setMaxLength(std::numeric_limits<int>::max());
  Place(box, l, t, w, h);
  return box;
}

QScrollBar* Make_Scroll_Bar(QWidget* parent, const char* name, int minimum, int maximum, int l, int t, int w,
                            int h) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setRange(minimum, maximum);
  bar->setSingleStep(1);
  bar->setPageStep(10);
  bar->setValue(minimum);
  bar->setFocusPolicy(Qt::StrongFocus);  // reached with the tab key like the buttons
  bar->setInvertedControls(false);       // the right arrow key turns the value up
  Place(bar, l, t, w, h);
  return bar;
}

}  // namespace

Main_Window::Main_Window(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("Form1");
  setWindowTitle("STL Converter for Korvane 3D");
  setFixedSize(Px(13230), Px(7710));
  // The widest caption, "Number of Points Optimized", inside its label's border.
  setFont(Caption_Font(font(), "Number of Points Optimized", Px(2295) - 2));

  QGroupBox* frame1 = Make_Frame(this, "Frame1", "File Convertion", 120, 120, 5415, 3735);
  QGroupBox* frame2 = Make_Frame(this, "Frame2", "3D Preview", 5640, 120, 7500, 7500);
  QGroupBox* frame3 = Make_Frame(this, "Frame3", "3D Control", 120, 3960, 5415, 3660);

  // File Convertion: the open buttons, the input path, the counts, the line
  // numbering, the save button and the output path.
  QPushButton* cmd_open = Make_Button(frame1, "Cmd_Open", "Open STL File", 120, 360, 1335, 255);
  QPushButton* cmd_open_ply = Make_Button(frame1, "Cmd_Open_Ply", "Open PLY File", 1560, 360, 1335, 255);
  QPushButton* cmd_open_bas = Make_Button(frame1, "Cmd_Open_Bas", "Open BAS File", 3000, 360, 1335, 255);
  auto label = [this](Label which) -> QLabel*& { return labels_[static_cast<size_t>(which)]; };
  label(Label::Lbl_File_Input) =
      Make_Label(frame1, "Lbl_File_Input", "", 120, 720, 5175, 255, Qt::AlignLeft | Qt::AlignVCenter);
  Make_Label(frame1, "Label1", "Number of Points", 120, 1080, 2295, 255);
  Make_Label(frame1, "Label2", "Number of Faces", 120, 1440, 2295, 255);
  label(Label::Lbl_Nb_Pts_Normal) = Make_Label(frame1, "Lbl_Nb_Pts_Normal", "0", 2520, 1080, 855, 255);
  label(Label::Lbl_Nb_Faces_Normal) = Make_Label(frame1, "Lbl_Nb_Faces_Normal", "0", 2520, 1440, 855, 255);
  Make_Label(frame1, "Label3", "Number of Points Optimized", 120, 1800, 2295, 255);
  label(Label::Lbl_Nb_Pts_Optimized) = Make_Label(frame1, "Lbl_Nb_Pts_Optimized", "0", 2520, 1800, 855, 255);

  auto* line1 = new QFrame(frame1);  // from (120, 2160) to (5280, 2160), both ends drawn
  line1->setObjectName("Line1");
  line1->setFrameStyle(QFrame::HLine | QFrame::Plain);
  line1->setLineWidth(1);
  line1->setGeometry(Px(120), Px(2160), Px(5280 - 120) + 1, 1);
  QPalette black_line = line1->palette();
  black_line.setColor(QPalette::WindowText, Qt::black);
  line1->setPalette(black_line);

  Make_Label(frame1, "Label4", "Basic Line Start", 120, 2280, 2295, 255);
  QLineEdit* txt_start = Make_Text_Box(frame1, "Txt_Basic_Start", "10", 2520, 2280, 855, 285);
  Make_Label(frame1, "Label5", "Basic Line Step", 120, 2640, 2295, 255);
  QLineEdit* txt_step = Make_Text_Box(frame1, "Txt_Basic_Line_Step", "1", 2520, 2640, 855, 285);
  QPushButton* cmd_save = Make_Button(frame1, "Cmd_Save", "Save Basic File", 120, 3000, 1335, 255);
  cmd_save->setEnabled(false);
  label(Label::Lbl_File_Output) =
      Make_Label(frame1, "Lbl_File_Output", "", 120, 3360, 5175, 255, Qt::AlignLeft | Qt::AlignVCenter);

  // 3D Preview.
  picture_ = new Picture_Box(frame2);
  picture_->setObjectName("Picture1");
  Place(picture_, 120, 240, 7215, 7095);

  // 3D Control: each bar under its caption and value, then the mesh switch.
  QScrollBar* hscroll_x = Make_Scroll_Bar(frame3, "HScroll_X", 0, 359, 120, 600, 5175, 255);
  Make_Label(frame3, "Label6", "Rotate on X Axis", 1800, 360, 1575, 255);
  QScrollBar* hscroll_y = Make_Scroll_Bar(frame3, "HScroll_Y", 0, 359, 120, 1200, 5175, 255);
  Make_Label(frame3, "Label7", "Rotate on Y Axis", 1800, 960, 1575, 255);
  QScrollBar* hscroll_z = Make_Scroll_Bar(frame3, "HScroll_Z", 0, 359, 120, 1800, 5175, 255);
  Make_Label(frame3, "Label8", "Rotate on Z Axis", 1800, 1560, 1575, 255);
  QScrollBar* hscroll_zoom = Make_Scroll_Bar(frame3, "HScroll_Zoom", 1, 20, 120, 2400, 5175, 255);
  Make_Label(frame3, "Label9", "Zoom", 1800, 2160, 1575, 255);
  QPushButton* cmd_normal = Make_Button(frame3, "Cmd_Normal_Meshe", "Normal Meshe", 120, 2880, 2415, 255);
  QPushButton* cmd_optimized =
      Make_Button(frame3, "Cmd_Optimized_Meshe", "Optimized Meshe", 2880, 2880, 2415, 255);
  label(Label::Lbl_Meshe) = Make_Label(frame3, "Lbl_Meshe", "Normal Meshe", 1920, 3240, 1575, 255);
  label(Label::Lbl_Angle_X) = Make_Label(frame3, "Lbl_Angle_X", "0", 3480, 360, 735, 255);
  label(Label::Lbl_Angle_Y) = Make_Label(frame3, "Lbl_Angle_Y", "0", 3480, 960, 735, 255);
  label(Label::Lbl_Angle_Z) = Make_Label(frame3, "Lbl_Angle_Z", "0", 3480, 1560, 735, 255);
  label(Label::Lbl_Zoom) = Make_Label(frame3, "Lbl_Zoom", "0", 3480, 2160, 735, 255);

  // Children of a styled frame do not inherit the window's font.
  for (QWidget* child : findChildren<QWidget*>()) child->setFont(font());

  buttons_ = {cmd_save, cmd_normal};
  text_boxes_ = {txt_start, txt_step};
  scroll_bars_ = {hscroll_x, hscroll_y, hscroll_z, hscroll_zoom};

  // The tab key visits the buttons, text boxes and scroll bars in this order.
  QWidget* tab_order[] = {cmd_open,     txt_start,  txt_step,      cmd_save,     hscroll_x,    hscroll_y,
                          hscroll_z,    hscroll_zoom, cmd_normal,  cmd_optimized, cmd_open_bas, cmd_open_ply};
  for (size_t i = 1; i < std::size(tab_order); ++i) setTabOrder(tab_order[i - 1], tab_order[i]);
  cmd_open->setFocus();

  connect(cmd_open, &QPushButton::clicked, this, [this] { commands_.Open_Stl(); });
  connect(cmd_open_ply, &QPushButton::clicked, this, [this] { commands_.Open_Ply(); });
  connect(cmd_open_bas, &QPushButton::clicked, this, [this] { commands_.Open_Bas(); });
  connect(cmd_normal, &QPushButton::clicked, this, [this] { commands_.Show_Normal_Mesh(); });
  connect(cmd_optimized, &QPushButton::clicked, this, [this] { commands_.Show_Optimized_Mesh(); });
  connect(cmd_save, &QPushButton::clicked, this, [this] { commands_.Save(); });
  // valueChanged follows both a drag (every move) and a click or key.
  for (QScrollBar* bar : scroll_bars_)
    connect(bar, &QScrollBar::valueChanged, this, [this] { commands_.View_Change(); });

  commands_.Start_Up();
}

Main_Window::~Main_Window() = default;

void Main_Window::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // Qt does not count a tool window as the application's last window, so
  // closing it would leave the program running without a window.
  QCoreApplication::quit();
}

void Main_Window::Set_Caption(Label label, std::string_view text) {
  labels_[static_cast<size_t>(label)]->setText(Text_Of(text));
}

void Main_Window::Enable_Button(Button button, bool enabled) {
  buttons_[static_cast<size_t>(button)]->setEnabled(enabled);
}

std::string Main_Window::Read_Text(Text_Box box) {
  return text_boxes_[static_cast<size_t>(box)]->text().toStdString();
}

int Main_Window::Read_Value(Scroll_Bar bar) { return scroll_bars_[static_cast<size_t>(bar)]->value(); }

int Main_Window::Drawing_Width() { return picture_->width(); }

int Main_Window::Drawing_Height() { return picture_->height(); }

void Main_Window::Clear_Picture() { picture_->Clear(); }

void Main_Window::Draw_Segments(std::span<const Segment> segments) { picture_->Draw_Segments(segments); }

std::string Main_Window::Choose_File(std::string_view filter, Dialog_Mode mode) {
  if (chooser_) return chooser_(filter, mode);
  // A fresh dialog each time: it opens in the folder of the last file chosen,
  // with an empty name, whichever of the four commands asks.
  QFileDialog dialog(this);
  const bool open = mode == Dialog_Mode::Open;
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setWindowTitle(open ? "Open" : "Save As");
  dialog.setNameFilters({Dialog_Filter(filter)});
  dialog.selectNameFilter(dialog.nameFilters().first());
  if (!dialog_folder_.isEmpty()) dialog.setDirectory(dialog_folder_);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  dialog_folder_ = QFileInfo(chosen.first()).absolutePath();
  return chosen.first().toStdString();
}

void Main_Window::Show_Message(std::string_view text, std::string_view title) {
  if (message_sink_) {
    message_sink_(text, title);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, Text_Of(title), Text_Of(text), QMessageBox::Ok, this);
  // A box as narrow as "Basic File Saved" would cut its own title short.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(kMessageWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
  box.exec();
}
