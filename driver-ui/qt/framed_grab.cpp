#include "driver-ui/qt/framed_grab.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionTitleBar>
#include <QWidget>

namespace orven::driverui {

QPixmap GrabWithFrame(QWidget& window) {
  const QPixmap contents = window.grab();
  QStyle* style = window.style();

  QStyleOptionTitleBar title;
  title.initFrom(&window);
  title.text = window.windowTitle();
  title.icon = window.windowIcon();
  title.state |= QStyle::State_Active;
  title.titleBarState = Qt::WindowActive;
  title.titleBarFlags = window.windowFlags() | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  // A modal dialog's title bar carries no icon, only the caption and the close button.
  title.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
  title.activeSubControls = QStyle::SC_None;
  const int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &title, &window);
  const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);

  // Contents, title and frame are laid out in the window's own (logical) pixels.
  const qreal ratio = contents.devicePixelRatio();
  const QSize inner = contents.deviceIndependentSize().toSize();
  const QSize outer(inner.width() + 2 * border, inner.height() + titleHeight + border);
  QPixmap framed(outer * ratio);
  framed.setDevicePixelRatio(ratio);
  framed.fill(window.palette().color(QPalette::Window));

  QPainter painter(&framed);
  painter.setFont(window.font());
  QStyleOptionFrame frame;
  frame.initFrom(&window);
  frame.state |= QStyle::State_Active;
  frame.rect = QRect(QPoint(0, 0), outer);
  frame.lineWidth = border;
  style->drawPrimitive(QStyle::PE_FrameWindow, &frame, &painter, &window);
  title.rect = QRect(0, 0, outer.width(), titleHeight);
  style->drawComplexControl(QStyle::CC_TitleBar, &title, &painter, &window);
  painter.drawPixmap(border, titleHeight, contents);
  return framed;
}

}  // namespace orven::driverui
