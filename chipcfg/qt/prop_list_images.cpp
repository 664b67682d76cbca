#include "chipcfg/qt/prop_list_images.h"

#include <QPainter>
#include <QPainterPath>

namespace orven::chipcfg {
namespace {

QPixmap Blank(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A round white button with two chevrons, pointing up (the category is open and can be closed) or down.
QPixmap Glyph(bool expanded) {
  QPixmap pixmap = Blank(22, 20);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x5A, 0x75, 0xA8), 1));
  p.setBrush(QColor(0xFA, 0xFC, 0xFF));
  p.drawEllipse(QRectF(3.5, 2.5, 15, 15));
  p.setPen(QPen(QColor(0x21, 0x42, 0x84), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const double dir = expanded ? -1.0 : 1.0;
  for (double y : {7.5, 11.5}) {
    const double tip = y + dir * 1.8;
    const double base = y - dir * 1.8;
    QPainterPath chevron;
    chevron.moveTo(7.5, base);
    chevron.lineTo(11.0, tip);
    chevron.lineTo(14.5, base);
    p.drawPath(chevron);
  }
  return pixmap;
}

QPixmap RoundIcon(const QColor& fill, const QColor& edge, bool check) {
  QPixmap pixmap = Blank(24, 24);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient gradient(QPointF(9, 8), 14);
  gradient.setColorAt(0, fill.lighter(150));
  gradient.setColorAt(1, fill);
  p.setPen(QPen(edge, 1));
  p.setBrush(gradient);
  p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
  p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  if (check) {
    QPainterPath mark;
    mark.moveTo(7, 12.5);
    mark.lineTo(10.5, 16);
    mark.lineTo(17, 8.5);
    p.drawPath(mark);
  } else {
    p.drawLine(QPointF(8, 8), QPointF(16, 16));
    p.drawLine(QPointF(16, 8), QPointF(8, 16));
  }
  return pixmap;
}

}  // namespace

QPixmap CategoryMarkImage() {
  // A small raised diamond, centred on the 20-pixel band.
  QPixmap pixmap = Blank(16, 20);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPolygonF diamond({QPointF(8, 5), QPointF(13, 10), QPointF(8, 15), QPointF(3, 10)});
  p.setPen(QPen(QColor(0x1F, 0x3A, 0x70), 1));
  p.setBrush(QColor(0xF2, 0xF5, 0xFB));
  p.drawPolygon(diamond);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3B, 0x5F, 0xA5));
  p.drawPolygon(QPolygonF({QPointF(8, 7.5), QPointF(10.5, 10), QPointF(8, 12.5), QPointF(5.5, 10)}));
  return pixmap;
}

QPixmap ExpandedGlyphImage() { return Glyph(true); }

QPixmap CollapsedGlyphImage() { return Glyph(false); }

QIcon OkIcon() { return QIcon(RoundIcon(QColor(0x2E, 0x9B, 0x3A), QColor(0x1C, 0x6B, 0x25), true)); }

QIcon CancelIcon() { return QIcon(RoundIcon(QColor(0xD2, 0x3A, 0x2E), QColor(0x92, 0x22, 0x1A), false)); }

}  // namespace orven::chipcfg
