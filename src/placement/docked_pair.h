#pragma once

#include "placement.h"

namespace quoterra {

// A window of the pair as the placement sees it: where it stands, and how it
// takes a new place. Each window moves only itself.
class PairWindow {
public:
    virtual RectTwips placeTwips() const = 0;
    virtual void moveToTwips(float left, float top) = 0;

protected:
    ~PairWindow() = default;
};

// The ticker besides: the heights of its standard skin, as its skin scaled
// them, which a chart browser saved directly below it stood against.
class PairTicker : public PairWindow {
public:
    virtual float standardShadeHeight() const = 0;
    virtual float standardFullHeight() const = 0;

protected:
    ~PairTicker() = default;
};

// The ticker and the chart browser as one pair: the placement state, where
// each window was grabbed, and every step that places either of them, so no
// window moves the other. Windows join when they load and leave when they
// unload; while the chart browser is closed the ticker's steps work against
// its saved place in the settings.
class DockedPair {
public:
    DockedPair(const Screen& screen, Settings& settings)
        : screen_(screen)
        , settings_(settings)
    {
    }

    // A loaded window joins; a new ticker starts without the moved-up memory
    // of the last one. A window that unloads (or goes) leaves.
    void setTicker(PairTicker* ticker);
    void setChart(PairWindow* chart) { chart_ = chart; }
    void leave(const PairWindow* window);

    bool docked() const { return state_.docked; }
    void setDocked(bool docked) { state_.docked = docked; }
    // Docked exactly when both windows are loaded and touch or overlap.
    void checkDocking();

    // The ticker's mouse: a left press at `grab` (twips from its corner),
    // each move with the left button held, and a release over its face,
    // which docks the pair when the last step left it against the chart
    // browser.
    void grabTicker(QPointF grab);
    void dragTicker(QPoint cursor);
    void releaseTickerOnFace() { state_.docked = state_.magnet; }

    // The chart browser's header: the grab point in whole twips.
    void grabChart(QPoint grab) { chartGrab_ = grab; }
    void dragChart(QPoint cursor);

    // The chart browser has just been put at its saved place: back against
    // the ticker at the ticker's present height, the docked pair fitted to
    // the work area (which may move the ticker).
    void chartRestored();

    // The ticker switching from `from` to the other mode, with its skin's
    // heights as the settings name it now: moves a loaded chart browser and
    // answers the ticker's new top and height.
    RectTwips switchWindowMode(WindowMode from, float fullHeight, float shadeHeight);

private:
    std::optional<RectTwips> openChart() const;
    // The chart browser as the ticker's steps take it: its rectangle while
    // it is loaded, else its saved place.
    struct ChartPlace {
        std::optional<RectTwips> open;
        QPointF saved;
        const RectTwips* rect() const { return open ? &*open : nullptr; }
    };
    ChartPlace chartPlace();

    const Screen& screen_;
    Settings& settings_;
    PairTicker* ticker_ = nullptr;
    PairWindow* chart_ = nullptr;
    PlacementState state_;
    ModeMemory modeMemory_;
    QPointF tickerGrab_;
    QPoint chartGrab_;
};

} // namespace quoterra
