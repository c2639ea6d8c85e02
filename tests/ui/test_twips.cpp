// Geometry in twips: values between two pixels are kept, setting one value
// keeps the others, and what is kept goes with its widget.

#include <QTest>
#include <QWidget>

#include <memory>

#include "ui/controls.h"

using namespace scenova::ui;

class TestTwips : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void keepsWhatLiesBetweenPixels() {
    QWidget parent;
    auto* w = new QWidget(&parent);
    w->setGeometry(10, 20, 30, 40);
    // Before anything is set, the pixels answer.
    QCOMPARE(twips::width(w), 30 * kTwipsPerPixel);
    twips::setWidth(w, 100.5);
    QCOMPARE(twips::width(w), 100.5);
    QCOMPARE(w->width(), twips::toPixels(100.5));
    // The others stay as they were, and so does the width when they move.
    QCOMPARE(twips::left(w), 10 * kTwipsPerPixel);
    twips::setLeft(w, 7.25);
    QCOMPARE(twips::width(w), 100.5);
    QCOMPARE(twips::top(w), 20 * kTwipsPerPixel);
    QCOMPARE(twips::height(w), 40 * kTwipsPerPixel);
    twips::setGeometry(w, 1, 2, 3.5, 4);
    QCOMPARE(twips::width(w), 3.5);
    QCOMPARE(twips::left(w), 1.0);
    // Not a number changes nothing.
    twips::setWidth(w, qQNaN());
    QCOMPARE(twips::width(w), 3.5);
  }

  // What is kept for a widget goes with it, so that a widget made later at
  // the same address starts from its own pixels, not from what was set on
  // the one before.
  void forgetsADeletedWidget() {
    QWidget parent;
    const qsizetype before = twips::keptCount();
    auto* child = new QWidget(&parent);
    auto alone = std::make_unique<QWidget>();
    twips::setWidth(child, 12345.25);
    twips::setLeft(alone.get(), 0.5);
    twips::setTop(alone.get(), 1.5);  // the same widget again: still one entry
    QCOMPARE(twips::keptCount(), before + 2);
    alone.reset();
    QCOMPARE(twips::keptCount(), before + 1);
    delete child;
    QCOMPARE(twips::keptCount(), before);
    // Reading keeps nothing.
    QWidget fresh;
    fresh.setGeometry(0, 0, 20, 10);
    QCOMPARE(twips::width(&fresh), 20 * kTwipsPerPixel);
    QCOMPARE(twips::keptCount(), before);
  }
};

QTEST_MAIN(TestTwips)
#include "test_twips.moc"
