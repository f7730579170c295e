#pragma once

#include <QPixmap>
#include <QString>

namespace quoterra {

// A skin picture by the name of the holder that shows it, e.g.
// "picDefaultShade" or "picDefaultShadeLargeFont". A missing picture is
// an empty pixmap: the window still works, it only shows less.
QPixmap skinPicture(const QString& name);

// The large-font (120 dpi) picture's name for a holder's.
QString largeFontName(const QString& holder);

} // namespace quoterra
