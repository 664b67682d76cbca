// The property list's and the editor dialog's images, drawn at start-up rather than loaded: the category mark
// (16 x 20), the expanded and collapsed glyphs (22 x 20) and the OK and Cancel icons (24 x 24).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace orven::chipcfg {

QPixmap CategoryMarkImage();
QPixmap ExpandedGlyphImage();
QPixmap CollapsedGlyphImage();
QIcon OkIcon();
QIcon CancelIcon();

}  // namespace orven::chipcfg
