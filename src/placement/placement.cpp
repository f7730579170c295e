#include "placement.h"

#include "platform/forms.h"
#include "platform/numbers.h"
#include "platform/screen.h"
#include "platform/settings.h"

#include <cmath>
#include <limits>

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

bool within(double value, double edge)
{
    return near(value, edge);
}

void writeChartPlace(double left, double top)
{
    WriteChartsSetting(QStringLiteral("Left"), toPositionField(left));
    WriteChartsSetting(QStringLiteral("Top"), toPositionField(top));
}

double savedChart(const char* name)
{
    return GetNumber(HKEY_CURRENT_USER, kChartsKey, QString::fromLatin1(name));
}

} // namespace

PlacementState& placement()
{
    static PlacementState state;
    return state;
}

qint32 toPositionField(double twips)
{
    const double r = roundHalfEven(twips);
    if (!std::isfinite(r))
        return 0;
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    return qint32(std::clamp(r, lo, hi));
}

Form* loadedChartBrowser()
{
    return Forms::find(kChartBrowserName);
}

WorkAreaTwips workAreaTwips()
{
    const Screen& s = screen();
    const QRect area = s.workArea();
    const double tx = s.twipsPerPixelX();
    const double ty = s.twipsPerPixelY();
    WorkAreaTwips w;
    w.left = toPositionField(area.x() * tx);
    w.top = toPositionField(area.y() * ty);
    w.right = toPositionField((area.x() + area.width()) * tx);
    w.bottom = toPositionField((area.y() + area.height()) * ty);
    return w;
}

void KeepInWorkArea(TwipsWidget& window)
{
    const WorkAreaTwips w = workAreaTwips();
    if (window.Top() < w.top)
        window.setTop(w.top);
    if (window.Top() + window.Height() > w.bottom)
        window.setTop(w.bottom - window.Height());
    if (window.Left() < w.left)
        window.setLeft(w.left);
    if (window.Left() + window.Width() > w.right)
        window.setLeft(w.right - window.Width());
}

double CursorLeft(double x, double formPosX)
{
    const double tpp = screen().twipsPerPixelX();
    return (x - formPosX / tpp) * tpp;
}

double CursorTop(double y, double formPosY)
{
    const double tpp = screen().twipsPerPixelY();
    return (y - formPosY / tpp) * tpp;
}

void CheckDocking(const TwipsWidget& a, const TwipsWidget& b)
{
    const bool h = (a.Left() + a.Width() >= b.Left()) && (b.Left() + b.Width() >= a.Left());
    placement().magnet = h;
    const bool v = (a.Top() + a.Height() >= b.Top()) && (b.Top() + b.Height() >= a.Top());
    placement().magnet = v;
    placement().docked = h && v;
}

void SnapVertical(const TwipsWidget& window, QPointF grab)
{
    PlacementState& p = placement();
    const WorkAreaTwips w = workAreaTwips();
    const double t = CursorTop(screen().cursorPos().y(), grab.y());
    p.snapped = true;
    if (within(t, w.top)) {
        p.SnapTop = w.top;
        return;
    }
    if (p.docked) {
        if (const Form* c = loadedChartBrowser()) {
            const double d = double(window.Top()) - c->Top();
            if (within(t - d, w.top)) {
                p.SnapTop = toPositionField(w.top + d);
                return;
            }
        }
    }
    if (within(t + window.Height(), w.bottom)) {
        p.SnapTop = toPositionField(w.bottom - double(window.Height()));
        return;
    }
    if (p.docked) {
        if (const Form* c = loadedChartBrowser()) {
            const double e = double(c->Top()) + c->Height() - window.Top();
            if (within(t + e, w.bottom)) {
                p.SnapTop = toPositionField(w.bottom - e);
                return;
            }
        }
    }
    p.SnapTop = toPositionField(t);
    p.snapped = false;
}

void SnapHorizontal(const TwipsWidget& window, QPointF grab)
{
    PlacementState& p = placement();
    const WorkAreaTwips w = workAreaTwips();
    const double l = CursorLeft(screen().cursorPos().x(), grab.x());
    p.snapped = true;
    if (within(l, w.left)) {
        p.SnapLeft = w.left;
        return;
    }
    if (p.docked) {
        if (const Form* c = loadedChartBrowser()) {
            const double d = double(window.Left()) - c->Left();
            if (within(l - d, w.left)) {
                p.SnapLeft = toPositionField(w.left + d);
                return;
            }
        }
    }
    if (within(l + window.Width(), w.right)) {
        p.SnapLeft = toPositionField(w.right - double(window.Width()));
        return;
    }
    if (p.docked) {
        if (const Form* c = loadedChartBrowser()) {
            const double e = double(c->Left()) + c->Width() - window.Left();
            if (within(l + e, w.right)) {
                p.SnapLeft = toPositionField(w.right - e);
                return;
            }
        }
    }
    p.SnapLeft = toPositionField(l);
    p.snapped = false;
}

void SnapToEdges(const TwipsWidget& window, QPointF grab)
{
    PlacementState& p = placement();
    p.snapped = false;
    SnapVertical(window, grab);
    if (p.snapped) {
        SnapHorizontal(window, grab);
        p.snapped = true;
    } else {
        SnapHorizontal(window, grab);
    }
}

void TakeChartOffsets(const TwipsWidget& ticker)
{
    PlacementState& p = placement();
    if (const Form* c = loadedChartBrowser()) {
        p.ChartOffsetX = toPositionField(double(ticker.Left()) - c->Left());
        p.ChartOffsetY = toPositionField(double(ticker.Top()) - c->Top());
        return;
    }
    p.ChartOffsetX = toPositionField(double(ticker.Left()) - savedChart("Left"));
    p.ChartOffsetY = toPositionField(double(ticker.Top()) - savedChart("Top"));
}

void DragTicker(TwipsWidget& t, QPointF grab)
{
    PlacementState& p = placement();
    const QPoint cursor = screen().cursorPos();
    SnapToEdges(t, grab);
    const double L = CursorLeft(cursor.x(), grab.x());
    const double T = CursorTop(cursor.y(), grab.y());

    // A docked chart browser, or its saved place while it is closed, follows.
    if (p.docked) {
        Form* c = loadedChartBrowser();
        if (p.snapped) {
            t.Move(float(p.SnapLeft), float(p.SnapTop));
            if (c)
                c->Move(float(p.SnapLeft - p.ChartOffsetX), float(p.SnapTop - p.ChartOffsetY));
            else
                writeChartPlace(double(p.SnapLeft) - p.ChartOffsetX, double(p.SnapTop) - p.ChartOffsetY);
        } else {
            t.Move(float(L), float(T));
            if (c)
                c->Move(t.Left() - float(p.ChartOffsetX), t.Top() - float(p.ChartOffsetY));
            else
                writeChartPlace(double(t.Left()) - p.ChartOffsetX, double(t.Top()) - p.ChartOffsetY);
        }
    }

    const double SL = toPositionField(savedChart("Left"));
    const double ST = toPositionField(savedChart("Top"));
    const double snapOrCursorLeft = p.snapped ? double(p.SnapLeft) : L;
    const double snapOrCursorTop = p.snapped ? double(p.SnapTop) : T;
    const Form* c = loadedChartBrowser();

    // Vertical magnet: only against an open, undocked chart browser that
    // overlaps the ticker horizontally. The last test that holds wins.
    const bool overlapH = c && (t.Left() + t.Width() >= c->Left()) && (c->Left() + c->Width() >= t.Left());
    if (c && !p.docked && overlapH) {
        const double cTop = c->Top();
        const double cBottom = double(c->Top()) + c->Height();
        const bool a = near(T, cBottom);
        const bool b = near(T, cTop);
        const bool cc = near(T + t.Height(), cTop);
        if (a || b || cc) {
            if (a) t.setTop(float(cBottom));
            if (b) t.setTop(float(cTop));
            if (cc) t.setTop(float(cTop - t.Height()));
            p.magnet = true;
        } else {
            t.setTop(float(snapOrCursorTop));
            p.magnet = false;
        }
    } else {
        t.setTop(float(snapOrCursorTop));
        p.magnet = false;
    }

    // Horizontal magnet: against the open chart browser, or against the
    // closed one's saved rectangle. The last test that holds wins.
    double left = 0, width = 0, top = 0, height = 0;
    if (c) {
        left = c->Left();
        width = c->Width();
        top = c->Top();
        height = c->Height();
    } else {
        left = SL;
        width = kClosedChartWidth;
        top = ST;
        height = kClosedChartHeight;
    }
    const bool overlapV = c ? (t.Top() + t.Height() >= c->Top()) && (c->Top() + c->Height() >= t.Top())
                            : (double(t.Top()) + t.Height() >= top) && (double(t.Top()) <= top + height);
    if (!overlapV) {
        t.setLeft(float(snapOrCursorLeft));
        p.magnet = false;
        return;
    }
    const bool a = near(L, left + width);
    const bool b = near(L, left);
    const bool cc = near(L + t.Width(), left);
    if (a || b || cc) {
        if (a) t.setLeft(float(left + width));
        if (b) t.setLeft(float(left));
        if (cc) t.setLeft(float(left - t.Width()));
        p.magnet = true;
    } else {
        t.setLeft(float(snapOrCursorLeft));
    }
}

} // namespace quoterra
