#include "ui/print_chooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace scenova::ui {

namespace {

constexpr int kMostCopies = 999;
constexpr int kLastPage = 99999;

QSpinBox* numberBox(int least, int most, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(least, most);
  box->setValue(value);
  return box;
}

}  // namespace

PrintChooser::PrintChooser(const platform::PrintChoice& choice, QWidget* owner)
    : QDialog(owner), start_(choice) {
  const platform::PrintCaptions& text = choice.captions;
  setWindowTitle(text.title);
  setObjectName(QStringLiteral("printChooser"));

  printer_ = new QComboBox(this);
  printer_->addItems(choice.printers);
  printer_->setPlaceholderText(text.noPrinter);
  if (!choice.printers.isEmpty())
    printer_->setCurrentIndex(std::max<int>(0, int(choice.printers.indexOf(choice.printer))));
  copies_ = numberBox(1, kMostCopies, std::clamp(choice.copies, 1, kMostCopies), this);
  auto* fields = new QFormLayout;
  fields->addRow(text.printer, printer_);
  fields->addRow(text.copies, copies_);

  auto* pages = new QGroupBox(text.pages, this);
  all_ = new QRadioButton(text.allPages, pages);
  some_ = new QRadioButton(text.from, pages);
  const bool range = !choice.pages.isEmpty();
  from_ = numberBox(1, kLastPage, range ? choice.pages.firstPage() : 1, pages);
  to_ = numberBox(from_->value(), kLastPage, range ? choice.pages.lastPage() : 1, pages);
  auto* toLabel = new QLabel(text.to, pages);
  toLabel->setBuddy(to_);
  (range ? some_ : all_)->setChecked(true);
  auto* grid = new QGridLayout(pages);
  grid->addWidget(all_, 0, 0, 1, 4);
  grid->addWidget(some_, 1, 0);
  grid->addWidget(from_, 1, 1);
  grid->addWidget(toLabel, 1, 2);
  grid->addWidget(to_, 1, 3);
  grid->setColumnStretch(4, 1);  // the boxes keep their size, side by side
  // A page typed in means a range; a range never ends before it starts.
  connect(from_, &QSpinBox::valueChanged, this, [this](int first) {
    to_->setMinimum(first);
    some_->setChecked(true);
  });
  connect(to_, &QSpinBox::valueChanged, this, [this] { some_->setChecked(true); });

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(text.ok);
  buttons_->button(QDialogButtonBox::Cancel)->setText(text.cancel);
  // Nothing to print on without a printer or a file.
  buttons_->button(QDialogButtonBox::Ok)
      ->setEnabled(!choice.printers.isEmpty() || !choice.file.isEmpty());
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* column = new QVBoxLayout(this);
  column->addLayout(fields);
  column->addWidget(pages);
  column->addWidget(buttons_);
  setSizeGripEnabled(false);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  printer_->setFocus();
}

platform::PrintChoice PrintChooser::choice() const {
  platform::PrintChoice chosen = start_;
  if (printer_->currentIndex() >= 0) {
    chosen.printer = printer_->currentText();
    chosen.file.clear();
  }
  chosen.copies = copies_->value();
  chosen.pages = QPageRanges();
  if (some_->isChecked())
    chosen.pages.addRange(from_->value(), std::max(from_->value(), to_->value()));
  return chosen;
}

bool choosePrint(QWidget* owner, platform::PrintChoice& choice) {
  PrintChooser dialog(choice, owner);
  if (dialog.exec() != QDialog::Accepted) return false;
  choice = dialog.choice();
  return true;
}

}  // namespace scenova::ui
