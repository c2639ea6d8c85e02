#include "controls.h"

#include "platform/key_codes.h"
#include "ui/picture_cache.h"

#include <QHash>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <cmath>

namespace scenova::ui {

namespace twips {
namespace {
// Each widget's geometry in twips, kept beside it (found by its address) so
// that values between two pixels survive; an entry goes with its widget.
// Read many times a second by the counters' ticks: a hash lookup, not a
// property search by name.
using Geometry = std::array<double, 4>;  // left, top, width, height

QHash<const QWidget*, Geometry>& table() {
  static QHash<const QWidget*, Geometry> t;
  return t;
}

double get(const QWidget* w, int which, int pixels) {
  const auto it = table().constFind(w);
  return it != table().cend() ? (*it)[size_t(which)] : pixels * kTwipsPerPixel;
}

void apply(QWidget* w) {
  const int l = toPixels(left(w)), t = toPixels(top(w));
  const int wd = std::max(0, toPixels(width(w))), ht = std::max(0, toPixels(height(w)));
  w->setGeometry(l, t, wd, ht);
}

Geometry& entry(QWidget* w) {
  auto it = table().find(w);
  if (it == table().end()) {
    // Keep every value so that the others do not drift when one is set.
    it = table().insert(w, {w->x() * kTwipsPerPixel, w->y() * kTwipsPerPixel,
                            w->width() * kTwipsPerPixel, w->height() * kTwipsPerPixel});
    QObject::connect(w, &QObject::destroyed, [w] { table().remove(w); });
  }
  return *it;
}

void set(QWidget* w, int which, double v) {
  if (!std::isfinite(v)) return;
  entry(w)[size_t(which)] = v;
  apply(w);
}
}  // namespace

double left(const QWidget* w) {
  return get(w, 0, w->x());
}
double top(const QWidget* w) {
  return get(w, 1, w->y());
}
double width(const QWidget* w) {
  return get(w, 2, w->width());
}
double height(const QWidget* w) {
  return get(w, 3, w->height());
}
void setLeft(QWidget* w, double v) {
  set(w, 0, v);
}
void setTop(QWidget* w, double v) {
  set(w, 1, v);
}
void setWidth(QWidget* w, double v) {
  set(w, 2, v);
}
void setHeight(QWidget* w, double v) {
  set(w, 3, v);
}
void setGeometry(QWidget* w, double l, double t, double wd, double ht) {
  entry(w) = {l, t, wd, ht};
  apply(w);
}
qsizetype keptCount() {
  return table().size();
}
}  // namespace twips

int buttonCode(Qt::MouseButtons b) {
  int code = 0;
  if (b & Qt::LeftButton) code |= kLeftButton;
  if (b & Qt::RightButton) code |= kRightButton;
  if (b & Qt::MiddleButton) code |= kMiddleButton;
  return code;
}

Control::Control(Kind kind, const QString& name, QWidget* parent) : QLabel(parent), kind_(kind) {
  setObjectName(name);
  if (kind == Kind::Image) setAlignment(Qt::AlignCenter);
  setMouseTracking(true);
}

bool Control::setPicture(const QString& path) {
  if (path == picture_) return true;
  // Decoded once per process: swapping pictures on pointer moves reads no file.
  if (PictureCache::instance().picture(path).isNull()) return false;
  picture_ = path;
  renderPicture();
  return true;
}

void Control::renderPicture() {
  if (picture_.isEmpty() || width() <= 0 || height() <= 0) return;
  const qreal dpr = devicePixelRatioF();
  QPixmap scaled = PictureCache::instance().scaled(picture_, QSize(width(), height()) * dpr);
  scaled.setDevicePixelRatio(dpr);
  setPixmap(scaled);
}

void Control::resizeEvent(QResizeEvent* e) {
  QLabel::resizeEvent(e);
  renderPicture();
}

void Control::setShapeColors(const QColor& fill, const QColor& border) {
  if (kind_ == Kind::Image) {
    // The picture sits on the style sheet's box, as it was drawn for.
    setStyleSheet(QStringLiteral("background-color: %1; border: %2;")
                      .arg(fill.isValid() ? fill.name() : QStringLiteral("transparent"),
                           border.isValid() ? QStringLiteral("1px solid ") + border.name()
                                            : QStringLiteral("none")));
    return;
  }
  // Shapes take a palette and a plain frame, not a style sheet: the counters'
  // bars change width several times a second, and a style sheet makes every
  // repaint of them and of the counter over them dearer.
  QPalette p = palette();
  if (fill.isValid()) p.setColor(QPalette::Window, fill);
  if (border.isValid()) p.setColor(QPalette::WindowText, border);
  setPalette(p);
  setAutoFillBackground(fill.isValid());
  setFrameStyle(border.isValid() ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
  setLineWidth(1);
}

static double tx(double px) {
  return px * kTwipsPerPixel;
}

void Control::mousePressEvent(QMouseEvent* e) {
  pressed_ = e->button() == Qt::LeftButton;
  const QPointF p = e->position();
  Q_EMIT MouseDown(buttonCode(e->button()), platform::shiftState(e->modifiers()), tx(p.x()),
                   tx(p.y()));
}

void Control::mouseMoveEvent(QMouseEvent* e) {
  const QPointF p = e->position();
  Q_EMIT MouseMove(buttonCode(e->buttons()), platform::shiftState(e->modifiers()), tx(p.x()),
                   tx(p.y()));
}

void Control::mouseReleaseEvent(QMouseEvent* e) {
  const QPointF p = e->position();
  Q_EMIT MouseUp(buttonCode(e->button()), platform::shiftState(e->modifiers()), tx(p.x()),
                 tx(p.y()));
  const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(p.toPoint());
  pressed_ = false;
  if (click && isEnabled()) Q_EMIT Click();
}

void Control::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
  if (e->button() == Qt::LeftButton) Q_EMIT DblClick();
}

}  // namespace scenova::ui
