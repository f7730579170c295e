// Window placement as values, each rule a table of named rows; then the
// docked pair that applies them to both windows.
#include "test_support.h"

#include "core/registry.h"
#include "placement/docked_pair.h"

namespace quoterra {

void PrintTo(const RectTwips& r, std::ostream* out)
{
    *out << '(' << r.left << ", " << r.top << ", " << r.width << " x " << r.height << ')';
}

namespace {

using test::rowName;

// 1024 x 738 pixels at 15 twips a pixel.
constexpr WorkAreaTwips kArea{0, 0, 15360, 11070};
constexpr RectTwips kTicker{3000, 3000, 3150, 210};
constexpr RectTwips kChart{3000, 3210, 3150, 2400};

// A pointer whose window would go to (left, top) if it simply followed.
DragPointer pointerFor(double left, double top)
{
    return DragPointer{QPoint(200, 100), QPointF(200 * 15.0 - left, 100 * 15.0 - top), 15, 15, kArea};
}

TEST(WorkArea, IsKeptInWholeTwipsPerAxis)
{
    test::FakeScreen screen(96, QRect(0, 28, 1024, 710));
    const WorkAreaTwips w = workAreaTwips(screen);
    EXPECT_EQ(std::tie(w.left, w.top, w.right, w.bottom), std::make_tuple(0, 420, 15360, 11070));
    screen.dpi = 120;
    EXPECT_EQ(std::pair(workAreaTwips(screen).top, workAreaTwips(screen).right), std::pair(336, 12288));
    screen.dpi = 96;
    screen.area = QRect(0, 0, 3840, 2160); // no 16-bit limit
    EXPECT_EQ(workAreaTwips(screen).right, 57600);
}

struct KeepRow {
    const char* what;
    RectTwips window;
    QPointF kept;
};
const KeepRow kKeepRows[] = {
    {"below the bottom", {300, 20000, 3150, 210}, {300, 10860}},
    {"one twip too low", {300, 10846, 3150, 225}, {300, 10845}},
    {"exactly on the bottom", {300, 10845, 3150, 225}, {300, 10845}},
    {"left of the area", {-900, 3000, 3150, 210}, {0, 3000}},
    {"under a panel at the top", {100, 0, 3150, 210}, {100, 420}},
    {"touching all four edges", {0, 420, 15360, 10650}, {0, 420}},
    {"larger than the area", {500, 500, 20000, 20000}, {-4640, -8930}}, // bottom and right edges win
};
class KeepInWorkAreaRows : public ::testing::TestWithParam<KeepRow> { };
TEST_P(KeepInWorkAreaRows, PullsTheWindowInside)
{
    const RectTwips kept = KeepInWorkArea(GetParam().window, WorkAreaTwips{0, 420, 15360, 11070});
    EXPECT_EQ(QPointF(kept.left, kept.top), GetParam().kept);
}
INSTANTIATE_TEST_SUITE_P(Windows, KeepInWorkAreaRows, ::testing::ValuesIn(kKeepRows), rowName<KeepRow>);

struct DockingRow {
    const char* what;
    RectTwips chart;
    bool docked, magnet;
};
const DockingRow kDockingRows[] = {
    {"below sharing the edge", {3000, 3210, 3150, 2400}, true, true},
    {"a twip lower", {3000, 3211, 3150, 2400}, false, false},
    {"corner to corner", {6150, 3210, 3150, 2400}, true, true},
    {"beside but a twip away", {6151, 3000, 3150, 2400}, false, true},
};
class CheckDockingRows : public ::testing::TestWithParam<DockingRow> { };
TEST_P(CheckDockingRows, NeedsTouchingOrOverlappingOnBothAxesEitherWayRound)
{
    PlacementState p, q;
    CheckDocking(p, kTicker, GetParam().chart);
    CheckDocking(q, GetParam().chart, kTicker);
    EXPECT_EQ(std::tuple(p.docked, p.magnet, q.docked),
              std::tuple(GetParam().docked, GetParam().magnet, GetParam().docked));
}
INSTANTIATE_TEST_SUITE_P(Charts, CheckDockingRows, ::testing::ValuesIn(kDockingRows), rowName<DockingRow>);

struct SnapRow {
    const char* what;
    QPointF cursor; // where the window would go
    bool snapped;
    QPoint snap;
    bool docked = false; // with the chart browser hanging 2400 below
    RectTwips window = kTicker;
};
const SnapRow kSnapRows[] = {
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
    {"undocked the same place", {3000, 11070 - 2610 - 100}, false, {3000, 11070 - 2610 - 100}},
    // Almost as tall as the area, near both edges: the top wins.
    {"near both edges", {3000, 60}, true, {3000, 0}, false, {0, 0, 3150, 11070 - 100}},
};
class SnapToEdgesRows : public ::testing::TestWithParam<SnapRow> { };
TEST_P(SnapToEdgesRows, PullEdgesWithin125TwipsFlush)
{
    const SnapRow& c = GetParam();
    PlacementState p;
    p.docked = c.docked;
    SnapToEdges(p, pointerFor(c.cursor.x(), c.cursor.y()), c.window, &kChart);
    EXPECT_EQ(p.snapped, c.snapped);
    EXPECT_EQ(QPoint(p.SnapLeft, p.SnapTop), c.snap);
}
INSTANTIATE_TEST_SUITE_P(Edges, SnapToEdgesRows, ::testing::ValuesIn(kSnapRows), rowName<SnapRow>);

struct FollowRow {
    const char* what;
    bool open;
    double toLeft, left; // where the ticker would go and where it lands: the left edge snaps
};
const FollowRow kFollowRows[] = {
    {"open", true, 5000, 5000},
    {"open to the left edge", true, 40, 0},
    {"closed", false, 5000, 5000},
    {"closed to the left edge", false, 40, 0},
};
class DockedTickerDragRows : public ::testing::TestWithParam<FollowRow> { };
TEST_P(DockedTickerDragRows, TheChartBrowserOrItsSavedPlaceFollowsAtItsOffset)
{
    const FollowRow& c = GetParam();
    const RectTwips* chart = c.open ? &kChart : nullptr;
    PlacementState p;
    p.docked = true;
    takeChartOffsets(p, kTicker, chart, QPointF(2700, 3210));
    EXPECT_EQ(QPoint(p.ChartOffsetX, p.ChartOffsetY), c.open ? QPoint(0, -210) : QPoint(300, -210));
    const TickerStep step = DragTicker(p, pointerFor(c.toLeft, 6000), kTicker, chart, QPointF(2700, 3210));
    EXPECT_EQ(QPointF(step.ticker.left, step.ticker.top), QPointF(c.left, 6000));
    const QPointF chartAt = step.chart ? QPointF(step.chart->left, step.chart->top) : QPointF();
    EXPECT_EQ(chartAt, c.open ? QPointF(c.left, 6210) : QPointF());
    EXPECT_EQ(step.savedChart, c.open ? std::nullopt : std::optional(QPoint(int(c.left) - 300, 6210)));
}
INSTANTIATE_TEST_SUITE_P(Pairs, DockedTickerDragRows, ::testing::ValuesIn(kFollowRows), rowName<FollowRow>);

// Where the undocked ticker would go, where it ends up, and the magnet; a
// closed chart browser's saved rectangle is a magnet only sideways.
struct MagnetRow {
    const char* what;
    QPointF to, placed;
    bool magnet, open = true;
};
const MagnetRow kMagnetRows[] = {
    {"top at the chart browser's bottom", {3100, 5610 + 125}, {3000, 5610}, true},
    {"top beyond its bottom", {3100, 5610 + 126}, {3100, 5736}, false},
    {"tops aligned", {3100, 3210 + 90}, {3000, 3210}, true},
    {"bottom at its top", {3100, 3210 - 210 + 50}, {3000, 3000}, true},
    // A strip at most 250 tall: tops aligned and bottom to top both hold; the last wins.
    {"both", {3100, 3210 - 105}, {3000, 3000}, true},
    {"beside a closed one's left edge", {6000 - 3150 - 100, 3500}, {6000 - 3150, 3500}, true, false},
    {"above a closed one", {6000 - 3150 - 100, 3000 - 221}, {6000 - 3150 - 100, 3000 - 221}, false, false},
};
class UndockedTickerDragRows : public ::testing::TestWithParam<MagnetRow> { };
TEST_P(UndockedTickerDragRows, SticksToTheChartBrowserOrAClosedOnesSavedPlace)
{
    const MagnetRow& c = GetParam();
    PlacementState p;
    const TickerStep step = DragTicker(p, pointerFor(c.to.x(), c.to.y()), kTicker, c.open ? &kChart : nullptr,
                                       c.open ? QPointF(0, 0) : QPointF(6000, 3000));
    EXPECT_EQ(QPointF(step.ticker.left, step.ticker.top), c.placed);
    EXPECT_EQ(std::pair(p.magnet, p.docked), std::pair(c.magnet, false));
}
INSTANTIATE_TEST_SUITE_P(Magnets, UndockedTickerDragRows, ::testing::ValuesIn(kMagnetRows), rowName<MagnetRow>);

// The chart browser, last seen where it would go now, dragged near the ticker.
constexpr RectTwips kFullTicker{3000, 3000, 3150, 1740};
struct ChartDragRow {
    const char* what;
    double left, top;
    QPointF placed;
    bool docked;
    RectTwips ticker = kTicker;
};
const ChartDragRow kChartDragRows[] = {
    {"below 125 off", 3000, 3210 + 125, {3000, 3210}, true},
    {"below 126 off", 3000, 3210 + 126, {3000, 3336}, false},
    {"tops aligned", 3000, 3000 - 125, {3000, 3000}, true},
    {"above", 3000, 3000 - 2400 + 100, {3000, 600}, true},
    {"bottoms aligned", 3000, 900, {3000, 810}, true},
    // Below and tops aligned both hold for a 210-high ticker: the first wins.
    {"below beats tops aligned", 3000, 3105, {3000, 3210}, true},
    {"its top inside the ticker's height", 6100, 4000, {6150, 4000}, true, kFullTicker},
    {"left edges 125 off", 3125, 3210, {3000, 3210}, true},
    {"left edges 126 off", 3126, 3210, {3126, 3210}, false},
    {"to the ticker's right", 6250, 3100, {6150, 3100}, false},
    {"to the ticker's left", 3000 - 3150 - 100, 3100, {-150, 3100}, false},
    {"far away", 9000, 8000, {9000, 8000}, false},
};
class DragChartWindowRows : public ::testing::TestWithParam<ChartDragRow> { };
TEST_P(DragChartWindowRows, PullTheChartBrowserIntoAlignment)
{
    const ChartDragRow& c = GetParam();
    PlacementState p;
    p.docked = !c.docked;
    const RectTwips from{float(c.left), float(c.top), 3150, 2400};
    const RectTwips moved = DragChartWindow(p, pointerFor(c.left, c.top), from, c.ticker);
    EXPECT_EQ(QPointF(moved.left, moved.top), c.placed);
    EXPECT_EQ(p.docked, c.docked);
}
INSTANTIATE_TEST_SUITE_P(Alignments, DragChartWindowRows, ::testing::ValuesIn(kChartDragRows), rowName<ChartDragRow>);

struct RestoreRow {
    const char* what;
    bool docked;
    float tickerTop, tickerHeight, chartLeft, chartTop; // as loaded
    float placedTicker, placedChart;                    // the tops after correcting
};
const RestoreRow kRestoreRows[] = {
    {"saved under the strip the window full now", false, 3000, 1740, 3000, 3210, 3000, 4740},
    {"saved under the full window the strip now", false, 3000, 210, 3000, 4740, 3000, 3210},
    {"elsewhere", false, 3000, 210, 9000, 100, 3000, 100},
    {"docked below past the bottom", true, 10860, 210, 3000, 11070, 8460, 11070},
    {"docked above at the top", true, 0, 210, 3000, -2400, 2400, -2400},
    {"docked beside at the top", true, 0, 210, 6150, -100, 0, -100},
};
class RestoredChartPlaceRows : public ::testing::TestWithParam<RestoreRow> { };
TEST_P(RestoredChartPlaceRows, RejoinsTheTickerInsideTheArea)
{
    const RestoreRow& c = GetParam();
    PlacementState p;
    p.docked = c.docked;
    const Pair placed = correctRestoredChartPlace(p, RectTwips{c.chartLeft, c.chartTop, 3150, 2400},
                                                  RectTwips{3000, c.tickerTop, 3150, c.tickerHeight}, 210, 1740, kArea);
    EXPECT_EQ(std::pair(placed.ticker.top, placed.chart.top), std::pair(c.placedTicker, c.placedChart));
}
INSTANTIATE_TEST_SUITE_P(Places, RestoredChartPlaceRows, ::testing::ValuesIn(kRestoreRows), rowName<RestoreRow>);

// Heights of the standard skin: strip 210, full 1740.
Pair switched(PlacementState& p, ModeMemory& m, WindowMode from, RectTwips t, std::optional<RectTwips> c = {})
{
    return switchWindowMode(p, m, ModeSwitch{from, 1740, 210, kArea}, t, c);
}

struct ModeRow {
    const char* what;
    float top, fullTop; // of the strip, of the full window
    float movedTo = -1; // where the user moves the full window, if anywhere
};
const ModeRow kModeRows[] = {
    {"high up it opens downward", 3000, 3000},
    {"near the bottom it opens upward", 10000, 11070 - 1740},
    {"moved by the user it shades where it is", 10000, 11070 - 1740, 2000},
};
class ModeSwitchRows : public ::testing::TestWithParam<ModeRow> { };
TEST_P(ModeSwitchRows, ShadingAgainPutsTheStripBackWhereItWas)
{
    const ModeRow& c = GetParam();
    PlacementState p;
    ModeMemory m;
    Pair full = switched(p, m, WindowMode::Shade, RectTwips{3000, c.top, 3150, 210});
    EXPECT_EQ(std::pair(full.ticker.top, full.ticker.height), std::pair(c.fullTop, 1740.0f));
    if (c.movedTo >= 0)
        full.ticker.top = c.movedTo;
    const Pair back = switched(p, m, WindowMode::Full, full.ticker);
    EXPECT_EQ(std::pair(back.ticker.top, back.ticker.height), std::pair(c.movedTo >= 0 ? c.movedTo : c.top, 210.0f));
}
INSTANTIATE_TEST_SUITE_P(Tops, ModeSwitchRows, ::testing::ValuesIn(kModeRows), rowName<ModeRow>);

struct JoinedRow {
    const char* what;
    RectTwips ticker; // shaded
    RectTwips chart;
    bool docked; // false: touching the ticker, which counts as docked
};
const JoinedRow kJoinedRows[] = {
    {"below high up", {3000, 1000, 3150, 210}, {3000, 1210, 3150, 2400}, true},
    {"below near the bottom", {3000, 8000, 3150, 210}, {3000, 8210, 3150, 2400}, true},
    {"above near the bottom", {3000, 10860, 3150, 210}, {3000, 8460, 3150, 2400}, true},
    {"above at the top", {3000, 2400, 3150, 210}, {3000, 0, 3150, 2400}, true},
    {"beside bottoms level", {3000, 10860, 3150, 210}, {6150, 8670, 3150, 2400}, true},
    {"beside tops level", {3000, 5000, 3150, 210}, {6150, 5000, 3150, 2400}, true},
    {"touching below and aside", {3000, 1000, 3150, 210}, {3300, 1210, 3150, 2400}, false},
    {"touching above near the bottom", {3000, 10860, 3150, 210}, {2700, 8460, 3150, 2400}, false},
};
class JoinedModeSwitchRows : public ::testing::TestWithParam<JoinedRow> { };
TEST_P(JoinedModeSwitchRows, TheChartBrowserStaysJoinedInsideTheArea)
{
    const JoinedRow& c = GetParam();
    PlacementState p;
    p.docked = c.docked;
    ModeMemory m;
    const Pair full = switched(p, m, WindowMode::Shade, c.ticker, c.chart);
    PlacementState touching;
    CheckDocking(touching, full.ticker, full.chart);
    const RectTwips &ticker = full.ticker, &chart = full.chart;
    const bool overlapping = chart.top < ticker.bottom() && ticker.top < chart.bottom() && chart.left < ticker.right()
                             && ticker.left < chart.right();
    EXPECT_TRUE(p.docked && touching.docked && !overlapping);
    for (const RectTwips& r : {full.ticker, full.chart})
        EXPECT_TRUE(r.top >= 0 && r.bottom() <= 11070) << ::testing::PrintToString(r);
    const Pair back = switched(p, m, WindowMode::Full, full.ticker, full.chart);
    EXPECT_TRUE(p.docked);
    EXPECT_EQ(back.ticker, c.ticker);
    EXPECT_EQ(back.chart, c.chart);
}
INSTANTIATE_TEST_SUITE_P(Pairs, JoinedModeSwitchRows, ::testing::ValuesIn(kJoinedRows), rowName<JoinedRow>);

// ---- The docked pair --------------------------------------------------------

// A window as the pair sees it: a rectangle that takes the places given.
struct PlainWindow final : PairTicker {
    explicit PlainWindow(RectTwips r)
        : rect(r)
    {
    }
    RectTwips placeTwips() const override { return rect; }
    void moveToTwips(float left, float top) override { rect.left = left, rect.top = top; }
    float standardShadeHeight() const override { return 210; }
    float standardFullHeight() const override { return 1740; }
    RectTwips rect;
};

// Both windows, the settings in a real file and a 1024 x 738 screen at 96 dpi.
struct PairBench {
    test::TestProfile profile;
    RegistryStore store{profile.registryFile()};
    Settings settings{store};
    test::FakeScreen screen;
    DockedPair pair{screen, settings};
    PlainWindow ticker{kTicker};
    PlainWindow chart{kChart};
    PairBench()
    {
        settings.createKeys();
        pair.setTicker(&ticker);
    }
};

// What a row does to the pair; a ticker drag grabs the window 10 pixels in.
enum class Act { Drag, Release, DragChart, ToFull, Restored, LeftThenDrag };
struct PairRow {
    const char* what;
    bool open, docked;
    Act act;
    QPoint cursor;       // pixels, for a drag
    RectTwips chartFrom; // where the chart browser stands first
    QPointF ticker, chart;
    bool dockedAfter;
    QPoint saved = {}; // the closed chart browser's place after a ticker drag from 2700, 3210
};
constexpr RectTwips kAside{3300, 3210, 3150, 2400}; // touching, not aligned
constexpr QPointF kAt{3000, 3210};                  // the chart browser where it stood
constexpr RectTwips kUnder{3100, 3300, 3150, 2400};
using enum Act;
const PairRow kPairRows[] = {
    {"docked ticker takes it along", true, true, Drag, {400, 300}, kChart, {5850, 4350}, {5850, 4560}, true},
    {"docked moves a closed one", false, true, Drag, {400, 300}, kChart, {5850, 4350}, kAt, true, {5550, 4560}},
    {"undocked ticker leaves it", true, false, Drag, {600, 300}, kChart, {8850, 4350}, kAt, false},
    {"letting go against it docks", true, false, Release, {215, 379}, kChart, {3000, 5610}, kAt, true},
    {"dragged under the ticker it docks", true, false, DragChart, {212, 226}, kUnder, {3000, 3000}, kAt, true},
    {"full window takes one touching along", true, false, ToFull, {}, kAside, {3000, 3000}, {3300, 4740}, true},
    {"saved under the strip rejoins", true, false, Restored, {}, kChart, {3000, 3000}, {3000, 4740}, false},
    {"one that left is not moved", true, true, LeftThenDrag, {400, 300}, kChart, {5850, 4350}, kAt, true},
};
class DockedPairRows : public ::testing::TestWithParam<PairRow> { };
TEST_P(DockedPairRows, PlaceBothWindows)
{
    const PairRow& c = GetParam();
    PairBench b;
    b.chart.rect = c.chartFrom;
    if (c.open)
        b.pair.setChart(&b.chart);
    b.pair.setDocked(c.docked);
    b.settings.setPlace(Setting::ChartLeft, Setting::ChartTop, 2700, 3210);
    if (c.act == LeftThenDrag)
        b.pair.leave(&b.chart);
    if (c.act == Drag || c.act == Release || c.act == LeftThenDrag) {
        b.pair.grabTicker(QPointF(150, 150));
        b.pair.dragTicker(c.cursor);
    }
    if (c.act == Release)
        b.pair.releaseTickerOnFace();
    if (c.act == DragChart) {
        b.pair.grabChart(QPoint(150, 150));
        b.pair.dragChart(c.cursor);
    }
    if (c.act == ToFull)
        b.ticker.rect.height = b.pair.switchWindowMode(WindowMode::Shade, 1740, 210).height;
    if (c.act == Restored) {
        b.ticker.rect.height = 1740;
        b.pair.chartRestored();
    }
    EXPECT_EQ(QPointF(b.ticker.rect.left, b.ticker.rect.top), c.ticker);
    EXPECT_EQ(QPointF(b.chart.rect.left, b.chart.rect.top), c.chart);
    EXPECT_EQ(b.pair.docked(), c.dockedAfter);
    if (!c.open) {
        EXPECT_EQ(QPoint(int(b.settings.chartLeft()), int(b.settings.chartTop())), c.saved);
    }
}
INSTANTIATE_TEST_SUITE_P(Steps, DockedPairRows, ::testing::ValuesIn(kPairRows), rowName<PairRow>);

TEST(DockedPair, ANewTickerForgetsWhereTheLastOneOpenedUpward)
{
    PairBench b;
    b.ticker.rect.top = 10000;
    b.ticker.rect = b.pair.switchWindowMode(WindowMode::Shade, 1740, 210);
    ASSERT_EQ(b.ticker.rect.top, 11070 - 1740);
    b.pair.setTicker(&b.ticker); // the ticker loaded again
    EXPECT_EQ(b.pair.switchWindowMode(WindowMode::Full, 1740, 210).top, 11070 - 210);
}

} // namespace
} // namespace quoterra
