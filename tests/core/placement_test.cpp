// Window placement as values: the work area, the edge snap, the two drag
// steps with their magnets, the chart browser's restored place and the
// ticker's mode switch with a docked chart browser; and the proportional
// resizer behind the large ticker.
#include "test_support.h"

#include "placement/placement.h"
#include "resizer/resizer.h"

#include <QSignalSpy>

namespace quoterra {

void PrintTo(const RectTwips& r, std::ostream* out)
{
    *out << '(' << r.left << ", " << r.top << ", " << r.width << " x " << r.height << ')';
}

namespace {

// 1024 x 738 pixels at 15 twips a pixel.
constexpr WorkAreaTwips kArea{0, 0, 15360, 11070};
constexpr RectTwips kTicker{3000, 3000, 3150, 210};
constexpr RectTwips kChart{3000, 3210, 3150, 2400};

// A pointer whose window would go to (left, top) if it simply followed.
DragPointer pointerFor(double left, double top, WorkAreaTwips area = kArea)
{
    return DragPointer{QPoint(200, 100), QPointF(200 * 15.0 - left, 100 * 15.0 - top), 15, 15, area};
}

TEST(WorkArea, IsAskedInPixelsAndKeptInTwipsAndWindowsArePulledInside)
{
    test::FakeScreen screen(96, QRect(0, 28, 1024, 710));
    const WorkAreaTwips w = workAreaTwips(screen);
    EXPECT_EQ(std::tie(w.left, w.top, w.right, w.bottom), std::make_tuple(0, 420, 15360, 11070));
    screen.dpi = 120;
    EXPECT_EQ(workAreaTwips(screen).top, 336);
    EXPECT_EQ(workAreaTwips(screen).right, 12288);
    screen.dpi = 96;
    screen.area = QRect(0, 0, 3840, 2160); // no 16-bit limit
    EXPECT_EQ(workAreaTwips(screen).right, 57600);
    EXPECT_EQ(CursorTop(DragPointer{QPoint(0, 300), QPointF(0, 150), 15, 15, {}}), 4350);

    const WorkAreaTwips panelAtTop{0, 420, 15360, 11070};
    const std::pair<RectTwips, QPointF> cases[] = {
        {{300, 20000, 3150, 210}, {300, 10860}},
        {{300, 10846, 3150, 225}, {300, 10845}}, // one twip (less than a pixel) too low
        {{300, 10845, 3150, 225}, {300, 10845}}, // exactly on the bottom
        {{-900, 3000, 3150, 210}, {0, 3000}},
        {{100, 0, 3150, 210}, {100, 420}},
        {{0, 420, 15360, 10650}, {0, 420}},         // touching all four edges
        {{500, 500, 20000, 20000}, {-4640, -8930}}, // larger than the area: bottom and right edges win
    };
    for (const auto& [window, place] : cases) {
        const RectTwips kept = KeepInWorkArea(window, panelAtTop);
        EXPECT_EQ(QPointF(kept.left, kept.top), place) << ::testing::PrintToString(window);
    }
}

TEST(CheckDocking, NeedsTouchingOrOverlappingOnBothAxes)
{
    struct Case {
        RectTwips chart;
        bool docked, magnet;
    } cases[] = {
        {{3000, 3210, 3150, 2400}, true, true},   // below, sharing the edge
        {{3000, 3211, 3150, 2400}, false, false}, // a twip lower
        {{6150, 3210, 3150, 2400}, true, true},   // corner to corner
        {{6151, 3000, 3150, 2400}, false, true},  // beside but a twip away
    };
    for (const Case& c : cases) {
        PlacementState p;
        CheckDocking(p, kTicker, c.chart);
        EXPECT_EQ(p.docked, c.docked) << ::testing::PrintToString(c.chart);
        EXPECT_EQ(p.magnet, c.magnet) << ::testing::PrintToString(c.chart);
        PlacementState q;
        CheckDocking(q, c.chart, kTicker);
        EXPECT_EQ(q.docked, c.docked);
    }
}

TEST(SnapToEdges, EdgesWithin125TwipsPullTheWindowFlush)
{
    struct Case {
        const char* what;
        QPointF cursor; // where the window would go
        bool snapped;
        QPoint snap;
        bool docked = false; // with the chart browser hanging 2400 below
    } cases[] = {
        {"top at 125", {3000, 125}, true, {3000, 0}},
        {"top at 126", {3000, 126}, false, {3000, 126}},
        {"top above the area", {3000, -125}, true, {3000, 0}},
        {"bottom within", {3000, 11070 - 210 - 125}, true, {3000, 10860}},
        {"bottom beyond", {3000, 11070 - 210 + 126}, false, {3000, 10986}},
        {"left", {-100, 3000}, true, {0, 3000}},
        {"right", {15360 - 3150 + 40, 3000}, true, {12210, 3000}},
        {"rounded when free", {3000.5, 2999.5}, false, {3000, 3000}},
        // The pair snaps by the chart browser's bottom, which reaches the area's first.
        {"a docked pair", {3000, 11070 - 2610 - 100}, true, {3000, 11070 - 2610}, true},
        {"undocked, the same place", {3000, 11070 - 2610 - 100}, false, {3000, 11070 - 2610 - 100}},
    };
    for (const Case& c : cases) {
        PlacementState p;
        p.docked = c.docked;
        SnapToEdges(p, pointerFor(c.cursor.x(), c.cursor.y()), kTicker, &kChart);
        EXPECT_EQ(p.snapped, c.snapped) << c.what;
        EXPECT_EQ(QPoint(p.SnapLeft, p.SnapTop), c.snap) << c.what;
    }
    // A window almost as tall as the area, near both edges: the top wins.
    PlacementState p;
    SnapToEdges(p, pointerFor(3000, 60), RectTwips{0, 0, 3150, 11070 - 100}, nullptr);
    EXPECT_EQ(p.SnapTop, 0);
}

TEST(DragTicker, ADockedChartBrowserFollowsOrItsSavedPlaceDoes)
{
    for (const bool open : {true, false}) {
        for (const QPointF to : {QPointF(5000, 6000), QPointF(40, 6000)}) {
            SCOPED_TRACE(open ? "open" : "closed");
            PlacementState p;
            p.docked = true;
            TakeChartOffsets(p, kTicker, open ? &kChart : nullptr, QPointF(2700, 3210));
            EXPECT_EQ(QPoint(p.ChartOffsetX, p.ChartOffsetY), open ? QPoint(0, -210) : QPoint(300, -210));
            const TickerStep step =
                DragTicker(p, pointerFor(to.x(), to.y()), kTicker, open ? &kChart : nullptr, QPointF(2700, 3210));
            const float left = to.x() == 40 ? 0 : float(to.x()); // the left edge snaps
            EXPECT_EQ(QPointF(step.ticker.left, step.ticker.top), QPointF(left, 6000));
            if (open) {
                ASSERT_TRUE(step.chart);
                EXPECT_EQ(QPointF(step.chart->left, step.chart->top), QPointF(left, 6210));
                EXPECT_FALSE(step.savedChart);
            } else {
                ASSERT_TRUE(step.savedChart);
                EXPECT_EQ(*step.savedChart, QPoint(int(left) - 300, 6210));
            }
        }
    }
}

TEST(DragTicker, AnUndockedTickerSticksToAnOpenChartBrowserOrAClosedOnesSavedPlace)
{
    // Where the ticker would go, where it ends up, and the magnet; a closed
    // chart browser's saved rectangle is a magnet only sideways.
    struct Case {
        const char* what;
        QPointF to, placed;
        bool magnet, open = true;
    } cases[] = {
        {"top at the chart browser's bottom", {3100, 5610 + 125}, {3000, 5610}, true},
        {"top beyond its bottom", {3100, 5610 + 126}, {3100, 5736}, false},
        {"tops aligned", {3100, 3210 + 90}, {3000, 3210}, true},
        {"bottom at its top", {3100, 3210 - 210 + 50}, {3000, 3000}, true},
        // A strip at most 250 tall: both tops-aligned and bottom-to-top
        // hold, the last wins.
        {"both", {3100, 3210 - 105}, {3000, 3000}, true},
        {"beside a closed one's left edge", {6000 - 3150 - 100, 3500}, {6000 - 3150, 3500}, true, false},
        {"above a closed one", {6000 - 3150 - 100, 3000 - 221}, {6000 - 3150 - 100, 3000 - 221}, false, false},
    };
    for (const Case& c : cases) {
        PlacementState p;
        const TickerStep step = DragTicker(p, pointerFor(c.to.x(), c.to.y()), kTicker, c.open ? &kChart : nullptr,
                                           c.open ? QPointF(0, 0) : QPointF(6000, 3000));
        EXPECT_EQ(QPointF(step.ticker.left, step.ticker.top), c.placed) << c.what;
        EXPECT_EQ(p.magnet, c.magnet) << c.what;
        EXPECT_FALSE(p.docked);
    }
}

TEST(DragChartWindow, TheFirstVerticalAndTheLastHorizontalAlignmentWin)
{
    // The chart browser, last seen where it would go now, dragged near the
    // ticker.
    constexpr RectTwips fullTicker{3000, 3000, 3150, 1740};
    struct Case {
        const char* what;
        double left, top;
        QPointF placed;
        bool docked;
        RectTwips ticker = kTicker;
    } cases[] = {
        {"below, 125 off", 3000, 3210 + 125, {3000, 3210}, true},
        {"below, 126 off", 3000, 3210 + 126, {3000, 3336}, false},
        {"tops aligned", 3000, 3000 - 125, {3000, 3000}, true},
        {"above", 3000, 3000 - 2400 + 100, {3000, 600}, true},
        {"bottoms aligned", 3000, 900, {3000, 810}, true},
        // Below and tops aligned both hold for a 210-high ticker: the first wins.
        {"below beats tops aligned", 3000, 3105, {3000, 3210}, true},
        {"its top inside the ticker's height", 6100, 4000, {6150, 4000}, true, fullTicker},
        {"left edges, 125 off", 3125, 3210, {3000, 3210}, true},
        {"left edges, 126 off", 3126, 3210, {3126, 3210}, false},
        {"to the ticker's right", 6250, 3100, {6150, 3100}, false},
        {"to the ticker's left", 3000 - 3150 - 100, 3100, {-150, 3100}, false},
        {"far away", 9000, 8000, {9000, 8000}, false},
    };
    for (const Case& c : cases) {
        PlacementState p;
        p.docked = !c.docked;
        const RectTwips from{float(c.left), float(c.top), 3150, 2400};
        const RectTwips moved = DragChartWindow(p, pointerFor(c.left, c.top), from, c.ticker);
        EXPECT_EQ(QPointF(moved.left, moved.top), c.placed) << c.what;
        EXPECT_EQ(p.docked, c.docked) << c.what;
    }
}

TEST(ChartBrowserLoad, TheRestoredPlaceRejoinsTheTickerAndThePairFits)
{
    struct Case {
        const char* what;
        bool docked;
        float tickerTop, tickerHeight, chartLeft, chartTop; // as loaded
        float placedTicker, placedChart;                    // the tops after correcting
    } cases[] = {
        {"saved under the strip, the window full now", false, 3000, 1740, 3000, 3210, 3000, 4740},
        {"saved under the full window, the strip now", false, 3000, 210, 3000, 4740, 3000, 3210},
        {"elsewhere", false, 3000, 210, 9000, 100, 3000, 100},
        {"docked below, past the bottom", true, 10860, 210, 3000, 11070, 8460, 11070},
        {"docked above at the top", true, 0, 210, 3000, -2400, 2400, -2400},
        {"docked beside at the top", true, 0, 210, 6150, -100, 0, -100},
    };
    for (const Case& c : cases) {
        PlacementState p;
        p.docked = c.docked;
        const Pair placed =
            CorrectRestoredChartPlace(p, RectTwips{c.chartLeft, c.chartTop, 3150, 2400},
                                      RectTwips{3000, c.tickerTop, 3150, c.tickerHeight}, 210, 1740, kArea);
        EXPECT_EQ(placed.ticker.top, c.placedTicker) << c.what;
        EXPECT_EQ(placed.chart.top, c.placedChart) << c.what;
    }
}

// Heights of the standard skin: strip 210, full 1740.
Pair switched(PlacementState& p, ModeMemory& m, WindowMode from, RectTwips t, std::optional<RectTwips> c)
{
    return SwitchWindowMode(p, m, ModeSwitch{from, 1740, 210, kArea}, t, c);
}

TEST(SwitchWindowMode, NearTheBottomItOpensUpwardAndShadesBackToWhereItWas)
{
    for (const float top : {10000.0f, 3000.0f}) {
        PlacementState p;
        ModeMemory m;
        const Pair full = switched(p, m, WindowMode::Shade, RectTwips{3000, top, 3150, 210}, std::nullopt);
        EXPECT_EQ(full.ticker.height, 1740);
        EXPECT_EQ(full.ticker.top, top == 3000 ? 3000 : 11070 - 1740);
        const Pair back = switched(p, m, WindowMode::Full, full.ticker, std::nullopt);
        EXPECT_EQ(back.ticker.height, 210);
        EXPECT_EQ(back.ticker.top, top);
        EXPECT_FALSE(m.movedUp);
    }
    // Moved by the user while full: it shades where it is.
    PlacementState p;
    ModeMemory m;
    Pair full = switched(p, m, WindowMode::Shade, RectTwips{3000, 10000, 3150, 210}, std::nullopt);
    full.ticker.top = 2000;
    EXPECT_EQ(switched(p, m, WindowMode::Full, full.ticker, std::nullopt).ticker.top, 2000);
}

TEST(SwitchWindowMode, ADockedChartBrowserStaysJoinedAndThePairStaysInside)
{
    struct Case {
        const char* what;
        RectTwips ticker; // shaded
        RectTwips chart;
    } cases[] = {
        {"below, high up", {3000, 1000, 3150, 210}, {3000, 1210, 3150, 2400}},
        {"below, near the bottom", {3000, 8000, 3150, 210}, {3000, 8210, 3150, 2400}},
        {"above, near the bottom", {3000, 10860, 3150, 210}, {3000, 8460, 3150, 2400}},
        {"above, at the top", {3000, 2400, 3150, 210}, {3000, 0, 3150, 2400}},
        {"beside, bottoms level", {3000, 10860, 3150, 210}, {6150, 8670, 3150, 2400}},
        {"beside, tops level", {3000, 5000, 3150, 210}, {6150, 5000, 3150, 2400}},
    };
    // Touching the ticker counts as docked, whatever the flag said.
    for (const bool docked : {true, false})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (docked ? ", docked" : ", touching"));
            PlacementState p;
            p.docked = docked;
            ModeMemory m;
            const Pair full = switched(p, m, WindowMode::Shade, c.ticker, c.chart);
            EXPECT_TRUE(p.docked);
            for (const RectTwips& r : {full.ticker, full.chart}) {
                EXPECT_GE(r.top, 0);
                EXPECT_LE(r.bottom(), 11070);
            }
            const Pair back = switched(p, m, WindowMode::Full, full.ticker, full.chart);
            EXPECT_TRUE(p.docked);
            EXPECT_EQ(back.ticker, c.ticker);
            EXPECT_EQ(back.chart, c.chart);
        }
}

WindowLayout sheet()
{
    return WindowLayout{3000, 600, {{"box", 300, 60, 900, 300}, {"other", 1500, 15, 1005, 195}, {"BOX", 1, 2, 3, 4}}};
}

TEST(Resizer, ControlsGrowWithTheWindowFromTheRecordedLayoutWithoutPilingUpRounding)
{
    Resizer resizer;
    WindowLayout layout = sheet();
    ASSERT_TRUE(resizer.Resize(&layout)); // records only
    EXPECT_EQ(layout.controls[0].left, 300);
    layout.width = 4000;
    layout.height = 800;
    ASSERT_TRUE(resizer.Resize(&layout));
    const auto& box = layout.controls[0];
    EXPECT_EQ(std::tie(box.left, box.top, box.width, box.height), std::make_tuple(400.0f, 80.0f, 1200.0f, 400.0f));
    // A second control of the same name, in any case, takes the first one's record.
    EXPECT_EQ(layout.controls[2].left, 400);
    EXPECT_FLOAT_EQ(resizer.heightFactor(), 4.0f / 3);
    for (int i = 0; i < 50; ++i) {
        layout.width = layout.width * 4 / 3;
        layout.height = layout.height * 4 / 3;
        resizer.Resize(&layout);
        layout.width = 3000;
        layout.height = 600;
        resizer.Resize(&layout);
    }
    const auto& other = layout.controls[1];
    EXPECT_EQ(std::tie(other.left, other.top, other.width, other.height),
              std::make_tuple(1500.0f, 15.0f, 1005.0f, 195.0f));
}

TEST(Resizer, NoWindowRaisesTheErrorAndScalesNothing)
{
    Resizer resizer;
    QSignalSpy errors(&resizer, &Resizer::ResizeError);
    EXPECT_FALSE(resizer.Resize(nullptr));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0][0].toString().startsWith(QLatin1String("RError: ")));
    EXPECT_FALSE(resizer.recorded());
}

} // namespace
} // namespace quoterra
