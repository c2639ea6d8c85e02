// Draws the pictures that ship in the program's Files folder: the transport
// buttons (JPEG, as the program names them), the volume slider's knob and
// track, the six fade buttons and the application icon (PNG).
//
// Every picture is drawn at twice the size it takes on screen, so that it
// stays crisp on a 200 % display; the program scales it down smoothly on a
// 100 % one.
//
// Usage: make_pictures OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kScale = 2;

// The background of the audio and video panels; the JPEG buttons have no
// transparency, so their corners take this colour.
const QColor kPanel(0xef, 0xef, 0xef);
const QColor kGlyph(0x2b, 0x36, 0x44);
const QColor kBorder(0xa8, 0xb3, 0xc0);

QString gOutput;
bool gFailed = false;

void save(const QImage& image, const QString& name, const char* format) {
  const QString path = gOutput + QLatin1Char('/') + name;
  // JPEG at quality 95; PNG at the writer's default compression.
  const int quality = qstrcmp(format, "JPG") == 0 ? 95 : -1;
  if (!image.save(path, format, quality)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    gFailed = true;
  }
}

QImage canvas(int width, int height, bool opaque) {
  QImage image(width, height, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
  image.fill(opaque ? kPanel : QColor(Qt::transparent));
  return image;
}

// Fills a path and strokes it with round joins, which rounds its corners.
void fillRounded(QPainter& p, const QPainterPath& path, const QColor& color, qreal round) {
  p.setBrush(color);
  p.setPen(QPen(color, round, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
  QPainterPath path;
  path.moveTo(a);
  path.lineTo(b);
  path.lineTo(c);
  path.closeSubpath();
  return path;
}

// A tile with a soft vertical gradient and a thin border.
void drawTile(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom,
              const QColor& border) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setBrush(g);
  p.setPen(QPen(border, kScale));
  p.drawRoundedRect(r, radius, radius);
}

// ---- Transport buttons -------------------------------------------------

enum class Glyph { Play, Pause, Stop, Forward, Back };

void drawGlyph(QPainter& p, Glyph glyph, QPointF c, qreal unit, const QColor& color) {
  const qreal round = unit * 0.22;  // corner rounding of the shapes
  switch (glyph) {
    case Glyph::Play: {
      // The centroid of a triangle lies a third of its width from its back.
      const qreal h = unit * 3.0, w = unit * 2.6, left = c.x() - w * 0.4;
      fillRounded(p, triangle({left, c.y() - h / 2}, {left, c.y() + h / 2}, {left + w, c.y()}),
                  color, round);
      break;
    }
    case Glyph::Pause: {
      const qreal h = unit * 3.0, w = unit * 0.95, gap = unit * 0.85;
      p.setPen(Qt::NoPen);
      p.setBrush(color);
      p.drawRoundedRect(QRectF(c.x() - gap / 2 - w, c.y() - h / 2, w, h), round, round);
      p.drawRoundedRect(QRectF(c.x() + gap / 2, c.y() - h / 2, w, h), round, round);
      break;
    }
    case Glyph::Stop: {
      const qreal s = unit * 2.6;
      p.setPen(Qt::NoPen);
      p.setBrush(color);
      p.drawRoundedRect(QRectF(c.x() - s / 2, c.y() - s / 2, s, s), round * 1.4, round * 1.4);
      break;
    }
    case Glyph::Forward:
    case Glyph::Back: {
      const qreal h = unit * 2.6, w = unit * 1.8;
      const qreal dir = glyph == Glyph::Forward ? 1 : -1;
      for (int i = 0; i < 2; ++i) {
        const qreal back = c.x() + dir * (i == 0 ? -w : 0);
        fillRounded(p,
                    triangle({back, c.y() - h / 2}, {back, c.y() + h / 2}, {back + dir * w, c.y()}),
                    color, round);
      }
      break;
    }
  }
}

// Normal: a light tile with a dark glyph. Highlighted: the tile takes the
// button's colour, the glyph turns white and a light ring glows inside.
QImage transportButton(Glyph glyph, bool lit, const QColor& accent) {
  const int size = 36 * kScale;
  QImage image = canvas(size, size, true);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF tile(1.5, 1.5, size - 3, size - 3);
  const qreal radius = 7 * kScale;
  if (lit) {
    drawTile(p, tile, radius, accent.lighter(118), accent.darker(108), accent.darker(135));
    p.setBrush(Qt::NoBrush);
    QColor ring(Qt::white);
    ring.setAlpha(110);
    p.setPen(QPen(ring, kScale));
    p.drawRoundedRect(tile.adjusted(2.5, 2.5, -2.5, -2.5), radius - 2.5, radius - 2.5);
  } else {
    drawTile(p, tile, radius, QColor(0xff, 0xff, 0xff), QColor(0xe9, 0xed, 0xf2), kBorder);
  }
  drawGlyph(p, glyph, tile.center(), size / 9.0, lit ? QColor(Qt::white) : kGlyph);
  return image;
}

void makeTransportButtons() {
  struct Button {
    const char* name;
    Glyph glyph;
    QColor accent;
  };
  const Button buttons[] = {
      {"play", Glyph::Play, QColor(0x1f, 0xa2, 0x55)},
      {"pause", Glyph::Pause, QColor(0xe0, 0x8e, 0x0b)},
      {"stop", Glyph::Stop, QColor(0xd6, 0x3a, 0x3a)},
      {"for", Glyph::Forward, QColor(0x2f, 0x7b, 0xdf)},
      {"bac", Glyph::Back, QColor(0x2f, 0x7b, 0xdf)},
  };
  for (const Button& b : buttons) {
    const QString name = QString::fromLatin1(b.name);
    save(transportButton(b.glyph, false, b.accent), name + QStringLiteral(".jpg"), "JPG");
    save(transportButton(b.glyph, true, b.accent), name + QStringLiteral("2.jpg"), "JPG");
  }
}

// ---- Volume slider -----------------------------------------------------

// A fader cap seen from above: dark, with a white index line across.
QImage knob() {
  const int w = 25 * kScale, h = 13 * kScale;
  QImage image = canvas(w, h, false);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF cap(1, 1, w - 2, h - 2);
  drawTile(p, cap, 2.5 * kScale, QColor(0x5a, 0x68, 0x79), QColor(0x2a, 0x33, 0x3e),
           QColor(0x1b, 0x21, 0x29));
  // Grip lines above and below the index line.
  for (qreal y : {h * 0.27, h * 0.73}) {
    p.setPen(QPen(QColor(0x1b, 0x21, 0x29, 160), 1.5));
    p.drawLine(QPointF(7, y), QPointF(w - 7, y));
    p.setPen(QPen(QColor(0xff, 0xff, 0xff, 50), 1));
    p.drawLine(QPointF(7, y + 1.5), QPointF(w - 7, y + 1.5));
  }
  p.setPen(QPen(QColor(0xf4, 0xf7, 0xfa), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(4, h / 2.0), QPointF(w - 4, h / 2.0));
  return image;
}

// A narrow groove for the knob to run in.
QImage track() {
  const int w = 6 * kScale, h = 80 * kScale;
  QImage image = canvas(w, h, false);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF groove(1.5, 0.75, w - 3, h - 1.5);
  QLinearGradient g(groove.topLeft(), groove.topRight());
  g.setColorAt(0, QColor(0x7c, 0x88, 0x96));
  g.setColorAt(0.5, QColor(0xa9, 0xb4, 0xc1));
  g.setColorAt(1, QColor(0xc8, 0xd0, 0xda));
  p.setBrush(g);
  p.setPen(QPen(QColor(0x6b, 0x77, 0x85), 1.5));
  p.drawRoundedRect(groove, groove.width() / 2, groove.width() / 2);
  p.setPen(QPen(QColor(0x3b, 0x45, 0x51), 1.5));
  p.drawLine(QPointF(w / 2.0, 5), QPointF(w / 2.0, h - 5));
  return image;
}

// ---- Fade buttons ------------------------------------------------------

// A ramp rising (fade in, green) or falling (fade out, red) and one, two or
// three chevrons for slow, normal and fast.
QImage fadeButton(bool in, int chevrons) {
  const int w = 38 * kScale, h = 22 * kScale;
  QImage image = canvas(w, h, false);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF tile(1, 1, w - 2, h - 2);
  drawTile(p, tile, 5 * kScale, QColor(0xff, 0xff, 0xff), QColor(0xe9, 0xed, 0xf2), kBorder);

  const QColor color = in ? QColor(0x1f, 0x9d, 0x52) : QColor(0xd2, 0x3b, 0x3b);
  // The ramp is steeper the faster the fade; a base line shows the full time.
  const qreal top = 8, bottom = h - 8, left = 8, right = 42;
  const qreal run = (right - left) * (chevrons == 3 ? 0.4 : chevrons == 2 ? 0.65 : 1.0);
  const QPainterPath ramp = in ? triangle({right - run, bottom}, {right, bottom}, {right, top})
                               : triangle({left, bottom}, {left, top}, {left + run, bottom});
  QColor fill = color;
  fill.setAlpha(215);
  p.setPen(QPen(fill, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(left, bottom), QPointF(right, bottom));
  fillRounded(p, ramp, fill, 2.5);

  // Chevrons stacked in a column, pointing up for in and down for out.
  const qreal cx = 58, half = 9, rise = 6, pitch = 10;
  const qreal height = rise + (chevrons - 1) * pitch;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(color, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  for (int i = 0; i < chevrons; ++i) {
    const qreal tip = (h - height) / 2 + i * pitch + (in ? 0 : rise);
    const qreal base = in ? tip + rise : tip - rise;
    QPainterPath v;
    v.moveTo(cx - half, base);
    v.lineTo(cx, tip);
    v.lineTo(cx + half, base);
    p.drawPath(v);
  }
  return image;
}

void makeFadeButtons() {
  const struct {
    const char* speed;
    int chevrons;
  } speeds[] = {{"fast", 3}, {"normal", 2}, {"slow", 1}};
  for (const auto& s : speeds) {
    const QString speed = QString::fromLatin1(s.speed) + QStringLiteral(".png");
    save(fadeButton(true, s.chevrons), QStringLiteral("fadein_") + speed, "PNG");
    save(fadeButton(false, s.chevrons), QStringLiteral("fadeout_") + speed, "PNG");
  }
}

// ---- Application icon --------------------------------------------------

// A stage: red curtains drawn open, a spotlight on the floor and a play sign.
QImage appIcon() {
  const int s = 256;
  QImage image = canvas(s, s, false);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF frame(8, 8, s - 16, s - 16);
  QPainterPath clip;
  clip.addRoundedRect(frame, 48, 48);

  QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
  sky.setColorAt(0, QColor(0x1d, 0x27, 0x3d));
  sky.setColorAt(1, QColor(0x0b, 0x10, 0x1c));
  p.fillPath(clip, sky);
  p.setClipPath(clip);

  // Spotlight: a cone from above and a pool of light on the floor.
  QPainterPath cone;
  cone.moveTo(118, 8);
  cone.lineTo(138, 8);
  cone.lineTo(196, 206);
  cone.lineTo(60, 206);
  cone.closeSubpath();
  QLinearGradient beam(128, 8, 128, 206);
  beam.setColorAt(0, QColor(0xff, 0xe6, 0xa0, 150));
  beam.setColorAt(1, QColor(0xff, 0xd8, 0x70, 40));
  p.fillPath(cone, beam);
  p.save();
  p.translate(128, 206);
  p.scale(1, 0.3);
  QRadialGradient pool(QPointF(0, 0), 90);
  pool.setColorAt(0, QColor(0xff, 0xe4, 0x96, 235));
  pool.setColorAt(0.6, QColor(0xff, 0xdc, 0x80, 150));
  pool.setColorAt(1, QColor(0xff, 0xdc, 0x80, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(pool);
  p.drawEllipse(QPointF(0, 0), 90, 90);
  p.restore();

  // Curtains, with folds shaded across.
  for (int side = 0; side < 2; ++side) {
    const qreal dir = side == 0 ? 1 : -1, edge = side == 0 ? 8 : s - 8;
    QPainterPath drape;
    drape.moveTo(edge, 8);
    drape.lineTo(edge + dir * 92, 8);
    drape.cubicTo(edge + dir * 70, 90, edge + dir * 36, 120, edge + dir * 46, 248);
    drape.lineTo(edge, 248);
    drape.closeSubpath();
    QLinearGradient folds(edge, 0, edge + dir * 92, 0);
    for (int i = 0; i <= 6; ++i)
      folds.setColorAt(i / 6.0, i % 2 ? QColor(0xa3, 0x12, 0x25) : QColor(0xd9, 0x2b, 0x3c));
    p.fillPath(drape, folds);
  }
  // Valance across the top.
  QPainterPath valance;
  valance.moveTo(8, 8);
  valance.lineTo(s - 8, 8);
  valance.lineTo(s - 8, 44);
  for (int i = 5; i >= 0; --i) {
    const qreal x0 = 8 + (i + 1) * 40, x1 = 8 + i * 40;
    valance.quadTo((x0 + x1) / 2, 62, x1, 44);
  }
  valance.closeSubpath();
  QLinearGradient vg(0, 8, 0, 60);
  vg.setColorAt(0, QColor(0x8c, 0x0e, 0x1f));
  vg.setColorAt(1, QColor(0xc4, 0x1f, 0x33));
  p.fillPath(valance, vg);
  p.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(valance);

  // Play sign in the light.
  QColor shadow(0, 0, 0, 90);
  fillRounded(p, triangle({108, 106}, {108, 170}, {164, 138}).translated(3, 4), shadow, 10);
  fillRounded(p, triangle({108, 106}, {108, 170}, {164, 138}), QColor(0xff, 0xff, 0xff), 10);

  p.setClipping(false);
  p.setPen(QPen(QColor(0xf2, 0xc1, 0x4e), 4));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(frame.adjusted(2, 2, -2, -2), 46, 46);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing is shown on screen.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures OUTPUT_FOLDER\n");
    return 2;
  }
  gOutput = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(gOutput);
  makeTransportButtons();
  save(knob(), QStringLiteral("knob.png"), "PNG");
  save(track(), QStringLiteral("track.png"), "PNG");
  makeFadeButtons();
  save(appIcon(), QStringLiteral("scenova.png"), "PNG");
  return gFailed ? 1 : 0;
}
