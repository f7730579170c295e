#pragma once

#include <QPointF>
#include <QString>

namespace quoterra {

class Form;
class TwipsWidget;

// Everything here is in twips; what the system reports (cursor, work area)
// comes in pixels and is converted with the twips per pixel of its axis,
// asked afresh at every use.

inline constexpr double kSnapDistance = 125;
// Size assumed for the chart browser while it is closed.
inline constexpr double kClosedChartWidth = 3150;
inline constexpr double kClosedChartHeight = 2400;
inline const QString kChartBrowserName = QStringLiteral("Charts");

// Right and bottom are the first twip outside the work area.
struct WorkAreaTwips {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};
WorkAreaTwips workAreaTwips();

// State the placement steps keep between mouse events, for the whole run.
// The position fields are 32-bit so that desktops wider or taller than
// 32767 twips (about 2184 pixels at 96 dpi) place windows correctly.
struct PlacementState {
    bool docked = false;
    bool magnet = false;
    bool snapped = false;
    qint32 SnapLeft = 0;
    qint32 SnapTop = 0;
    qint32 ChartOffsetX = 0;
    qint32 ChartOffsetY = 0;
};
PlacementState& placement();

// Whole twips for the position fields: nearest, halves to even, clamped.
qint32 toPositionField(double twips);

// The chart browser when it is loaded, else nullptr (asking never loads it).
Form* loadedChartBrowser();

void KeepInWorkArea(TwipsWidget& window);

// The Left (Top) that keeps the grab point under a cursor at pixel x (y).
double CursorLeft(double x, double formPosX);
double CursorTop(double y, double formPosY);

// Sets the magnet flag and the docked flag from whether the two windows
// touch or overlap (no tolerance).
void CheckDocking(const TwipsWidget& a, const TwipsWidget& b);

// Edge snap of a dragged window held at `grab` (twips from its top-left):
// sets SnapTop, SnapLeft and the snapped flag.
void SnapToEdges(const TwipsWidget& window, QPointF grab);
void SnapVertical(const TwipsWidget& window, QPointF grab);
void SnapHorizontal(const TwipsWidget& window, QPointF grab);

// The offsets of the chart browser (or of its saved place while it is
// closed) from the ticker, taken when a drag of the ticker starts.
void TakeChartOffsets(const TwipsWidget& ticker);

// One drag step of the ticker: edge snap, the magnet against the chart
// browser (or its saved rectangle while closed), and a docked chart
// browser (or its saved place) following at its offset.
void DragTicker(TwipsWidget& ticker, QPointF grab);

} // namespace quoterra
