#pragma once
// The dialog "Fit for the Korvane 3D": which way is up, the size and the
// faces to keep, the figures the target gets as read and fitted, and the
// fitted model's preview, drawn as Picture1 draws. It shows what its
// Fit_Commands tells it and forwards the fields' changes to it; it decides
// nothing itself. "Fit" (the default button) accepts it, "Keep as read"
// (and Escape) rejects it.

#include <QDialog>

#include "controller/fit_commands.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class Picture_Box;

class Fit_Dialog : public QDialog, public Fit_Port {
 public:
  // `preview` is the size of the main window's drawing area.
  Fit_Dialog(Fit_Commands& fit, QSize preview, QWidget* parent);
  ~Fit_Dialog() override;  // stops the fit commands' shaping

  // Fit_Port
  void Show_Choice(const Fit_Choice& choice, size_t all_faces) override;
  void Show_Reasons(std::string_view text) override;
  void Show_As_Read(const Fit_Figures& figures) override;
  void Show_Fitted(const Fit_Figures& figures, bool current) override;
  void Draw_Preview(std::span<const Segment> segments) override;
  void Show_Failure(std::string_view message) override;
  void Shaped_Ready() override;

 private:
  Fit_Choice Read_Choice() const;
  // A field changed: the fit commands hear of it once the events waiting are
  // handled, so that a burst of changes is one choice.
  void Request_Choice();
  void Fit();
  void Show_Figures(int column, const Fit_Figures& figures);

  Fit_Commands& fit_;
  QLabel* reasons_ = nullptr;
  QComboBox* up_ = nullptr;
  QDoubleSpinBox* size_ = nullptr;
  QSpinBox* faces_ = nullptr;
  QLabel* figures_[6][2] = {};  // by row, then as read and fitted
  Picture_Box* picture_ = nullptr;
  bool choice_pending_ = false;
};
