#include "docked_pair.h"

namespace quoterra {

void DockedPair::setTicker(PairTicker* ticker)
{
    ticker_ = ticker;
    modeMemory_ = {};
}

void DockedPair::leave(const PairWindow* window)
{
    if (window == ticker_)
        setTicker(nullptr);
    if (window == chart_)
        chart_ = nullptr;
}

void DockedPair::checkDocking()
{
    if (ticker_ && chart_)
        CheckDocking(state_, ticker_->placeTwips(), chart_->placeTwips());
}

std::optional<RectTwips> DockedPair::openChart() const
{
    return chart_ ? std::optional(chart_->placeTwips()) : std::nullopt;
}

DockedPair::ChartPlace DockedPair::chartPlace()
{
    // The saved place counts only while the chart browser is closed, and is
    // read only then.
    ChartPlace place{openChart(), {}};
    if (!place.open)
        place.saved = QPointF(settings_.chartLeft(), settings_.chartTop());
    return place;
}

void DockedPair::grabTicker(QPointF grab)
{
    if (!ticker_)
        return;
    tickerGrab_ = grab;
    const ChartPlace chart = chartPlace();
    takeChartOffsets(state_, ticker_->placeTwips(), chart.rect(), chart.saved);
}

void DockedPair::dragTicker(QPoint cursor)
{
    if (!ticker_)
        return;
    const ChartPlace chart = chartPlace();
    const TickerStep step = DragTicker(state_, dragPointer(screen_, cursor, tickerGrab_), ticker_->placeTwips(),
                                       chart.rect(), chart.saved);
    ticker_->moveToTwips(step.ticker.left, step.ticker.top);
    if (chart_ && step.chart)
        chart_->moveToTwips(step.chart->left, step.chart->top);
    if (step.savedChart)
        settings_.setPlace(Setting::ChartLeft, Setting::ChartTop, step.savedChart->x(), step.savedChart->y());
}

void DockedPair::dragChart(QPoint cursor)
{
    if (!ticker_ || !chart_)
        return;
    const RectTwips moved =
        DragChartWindow(state_, dragPointer(screen_, cursor, chartGrab_), chart_->placeTwips(), ticker_->placeTwips());
    chart_->moveToTwips(moved.left, moved.top);
}

void DockedPair::chartRestored()
{
    if (!ticker_ || !chart_)
        return;
    const RectTwips chart = chart_->placeTwips();
    const RectTwips ticker = ticker_->placeTwips();
    const Pair fitted = correctRestoredChartPlace(state_, chart, ticker, ticker_->standardShadeHeight(),
                                                  ticker_->standardFullHeight(), workAreaTwips(screen_));
    chart_->moveToTwips(chart.left, fitted.chart.top);
    ticker_->moveToTwips(ticker.left, fitted.ticker.top);
}

RectTwips DockedPair::switchWindowMode(WindowMode from, float fullHeight, float shadeHeight)
{
    if (!ticker_)
        return {};
    const std::optional<RectTwips> chart = openChart();
    const ModeSwitch change{from, fullHeight, shadeHeight, workAreaTwips(screen_)};
    const Pair placed = quoterra::switchWindowMode(state_, modeMemory_, change, ticker_->placeTwips(), chart);
    if (chart_)
        chart_->moveToTwips(chart->left, placed.chart.top);
    return placed.ticker;
}

} // namespace quoterra
