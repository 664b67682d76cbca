#include "hexview/hex_edit_widget.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>
#include <cmath>

#include "hexview/texts.h"

namespace orven::hexview {
namespace {

constexpr int kEdgeWidth = 2;  // sunken client edge

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

Rgb ToRgb(const QColor& c) {
  return Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

// The largest face of the wanted family (or the monospace face fontconfig substitutes) whose cell fits 8 x 16:
// a line no taller than 16 pixels, narrowed by stretching when its advance passes 8.
QFont MakeCellFont() {
  const double cellW = CHexEditCtrl::kCellWidth;
  const double cellH = CHexEditCtrl::kCellHeight;
  QFont font(QString::fromLatin1(texts::kFontFamily));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setWeight(QFont::Normal);
  font.setKerning(false);
  for (int px = CHexEditCtrl::kCellHeight; px >= 9; --px) {
    font.setPixelSize(px);
    font.setStretch(QFont::Unstretched);
    QFontMetricsF metrics(font);
    if (metrics.ascent() + metrics.descent() > cellH + 0.25) continue;
    const double advance = metrics.horizontalAdvance(QLatin1Char('0'));
    if (advance > cellW + 0.05) {
      font.setStretch(static_cast<int>(std::floor(100.0 * cellW / advance)));
      if (QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')) > cellW + 0.05) continue;
    }
    return font;
  }
  return font;
}

}  // namespace

CHexEditWidget::CHexEditWidget(QWidget* parent)
    : QFrame(parent), font_(MakeCellFont()), beep_([] { QApplication::beep(); }) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kEdgeWidth);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_KeyCompression, false);

  const QFontMetricsF metrics(font_);
  glyphX_ = static_cast<int>(std::lround((CHexEditCtrl::kCellWidth - metrics.horizontalAdvance(QLatin1Char('0'))) / 2));
  baseline_ = static_cast<int>(
      std::lround((CHexEditCtrl::kCellHeight - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent()));

  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  scrollBar_->installEventFilter(this);
  connect(scrollBar_, &QAbstractSlider::actionTriggered, this, &CHexEditWidget::OnScrollAction);

  ctrl_.SetHooks(HexEditHooks{
      .beep = [this] { if (beep_) beep_(); },
      .redraw = [this] { update(); },
      .takeFocus = [this] { setFocus(Qt::MouseFocusReason); },
  });
  SyncScrollBar();
}

void CHexEditWidget::SetData(uint8_t* buffer, uint32_t size) {
  ctrl_.SetData(buffer, size);
  SyncScrollBar();
}

void CHexEditWidget::SetHexAddresses(bool hex) {
  ctrl_.SetHexAddresses(hex);
  update();
}

void CHexEditWidget::SetOperationRunning(bool running) {
  ApplyOperationLook(ctrl_, running, ToRgb(palette().color(QPalette::Active, QPalette::Button)));
}

void CHexEditWidget::Refresh() {
  SyncScrollBar();
  update();
}

int CHexEditWidget::ScrollBarWidth() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

QRect CHexEditWidget::DrawingRect() const {
  const QRect inner = contentsRect();
  const int width = std::max(inner.width() - ScrollBarWidth(), 0);
  return QRect(inner.left(), inner.top(), width, CHexEditCtrl::kDrawHeight);
}

QSize CHexEditWidget::sizeHint() const {
  const int drawingWidth = CHexEditCtrl::kHexRight + 1;
  return QSize(drawingWidth + ScrollBarWidth() + 2 * frameWidth(), CHexEditCtrl::kDrawHeight + 2 * frameWidth());
}

void CHexEditWidget::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  const QRect inner = contentsRect();
  const int width = ScrollBarWidth();
  scrollBar_->setGeometry(inner.right() + 1 - width, inner.top(), width, inner.height());
}

void CHexEditWidget::SyncScrollBar() {
  const ScrollBarState& state = ctrl_.ScrollBar();
  const QSignalBlocker block(scrollBar_);
  // Qt counts thumb positions where the platform counts a range and a page.
  scrollBar_->setRange(state.min, std::max(state.min, state.max - state.page + 1));
  scrollBar_->setPageStep(state.page);
  scrollBar_->setSingleStep(1);
  scrollBar_->setSliderPosition(state.pos);
  scrollBar_->setValue(state.pos);
  scrollBar_->setEnabled(state.enabled);
}

void CHexEditWidget::OnScrollAction(int action) {
  ScrollRequest request = ScrollRequest::kOther;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: request = ScrollRequest::kLineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: request = ScrollRequest::kLineDown; break;
    case QAbstractSlider::SliderPageStepSub: request = ScrollRequest::kPageUp; break;
    case QAbstractSlider::SliderPageStepAdd: request = ScrollRequest::kPageDown; break;
    case QAbstractSlider::SliderMove: request = ScrollRequest::kThumbTrack; break;
    default: break;
  }
  ctrl_.OnVScroll(request, scrollBar_->sliderPosition());
  // The slider applies the action after this signal; leave it where the model put the view.
  const QSignalBlocker block(scrollBar_);
  scrollBar_->setSliderPosition(ctrl_.ScrollBar().pos);
  update();
}

void CHexEditWidget::AfterInput() {
  SyncScrollBar();
  update();  // the caret is drawn with the frame, so any caret move repaints
}

bool CHexEditWidget::event(QEvent* e) {
  // Tab and Backtab switch between hex and character entry instead of moving the focus on.
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QFrame::event(e);
}

bool CHexEditWidget::eventFilter(QObject* watched, QEvent* e) {
  // A wheel turned over the scroll bar moves the view one row per notch, as over the bytes.
  if (watched == scrollBar_ && e->type() == QEvent::Wheel) {
    Wheel(static_cast<QWheelEvent*>(e));
    return true;
  }
  return QFrame::eventFilter(watched, e);
}

void CHexEditWidget::keyPressEvent(QKeyEvent* e) {
  Key key = Key::kOther;
  switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: key = Key::kTab; break;
    case Qt::Key_PageUp: key = Key::kPageUp; break;
    case Qt::Key_PageDown: key = Key::kPageDown; break;
    case Qt::Key_End: key = Key::kEnd; break;
    case Qt::Key_Home: key = Key::kHome; break;
    case Qt::Key_Left: key = Key::kLeft; break;
    case Qt::Key_Right: key = Key::kRight; break;
    case Qt::Key_Up: key = Key::kUp; break;
    case Qt::Key_Down: key = Key::kDown; break;
    default: break;
  }
  // Every key press is a key-down; the characters it types follow, as the platform's key messages do.
  ctrl_.OnKeyDown(key);
  for (const char32_t ch : e->text().toUcs4()) ctrl_.OnChar(static_cast<uint32_t>(ch));
  AfterInput();
  e->accept();
}

void CHexEditWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint at = e->position().toPoint() - DrawingRect().topLeft();
  ctrl_.OnLButtonDown(at.x(), at.y());
  AfterInput();
}

void CHexEditWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a double click does nothing.
  e->accept();
}

void CHexEditWidget::Wheel(const QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  if (delta == 0) return;  // a sideways wheel
  ctrl_.OnMouseWheel(delta);
  AfterInput();
}

void CHexEditWidget::wheelEvent(QWheelEvent* e) {
  Wheel(e);
  e->accept();
}

void CHexEditWidget::focusInEvent(QFocusEvent* e) {
  QFrame::focusInEvent(e);
  ctrl_.OnSetFocus();
  AfterInput();
}

void CHexEditWidget::focusOutEvent(QFocusEvent* e) {
  QFrame::focusOutEvent(e);
  ctrl_.OnKillFocus();
  update();
}

void CHexEditWidget::DrawText(QPainter& painter, const DrawOp& op) const {
  const int count = static_cast<int>(op.text.size());
  painter.fillRect(QRect(op.x, op.y, count * CHexEditCtrl::kCellWidth, CHexEditCtrl::kCellHeight), ToQColor(op.bg));
  painter.setPen(ToQColor(op.fg));
  // One glyph per cell keeps the columns on the 8-pixel grid whatever the face's fractional advance.
  for (int i = 0; i < count; ++i) {
    const char ch = op.text[static_cast<size_t>(i)];
    if (ch == ' ') continue;
    painter.drawText(QPoint(op.x + i * CHexEditCtrl::kCellWidth + glyphX_, op.y + baseline_),
                     QString(QLatin1Char(ch)));
  }
}

void CHexEditWidget::PaintFrame(QPainter& painter, int width) const {
  painter.setFont(font_);
  for (const DrawOp& op : ctrl_.BuildFrame(width)) {
    switch (op.kind) {
      case DrawOp::Kind::kFill: painter.fillRect(QRect(op.x, op.y, op.w, op.h), ToQColor(op.bg)); break;
      case DrawOp::Kind::kText: DrawText(painter, op); break;
      case DrawOp::Kind::kLine:
        // Lines are axis-parallel and one pixel wide: a filled rectangle hits exactly the pixels meant.
        painter.fillRect(QRect(QPoint(op.x, op.y), QPoint(op.x2, op.y2)), ToQColor(op.fg));
        break;
    }
  }
}

void CHexEditWidget::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);  // the sunken edge
  const QRect area = DrawingRect();
  if (area.width() <= 0) return;

  QPainter painter(this);
  const QRect inner = contentsRect();
  if (inner.bottom() > area.bottom()) {
    painter.fillRect(QRect(area.left(), area.bottom() + 1, area.width(), inner.bottom() - area.bottom()), Qt::white);
  }

  const qreal ratio = devicePixelRatioF();
  const QSize pixels(static_cast<int>(std::ceil(area.width() * ratio)),
                     static_cast<int>(std::ceil(area.height() * ratio)));
  if (offscreen_.size() != pixels) {
    offscreen_ = QPixmap(pixels);
    offscreen_.setDevicePixelRatio(ratio);
  }
  {
    QPainter off(&offscreen_);
    PaintFrame(off, area.width());
  }
  painter.setClipRect(area.intersected(inner));
  painter.drawPixmap(area.topLeft(), offscreen_);

  const CaretState& caret = ctrl_.Caret();
  if (caret.exists) {
    // A solid block caret that inverts what it covers.
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(QRect(area.left() + caret.x, area.top() + caret.y, CHexEditCtrl::kCellWidth,
                           CHexEditCtrl::kCellHeight),
                     Qt::black);
  }
}

}  // namespace orven::hexview
