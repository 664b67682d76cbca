// The setup dialog's two pictures, painted in code: the banner across the top and the small picture of the
// VELM5 pod beside the download choices.
#pragma once

#include <QPixmap>
#include <QSize>

namespace orven::driverui {

QPixmap BannerBitmap(QSize size);
QPixmap PodBitmap(QSize size);

}  // namespace orven::driverui
