#include "ui/notice_line.h"

#include "ui/controls.h"

#include <QTimer>

namespace scenova::ui {

NoticeLine::NoticeLine(Control& label, QTimer& timer, QObject* parent)
    : QObject(parent), label_(label), timer_(timer) {
  connect(&timer_, &QTimer::timeout, this, &NoticeLine::expire);
}

void NoticeLine::show(const QString& text, int milliseconds) {
  label_.setCaption(text);
  label_.show();
  label_.raise();
  timer_.start(milliseconds);
}

void NoticeLine::expire() {
  timer_.stop();
  label_.hide();
}

}  // namespace scenova::ui
