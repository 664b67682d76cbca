#include "driver-ui/qt/setup_dlg_images.h"

#include <QString>

// The resource file is compiled into this static library; naming its initialiser keeps the linker from
// dropping it from the programs that link the view. Q_INIT_RESOURCE works only outside a namespace.
static void InitSetupDialogArt() { Q_INIT_RESOURCE(setup_dlg_art); }

namespace orven::driverui {
namespace {

QPixmap Stretched(const QString& resource, QSize size) {
  static const bool initialised = (InitSetupDialogArt(), true);
  (void)initialised;
  const QPixmap bitmap(resource);
  if (bitmap.isNull() || bitmap.size() == size) return bitmap;
  return bitmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QPixmap BannerBitmap(QSize size) { return Stretched(QStringLiteral(":/orvend/banner.bmp"), size); }

QPixmap ChipBitmap(QSize size) { return Stretched(QStringLiteral(":/orvend/chip.bmp"), size); }

}  // namespace orven::driverui
