#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quoterra {

// Files made on Windows store text in Windows-1252, one byte a character.
// Characters the code page lacks are written as '?'.
QByteArray toWindows1252(const QString& text);
QString fromWindows1252(QByteArrayView bytes);

} // namespace quoterra
