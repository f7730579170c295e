#include "ticker_fixture.h"

#include "placement/placement.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

namespace quoterra {
namespace {

using test::MessageBoxAnswerer;
using test::StandIn;

class TickerWindow : public test::TickerTest {};

struct GeometryCase {
    const char* size;
    const char* height;
    int dpi;
    float width;
    float windowHeight;
    QPointF label1, label2, label3;
    float buttonTop;
};

TEST_F(TickerWindow, SizeAndPlacesFollowSkinModeAndFontSize)
{
    const float k = 4.0f / 3.0f;
    const GeometryCase cases[] = {
        {"Standard", "Shade", 96, 3150, 210, {220, 0}, {1105, 25}, {1900, 25}, 30},
        {"Standard", "Full", 96, 3150, 1740, {220, 0}, {1105, 25}, {1900, 25}, 30},
        {"Standard", "Shade", 120, 3156, 216, {220, 15}, {1105, 25}, {1900, 25}, 30},
        {"Standard", "Full", 120, 3156, 1740, {220, 15}, {1105, 25}, {1900, 25}, 30},
        {"Large", "Shade", 96, 4200, 285, {220 * k, 15}, {1105 * k, 30}, {1900 * k, 30}, 40},
        {"Large", "Full", 96, 4200, 2325, {220 * k, 15}, {1105 * k, 30}, {1900 * k, 30}, 40},
        {"Large", "Shade", 120, 3156 * k, 276, {220 * k, 15}, {1105 * k, 30}, {1900 * k, 30}, 50},
        {"Large", "Full", 120, 3156 * k, 2316, {220 * k, 15}, {1105 * k, 30}, {1900 * k, 30}, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " " + c.height + " " + std::to_string(c.dpi));
        test::TestProfile fresh;
        SetUp();
        screen.dpi = c.dpi;
        WriteMainSetting(QStringLiteral("Size"), QLatin1String(c.size));
        WriteMainSetting(QStringLiteral("Height"), QLatin1String(c.height));
        Ticker* t = load();
        ASSERT_NE(t, nullptr);
        EXPECT_NEAR(t->Width(), c.width, 0.01);
        EXPECT_NEAR(t->Height(), c.windowHeight, 0.01);
        EXPECT_EQ(t->picWindow->Tag, QLatin1String(c.height));
        const bool shade = QLatin1String(c.height) == QLatin1String("Shade");
        const std::pair<Label*, QPointF> compact[] = {{t->Label1, c.label1}, {t->Label2, c.label2}, {t->Label3, c.label3}};
        for (const auto& [label, place] : compact) {
            EXPECT_NEAR(label->Left(), place.x(), 0.01) << label->Name().toStdString();
            EXPECT_NEAR(label->Top(), place.y(), 0.01) << label->Name().toStdString();
            EXPECT_EQ(label->Visible(), shade) << label->Name().toStdString();
        }
        for (PictureBox* button : {t->picOptions, t->picWindow, t->picExit})
            EXPECT_NEAR(button->Top(), c.buttonTop, 0.01) << button->Name().toStdString();

        // Captions end on one right edge and values start on one left edge.
        const float scale = QLatin1String(c.size) == QLatin1String("Large") ? k : 1.0f;
        for (Label* caption : {t->lblCurrentStock, t->lblLastPrice, t->lblChange, t->lblOpenPrice, t->lblDailyHigh,
                               t->lblDailyLow, t->lblVolume})
            EXPECT_NEAR(caption->Left() + caption->Width(), 1305 * scale, 0.5) << caption->Name().toStdString();
        for (Label* value : {t->qCurrentStock, t->qLastPrice, t->qChange, t->qOpenPrice, t->qDailyHigh,
                             t->qDailyLow, t->qVolume})
            EXPECT_NEAR(value->Left(), 1410 * scale, 0.5) << value->Name().toStdString();
        EXPECT_EQ(t->lblVolume->font().pointSizeF(), scale == 1.0f ? 8.25 : 11.0);
        Forms::reset();
    }
}

TEST_F(TickerWindow, TheFullBlockShowsItsCaptionsInWhite)
{
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    const std::pair<Label*, const char*> captions[] = {
        {t->lblCurrentStock, "Current Symbol:"}, {t->lblLastPrice, "Last Price:"}, {t->lblChange, "Change:"},
        {t->lblOpenPrice, "Open Price:"},        {t->lblDailyHigh, "Daily High:"}, {t->lblDailyLow, "Daily Low:"},
        {t->lblVolume, "Volume:"},
    };
    for (const auto& [label, text] : captions) {
        EXPECT_EQ(label->Caption(), QLatin1String(text));
        EXPECT_EQ(label->ForeColor(), QColor(255, 255, 255));
    }
    EXPECT_EQ(t->picWindow->ToolTipText(), QStringLiteral("Toggle Windowshade Mode"));
    EXPECT_EQ(t->picOptions->ToolTipText(), QStringLiteral("Options Menu"));
    EXPECT_EQ(t->picExit->ToolTipText(), QStringLiteral("Close"));
    EXPECT_EQ(t->picChart->ToolTipText(), QStringLiteral("Chart Browser"));
    EXPECT_EQ(t->picSymbolEditor->ToolTipText(), QStringLiteral("Symbol Manager"));
}

TEST_F(TickerWindow, NearTheBottomItOpensUpwardAndShadesBackToWhereItWas)
{
    struct Case {
        const char* size;
        float top;
        float fullTop;
    };
    // Work area 1024 x 738 px at 15 twips a pixel: bottom edge 11070.
    const Case cases[] = {
        {"Standard", 10500, 11070 - 1740},
        {"Standard", 1000, 1000},
        {"Large", 10500, 11070 - 2320},
        {"Large", 600, 600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " at " + std::to_string(c.top));
        test::TestProfile fresh;
        SetUp();
        WriteMainSetting(QStringLiteral("Size"), QLatin1String(c.size));
        WriteMainSetting(QStringLiteral("Height"), QStringLiteral("Shade"));
        WriteMainSetting(QStringLiteral("Top"), QString::number(c.top));
        Ticker* t = load();
        ASSERT_NE(t, nullptr);
        const float shadeHeight = t->Height();
        const QPixmap shadeFace = t->picSkin->Picture();

        t->ToggleWindowMode();
        EXPECT_EQ(t->picWindow->Tag, QStringLiteral("Full"));
        EXPECT_FLOAT_EQ(t->Top(), c.fullTop);
        EXPECT_FLOAT_EQ(t->Height(), t->fullHeight());
        EXPECT_FALSE(t->Label1->Visible());
        EXPECT_NE(t->picSkin->Picture().cacheKey(), shadeFace.cacheKey());

        t->ToggleWindowMode();
        EXPECT_EQ(t->picWindow->Tag, QStringLiteral("Shade"));
        EXPECT_FLOAT_EQ(t->Top(), c.top);
        EXPECT_FLOAT_EQ(t->Height(), QLatin1String(c.size) == QLatin1String("Standard") ? shadeHeight : 280.0f);
        EXPECT_TRUE(t->Label1->Visible());
        EXPECT_TRUE(t->Label3->Visible());
        Forms::reset();
    }
}

TEST_F(TickerWindow, ADoubleClickOnTheFaceSwitchesTheModeAndStopsDragging)
{
    WriteMainSetting(QStringLiteral("Height"), QStringLiteral("Shade"));
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    QTest::mouseDClick(t->picSkin, Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(t->picWindow->Tag, QStringLiteral("Full"));
    QTest::mouseClick(t->picWindow, Qt::LeftButton);
    EXPECT_EQ(t->picWindow->Tag, QStringLiteral("Shade"));
}

TEST_F(TickerWindow, AWindowSavedOutsideTheWorkAreaIsPulledBackIn)
{
    const std::tuple<float, float, float, float> cases[] = {
        {-500, 20000, 0, 11070 - 1740},
        {20000, -300, 15360 - 3150, 0},
        {300, 450, 300, 450},
    };
    for (const auto& [left, top, expectLeft, expectTop] : cases) {
        test::TestProfile fresh;
        SetUp();
        WriteMainSetting(QStringLiteral("Left"), QString::number(left));
        WriteMainSetting(QStringLiteral("Top"), QString::number(top));
        Ticker* t = load();
        ASSERT_NE(t, nullptr);
        EXPECT_FLOAT_EQ(t->Left(), expectLeft) << left;
        EXPECT_FLOAT_EQ(t->Top(), expectTop) << top;
        Forms::reset();
    }
}

TEST_F(TickerWindow, DoubleClicksOnTheSymbolPauseAndResume)
{
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->cycle.paused);
    QTest::mouseDClick(t->qCurrentStock, Qt::LeftButton);
    EXPECT_TRUE(t->cycle.paused);
    EXPECT_EQ(t->PauseMenuItem->Caption(), QStringLiteral("&Resume"));
    t->ToggleWindowMode();
    QTest::mouseDClick(t->Label1, Qt::LeftButton);
    EXPECT_FALSE(t->cycle.paused);
    EXPECT_EQ(t->PauseMenuItem->Caption(), QStringLiteral("&Pause"));
}

TEST_F(TickerWindow, ARightClickOnTheSymbolOpensResearchForWhatItShows)
{
    test::writeSymbolFile(profile.symbolFile(), {{"30YR", "30 Year Bond"}, {"IBM", "IBM"}});
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->qCurrentStock->Caption(), QStringLiteral("30 YR BOND"));
    const float left = t->Left();
    QTest::mousePress(t->qCurrentStock, Qt::RightButton);
    EXPECT_EQ(t->ResearchSymbol, QStringLiteral("30 YR BOND"));
    EXPECT_TRUE(test::waitUntil([&] { return t->ResearchMenu->qmenu()->isVisible(); }));
    t->ResearchMenu->qmenu()->hide();

    t->ToggleWindowMode();
    QTest::mousePress(t->Label1, Qt::RightButton);
    QTest::mouseMove(t->Label1, QPoint(40, 8));
    QTest::mouseRelease(t->Label1, Qt::RightButton);
    EXPECT_EQ(t->ResearchSymbol, QStringLiteral("30 YR"));
    EXPECT_FLOAT_EQ(t->Left(), left);
    t->ResearchMenu->qmenu()->hide();

    // The price and change labels have no research menu.
    t->ResearchSymbol.clear();
    QTest::mousePress(t->Label2, Qt::RightButton);
    EXPECT_EQ(t->ResearchSymbol, QString());
}

TEST_F(TickerWindow, TheOptionsMenuShowsTheStateItWillChange)
{
    struct Case {
        bool paused;
        bool notOnTop;
        bool chartOpen;
        bool managerOpen;
    };
    for (int bits = 0; bits < 16; ++bits) {
        const Case c{bool(bits & 1), bool(bits & 2), bool(bits & 4), bool(bits & 8)};
        SCOPED_TRACE(bits);
        Ticker* t = load();
        ASSERT_NE(t, nullptr);
        t->cycle.paused = c.paused;
        t->notOnTop = c.notOnTop;
        StandIn* chart = c.chartOpen ? new StandIn(QStringLiteral("Charts")) : nullptr;
        StandIn* manager = c.managerOpen ? new StandIn(QStringLiteral("SymbolEditor")) : nullptr;
        if (chart)
            Forms::load(chart);
        if (manager)
            Forms::load(manager);

        QTest::mousePress(t->picOptions, bits % 2 ? Qt::RightButton : Qt::LeftButton);
        EXPECT_TRUE(test::waitUntil([&] { return t->PMenu->qmenu()->isVisible(); }));
        EXPECT_EQ(t->PauseMenuItem->Caption(), c.paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
        EXPECT_EQ(t->AlwaysOnTopMenuItem->Checked(), !c.notOnTop);
        EXPECT_EQ(t->ChartBrowserMenuItem->Checked(), c.chartOpen);
        EXPECT_EQ(t->SymbolManagerMenuItem->Checked(), c.managerOpen);
        t->PMenu->qmenu()->hide();
        Forms::reset();
    }
}

TEST_F(TickerWindow, TheMenuItemsCarryTheirCaptions)
{
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    QStringList captions;
    for (MenuItem* item : t->PMenu->items())
        captions << item->Caption();
    EXPECT_EQ(captions, (QStringList{"&About Quoterra...", "-", "&Configuation...", "Check For &Updates...", "-",
                                     "Chart Browser", "Symbol Manager", "-", "Always On &Top", "-", "&Pause", "-",
                                     "E&xit"}));
    QStringList research;
    for (MenuItem* item : t->ResearchMenu->items())
        research << item->Caption();
    EXPECT_EQ(research, (QStringList{"&News", "C&harts", "&Message Board", "Company &Profile", "&SEC", "&Research",
                                     "&Insider"}));
    QStringList small, large;
    for (MenuItem* item : t->SmallMenuItem->items())
        small << item->Caption();
    for (MenuItem* item : t->LargeMenuItem->items())
        large << item->Caption();
    EXPECT_EQ(small, (QStringList{"1 Day", "5 Day", "-", "1 Year"}));
    EXPECT_EQ(large, (QStringList{"1 Day", "5 Day", "-", "3 Month", "-", "1 Year", "2 Year", "5 Year"}));
}

TEST_F(TickerWindow, AlwaysOnTopTogglesFromTheMenu)
{
    WriteMainSetting(QStringLiteral("Always On Top"), QStringLiteral("False"));
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->topmost());
    EXPECT_TRUE(t->notOnTop);
    t->AlwaysOnTopMenuItem->trigger();
    EXPECT_TRUE(t->topmost());
    EXPECT_FALSE(t->notOnTop);
    t->AlwaysOnTopMenuItem->trigger();
    EXPECT_FALSE(t->topmost());
    EXPECT_TRUE(t->notOnTop);
}

TEST_F(TickerWindow, WindowItemsOpenAndCloseTheirWindowsOnlyWhenTheyExist)
{
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    Forms::registerForm(QStringLiteral("SymbolEditor"), [] { return new StandIn(QStringLiteral("SymbolEditor")); });
    t->SymbolManagerMenuItem->trigger();
    EXPECT_TRUE(Forms::isLoaded(QStringLiteral("SymbolEditor")));
    EXPECT_TRUE(t->SymbolManagerMenuItem->Checked());
    t->SymbolManagerMenuItem->trigger();
    EXPECT_FALSE(Forms::isLoaded(QStringLiteral("SymbolEditor")));
    EXPECT_FALSE(t->SymbolManagerMenuItem->Checked());

    // No chart browser in this program yet: the item stays unchecked.
    if (!Forms::isRegistered(QStringLiteral("Charts"))) {
        t->ChartBrowserMenuItem->trigger();
        EXPECT_FALSE(t->ChartBrowserMenuItem->Checked());
        EXPECT_FALSE(Forms::isLoaded(QStringLiteral("Charts")));
    }
}

} // namespace
} // namespace quoterra
