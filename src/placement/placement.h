#pragma once

#include "core/screen.h"
#include "settings/settings.h"

#include <QPoint>
#include <QPointF>

#include <optional>

namespace quoterra {

// Window placement in twips, as values: what the system reports (pointer,
// work area) comes in pixels and is converted with the twips per pixel of its
// axis. Every function answers with the new places; the windows apply them.

inline constexpr double kSnapDistance = 125;
// Size assumed for the chart browser while it is closed.
inline constexpr float kClosedChartWidth = 3150;
inline constexpr float kClosedChartHeight = 2400;

// A window's place and size, single precision as windows keep them.
struct RectTwips {
    float left = 0, top = 0, width = 0, height = 0;
    float right() const { return left + width; }
    float bottom() const { return top + height; }
    bool operator==(const RectTwips&) const = default;
};

// Right and bottom are the first twip outside the work area.
struct WorkAreaTwips {
    qint32 left = 0, top = 0, right = 0, bottom = 0;
};
WorkAreaTwips workAreaTwips(const Screen& screen);

// What the steps keep between mouse events. Positions are 32-bit, so that
// desktops beyond 32767 twips (about 2184 pixels at 96 dpi) place windows
// correctly.
struct PlacementState {
    bool docked = false;  // the chart browser travels with the ticker
    bool magnet = false;  // the last step left the window against the other
    bool snapped = false; // the last snap put the window on a work-area edge
    qint32 SnapLeft = 0;
    qint32 SnapTop = 0;
    qint32 ChartOffsetX = 0;
    qint32 ChartOffsetY = 0;
};

// Whole twips for the position fields: nearest, halves to even, clamped.
qint32 toPositionField(double twips);

RectTwips KeepInWorkArea(RectTwips window, const WorkAreaTwips& area);

// Sets the magnet and docked flags from whether the windows touch or overlap.
void CheckDocking(PlacementState& state, const RectTwips& a, const RectTwips& b);

// One mouse move of a drag: where the pointer is (pixels, the move's own
// place, not the system's later one), where the window was grabbed (twips
// from its corner), the screen's factors and work area at this moment.
struct DragPointer {
    QPoint cursor;
    QPointF grab;
    float twipsPerPixelX = 15;
    float twipsPerPixelY = 15;
    WorkAreaTwips area;
};
DragPointer dragPointer(const Screen& screen, QPoint cursor, QPointF grab);

// The Left (Top) that keeps the grab point under the pointer.
double CursorLeft(const DragPointer& pointer);
double CursorTop(const DragPointer& pointer);

// Edge snap of a dragged window: sets SnapTop, SnapLeft and the snapped flag.
// `chart` is the chart browser when it is loaded.
void SnapToEdges(PlacementState& state, const DragPointer& pointer, const RectTwips& window, const RectTwips* chart);

// The chart browser's offsets from the ticker (or its saved place's, while
// it is closed), taken when a drag of the ticker starts.
void takeChartOffsets(PlacementState& state, const RectTwips& ticker, const RectTwips* chart, QPointF savedChart);

struct TickerStep {
    RectTwips ticker;
    std::optional<RectTwips> chart;   // where the loaded chart browser goes
    std::optional<QPoint> savedChart; // the closed one's place to store
};
// One drag step of the ticker: edge snap, the magnet against the chart
// browser (or its saved rectangle while closed), and a docked chart browser
// (or its saved place) following at its offset.
TickerStep DragTicker(PlacementState& state, const DragPointer& pointer, const RectTwips& ticker,
                      const RectTwips* chart, QPointF savedChart);

// One drag step of the chart browser: edge snap and the magnet against the
// ticker; docked exactly when it ends against the ticker on both axes.
RectTwips DragChartWindow(PlacementState& state, const DragPointer& pointer, const RectTwips& chart,
                          const RectTwips& ticker);

// The chart browser's restored place, re-attached to the ticker's present
// height and, while docked, the pair fitted to the work area (which may move
// the ticker). `shadeHeight` and `fullHeight` are the ticker's picture heights.
struct Pair {
    RectTwips chart;
    RectTwips ticker;
};
Pair correctRestoredChartPlace(const PlacementState& state, RectTwips chart, RectTwips ticker, float shadeHeight,
                               float fullHeight, const WorkAreaTwips& area);

// What the ticker remembers across a switch to the full window near the
// bottom, so that shading again puts the strip back where it was.
struct ModeMemory {
    bool movedUp = false;
    qint32 rememberedTop = 0;
};

struct ModeSwitch {
    WindowMode from = WindowMode::Shade;
    float fullHeight = 0; // the skin's heights, as the settings name it now
    float shadeHeight = 0;
    WorkAreaTwips area;
};
// The ticker switching between strip and full window: near the bottom it
// opens upward and shades back to where it was; a docked chart browser stays
// joined to it, and the pair stays inside the work area.
Pair switchWindowMode(PlacementState& state, ModeMemory& memory, const ModeSwitch& change, RectTwips ticker,
                      std::optional<RectTwips> chart);

} // namespace quoterra
