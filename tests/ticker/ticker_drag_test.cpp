#include "ticker_fixture.h"

#include "placement/placement.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace quoterra {
namespace {

using test::StandIn;

class TickerDrag : public test::TickerTest {
protected:
    Ticker* loadAt(float left, float top, const char* mode = "Shade")
    {
        WriteMainSetting(QStringLiteral("Left"), QString::number(left));
        WriteMainSetting(QStringLiteral("Top"), QString::number(top));
        WriteMainSetting(QStringLiteral("Height"), QLatin1String(mode));
        placement() = PlacementState{};
        Ticker* t = load();
        if (t && !QTest::qWaitForWindowExposed(t))
            ADD_FAILURE() << "the ticker was never shown";
        return t;
    }
    // Moves the mouse, button held, to a point given in screen pixels.
    static void moveTo(QWidget* w, QPoint global) { QTest::mouseMove(w, w->mapFromGlobal(global)); }
};

TEST_F(TickerDrag, EveryGripKeepsItsGrabPointUnderTheMouse)
{
    for (const char* grip : {"picSkin", "Label1", "Label2", "Label3"}) {
        SCOPED_TRACE(grip);
        Ticker* t = loadAt(3000, 3000);
        ASSERT_NE(t, nullptr);
        t->Label1->setCaption(QStringLiteral("IBM"));
        t->Label2->setCaption(QStringLiteral("112.45"));
        t->Label3->setCaption(QStringLiteral("+1.25"));
        auto* w = t->control(QLatin1String(grip));
        const QPoint inside(3, 4);
        const QPoint start = w->mapToGlobal(inside);
        QTest::mousePress(w, Qt::LeftButton, {}, inside);
        EXPECT_FLOAT_EQ(t->FormPosX, w->Left() + 3 * 15);
        EXPECT_FLOAT_EQ(t->FormPosY, w->Top() + 4 * 15);
        for (int step = 1; step <= 4; ++step)
            moveTo(w, start + QPoint(25 * step, 10 * step));
        QTest::mouseRelease(w, Qt::LeftButton, {}, w->mapFromGlobal(start + QPoint(100, 40)));
        // A grip placed between pixels is drawn at the nearest one, so the
        // window lands up to half a pixel (here 5 twips) from the exact move.
        const float offsetX = pixelsX(w->Left()) * 15 - w->Left();
        const float offsetY = pixelsY(w->Top()) * 15 - w->Top();
        EXPECT_FLOAT_EQ(t->Left(), 3000 + 100 * 15 + offsetX);
        EXPECT_FLOAT_EQ(t->Top(), 3000 + 40 * 15 + offsetY);
        EXPECT_EQ(t->pos(), QPoint(200 + 100, 200 + 40));
        Forms::reset();
    }
}

TEST_F(TickerDrag, TheFaceSnapsToTheWorkAreaEdge)
{
    Ticker* t = loadAt(3000, 3000);
    ASSERT_NE(t, nullptr);
    const QPoint start = t->picSkin->mapToGlobal(QPoint(50, 5));
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, QPoint(50, 5));
    // 3000 twips = 200 px down to the top: stop 8 px short (120 twips).
    moveTo(t->picSkin, start - QPoint(0, 192));
    EXPECT_FLOAT_EQ(t->Top(), 0);
    moveTo(t->picSkin, start - QPoint(0, 191));
    EXPECT_FLOAT_EQ(t->Top(), 135);
    QTest::mouseRelease(t->picSkin, Qt::LeftButton, {}, t->picSkin->mapFromGlobal(start - QPoint(0, 191)));
}

TEST_F(TickerDrag, AfterADoubleClickOnTheFaceMovesDoNotDragUntilTheButtonGoesUp)
{
    Ticker* t = loadAt(3000, 3000);
    ASSERT_NE(t, nullptr);
    auto send = [t](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(local), QPointF(t->picSkin->mapToGlobal(local)), button, held, Qt::NoModifier);
        QApplication::sendEvent(t->picSkin, &e);
    };
    const QPoint grip(50, 5);
    // A click, then the second press of a double click, with the button kept down.
    QTest::mouseClick(t->picSkin, Qt::LeftButton, {}, grip);
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonDblClick, grip, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(t->picWindow->Tag, QStringLiteral("Full"));
    EXPECT_TRUE(t->DoubleClick);
    send(QEvent::MouseMove, grip + QPoint(60, 60), Qt::NoButton, Qt::LeftButton);
    EXPECT_FLOAT_EQ(t->Left(), 3000);
    EXPECT_FLOAT_EQ(t->Top(), 3000);
    send(QEvent::MouseButtonRelease, grip + QPoint(60, 60), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(t->DoubleClick);

    const QPoint start = t->picSkin->mapToGlobal(grip);
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, grip);
    moveTo(t->picSkin, start + QPoint(60, 60));
    EXPECT_FLOAT_EQ(t->Left(), 3000 + 60 * 15);
    QTest::mouseRelease(t->picSkin, Qt::LeftButton, {}, t->picSkin->mapFromGlobal(start + QPoint(60, 60)));
}

TEST_F(TickerDrag, LeftAndRightHeldTogetherDoNotDrag)
{
    Ticker* t = loadAt(3000, 3000);
    ASSERT_NE(t, nullptr);
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, QPoint(50, 5));
    const QPoint local(120, 40);
    QMouseEvent both(QEvent::MouseMove, QPointF(local), QPointF(t->picSkin->mapToGlobal(local)), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(t->picSkin, &both);
    EXPECT_FLOAT_EQ(t->Left(), 3000);
    EXPECT_FLOAT_EQ(t->Top(), 3000);
}

TEST_F(TickerDrag, LettingGoOverTheFaceDocksOrUndocksButOverALabelChangesNothing)
{
    WriteChartsSetting(QStringLiteral("Left"), QStringLiteral("3000"));
    WriteChartsSetting(QStringLiteral("Top"), QStringLiteral("3210"));
    Ticker* t = loadAt(6000, 1200);
    ASSERT_NE(t, nullptr);
    ASSERT_FALSE(placement().docked);
    // Drag by the symbol until the strip's left edge meets the closed chart
    // browser's right edge (3000 + 3150), overlapping it vertically.
    const QPoint start = t->Label1->mapToGlobal(QPoint(3, 5));
    QTest::mousePress(t->Label1, Qt::LeftButton, {}, QPoint(3, 5));
    moveTo(t->Label1, start + QPoint(10, 150));
    EXPECT_FLOAT_EQ(t->Left(), 6150);
    EXPECT_TRUE(placement().magnet);
    QTest::mouseRelease(t->Label1, Qt::LeftButton, {}, t->Label1->mapFromGlobal(start + QPoint(10, 150)));
    EXPECT_FALSE(placement().docked) << "a release over a label leaves the flag alone";

    // Any button let go over the face, even without a drag, docks.
    QTest::mouseClick(t->picSkin, Qt::RightButton, {}, QPoint(100, 5));
    EXPECT_TRUE(placement().docked);

    Forms::reset();

    // A docked pair whose left edges are 300 twips apart moves as one, but
    // nothing holds it together: let go over the face, it is undocked.
    WriteMainSetting(QStringLiteral("Docked"), QStringLiteral("True"));
    WriteChartsSetting(QStringLiteral("Left"), QStringLiteral("4800"));
    WriteChartsSetting(QStringLiteral("Top"), QStringLiteral("3210"));
    t = loadAt(4500, 3000);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(placement().docked);
    const QPoint grip = t->picSkin->mapToGlobal(QPoint(30, 5));
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, QPoint(30, 5));
    moveTo(t->picSkin, grip + QPoint(20, 100));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Left")), QString::number(t->Left() + 300));
    EXPECT_FALSE(placement().magnet);
    QTest::mouseRelease(t->picSkin, Qt::LeftButton, {}, t->picSkin->mapFromGlobal(grip + QPoint(20, 100)));
    EXPECT_FALSE(placement().docked);
}

TEST_F(TickerDrag, ADockedDragWithTheChartBrowserClosedRewritesItsSavedPlaceAtEachMove)
{
    WriteChartsSetting(QStringLiteral("Left"), QStringLiteral("4500"));
    WriteChartsSetting(QStringLiteral("Top"), QStringLiteral("3210"));
    WriteMainSetting(QStringLiteral("Docked"), QStringLiteral("True"));
    Ticker* t = loadAt(4200, 3000);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(placement().docked);
    const QPoint start = t->picSkin->mapToGlobal(QPoint(30, 5));
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, QPoint(30, 5));
    for (int step = 1; step <= 5; ++step) {
        moveTo(t->picSkin, start + QPoint(20 * step, 30 * step));
        const QString file = profile.registryText();
        const int chartsAt = file.indexOf(QLatin1String("[Software\\Quoterra\\Charts]"));
        ASSERT_GE(chartsAt, 0);
        EXPECT_TRUE(file.mid(chartsAt).contains(QStringLiteral("\nLeft=%1\n").arg(t->Left() + 300))) << step;
        EXPECT_TRUE(file.mid(chartsAt).contains(QStringLiteral("\nTop=%1\n").arg(t->Top() + 210))) << step;
    }
}

TEST_F(TickerDrag, AnOpenDockedChartBrowserTravelsWithTheTicker)
{
    WriteMainSetting(QStringLiteral("Docked"), QStringLiteral("True"));
    Ticker* t = loadAt(3000, 3000);
    ASSERT_NE(t, nullptr);
    auto* chart = new StandIn(QStringLiteral("Charts"), 3300, 3210);
    Forms::load(chart);
    const QPoint start = t->picSkin->mapToGlobal(QPoint(30, 5));
    QTest::mousePress(t->picSkin, Qt::LeftButton, {}, QPoint(30, 5));
    moveTo(t->picSkin, start + QPoint(40, 20));
    EXPECT_FLOAT_EQ(chart->Left(), t->Left() + 300);
    EXPECT_FLOAT_EQ(chart->Top(), t->Top() + 210);
    EXPECT_FLOAT_EQ(t->Left(), 3600);
}

} // namespace
} // namespace quoterra
