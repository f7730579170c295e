#include "ticker.h"

#include "app/context/application.h"
#include "ui/controls.h"

namespace quoterra {

void Ticker::toggleWindowMode()
{
    const bool standard = standardSkinNow();
    const SkinPictures& sized = standard ? standard_ : largeSkin();
    const RectTwips placed = pair_.switchWindowMode(mode_, fullHeight(standard), shadeHeight(standard));

    const bool toFull = mode_ == WindowMode::Shade;
    picWindow->setPicture(toFull ? sized.modeButtonFull : sized.modeButtonShade);
    setGeometryTwips(leftTwips(), placed.top, widthTwips(), placed.height);
    picSkin->setPicture(toFull ? sized.fullFace : sized.shadeFace);
    mode_ = toFull ? WindowMode::Full : WindowMode::Shade;
    for (Label* l : {lblCompactSymbol, lblCompactPrice, lblCompactChange})
        l->setVisible(!toFull);
}

} // namespace quoterra
