// A picture of a top-level window as it stands on a desktop: the window's contents inside the style's window
// frame, under a title bar with the window's caption and its system buttons. The virtual X server the
// screenshots are taken on runs no window manager, so nobody else draws the frame.
#pragma once

#include <QPixmap>

class QWidget;

namespace orven::driverui {

QPixmap GrabWithFrame(QWidget& window);

}  // namespace orven::driverui
