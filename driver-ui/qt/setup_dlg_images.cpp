#include "driver-ui/qt/setup_dlg_images.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orven::driverui {
namespace {

// A 40-pin chip seen from above: dark body, notch, a row of pins along the top and bottom edges.
void DrawChip(QPainter& p, const QRectF& body, int pinsPerSide) {
  const qreal pitch = body.width() / pinsPerSide;
  const qreal pinWidth = pitch * 0.5;
  const qreal pinLength = body.height() * 0.18;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC8, 0xCE, 0xD6));
  for (int i = 0; i < pinsPerSide; ++i) {
    const qreal x = body.left() + pitch * (i + 0.25);
    p.drawRect(QRectF(x, body.top() - pinLength, pinWidth, pinLength));
    p.drawRect(QRectF(x, body.bottom(), pinWidth, pinLength));
  }
  p.setBrush(QColor(0x22, 0x26, 0x2C));
  p.drawRoundedRect(body, 2, 2);
  p.setBrush(QColor(0x3A, 0x40, 0x48));
  const qreal notch = body.height() * 0.22;
  p.drawEllipse(QPointF(body.left(), body.center().y()), notch, notch);
}

}  // namespace

QPixmap BannerBitmap(QSize size) {
  QPixmap pixmap(size);
  const qreal w = size.width();
  const qreal h = size.height();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, w, h);
  sky.setColorAt(0.0, QColor(0x0B, 0x2A, 0x4A));
  sky.setColorAt(0.6, QColor(0x10, 0x4E, 0x6E));
  sky.setColorAt(1.0, QColor(0x16, 0x6F, 0x7A));
  p.fillRect(pixmap.rect(), sky);

  // Board traces running into the chip on the right.
  const QRectF chip(w * 0.68, h * 0.34, w * 0.22, h * 0.34);
  QPen trace(QColor(0x5F, 0xC8, 0xC0, 110), qMax<qreal>(1.0, h / 40));
  p.setPen(trace);
  for (int i = 0; i < 5; ++i) {
    const qreal y = h * (0.18 + 0.16 * i);
    QPainterPath path(QPointF(w * 0.42, y));
    path.lineTo(w * 0.55 + i * w * 0.012, y);
    path.lineTo(w * 0.62, chip.center().y() + (i - 2) * chip.height() * 0.22);
    path.lineTo(chip.left(), chip.center().y() + (i - 2) * chip.height() * 0.22);
    p.drawPath(path);
    p.setBrush(QColor(0x5F, 0xC8, 0xC0, 150));
    p.drawEllipse(QPointF(w * 0.42, y), h / 28, h / 28);
    p.setBrush(Qt::NoBrush);
  }
  DrawChip(p, chip, 10);

  // Word mark and line.
  QFont mark;
  mark.setBold(true);
  mark.setPixelSize(qMax(8, static_cast<int>(h * 0.46)));
  mark.setLetterSpacing(QFont::PercentageSpacing, 112);
  p.setFont(mark);
  p.setPen(Qt::white);
  p.drawText(QRectF(w * 0.04, h * 0.06, w * 0.5, h * 0.6), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("ORVEN"));
  // The line under the mark shrinks until it ends before the traces start.
  const QString subtitle = QStringLiteral("8051 ICE / Programmer");
  QFont line;
  int pixels = qMax(6, static_cast<int>(h * 0.2));
  line.setPixelSize(pixels);
  while (pixels > 6 && QFontMetricsF(line).horizontalAdvance(subtitle) > w * 0.36) line.setPixelSize(--pixels);
  p.setFont(line);
  p.setPen(QColor(0xA8, 0xE6, 0xE0));
  p.drawText(QRectF(w * 0.045, h * 0.62, w * 0.4, h * 0.3), Qt::AlignLeft | Qt::AlignVCenter, subtitle);

  // Accent rule along the bottom edge.
  p.fillRect(QRectF(0, h - qMax<qreal>(2, h / 22), w, qMax<qreal>(2, h / 22)), QColor(0xF2, 0x9A, 0x2E));
  return pixmap;
}

QPixmap PodBitmap(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  const qreal w = size.width();
  const qreal h = size.height();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  // The pod's board with its ribbon cable leaving at the top.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x9A, 0xA3, 0xAD));
  p.drawRect(QRectF(w * 0.38, 0, w * 0.24, h * 0.2));
  p.setBrush(QColor(0x1F, 0x7A, 0x4A));
  const QRectF board(w * 0.06, h * 0.16, w * 0.88, h * 0.8);
  p.drawRoundedRect(board, w * 0.08, w * 0.08);

  // The 8051 sitting in the socket, and the power LED.
  DrawChip(p, QRectF(w * 0.2, h * 0.44, w * 0.6, h * 0.3), 6);
  p.setBrush(QColor(0xFF, 0x4A, 0x3A));
  p.drawEllipse(QPointF(w * 0.8, h * 0.27), w * 0.06, w * 0.06);
  return pixmap;
}

}  // namespace orven::driverui
