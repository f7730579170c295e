#include "ticker.h"

#include "app/context/application.h"
#include "ui/controls.h"

namespace quoterra {

void Ticker::ToggleWindowMode()
{
    const bool standard = standardSkinNow();
    const SkinPictures& sized = standard ? standard_ : largeSkin();
    ChartWindow* c = chartBrowser();
    const std::optional<RectTwips> chart = c ? std::optional(rectOf(*c)) : std::nullopt;
    const ModeSwitch change{mode_, fullHeight(standard), shadeHeight(standard), workAreaTwips(app_.screen())};
    const Pair placed = SwitchWindowMode(placement_, modeMemory_, change, rectOf(*this), chart);

    const bool toFull = mode_ == WindowMode::Shade;
    picWindow->setPicture(toFull ? sized.modeButtonFull : sized.modeButtonShade);
    setGeometryTwips(leftTwips(), placed.ticker.top, widthTwips(), placed.ticker.height);
    picSkin->setPicture(toFull ? sized.fullFace : sized.shadeFace);
    if (c)
        c->moveTwips(c->leftTwips(), placed.chart.top);
    mode_ = toFull ? WindowMode::Full : WindowMode::Shade;
    for (Label* l : {lblCompactSymbol, lblCompactPrice, lblCompactChange})
        l->setVisible(!toFull);
}

} // namespace quoterra
