#include "test_support.h"

#include "placement/placement.h"
#include "platform/forms.h"
#include "platform/registry.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

namespace quoterra {
namespace {

using test::FakeScreen;

class Box : public Form {
public:
    Box(const QString& name, float left, float top, float width, float height)
        : Form(name, Window)
    {
        setBorderless(true);
        Move(left, top, width, height);
    }
};

// Work area 1024 x 738 pixels: 15360 x 11070 twips at 96 dpi.
class Placement : public ::testing::Test {
protected:
    void SetUp() override
    {
        placement() = PlacementState{};
        CreateKey(HKEY_CURRENT_USER, kMainKey);
        CreateKey(HKEY_CURRENT_USER, kChartsKey);
    }
    // Puts the cursor at pixel y (x) and returns the grab point that makes
    // the window's top (left) follow to `target`.
    double grabForTop(double target)
    {
        screen.cursor.setY(100);
        return 100 * screen.twipsPerPixelY() - target;
    }
    double grabForLeft(double target)
    {
        screen.cursor.setX(200);
        return 200 * screen.twipsPerPixelX() - target;
    }

    test::TestProfile profile;
    FakeScreen screen{96, QRect(0, 0, 1024, 738)};
};

TEST_F(Placement, TheWorkAreaIsAskedInPixelsAndKeptInTwips)
{
    screen.area = QRect(0, 28, 1024, 710);
    WorkAreaTwips w = workAreaTwips();
    EXPECT_EQ(w.top, 420);
    EXPECT_EQ(w.bottom, 11070);
    EXPECT_EQ(w.right, 15360);
    screen.dpi = 120;
    w = workAreaTwips();
    EXPECT_EQ(w.top, 336);
    EXPECT_EQ(w.right, 12288);
    // Wide desktops fit: no 16-bit limit on positions.
    screen.dpi = 96;
    screen.area = QRect(0, 0, 3840, 2160);
    EXPECT_EQ(workAreaTwips().right, 57600);
}

TEST_F(Placement, KeepInWorkAreaPullsWindowsInsideAndLeavesFittingOnesAlone)
{
    struct Case {
        const char* what;
        QRectF window;
        QPointF expected;
    };
    screen.area = QRect(0, 28, 1024, 710); // panel at the top
    const Case cases[] = {
        {"below the bottom", {300, 20000, 3150, 210}, {300, 11070 - 210}},
        {"left of the left edge", {-900, 3000, 3150, 210}, {0, 3000}},
        {"above the panel", {100, 0, 3150, 210}, {100, 420}},
        {"touching all edges", {0, 420, 15360, 10650}, {0, 420}},
        {"wider than the work area", {100, 1000, 20000, 210}, {15360 - 20000, 1000}},
        {"taller than the work area", {100, 1000, 3150, 12000}, {100, 11070 - 12000}},
    };
    for (const auto& c : cases) {
        Box box(QStringLiteral("Box"), c.window.x(), c.window.y(), c.window.width(), c.window.height());
        KeepInWorkArea(box);
        EXPECT_FLOAT_EQ(box.Left(), c.expected.x()) << c.what;
        EXPECT_FLOAT_EQ(box.Top(), c.expected.y()) << c.what;
    }
}

TEST_F(Placement, TheCursorConvertsToTheWindowPlaceThatKeepsTheGrabPoint)
{
    EXPECT_DOUBLE_EQ(CursorTop(300, 150), 4350);
    EXPECT_DOUBLE_EQ(CursorLeft(10, 0), 150);
    screen.dpi = 120;
    EXPECT_DOUBLE_EQ(CursorTop(300, 120), 3480);
    EXPECT_DOUBLE_EQ(CursorLeft(-5, 24), -84);
}

TEST_F(Placement, DockingNeedsTouchingOrOverlappingOnBothAxes)
{
    struct Case {
        const char* what;
        QRectF chart;
        bool docked;
    };
    const Box ticker(QStringLiteral("Ticker"), 3000, 3000, 3150, 210);
    const Case cases[] = {
        {"top on the ticker's bottom", {3300, 3210, 3150, 2400}, true},
        {"one twip lower", {3300, 3211, 3150, 2400}, false},
        {"corner to corner", {6150, 3210, 3150, 2400}, true},
        {"one twip to the right", {6151, 3210, 3150, 2400}, false},
        {"overlapping", {2000, 1000, 3150, 2400}, true},
        {"above, touching", {3000, 600, 3150, 2400}, true},
    };
    for (const auto& c : cases) {
        const Box chart(QStringLiteral("Charts"), c.chart.x(), c.chart.y(), c.chart.width(), c.chart.height());
        CheckDocking(ticker, chart);
        EXPECT_EQ(placement().docked, c.docked) << c.what;
        PlacementState seen = placement();
        CheckDocking(chart, ticker);
        EXPECT_EQ(placement().docked, seen.docked) << c.what << " (other way round)";
    }
}

TEST_F(Placement, EdgesSnapWithin125TwipsAndNotBeyond)
{
    const Box window(QStringLiteral("Ticker"), 5000, 5000, 3150, 210);
    struct Case {
        const char* edge;
        double place; // the window's would-be top or left
        bool snaps;
        qint32 snapped;
    };
    const Case vertical[] = {
        {"top +125", 125, true, 0},        {"top +126", 126, false, 126},
        {"top -125", -125, true, 0},       {"top -126", -126, false, -126},
        {"bottom +125", 11070 - 210 + 125, true, 10860}, {"bottom +126", 11070 - 210 + 126, false, 10986},
        {"bottom -125", 11070 - 210 - 125, true, 10860}, {"bottom -126", 11070 - 210 - 126, false, 10734},
    };
    for (const auto& c : vertical) {
        const double grabY = grabForTop(c.place);
        SnapVertical(window, QPointF(0, grabY));
        EXPECT_EQ(placement().snapped, c.snaps) << c.edge;
        EXPECT_EQ(placement().SnapTop, c.snapped) << c.edge;
    }
    const Case horizontal[] = {
        {"left +125", 125, true, 0},       {"left +126", 126, false, 126},
        {"left -125", -125, true, 0},      {"left -126", -126, false, -126},
        {"right +125", 15360 - 3150 + 125, true, 12210}, {"right +126", 15360 - 3150 + 126, false, 12336},
        {"right -125", 15360 - 3150 - 125, true, 12210}, {"right -126", 15360 - 3150 - 126, false, 12084},
    };
    for (const auto& c : horizontal) {
        const double grabX = grabForLeft(c.place);
        SnapHorizontal(window, QPointF(grabX, 0));
        EXPECT_EQ(placement().snapped, c.snaps) << c.edge;
        EXPECT_EQ(placement().SnapLeft, c.snapped) << c.edge;
    }
}

TEST_F(Placement, EitherAxisSnappingCountsAndTheOtherFollowsTheMouse)
{
    const Box window(QStringLiteral("Ticker"), 5000, 5000, 3150, 210);
    const QPointF grab(grabForLeft(4000), grabForTop(60));
    SnapToEdges(window, grab);
    EXPECT_TRUE(placement().snapped);
    EXPECT_EQ(placement().SnapTop, 0);
    EXPECT_EQ(placement().SnapLeft, 4000);

    const QPointF grab2(grabForLeft(12150), grabForTop(4000));
    SnapToEdges(window, grab2);
    EXPECT_TRUE(placement().snapped);
    EXPECT_EQ(placement().SnapLeft, 12210);
    EXPECT_EQ(placement().SnapTop, 4000);
}

TEST_F(Placement, TopBeatsBottomAndLeftBeatsRightWhenBothAreInReach)
{
    screen.area = QRect(0, 0, 220, 20); // 3300 x 300 twips
    const Box window(QStringLiteral("Ticker"), 0, 0, 3150, 250);
    SnapToEdges(window, QPointF(grabForLeft(20), grabForTop(20)));
    EXPECT_EQ(placement().SnapTop, 0);
    EXPECT_EQ(placement().SnapLeft, 0);
}

TEST_F(Placement, ADockedPairSnapsByTheChartBrowsersOuterEdge)
{
    Box ticker(QStringLiteral("Ticker"), 3000, 5000, 3150, 210);
    auto* below = new Box(QStringLiteral("Charts"), 3300, 5210, 3150, 2400);
    Forms::load(below);
    placement().docked = true;
    // The chart browser's bottom would land 100 twips below the work area's bottom.
    SnapVertical(ticker, QPointF(0, grabForTop(11070 - 2610 + 100)));
    EXPECT_TRUE(placement().snapped);
    EXPECT_EQ(placement().SnapTop, 11070 - 2610);
    // ... and its right edge 100 twips past the right edge (offset 300).
    SnapHorizontal(ticker, QPointF(grabForLeft(15360 - 3450 + 100), 0));
    EXPECT_EQ(placement().SnapLeft, 15360 - 3450);

    // Above the ticker, the chart browser's top edge snaps to the top.
    below->Move(3000, 2600);
    SnapVertical(ticker, QPointF(0, grabForTop(2400 - 90)));
    EXPECT_EQ(placement().SnapTop, 2400);

    // Undocked, the chart browser's edges play no part.
    placement().docked = false;
    SnapVertical(ticker, QPointF(0, grabForTop(2400 - 90)));
    EXPECT_FALSE(placement().snapped);
    Forms::reset();
}

TEST_F(Placement, PositionFieldsRoundHalvesToEven)
{
    const std::pair<double, qint32> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {40000.5, 40000}, {1e12, INT32_MAX}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(toPositionField(in), out) << in;
}

class DragStep : public Placement {
protected:
    QString saved(const char* name) const
    {
        return RegistryStore::current()->value(kChartsKey, QString::fromLatin1(name)).value_or(QString());
    }
    void saveChart(int left, int top)
    {
        WriteValue(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Left"), REG_SZ, left);
        WriteValue(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Top"), REG_SZ, top);
    }
    // Drags the ticker so that it would land at (left, top).
    void dragTo(Box& ticker, double left, double top) { DragTicker(ticker, QPointF(grabForLeft(left), grabForTop(top))); }
};

TEST_F(DragStep, ADockedPairWithTheChartBrowserClosedMovesItsSavedPlace)
{
    saveChart(3300, 3210);
    Box ticker(QStringLiteral("Ticker"), 3000, 3000, 3150, 210);
    placement().docked = true;
    TakeChartOffsets(ticker);
    EXPECT_EQ(placement().ChartOffsetX, -300);
    EXPECT_EQ(placement().ChartOffsetY, -210);
    for (const auto& [left, top] : {std::pair{4000, 4000}, {5500, 4500}, {50, 6000}}) {
        dragTo(ticker, left, top);
        EXPECT_EQ(saved("Left"), QString::number(ticker.Left() + 300));
        EXPECT_EQ(saved("Top"), QString::number(ticker.Top() + 210));
    }
    EXPECT_FLOAT_EQ(ticker.Left(), 0); // the last step snapped to the left edge
    EXPECT_FALSE(RegistryStore::current()->lastWriteFailed());
}

TEST_F(DragStep, ADockedPairWithTheChartBrowserOpenMovesTogether)
{
    Box ticker(QStringLiteral("Ticker"), 3000, 3000, 3150, 210);
    auto* chart = new Box(QStringLiteral("Charts"), 3300, 3210, 3150, 2400);
    Forms::load(chart);
    placement().docked = true;
    TakeChartOffsets(ticker);
    dragTo(ticker, 6000, 1000);
    EXPECT_FLOAT_EQ(ticker.Left(), 6000);
    EXPECT_FLOAT_EQ(ticker.Top(), 1000);
    EXPECT_FLOAT_EQ(chart->Left(), 6300);
    EXPECT_FLOAT_EQ(chart->Top(), 1210);
    Forms::reset();
}

TEST_F(DragStep, AnUndockedTickerSticksToAnOpenChartBrowser)
{
    // The vertical magnet needs the spans to overlap before the step.
    Box ticker(QStringLiteral("Ticker"), 5400, 1000, 3150, 210);
    auto* chart = new Box(QStringLiteral("Charts"), 5000, 5000, 3150, 2400);
    Forms::load(chart);
    // Ticker's top within reach of the chart browser's bottom, spans overlapping.
    dragTo(ticker, 5400, 7400 + 100);
    EXPECT_FLOAT_EQ(ticker.Top(), 7400);
    EXPECT_TRUE(placement().magnet);
    // Ticker's bottom within reach of the chart browser's top; left edges aligned.
    dragTo(ticker, 5000 + 90, 5000 - 210 - 60);
    EXPECT_FLOAT_EQ(ticker.Top(), 5000 - 210);
    EXPECT_FLOAT_EQ(ticker.Left(), 5000);
    EXPECT_TRUE(placement().magnet);
    // Far away: follows the mouse, no magnet.
    dragTo(ticker, 2000, 2000);
    EXPECT_FLOAT_EQ(ticker.Top(), 2000);
    EXPECT_FLOAT_EQ(ticker.Left(), 2000);
    EXPECT_FALSE(placement().magnet);
    Forms::reset();
}

TEST_F(DragStep, AClosedChartBrowsersSavedRectangleIsAMagnetSideways)
{
    saveChart(6000, 3000);
    Box ticker(QStringLiteral("Ticker"), 1000, 1000, 3150, 210);
    struct Case {
        double left, top;
        float expectLeft;
        bool magnet;
    };
    const Case cases[] = {
        {9150 + 100, 4000, 9150, true},         // left edge on its right edge
        {6000 - 80, 4000, 6000, true},          // left edges aligned
        {6000 - 3150 + 110, 3500, 2850, true},  // right edge on its left edge
        {9150 + 100, 6000, 9250, false},        // below it: no overlap, no magnet
        {8000, 4000, 8000, false},              // over it, no edge near
    };
    for (const auto& c : cases) {
        placement().magnet = false;
        dragTo(ticker, c.left, c.top);
        EXPECT_FLOAT_EQ(ticker.Left(), c.expectLeft) << c.left << "," << c.top;
        EXPECT_EQ(placement().magnet, c.magnet) << c.left << "," << c.top;
        EXPECT_FALSE(placement().docked);
    }
}

} // namespace
} // namespace quoterra
