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

  // A widget made where a deleted one lived starts from its own pixels,
  // not from what was set on the one before.
  void forgetsADeletedWidget() {
    QWidget parent;
    for (int i = 0; i < 50; ++i) {
      auto old = std::make_unique<QWidget>(&parent);
      old->setGeometry(0, 0, 10, 10);
      twips::setWidth(old.get(), 12345.25);
      const void* where = old.get();
      old.reset();
      auto fresh = std::make_unique<QWidget>(&parent);
      fresh->setGeometry(0, 0, 20, 10);
      if (fresh.get() != where) continue;
      QCOMPARE(twips::width(fresh.get()), 20 * kTwipsPerPixel);
      return;
    }
    QSKIP("no new widget took a deleted one's place");
  }
};

QTEST_MAIN(TestTwips)
#include "test_twips.moc"
