#include "ticker.h"

#include "app/context/application.h"
#include "core/numbers.h"
#include "core/transfer.h"
#include "resizer/resizer.h"
#include "ui/controls.h"

#include <QDir>

namespace quoterra {

bool Ticker::standardSkinNow() const
{
    return app_.settings().skinSize() == SkinSize::Standard;
}

float Ticker::fullHeight(bool standardSkin) const
{
    return standardSkin ? app_.screen().twipsY(standard_.fullFace.deviceIndependentSize().height()) : 2320.0f;
}

float Ticker::shadeHeight(bool standardSkin) const
{
    return standardSkin ? app_.screen().twipsY(standard_.shadeFace.deviceIndependentSize().height()) : 280.0f;
}

float Ticker::standardShadeHeight() const
{
    return app_.screen().twipsY(standard_.shadeFace.deviceIndependentSize().height()) * largeFactor_;
}

float Ticker::standardFullHeight() const
{
    return app_.screen().twipsY(standard_.fullFace.deviceIndependentSize().height()) * largeFactor_;
}

void Ticker::growToLargeSkin()
{
    Resizer resizer;
    // The controls of the window, in the order they were made.
    std::vector<TwipsPlacement*> controls;
    for (QObject* child : children()) {
        if (auto* control = dynamic_cast<TwipsPlacement*>(child))
            controls.push_back(control);
    }
    auto layout = [&] {
        WindowLayout l{widthTwips(), heightTwips(), {}};
        for (TwipsPlacement* c : controls)
            l.controls.push_back({dynamic_cast<QObject*>(c)->objectName(), c->leftTwips(), c->topTwips(),
                                  c->widthTwips(), c->heightTwips()});
        return l;
    };
    WindowLayout recorded = layout();
    resizer.Resize(&recorded);
    setWidthTwips(widthTwips() * 4 / 3);
    setHeightTwips(heightTwips() * 4 / 3);
    // With a window recorded, the resize cannot fail.
    WindowLayout grown = layout();
    resizer.Resize(&grown);
    for (size_t i = 0; i < controls.size(); ++i) {
        const auto& g = grown.controls[i];
        controls[i]->setGeometryTwips(g.left, g.top, g.width, g.height);
    }
    largeFactor_ = resizer.heightFactor();

    const SkinPictures& large = largeSkin();
    picOptions->setPicture(large.options);
    picExit->setPicture(large.exit);
    picChart->setPicture(large.chartBrowser);
    picSymbolEditor->setPicture(large.symbolManager);
    for (Label* l : {lblCurrentStock, lblLastPrice, lblChange, lblOpenPrice, lblDailyHigh, lblDailyLow, lblVolume,
                     qCurrentStock, qLastPrice, qChange, qOpenPrice, qDailyHigh, qDailyLow, qVolume})
        l->setFontSize(11);
    lblCompactSymbol->setTopTwips(15);
    lblCompactPrice->setTopTwips(30);
    lblCompactChange->setTopTwips(30);
    lblCompactSymbol->setFontSize(11);
    lblCompactPrice->setFontSize(10);
    lblCompactChange->setFontSize(10);
    if (app_.screen().dpiX() == 120) {
        for (PictureBox* button : {picExit, picWindow, picOptions})
            button->setTopTwips(50);
    }
    const bool shade = mode_ == WindowMode::Shade;
    picWindow->setPicture(shade ? large.modeButtonShade : large.modeButtonFull);
    picSkin->setPicture(shade ? large.shadeFace : large.fullFace);
}

void Ticker::onLoad()
{
    refreshTimer_->stop();
    QDir::setCurrent(app_.applicationDirectory());
    QPointer<Ticker> self(this);
    app_.LoadSymbolFile(cycle_.cursor, this);
    // An end asked for while a file error was on show.
    if (!self || !isLoaded())
        return;
    loaded_ = LoadStage::ListOpened;
    pair_.setTicker(this);
    setBorderless(true);
    Settings& s = app_.settings();
    moveTwips(float(s.tickerLeft()), float(s.tickerTop()));
    loaded_ = LoadStage::Placed;

    const Screen& screen = app_.screen();
    if (screen.dpiX() == 120) {
        for (Label* l : {lblCompactSymbol, lblCompactPrice, lblCompactChange})
            l->setTopTwips(15);
    }
    mode_ = s.windowMode();
    loaded_ = LoadStage::ModeKnown;
    const SkinSize size = s.skinSize();
    const SkinPictures& sized = size == SkinSize::Standard ? standard_ : largeSkin();
    setHeightTwips(screen.twipsY((mode_ == WindowMode::Shade ? sized.shadeFace : sized.fullFace).deviceIndependentSize().height()));
    setWidthTwips(picSkin->widthTwips());
    if (mode_ == WindowMode::Full) {
        for (Label* l : {lblCompactSymbol, lblCompactPrice, lblCompactChange})
            l->hide();
    }
    ApplyStandardSkin();
    setWidthTwips(picSkin->widthTwips());
    const RectTwips kept = KeepInWorkArea(placeTwips(), workAreaTwips(screen));
    moveTwips(kept.left, kept.top);

    refresh_.paused = false;
    refresh_.Interval = s.interval();
    const float strip = screen.twipsY(standard_.shadeFace.deviceIndependentSize().height());
    for (PictureBox* button : {picOptions, picWindow, picExit})
        button->setTopTwips((strip - button->heightTwips()) / 2);
    if (size == SkinSize::Large)
        growToLargeSkin();
    setHeightTwips(picSkin->heightTwips());

    pair_.setDocked(s.docked());
    loaded_ = LoadStage::DockedKnown;
    app_.AlwaysOnTop(*this);
    notOnTop_ = !s.alwaysOnTop();
    loaded_ = LoadStage::OnTopKnown;
    inetQuotes->setRequestTimeout(s.timeout());
    if (s.chartStartUp())
        chartBrowser_.loadAndShow();
    if (!self || !isLoaded())
        return;
    loaded_ = LoadStage::ChartsRestored;
    pair_.checkDocking();

    // The list's first symbol is shown, and asked for, at once.
    const bool empty = cycle_.cursor.EntryCount <= 0;
    if (!empty && !cycle_.cursor.CurrentSymbol.isEmpty()) {
        cycle_.hold = true;
        cycle_.AdvanceSymbol();
        cycle_.BuildQuoteRequest(app_.hosts().quotes);
    }
    showView();
    loadAndShow();

    if (empty) {
        cycle_.showNothing();
    } else {
        fetchQuote();
        if (!self || !isLoaded())
            return;
        cycle_.AdvanceSymbol();
    }
    showView();
    refreshTimer_->start();
}

void Ticker::savePlaceAndMode()
{
    Settings& s = app_.settings();
    if (loaded_ >= LoadStage::Placed)
        s.setPlace(Setting::Left, Setting::Top, leftTwips(), topTwips());
    if (loaded_ >= LoadStage::ModeKnown)
        s.setWindowMode(mode_);
    if (loaded_ >= LoadStage::OnTopKnown)
        s.setAlwaysOnTop(!notOnTop_);
}

void Ticker::saveState(bool mayOpenWindows)
{
    Settings& s = app_.settings();
    app_.settingsFile().createKey(kMainKey);
    savePlaceAndMode();
    if (loaded_ >= LoadStage::DockedKnown)
        s.setDocked(pair_.docked());
    // A load that never reached the chart browser knows nothing of it.
    if (loaded_ < LoadStage::ChartsRestored)
        return;
    ChartWindow* chart = chartBrowser();
    if (chart) {
        s.WriteValue(Setting::ChartSymbol, chart->symbolCaption());
        s.WriteValue(Setting::ChartType, chart->chartTypeCaption());
    }
    s.setChartStartUp(chart != nullptr);
    // A closed chart browser is loaded (not shown) to ask its place, which
    // its load restores from the saved one.
    if (!chart && mayOpenWindows && !app_.forms().ending())
        chart = chartBrowser_.load();
    if (chart) {
        s.setPlace(Setting::ChartLeft, Setting::ChartTop, chart->leftTwips(), chart->topTwips());
    } else {
        // Writing back what was read leaves it as it was: only the read
        // matters, which fills in a missing or unreadable place with its
        // default.
        s.WriteValue(Setting::ChartLeft, s.GetString(Setting::ChartLeft));
        s.WriteValue(Setting::ChartTop, s.GetString(Setting::ChartTop));
    }
}

void Ticker::exitProgram()
{
    saveState();
    app_.forms().endApplication();
}

bool Ticker::onUnload()
{
    refreshTimer_->stop();
    saveState();
    chartBrowser_.unload();
    pair_.leave(this);
    return true;
}

} // namespace quoterra
