#include "placement.h"

#include "core/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace quoterra {

namespace {

// The snap distance is inclusive; the tolerance only absorbs the rounding
// noise of converting a grab point to pixels and back.
bool near(double a, double b)
{
    constexpr double noise = 1e-7;
    const double diff = a - b;
    return diff >= -kSnapDistance - noise && diff <= kSnapDistance + noise;
}

bool overlapsHorizontally(const RectTwips& a, const RectTwips& b)
{
    return a.left + a.width >= b.left && b.left + b.width >= a.left;
}

bool overlapsVertically(const RectTwips& a, const RectTwips& b)
{
    return a.top + a.height >= b.top && b.top + b.height >= a.top;
}

} // namespace

qint32 toPositionField(double twips)
{
    const double r = roundHalfEven(twips);
    if (!std::isfinite(r))
        return 0;
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    return qint32(std::clamp(r, lo, hi));
}

WorkAreaTwips workAreaTwips(const Screen& screen)
{
    const QRect a = screen.workArea();
    const double tx = screen.twipsPerPixelX();
    const double ty = screen.twipsPerPixelY();
    return WorkAreaTwips{toPositionField(a.x() * tx), toPositionField(a.y() * ty),
                         toPositionField((a.x() + a.width()) * tx), toPositionField((a.y() + a.height()) * ty)};
}

RectTwips KeepInWorkArea(RectTwips w, const WorkAreaTwips& area)
{
    if (w.top < float(area.top))
        w.top = float(area.top);
    if (w.top + w.height > float(area.bottom))
        w.top = float(area.bottom) - w.height;
    if (w.left < float(area.left))
        w.left = float(area.left);
    if (w.left + w.width > float(area.right))
        w.left = float(area.right) - w.width;
    return w;
}

void CheckDocking(PlacementState& state, const RectTwips& a, const RectTwips& b)
{
    const bool h = overlapsHorizontally(a, b);
    const bool v = overlapsVertically(a, b);
    state.magnet = v; // the vertical test is the last to set it
    state.docked = h && v;
}

DragPointer dragPointer(const Screen& screen, QPoint cursor, QPointF grab)
{
    return DragPointer{cursor, grab, screen.twipsPerPixelX(), screen.twipsPerPixelY(), workAreaTwips(screen)};
}

double CursorLeft(const DragPointer& p)
{
    const double tpp = p.twipsPerPixelX;
    return (p.cursor.x() - p.grab.x() / tpp) * tpp;
}

double CursorTop(const DragPointer& p)
{
    const double tpp = p.twipsPerPixelY;
    return (p.cursor.y() - p.grab.y() / tpp) * tpp;
}

namespace {

// One axis of the edge snap: the dragged window's near edge, the docked chart
// browser's near edge, then the far edges the same way. `start` and `size`
// pick the axis' fields; `cursor` is where the window's near edge would go.
std::pair<qint32, bool> snapAxis(double cursor, qint32 areaNear, qint32 areaFar, float RectTwips::*start,
                                 float RectTwips::*size, const RectTwips& window, const RectTwips* chart)
{
    if (near(cursor, areaNear))
        return {areaNear, true};
    const double windowStart = window.*start;
    if (chart) {
        const double d = windowStart - double(chart->*start);
        if (near(cursor - d, areaNear))
            return {toPositionField(areaNear + d), true};
    }
    const double windowSize = window.*size;
    if (near(cursor + windowSize, areaFar))
        return {toPositionField(areaFar - windowSize), true};
    if (chart) {
        const double e = double(chart->*start) + double(chart->*size) - windowStart;
        if (near(cursor + e, areaFar))
            return {toPositionField(areaFar - e), true};
    }
    return {toPositionField(cursor), false};
}

// Where a dragged window's near edge goes against another window on one
// axis: after its far edge, flush with its near edge, or just before it. The
// last alignment that holds wins; false, and `edge` untouched, when none does.
bool alignTo(float& edge, double cursor, float size, float otherStart, float otherSize)
{
    const bool after = near(cursor, double(otherStart) + otherSize);
    const bool flush = near(cursor, otherStart);
    const bool before = near(cursor + size, otherStart);
    if (after)
        edge = otherStart + otherSize;
    if (flush)
        edge = otherStart;
    if (before)
        edge = otherStart - size;
    return after || flush || before;
}

} // namespace

void SnapToEdges(PlacementState& state, const DragPointer& p, const RectTwips& window, const RectTwips* chart)
{
    const RectTwips* docked = state.docked ? chart : nullptr;
    bool vertical = false, horizontal = false;
    std::tie(state.SnapTop, vertical) =
        snapAxis(CursorTop(p), p.area.top, p.area.bottom, &RectTwips::top, &RectTwips::height, window, docked);
    std::tie(state.SnapLeft, horizontal) =
        snapAxis(CursorLeft(p), p.area.left, p.area.right, &RectTwips::left, &RectTwips::width, window, docked);
    state.snapped = vertical || horizontal;
}

void takeChartOffsets(PlacementState& state, const RectTwips& ticker, const RectTwips* chart, QPointF savedChart)
{
    const double left = chart ? chart->left : savedChart.x();
    const double top = chart ? chart->top : savedChart.y();
    state.ChartOffsetX = toPositionField(double(ticker.left) - left);
    state.ChartOffsetY = toPositionField(double(ticker.top) - top);
}

TickerStep DragTicker(PlacementState& state, const DragPointer& p, const RectTwips& ticker, const RectTwips* chart,
                      QPointF savedChart)
{
    TickerStep step{ticker, {}, {}};
    RectTwips& t = step.ticker;
    SnapToEdges(state, p, t, chart);
    const double L = CursorLeft(p);
    const double T = CursorTop(p);
    const double snapOrCursorLeft = state.snapped ? double(state.SnapLeft) : L;
    const double snapOrCursorTop = state.snapped ? double(state.SnapTop) : T;

    // A docked chart browser, or its saved place while it is closed, follows.
    if (state.docked) {
        t.left = float(snapOrCursorLeft);
        t.top = float(snapOrCursorTop);
        const double left = double(t.left) - state.ChartOffsetX;
        const double top = double(t.top) - state.ChartOffsetY;
        if (chart) {
            step.chart = *chart;
            step.chart->left = float(left);
            step.chart->top = float(top);
        } else {
            step.savedChart = QPoint(toPositionField(left), toPositionField(top));
            savedChart = *step.savedChart;
        }
    }
    const RectTwips closed{float(toPositionField(savedChart.x())), float(toPositionField(savedChart.y())),
                           kClosedChartWidth, kClosedChartHeight};
    const RectTwips c = step.chart ? *step.chart : chart ? *chart : closed;

    // Vertical magnet: only against an open, undocked chart browser beside
    // or over the ticker.
    t.top = float(snapOrCursorTop);
    state.magnet = chart && !state.docked && overlapsHorizontally(t, c) && alignTo(t.top, T, t.height, c.top, c.height);

    // Horizontal magnet, against the closed chart browser's saved rectangle
    // too.
    t.left = float(snapOrCursorLeft);
    const bool side = chart ? overlapsVertically(t, c)
                            : double(t.top) + t.height >= c.top && double(t.top) <= double(c.top) + c.height;
    if (!side)
        state.magnet = false;
    else if (alignTo(t.left, L, t.width, c.left, c.width))
        state.magnet = true;
    return step;
}

RectTwips DragChartWindow(PlacementState& state, const DragPointer& p, const RectTwips& chart, const RectTwips& t)
{
    RectTwips c = chart;
    SnapToEdges(state, p, c, &c);
    const double L = CursorLeft(p);
    const double T = CursorTop(p);
    const double snapOrCursorLeft = state.snapped ? double(state.SnapLeft) : L;
    const double snapOrCursorTop = state.snapped ? double(state.SnapTop) : T;

    // Vertical: four alignments, the first that holds wins; a top inside the
    // ticker's height holds too.
    bool v = false;
    if (overlapsHorizontally(c, t)) {
        const double tBottom = double(t.top) + t.height;
        v = true;
        if (near(T, tBottom))
            c.top = float(tBottom);
        else if (near(T, t.top))
            c.top = t.top;
        else if (near(T + c.height, t.top))
            c.top = t.top - c.height;
        else if (near(T + c.height, tBottom))
            c.top = float(tBottom - c.height);
        else if (t.top < T && T < tBottom)
            c.top = float(T);
        else {
            c.top = float(snapOrCursorTop);
            v = false;
        }
    } else {
        c.top = float(snapOrCursorTop);
    }

    // Horizontal: against the ticker's sides.
    c.left = float(snapOrCursorLeft);
    const bool h = overlapsVertically(c, t) && alignTo(c.left, L, c.width, t.left, t.width);
    state.magnet = h;
    state.docked = v && h;
    return c;
}

Pair correctRestoredChartPlace(const PlacementState& state, RectTwips c, RectTwips t, float shadeHeight,
                               float fullHeight, const WorkAreaTwips& area)
{
    // Saved directly below the ticker in either height: below it at its
    // present one.
    if (c.top - shadeHeight == t.top)
        c.top = t.top + t.height;
    if (c.top - fullHeight == t.top)
        c.top = t.top + t.height;
    if (state.docked) {
        // Below the ticker and past the bottom: the ticker moves up so the
        // stacked pair fits.
        if (t.top + t.height <= c.top && t.top + t.height + c.height > float(area.bottom))
            t.top = float(area.bottom) - (c.height + t.height);
        // At the top with the chart browser above it, not beside it: the
        // ticker moves down by the chart browser's height.
        if (t.top == float(area.top) && c.top <= t.top && t.left + t.width != c.left && t.left - c.width != c.left)
            t.top = t.top + c.height;
    }
    return Pair{c, t};
}

Pair switchWindowMode(PlacementState& state, ModeMemory& memory, const ModeSwitch& change, RectTwips t,
                      std::optional<RectTwips> chart)
{
    // A chart browser that touches the ticker is docked before anything
    // moves, so it goes along with the ticker.
    if (chart)
        CheckDocking(state, t, *chart);
    const bool toFull = change.from == WindowMode::Shade;
    const float B = float(change.area.bottom);
    const float before = t.height;
    const float after = toFull ? change.fullHeight : change.shadeHeight;

    // How a docked chart browser stands against the ticker decides whether
    // it moves with the ticker as one column.
    enum class Stand { Apart, Below, Above, BesideBottoms, BesideTops };
    Stand stand = Stand::Apart;
    RectTwips c = chart.value_or(RectTwips{});
    if (chart && state.docked) {
        if (c.top > t.top)
            stand = Stand::Below;
        else if (c.top < t.top)
            stand = c.top + c.height == t.top + before ? Stand::BesideBottoms : Stand::Above;
        else
            stand = Stand::BesideTops;
    }
    const float above = stand == Stand::Above ? c.height : 0.0f;
    const float below = stand == Stand::Below ? c.height : 0.0f;
    const float F = change.fullHeight + above + below;
    const float S = change.shadeHeight + above + below;

    float top = t.top - above; // the column's top
    if (toFull) {
        if (top + F >= B) {
            memory.rememberedTop = toPositionField(top);
            memory.movedUp = true;
        }
        if (top + F > B)
            top = B - F;
    } else {
        if (top + F >= B)
            top = B - S;
        if (memory.movedUp && B - float(memory.rememberedTop) < F && B - top <= F)
            top = float(memory.rememberedTop);
        memory.movedUp = false;
    }
    t.top = top + above;
    t.height = after;

    switch (stand) {
    case Stand::Below:
        c.top = t.top + t.height;
        break;
    case Stand::Above:
        c.top = t.top - c.height;
        break;
    case Stand::BesideBottoms:
        c.top = t.top + t.height - c.height;
        break;
    case Stand::BesideTops:
        c.top = t.top;
        break;
    case Stand::Apart:
        break;
    }
    if (chart)
        CheckDocking(state, t, c);
    return Pair{c, t};
}

} // namespace quoterra
