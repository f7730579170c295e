#include "skin_pictures.h"

#include <QHash>

namespace quoterra {

QPixmap skinPicture(const QString& name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    const QPixmap picture(QStringLiteral(":/skins/") + name + QStringLiteral(".png"));
    cache.insert(name, picture);
    return picture;
}

QString largeFontName(const QString& holder)
{
    // One holder's name is spelt "WIndow"; its large-font picture is not.
    QString base = holder;
    base.replace(QLatin1String("WIndow"), QLatin1String("Window"));
    return base + QStringLiteral("LargeFont");
}

} // namespace quoterra
