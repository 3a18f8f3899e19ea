#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <limits>

#include "ui/dialog_filter.h"
#include "ui/fit_dialog.h"
#include "ui/focus_scroll_bar.h"
#include "ui/path_label.h"
#include "ui/picture_box.h"
#include "ui/read_progress.h"

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

// The file dialog's size: wide enough for the name, size, type and date
// columns side by side, within the screen. Qt's own dialog then sizes its
// size, type and date columns to what they show once the folder is read
// (a platform's native dialog has no such view and keeps its own sizes).
void Fit_File_Dialog(QFileDialog& dialog) {
  QSize size(860, 480);
  if (const QScreen* screen = dialog.screen()) size = size.boundedTo(screen->availableSize() * 9 / 10);
  dialog.resize(size);
  auto* view = dialog.findChild<QTreeView*>("treeView");
  auto* files = dialog.findChild<QFileSystemModel*>();
  if (!view || !files) return;
  auto fit_columns = [view] {
    QHeaderView* header = view->header();
    int others = 0;
    for (int column = 1; column < header->count(); ++column) {
      view->resizeColumnToContents(column);
      others += header->sectionSize(column);
    }
    // The name takes what is left; the last column stretches as before.
    header->resizeSection(0, std::max(header->sectionSize(0), view->viewport()->width() - others));
  };
  QObject::connect(files, &QFileSystemModel::directoryLoaded, view, [fit_columns] { fit_columns(); });
  QTimer::singleShot(0, view, fit_columns);
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
QLabel* Set_Up_Label(QLabel* label, const char* name, const char* caption, int l, int t, int w, int h,
                     Qt::Alignment alignment) {
  label->setText(caption);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  label->setLineWidth(1);
  label->setAlignment(alignment);
  Place(label, l, t, w, h);
  return label;
}

QLabel* Make_Label(QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
  return Set_Up_Label(new QLabel(parent), name, caption, l, t, w, h, Qt::AlignCenter);
}

// The input and output paths, drawn elided when they are too long.
QLabel* Make_Path_Label(QWidget* parent, const char* name, int l, int t, int w, int h) {
  return Set_Up_Label(new Path_Label(parent), name, "", l, t, w, h, Qt::AlignLeft | Qt::AlignVCenter);
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
  auto* bar = new Focus_Scroll_Bar(parent);
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
  label(Label::Lbl_File_Input) = Make_Path_Label(frame1, "Lbl_File_Input", 120, 720, 5175, 255);
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
  label(Label::Lbl_File_Output) = Make_Path_Label(frame1, "Lbl_File_Output", 120, 3360, 5175, 255);

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
  // The preview's context menu offers the fit dialog for the model shown.
  auto* menu = new QMenu(this);
  menu->setObjectName("Picture1_Menu");
  QAction* fit = menu->addAction("Fit for the Korvane 3D...");
  fit->setObjectName("Act_Fit");
  picture_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(picture_, &QWidget::customContextMenuRequested, this, [this, menu, fit](const QPoint& at) {
    fit->setEnabled(commands_.Can_Fit());
    menu->popup(picture_->mapToGlobal(at));
  });
  connect(fit, &QAction::triggered, this, [this] { commands_.Fit(); });
  // valueChanged follows both a drag (every move) and a click or key.
  for (QScrollBar* bar : scroll_bars_)
    connect(bar, &QScrollBar::valueChanged, this, [this] { Request_View_Change(); });

  commands_.Start_Up();
}

Main_Window::~Main_Window() = default;

void Main_Window::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  // Qt does not count a tool window as the application's last window, so
  // closing it would leave the program running without a window.
  QCoreApplication::quit();
}

void Main_Window::Request_View_Change() {
  if (view_change_pending_) return;
  view_change_pending_ = true;
  // Posted behind the input already waiting: the window system's events are
  // all delivered before posted ones, so twenty queued key presses move the
  // bar twenty times and draw once.
  QMetaObject::invokeMethod(this, [this] { Run_View_Change(); }, Qt::QueuedConnection);
}

void Main_Window::Run_View_Change() {
  // Met already, or a read is running (its events are let through now and
  // then): the store is being refilled, and the read's end asks again.
  if (!view_change_pending_ || progress_) return;
  view_change_pending_ = false;
  commands_.View_Change();
}

void Main_Window::Set_Caption(Label label, std::string_view text) {
  QLabel* shown = labels_[static_cast<size_t>(label)];
  shown->setText(Text_Of(text));
  // A path may be drawn elided; its tooltip shows the whole of it.
  if (label == Label::Lbl_File_Input || label == Label::Lbl_File_Output) shown->setToolTip(shown->text());
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

void Main_Window::Clear_Picture() {
  // Every redraw starts here, from the bars' current values.
  view_change_pending_ = false;
  picture_->Clear();
}

void Main_Window::Draw_Segments(std::span<const Segment> segments) { picture_->Draw_Segments(segments); }

std::string Main_Window::Choose_File(std::string_view filter, Dialog_Mode mode, std::string_view proposed) {
  if (chooser_) return chooser_(filter, mode, proposed);
  // A fresh dialog each time: it opens in the folder of the last file chosen,
  // with an empty name, whichever of the four commands asks, unless the
  // command proposes a file.
  QFileDialog dialog(this);
  const bool open = mode == Dialog_Mode::Open;
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setWindowTitle(open ? "Open" : "Save As");
  dialog.setNameFilters({Dialog_Filter(filter)});
  dialog.selectNameFilter(dialog.nameFilters().first());
  // The command adds the same suffix; in the dialog it also makes the
  // question before replacing a file ask about the name that is written.
  if (!open) dialog.setDefaultSuffix(Dialog_Suffix(filter));
  if (!proposed.empty()) {
    const QFileInfo file(Text_Of(proposed));
    dialog.setDirectory(file.absolutePath());
    dialog.selectFile(file.fileName());
  } else if (!dialog_folder_.isEmpty()) {
    dialog.setDirectory(dialog_folder_);
  }
  Fit_File_Dialog(dialog);
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

bool Main_Window::Offer_Fit(Fit_Commands& fit) {
  if (fit_chooser_) return fit_chooser_(fit);
  Fit_Dialog dialog(fit, picture_->size(), this);
  return dialog.exec() == QDialog::Accepted;
}

void Main_Window::Begin_Progress() { progress_ = std::make_unique<Read_Progress>(this, progress_delay_); }

bool Main_Window::Update_Progress(std::string_view stage, int percent) {
  return !progress_ || progress_->Update(stage, percent);
}

void Main_Window::End_Progress() {
  progress_.reset();
  if (view_change_pending_) {
    view_change_pending_ = false;
    Request_View_Change();
  }
}
