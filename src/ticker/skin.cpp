#include "skin.h"

#include "ui/controls.h"

namespace quoterra {

namespace {

SkinPictures load(const QString& prefix, const QString& chartBrowser, const QString& symbolManager,
                  const Screen& screen)
{
    const QString size = screen.dpiX() == 120 ? QStringLiteral("LargeFont") : QString();
    const auto picture = [&](const QString& name) {
        return designPicture(screen, QStringLiteral(":/skins/") + name + size + QStringLiteral(".png"));
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

SkinPictures SkinPictures::standard(const Screen& screen)
{
    return load(QStringLiteral("picDefault"), QStringLiteral("picChart"), QStringLiteral("picSymbolEditor"), screen);
}

SkinPictures SkinPictures::large(const Screen& screen)
{
    return load(QStringLiteral("picLarge"), QStringLiteral("picLargeChartBrowser"),
                QStringLiteral("picLargeSymbolManager"), screen);
}

} // namespace quoterra
