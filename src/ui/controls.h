#pragma once

// The main window's controls keep their geometry in twips (15 to a pixel),
// carry a Tag text, and report mouse events with twip coordinates, so the
// handlers read like the rest of the program.

#include <QLabel>
#include <QString>

class QWidget;

namespace scenova::ui {

constexpr double kTwipsPerPixel = 15.0;

// Geometry in twips for any widget. The exact (possibly fractional) twip
// values are kept with the widget; the widget itself sits on whole pixels.
namespace twips {
double left(const QWidget* w);
double top(const QWidget* w);
double width(const QWidget* w);
double height(const QWidget* w);
void setLeft(QWidget* w, double v);
void setTop(QWidget* w, double v);
void setWidth(QWidget* w, double v);
void setHeight(QWidget* w, double v);
void setGeometry(QWidget* w, double l, double t, double wd, double ht);
inline int toPixels(double tw) {
  return static_cast<int>(std::lround(tw / kTwipsPerPixel));
}
// How many widgets have twip values kept; each goes when its widget does.
qsizetype keptCount();
}  // namespace twips

// Mouse buttons and shift state as the handlers receive them.
enum MouseButton { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
// The buttons held during a mouse move, as the sum of their codes.
int buttonCode(Qt::MouseButtons b);

// A label, an image used as a button, or a filled shape: what the main
// window is made of besides the editor, the boxes and the players.
class Control : public QLabel {
  Q_OBJECT
 public:
  enum class Kind { Label, Image, Shape };
  Control(Kind kind, const QString& name, QWidget* parent);

  QString Tag;

  Kind kind() const { return kind_; }
  QString caption() const { return text(); }
  void setCaption(const QString& c) { setText(c); }

  // Image controls: shows the picture file scaled to the control, sharp on
  // high-density screens. Files are decoded once per process (PictureCache).
  // A file that cannot be read leaves the current picture. Returns whether
  // the control now shows that picture.
  bool setPicture(const QString& path);
  QString picturePath() const { return picture_; }

  // Shapes: fill and border colours (an invalid colour draws nothing).
  void setShapeColors(const QColor& fill, const QColor& border);

 Q_SIGNALS:
  void Click();
  void DblClick();
  void MouseDown(int button, int shift, double x, double y);
  void MouseMove(int button, int shift, double x, double y);
  void MouseUp(int button, int shift, double x, double y);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void renderPicture();
  Kind kind_;
  QString picture_;
  bool pressed_ = false;
};

}  // namespace scenova::ui
