// CHexEditWidget: the Qt face of CHexEditCtrl. It paints the model's frame off-screen, draws the caret, keeps
// the vertical scroll bar in step and forwards keys, characters, clicks, wheel, scroll-bar and focus events.
#pragma once

#include <QFont>
#include <QFrame>
#include <QPixmap>
#include <cstdint>
#include <functional>

#include "hexview/hex_edit_ctrl.h"

class QScrollBar;

namespace orven::hexview {

class CHexEditWidget : public QFrame {
  Q_OBJECT

 public:
  explicit CHexEditWidget(QWidget* parent = nullptr);

  // The model behind the view. Properties set on it directly take effect at the next Refresh.
  CHexEditCtrl& Ctrl() { return ctrl_; }
  const CHexEditCtrl& Ctrl() const { return ctrl_; }

  // Binds the view to `size` bytes at `data` (borrowed; the caller keeps it alive) and shows them from the top.
  void SetData(uint8_t* buffer, uint32_t size);
  void SetReadOnly(bool readOnly) { ctrl_.SetReadOnly(readOnly); }
  void SetHexAddresses(bool hex);
  // Read-only on the button-face colour while a device operation runs; editable on white afterwards.
  void SetOperationRunning(bool running);
  // Repaints, e.g. after a data file was loaded into the bound buffer.
  void Refresh();
  // Replaces the beep of read-only typing (the platform beep by default).
  void SetBeepHandler(std::function<void()> beep) { beep_ = std::move(beep); }

  // The font actually used for the 8 x 16 cells (the requested face or a monospace stand-in).
  const QFont& CellFont() const { return font_; }
  // Where the model's drawing sits inside the widget (its origin is the model's (0, 0)).
  QRect DrawingRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void OnScrollAction(int action);
  void AfterInput();
  void SyncScrollBar();
  void PaintFrame(QPainter& painter, int width) const;
  void DrawText(QPainter& painter, const DrawOp& op) const;
  void Wheel(const QWheelEvent* e);
  int ScrollBarWidth() const;

  CHexEditCtrl ctrl_;
  QScrollBar* scrollBar_ = nullptr;
  QFont font_;
  int glyphX_ = 0;     // glyph offset inside its 8-pixel cell
  int baseline_ = 0;   // baseline offset inside its 16-pixel cell
  QPixmap offscreen_;
  std::function<void()> beep_;
};

}  // namespace orven::hexview
