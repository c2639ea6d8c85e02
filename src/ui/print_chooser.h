#pragma once

// The print dialog: the printer, the number of copies and the pages, chosen
// among the values it is handed. Widgets only: it never asks the print
// system anything, so that it opens and closes at once whatever state the
// print system is in.

#include "platform/dialogs.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QRadioButton;
class QSpinBox;

namespace scenova::ui {

class PrintChooser : public QDialog {
  Q_OBJECT
 public:
  explicit PrintChooser(const platform::PrintChoice& choice, QWidget* owner = nullptr);

  // The choice the dialog was opened with, with what it shows now.
  platform::PrintChoice choice() const;

  QComboBox* printerBox() const { return printer_; }
  QSpinBox* copiesBox() const { return copies_; }
  QRadioButton* allPagesButton() const { return all_; }
  QRadioButton* somePagesButton() const { return some_; }
  QSpinBox* fromBox() const { return from_; }
  QSpinBox* toBox() const { return to_; }
  QDialogButtonBox* buttons() const { return buttons_; }

 private:
  platform::PrintChoice start_;
  QComboBox* printer_;
  QSpinBox* copies_;
  QRadioButton* all_;
  QRadioButton* some_;
  QSpinBox* from_;
  QSpinBox* to_;
  QDialogButtonBox* buttons_;
};

// Shows the dialog over owner until it is closed; OK writes what was chosen
// into choice and returns true.
bool choosePrint(QWidget* owner, platform::PrintChoice& choice);

}  // namespace scenova::ui
