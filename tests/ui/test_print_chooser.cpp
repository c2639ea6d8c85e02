// The print dialog: what it opens on, what it gives back, its texts and
// access keys, and a dialog with no printer to choose.

#include "ui/print_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace scenova;
using platform::PrintChoice;

namespace {

PrintChoice offered() {
  PrintChoice c;
  c.printers = {QStringLiteral("hall"), QStringLiteral("office"), QStringLiteral("stage")};
  c.printer = QStringLiteral("office");
  c.captions = {QStringLiteral("Stampa"),  QStringLiteral("Stam&pante:"),
                QStringLiteral("&Copie:"), QStringLiteral("Pagine"),
                QStringLiteral("&Tutte"),  QStringLiteral("Pagine &da:"),
                QStringLiteral("&a:"),     QStringLiteral("Va bene"),
                QStringLiteral("Annulla"), QStringLiteral("Nessuna stampante")};
  return c;
}

// The label a form row shows for the field.
QLabel* labelOf(QWidget* field) {
  for (QLabel* label : field->window()->findChildren<QLabel*>())
    if (label->buddy() == field) return label;
  return nullptr;
}

}  // namespace

class TestPrintChooser : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensOnTheChoiceItIsGiven() {
    PrintChoice c = offered();
    ui::PrintChooser all(c);
    QCOMPARE(all.windowTitle(), QStringLiteral("Stampa"));
    QCOMPARE(all.printerBox()->count(), 3);
    QCOMPARE(all.printerBox()->currentText(), QStringLiteral("office"));
    QCOMPARE(all.copiesBox()->value(), 1);
    QVERIFY(all.allPagesButton()->isChecked());
    QVERIFY(all.choice().pages.isEmpty());
    // Pages and copies chosen before.
    c.copies = 4;
    c.pages.addRange(3, 8);
    ui::PrintChooser some(c);
    QCOMPARE(some.copiesBox()->value(), 4);
    QVERIFY(some.somePagesButton()->isChecked());
    QCOMPARE(some.fromBox()->value(), 3);
    QCOMPARE(some.toBox()->value(), 8);
    // A printer that is not installed any more: the first.
    c.printer = QStringLiteral("gone");
    QCOMPARE(ui::PrintChooser(c).printerBox()->currentText(), QStringLiteral("hall"));
  }

  void givesBackWhatWasChosen() {
    PrintChoice c = offered();
    c.file = QStringLiteral("/tmp/x.pdf");  // a printer chosen replaces the file
    ui::PrintChooser d(c);
    d.printerBox()->setCurrentIndex(2);
    d.copiesBox()->setValue(2);
    // Typing a page chooses a range; a range never ends before it starts.
    d.fromBox()->setValue(5);
    QVERIFY(d.somePagesButton()->isChecked());
    QCOMPARE(d.toBox()->value(), 5);
    d.toBox()->setValue(2);
    QCOMPARE(d.toBox()->value(), 5);
    d.toBox()->setValue(9);
    PrintChoice chosen = d.choice();
    QCOMPARE(chosen.printer, QStringLiteral("stage"));
    QVERIFY(chosen.file.isEmpty());
    QCOMPARE(chosen.copies, 2);
    QCOMPARE(chosen.pages.firstPage(), 5);
    QCOMPARE(chosen.pages.lastPage(), 9);
    QCOMPARE(chosen.pages.toRangeList().size(), 1);
    QCOMPARE(chosen.printers, c.printers);
    d.allPagesButton()->setChecked(true);
    QVERIFY(d.choice().pages.isEmpty());
  }

  void okWritesTheChoiceCancelKeepsIt() {
    PrintChoice c = offered();
    auto press = [](QDialogButtonBox::StandardButton which, int copies) {
      QTimer::singleShot(0, [which, copies] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
          auto* d = qobject_cast<ui::PrintChooser*>(top);
          if (!d || !d->isVisible()) continue;
          d->copiesBox()->setValue(copies);
          QTest::mouseClick(d->buttons()->button(which), Qt::LeftButton);
        }
      });
    };
    press(QDialogButtonBox::Cancel, 5);
    QVERIFY(!ui::choosePrint(nullptr, c));
    QCOMPARE(c.copies, 1);
    press(QDialogButtonBox::Ok, 6);
    QVERIFY(ui::choosePrint(nullptr, c));
    QCOMPARE(c.copies, 6);
    QCOMPARE(c.printer, QStringLiteral("office"));
  }

  void textsAndAccessKeys() {
    ui::PrintChooser d(offered());
    QCOMPARE(labelOf(d.printerBox())->text(), QStringLiteral("Stam&pante:"));
    QCOMPARE(labelOf(d.copiesBox())->text(), QStringLiteral("&Copie:"));
    QCOMPARE(labelOf(d.toBox())->text(), QStringLiteral("&a:"));
    QCOMPARE(d.somePagesButton()->text(), QStringLiteral("Pagine &da:"));
    QCOMPARE(d.allPagesButton()->text(), QStringLiteral("&Tutte"));
    QCOMPARE(d.buttons()->button(QDialogButtonBox::Ok)->text(), QStringLiteral("Va bene"));
    QCOMPARE(d.buttons()->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
    // Alt and the key reaches the field.
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::keyClick(&d, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), d.copiesBox());
    QTest::keyClick(&d, Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(d.somePagesButton()->isChecked());
  }

  void withoutAPrinterNothingCanBeChosen() {
    PrintChoice c = offered();
    c.printers.clear();
    c.printer.clear();
    ui::PrintChooser d(c);
    QVERIFY(!d.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    QCOMPARE(d.printerBox()->placeholderText(), QStringLiteral("Nessuna stampante"));
    QCOMPARE(d.printerBox()->currentIndex(), -1);
    QVERIFY(d.choice().printer.isEmpty());
    // A file to print into is something to print on.
    c.file = QStringLiteral("/tmp/x.pdf");
    ui::PrintChooser file(c);
    QVERIFY(file.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    QCOMPARE(file.choice().file, c.file);
  }
};

QTEST_MAIN(TestPrintChooser)
#include "test_print_chooser.moc"
