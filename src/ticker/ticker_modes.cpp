#include "ticker.h"

#include "placement/placement.h"

#include "platform/settings.h"

namespace quoterra {

namespace {

bool standardSkin()
{
    return MainSetting(QStringLiteral("Size")) == QLatin1String("Standard");
}

} // namespace

float Ticker::fullHeight() const
{
    return standardSkin() ? picDefaultFull->Height() : 2320.0f;
}

float Ticker::shadeHeight() const
{
    return standardSkin() ? picDefaultShade->Height() : 280.0f;
}

void Ticker::ToggleWindowMode()
{
    const bool standard = standardSkin();
    const float B = float(workAreaTwips().bottom);
    const float F = fullHeight();
    const float S = shadeHeight();
    const float T = Top();

    if (picWindow->Tag == QLatin1String("Shade")) {
        const float leaving = Height();
        if (T + F >= B) {
            rememberedTop = toPositionField(T);
            movedUp = true;
        }
        picWindow->setPicture(standard ? picDefaultWindowFull->Picture() : picLargeWindowFull->Picture());
        if (T + F > B)
            setTop(B - F);
        Form* c = loadedChartBrowser();
        if (c)
            CheckDocking(*this, *c);
        setHeight(F);
        picSkin->setPicture(standard ? picDefaultFull->Picture() : picLargeFull->Picture());
        if (c) {
            placeChartBrowserAfterModeSwitch(leaving);
            CheckDocking(*this, *c);
        }
        picWindow->Tag = QStringLiteral("Full");
        for (Label* l : {Label1, Label2, Label3})
            l->hide();
        return;
    }

    const float leaving = standard ? Height() : picLargeFull->Height();
    picWindow->setPicture(standard ? picDefaultWIndowShade->Picture() : picLargeWindowShade->Picture());
    Form* c = loadedChartBrowser();
    if (c)
        CheckDocking(*this, *c);
    if (T + F >= B)
        setTop(B - S);
    setHeight(S);
    picSkin->setPicture(standard ? picDefaultShade->Picture() : picLargeShade->Picture());
    if (movedUp && B - rememberedTop < F && B - Top() <= F)
        setTop(float(rememberedTop));
    if (c && placement().docked) {
        placeChartBrowserAfterModeSwitch(leaving);
        CheckDocking(*this, *c);
    }
    picWindow->Tag = QStringLiteral("Shade");
    for (Label* l : {Label1, Label2, Label3})
        l->show();
    movedUp = false;
}

// Keeps a docked chart browser joined to the ticker after the ticker changed
// height (`leavingHeight` is its height in the mode it left), and keeps the
// pair, or an undocked chart browser, inside the work area.
void Ticker::placeChartBrowserAfterModeSwitch(float leavingHeight)
{
    Form* c = loadedChartBrowser();
    if (!c)
        return;
    const WorkAreaTwips w = workAreaTwips();
    if (!placement().docked) {
        if (c->Top() + c->Height() > w.bottom)
            c->setTop(w.bottom - c->Height());
        return;
    }
    if (c->Top() > Top())
        c->setTop(Top() + Height());
    if (c->Top() < Top() && c->Top() + c->Height() != Top() + Height()) {
        if (c->Top() + c->Height() == Top() + leavingHeight)
            c->setTop(Top() + Height() - c->Height());
        else
            c->setTop(Top() - c->Height());
    }
    // The stacked pair stays inside the work area, moving together.
    const float lowest = std::max(Top() + Height(), c->Top() + c->Height());
    const float highest = std::min(Top(), c->Top());
    float shift = 0;
    if (lowest > w.bottom)
        shift = w.bottom - lowest;
    else if (highest < w.top)
        shift = w.top - highest;
    if (shift != 0) {
        setTop(Top() + shift);
        c->setTop(c->Top() + shift);
    }
}

} // namespace quoterra
