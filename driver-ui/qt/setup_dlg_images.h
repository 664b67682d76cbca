// The setup dialog's two pictures: the banner across the top and the chip beside the download choices. They
// are the bitmaps of driver-ui/art/, the same files the Win32 dialog resource carries, built into the library
// as Qt resources; each is stretched to its control as a Win32 picture control with a real-size bitmap is.
#pragma once

#include <QPixmap>
#include <QSize>

namespace orven::driverui {

QPixmap BannerBitmap(QSize size);
QPixmap ChipBitmap(QSize size);

}  // namespace orven::driverui
