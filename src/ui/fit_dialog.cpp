#include "ui/fit_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

#include "ui/picture_box.h"

namespace {

// The Up choices after "as read", in the order of the combo box.
constexpr Up_Axis kAxes[] = {Up_Axis::X, Up_Axis::Y, Up_Axis::Z, Up_Axis::Minus_X, Up_Axis::Minus_Y, Up_Axis::Minus_Z};
const char* const kRows[] = {"Faces", "Points", "Points that collapse", "Faces that lose their area",
                             "BASIC lines needed", "Lines the numbers leave"};
constexpr double kLargestSize = 1e6;

QString Text_Of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

Fit_Dialog::Fit_Dialog(Fit_Commands& fit, QSize preview, QWidget* parent) : QDialog(parent), fit_(fit) {
  setObjectName("Fit_Dialog");
  setWindowTitle("Fit for the Korvane 3D");
  setModal(true);

  reasons_ = new QLabel(this);
  reasons_->setObjectName("Lbl_Fit_Reasons");
  reasons_->setWordWrap(true);
  reasons_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  up_ = new QComboBox(this);
  up_->setObjectName("Cmb_Fit_Up");
  up_->addItem("as read");
  for (Up_Axis axis : kAxes) up_->addItem(Up_Axis_Name(axis));
  up_->setToolTip("The model's axis that points up on the Korvane 3D's screen (y for Y-up models, z for Z-up CAD models)");
  size_ = new QDoubleSpinBox(this);
  size_->setObjectName("Spn_Fit_Size");
  size_->setRange(0, kLargestSize);
  size_->setDecimals(1);
  size_->setSpecialValueText("as read");  // 0: the size as read
  size_->setSuffix(" units");
  size_->setToolTip("The largest side of the model; 400 fills the preview at zoom 1");
  faces_ = new QSpinBox(this);
  faces_->setObjectName("Spn_Fit_Faces");
  faces_->setToolTip("The most faces the file keeps");
  // Typed digits become a choice with Enter or when the field is left: a
  // choice of 1, then 15, then 150 faces on the way to 1500 would be shaped
  // for nothing.
  size_->setKeyboardTracking(false);
  faces_->setKeyboardTracking(false);
  auto* fields = new QFormLayout;
  fields->addRow("Up", up_);
  fields->addRow("Size", size_);
  fields->addRow("Faces", faces_);

  auto* figures = new QGridLayout;
  figures->addWidget(new QLabel("As read", this), 0, 1, Qt::AlignRight);
  figures->addWidget(new QLabel("Fitted", this), 0, 2, Qt::AlignRight);
  for (int row = 0; row < 6; ++row) {
    figures->addWidget(new QLabel(kRows[row], this), row + 1, 0);
    for (int column = 0; column < 2; ++column) {
      figures_[row][column] = new QLabel(this);
      figures_[row][column]->setObjectName(QString("Lbl_Fit_%1_%2").arg(row).arg(column ? "Fitted" : "As_Read"));
      figures_[row][column]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      figures->addWidget(figures_[row][column], row + 1, column + 1);
    }
  }

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* fit_button = buttons->addButton("Fit", QDialogButtonBox::AcceptRole);
  fit_button->setObjectName("Cmd_Fit");
  fit_button->setDefault(true);
  QPushButton* keep_button = buttons->addButton("Keep as read", QDialogButtonBox::RejectRole);
  keep_button->setObjectName("Cmd_Keep_As_Read");
  connect(fit_button, &QPushButton::clicked, this, [this] { Fit(); });
  connect(keep_button, &QPushButton::clicked, this, &QDialog::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(reasons_);
  left->addSpacing(8);
  left->addLayout(fields);
  left->addSpacing(8);
  left->addLayout(figures);
  left->addStretch(1);
  left->addWidget(buttons);

  // The preview, framed, at the size of Picture1.
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Box | QFrame::Plain);
  picture_ = new Picture_Box(frame);
  picture_->setObjectName("Pic_Fit_Preview");
  picture_->setFixedSize(preview);
  auto* framed = new QVBoxLayout(frame);
  framed->setContentsMargins(1, 1, 1, 1);
  framed->addWidget(picture_);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addWidget(frame, 0, Qt::AlignTop);
  setFixedWidth(preview.width() + 360);

  fit_.Start(*this);
  connect(up_, &QComboBox::currentIndexChanged, this, [this] { Request_Choice(); });
  connect(size_, &QDoubleSpinBox::valueChanged, this, [this] { Request_Choice(); });
  connect(faces_, &QSpinBox::valueChanged, this, [this] { Request_Choice(); });
}

Fit_Dialog::~Fit_Dialog() { fit_.Stop(); }

Fit_Choice Fit_Dialog::Read_Choice() const {
  Fit_Choice choice;
  choice.turn = up_->currentIndex() > 0;
  if (choice.turn) choice.up = kAxes[up_->currentIndex() - 1];
  choice.size = size_->value();
  choice.faces = static_cast<size_t>(faces_->value());
  return choice;
}

void Fit_Dialog::Request_Choice() {
  if (choice_pending_) return;
  choice_pending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!choice_pending_) return;  // met by Fit
        choice_pending_ = false;
        fit_.Choose(Read_Choice());
      },
      Qt::QueuedConnection);
}

void Fit_Dialog::Fit() {
  // Digits typed and not yet entered count too; untouched fields leave the
  // commands' choice as it is (the proposal, whose faces its shaping counts).
  size_->interpretText();
  faces_->interpretText();
  if (choice_pending_) {
    choice_pending_ = false;
    fit_.Choose(Read_Choice());
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  fit_.Finish();
  QApplication::restoreOverrideCursor();
  accept();
}

void Fit_Dialog::Show_Choice(const Fit_Choice& choice, size_t all_faces) {
  const QSignalBlocker block_up(up_), block_size(size_), block_faces(faces_);
  int index = 0;
  if (choice.turn) index = static_cast<int>(std::find(std::begin(kAxes), std::end(kAxes), choice.up) - kAxes) + 1;
  up_->setCurrentIndex(index);
  size_->setValue(choice.size);
  const int all = static_cast<int>(std::min<size_t>(all_faces, INT_MAX));
  faces_->setRange(std::min(1, all), all);
  faces_->setSuffix(QString(" of %1").arg(all));
  faces_->setValue(static_cast<int>(std::min<size_t>(choice.faces, INT_MAX)));
}

void Fit_Dialog::Show_Reasons(std::string_view text) { reasons_->setText(Text_Of(text)); }

void Fit_Dialog::Show_Figures(int column, const Fit_Figures& figures) {
  const int64_t values[] = {figures.faces, figures.points, figures.points_collapsing, figures.faces_losing_area,
                            figures.lines_needed};
  for (int row = 0; row < 5; ++row) figures_[row][column]->setText(QString::number(values[row]));
  figures_[5][column]->setText(figures.lines_available < 0 ? QString("no limit")
                                                            : QString::number(figures.lines_available));
}

void Fit_Dialog::Show_As_Read(const Fit_Figures& figures) { Show_Figures(0, figures); }

void Fit_Dialog::Show_Fitted(const Fit_Figures& figures, bool current) {
  Show_Figures(1, figures);
  // Greyed while a newer choice is being shaped.
  for (auto& row : figures_) row[1]->setEnabled(current);
}

void Fit_Dialog::Draw_Preview(std::span<const Segment> segments) {
  picture_->Clear();
  picture_->Draw_Segments(segments);
}

void Fit_Dialog::Show_Failure(std::string_view message) {
  reasons_->setText(Text_Of(message));
  picture_->Clear();
}

void Fit_Dialog::Shaped_Ready() {
  // On the shaping thread: the fit commands are told on the dialog's own.
  QMetaObject::invokeMethod(this, [this] { fit_.Show_Shaped(); }, Qt::QueuedConnection);
}
