#include "toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace scenova::ui {

namespace {

// The ink on a light toolbar and on a dark one (a dark desktop palette).
// The command cue's brackets are the blue of command cues in the script.
struct Ink {
  QColor line, accent, cue;
};
const Ink kOnLight{QColor(0x33, 0x3d, 0x4a), QColor(0x1e, 0x6f, 0xd9), QColor(0, 0, 255)};
const Ink kOnDark{QColor(0xe4, 0xe9, 0xef), QColor(0x6c, 0xa8, 0xff), QColor(0x9a, 0xbc, 0xff)};

void lines(QPainter& p, int align) {
  // Four text lines of alternating length, aligned left (0), centre (2) or
  // right (1).
  const int widths[] = {16, 10, 16, 12};
  for (int i = 0; i < 4; ++i) {
    const int w = widths[i];
    const int x = align == 0 ? 4 : align == 1 ? 20 - w : 12 - w / 2;
    p.drawLine(QPointF(x, 6 + i * 4), QPointF(x + w, 6 + i * 4));
  }
}

void page(QPainter& p) {
  QPainterPath path;
  path.moveTo(6, 3);
  path.lineTo(14, 3);
  path.lineTo(19, 8);
  path.lineTo(19, 21);
  path.lineTo(6, 21);
  path.closeSubpath();
  p.drawPath(path);
  p.drawLine(QPointF(14, 3), QPointF(14, 8));
  p.drawLine(QPointF(14, 8), QPointF(19, 8));
}

void draw(QPainter& p, int index, const Ink& ink) {
  QPen pen(ink.line, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  QFont f = p.font();
  switch (index) {
    case 0:
      page(p);
      break;
    case 1:  // folder
      p.drawRoundedRect(QRectF(3, 7, 18, 12), 1.5, 1.5);
      p.drawLine(QPointF(3, 7), QPointF(5, 4));
      p.drawLine(QPointF(5, 4), QPointF(10, 4));
      p.drawLine(QPointF(10, 4), QPointF(11, 7));
      break;
    case 2:  // floppy
      p.drawRoundedRect(QRectF(4, 4, 16, 16), 1.5, 1.5);
      p.drawRect(QRectF(8, 4, 8, 5));
      p.drawRect(QRectF(7, 13, 10, 7));
      break;
    case 3:  // printer
      p.drawRect(QRectF(7, 3, 10, 6));
      p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
      p.drawRect(QRectF(7, 14, 10, 7));
      break;
    case 8:
      lines(p, 0);
      break;
    case 9:
      lines(p, 2);
      break;
    case 10:
      lines(p, 1);
      break;
    case 11:
    case 12:
      f.setPixelSize(14);
      f.setBold(true);
      p.setFont(f);
      p.drawText(QRectF(1, 3, 15, 18), Qt::AlignCenter, QStringLiteral("A"));
      p.setPen(QPen(ink.accent, 2.0, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(15, 8), QPointF(22, 8));
      if (index == 11) p.drawLine(QPointF(18.5, 4.5), QPointF(18.5, 11.5));
      break;
    case 13: {  // colour
      f.setPixelSize(15);
      f.setBold(true);
      p.setFont(f);
      p.drawText(QRectF(2, 0, 20, 18), Qt::AlignCenter, QStringLiteral("A"));
      p.fillRect(QRectF(4, 18, 16, 4), QColor(0xd9, 0x2b, 0x2b));
      break;
    }
    case 14:  // bullets
      for (int i = 0; i < 3; ++i) {
        p.setBrush(ink.line);
        p.drawEllipse(QPointF(5, 6 + i * 6), 1.3, 1.3);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(9, 6 + i * 6), QPointF(21, 6 + i * 6));
      }
      break;
    case 15: {  // media file: a note with a plus
      p.setBrush(ink.line);
      p.drawEllipse(QPointF(7, 17), 3, 2.4);
      p.setBrush(Qt::NoBrush);
      p.drawLine(QPointF(10, 17), QPointF(10, 4));
      p.drawLine(QPointF(10, 4), QPointF(15, 6));
      p.setPen(QPen(ink.accent, 2.0, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(15, 16), QPointF(22, 16));
      p.drawLine(QPointF(18.5, 12.5), QPointF(18.5, 19.5));
      break;
    }
    case 16:  // command cue
      f.setPixelSize(11);
      f.setBold(true);
      p.setFont(f);
      p.setPen(QPen(ink.cue));
      p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("[[ ]]"));
      break;
    default:
      break;
  }
}

}  // namespace

QPixmap toolbarIcon(int index, int size, qreal dpr, bool onDark) {
  QPixmap pm(QSize(size, size) * dpr);
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(size / 24.0, size / 24.0);
  draw(p, index, onDark ? kOnDark : kOnLight);
  return pm;
}

}  // namespace scenova::ui
