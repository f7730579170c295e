#include "skins.h"

#include <array>

namespace quoterra::skins {

namespace {

// Small-font pictures are for 96-dpi screens, the "LargeFont" ones are drawn
// natively for 120 dpi (1.25 times the pixels, never a scaled bitmap).
constexpr std::array kPictures{
    Picture{":/skins/picDefaultShade.png", 210, 14},
    Picture{":/skins/picDefaultShadeLargeFont.png", 263, 18},
    Picture{":/skins/picDefaultFull.png", 210, 116},
    Picture{":/skins/picDefaultFullLargeFont.png", 263, 145},
    Picture{":/skins/picDefaultWindowShade.png", 10, 10},
    Picture{":/skins/picDefaultWindowShadeLargeFont.png", 13, 13},
    Picture{":/skins/picDefaultWindowFull.png", 10, 10},
    Picture{":/skins/picDefaultWindowFullLargeFont.png", 13, 13},
    Picture{":/skins/picDefaultOptions.png", 10, 10},
    Picture{":/skins/picDefaultOptionsLargeFont.png", 13, 13},
    Picture{":/skins/picDefaultExit.png", 10, 10},
    Picture{":/skins/picDefaultExitLargeFont.png", 13, 13},
    Picture{":/skins/picLargeShade.png", 280, 19},
    Picture{":/skins/picLargeShadeLargeFont.png", 350, 23},
    Picture{":/skins/picLargeFull.png", 280, 155},
    Picture{":/skins/picLargeFullLargeFont.png", 350, 193},
    Picture{":/skins/picLargeWindowShade.png", 13, 13},
    Picture{":/skins/picLargeWindowShadeLargeFont.png", 16, 16},
    Picture{":/skins/picLargeWindowFull.png", 13, 13},
    Picture{":/skins/picLargeWindowFullLargeFont.png", 16, 16},
    Picture{":/skins/picLargeOptions.png", 13, 13},
    Picture{":/skins/picLargeOptionsLargeFont.png", 16, 16},
    Picture{":/skins/picLargeExit.png", 13, 13},
    Picture{":/skins/picLargeExitLargeFont.png", 16, 16},
    Picture{":/skins/picLargeChartBrowser.png", 27, 23},
    Picture{":/skins/picLargeChartBrowserLargeFont.png", 34, 29},
    Picture{":/skins/picLargeSymbolManager.png", 27, 23},
    Picture{":/skins/picLargeSymbolManagerLargeFont.png", 34, 29},
    Picture{":/skins/picChart.png", 20, 17},
    Picture{":/skins/picChartLargeFont.png", 25, 21},
    Picture{":/skins/picSymbolEditor.png", 20, 17},
    Picture{":/skins/picSymbolEditorLargeFont.png", 25, 21},
    Picture{":/charts/picTop.png", 210, 40},
    Picture{":/charts/picLeft.png", 10, 94},
    Picture{":/charts/picRight.png", 9, 94},
    Picture{":/charts/picBottom.png", 210, 10},
    Picture{":/charts/picCharts.png", 191, 94},
    Picture{":/charts/picSymbolUp.png", 74, 15},
    Picture{":/charts/picSymbolDown.png", 74, 15},
    Picture{":/charts/picChartTypeUp.png", 74, 15},
    Picture{":/charts/picChartTypeDown.png", 74, 15},
    Picture{":/charts/picUpdateUp.png", 52, 22},
    Picture{":/charts/picUpdateDown.png", 52, 22},
    Picture{":/about/product.png", 64, 64},
    Picture{":/about/data-service.png", 104, 32},
    Picture{":/icons/quoterra.png", 64, 64},
    Picture{":/icons/drag-row.png", 32, 32},
};

} // namespace

std::span<const Picture> pictures()
{
    return kPictures;
}

const Picture* find(std::string_view path)
{
    for (const Picture& p : kPictures)
        if (p.path == path)
            return &p;
    return nullptr;
}

} // namespace quoterra::skins
