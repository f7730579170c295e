#include "skin.h"

namespace quoterra {

namespace {

SkinPictures load(const QString& prefix, const QString& chartBrowser, const QString& symbolManager, bool largeFonts)
{
    const QString size = largeFonts ? QStringLiteral("LargeFont") : QString();
    const auto picture = [&](const QString& name) {
        return QPixmap(QStringLiteral(":/skins/") + name + size + QStringLiteral(".png"));
    };
    return SkinPictures{picture(prefix + QStringLiteral("Shade")),
                        picture(prefix + QStringLiteral("Full")),
                        picture(prefix + QStringLiteral("WindowShade")),
                        picture(prefix + QStringLiteral("WindowFull")),
                        picture(prefix + QStringLiteral("Options")),
                        picture(prefix + QStringLiteral("Exit")),
                        picture(chartBrowser),
                        picture(symbolManager)};
}

} // namespace

SkinPictures SkinPictures::standard(bool largeFonts)
{
    return load(QStringLiteral("picDefault"), QStringLiteral("picChart"), QStringLiteral("picSymbolEditor"),
                largeFonts);
}

SkinPictures SkinPictures::large(bool largeFonts)
{
    return load(QStringLiteral("picLarge"), QStringLiteral("picLargeChartBrowser"),
                QStringLiteral("picLargeSymbolManager"), largeFonts);
}

} // namespace quoterra
