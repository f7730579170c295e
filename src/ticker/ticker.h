#pragma once

#include "skin.h"

#include "charts/chart_window.h"
#include "placement/docked_pair.h"
#include "quotes/quote_cycle.h"
#include "ui/form.h"

#include <QPointF>
#include <QTimer>

#include <optional>

class QAction;
class QMenu;

namespace quoterra {

class Application;
class Label;
class PictureBox;
class Ticker;
class Transfer;

// The windows the ticker opens; the program makes them.
struct TickerWindows {
    std::function<Form*()> about;
    std::function<Form*()> configuration;
    std::function<Form*()> updateChecker;
    std::function<Form*()> symbolManager;
    std::function<ChartWindow*()> chartBrowser;
};

// The main window: a borderless strip drawn from skin pictures that shows
// one quote of the user's list at a time, shaded (one line) or full (seven
// values), and cycles through the list on its one-second timer.
class Ticker : public Window, public PairTicker {
    Q_OBJECT
public:
    // `pair` places the ticker together with the chart browser.
    Ticker(Application& app, DockedPair& pair, TickerWindows windows);
    ~Ticker() override;

    WindowMode windowMode() const { return mode_; }
    // The chart browser when it is loaded, else nullptr.
    ChartWindow* chartBrowser() const { return chartBrowser_.loaded(); }

    RectTwips placeTwips() const override { return {leftTwips(), topTwips(), widthTwips(), heightTwips()}; }
    void moveToTwips(float left, float top) override { moveTwips(left, top); }
    float standardShadeHeight() const override;
    float standardFullHeight() const override;

    // The symbol of the list the ticker shows now, as the quote request has it.
    QString currentSymbol() const { return cycle_.cursor.CurrentSymbol; }
    // Pops up the research menu about `symbol`.
    void popupResearchMenu(const QString& symbol, QPoint globalPos);

    // Saves place, mode and the on-top choice, as the exit does.
    void savePlaceAndMode();
    // Saves the ticker's and the chart browser's state (the exit's saving).
    // Without `mayOpenWindows` (the display is gone) a closed chart
    // browser's place is kept as it was saved.
    void saveState(bool mayOpenWindows = true);
    // Saves and ends the program at once.
    void exitProgram();

    // Shaded <-> full (the mode button, or a double click on the face).
    void toggleWindowMode();
    // Pause <-> run (a double click on the symbol, or the menu).
    void togglePause();
    void toggleAlwaysOnTop();
    // One tick of the refresh timer.
    void refreshStep();

protected:
    void onLoad() override;
    bool onUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void ApplyStandardSkin();
    void growToLargeSkin();
    void showView();
    void showOptionsMenu(QPoint globalPos);
    void fetchQuote();
    bool standardSkinNow() const;
    float fullHeight(bool standardSkin) const;
    float shadeHeight(bool standardSkin) const;

    // The mouse protocol of the parts that move the window.
    bool mouseOnMovingPart(QWidget* part, QMouseEvent* event);

    Application& app_;
    DockedPair& pair_;
    FormSlot<Form> about_;
    FormSlot<Form> configuration_;
    FormSlot<Form> updateChecker_;
    FormSlot<Form> symbolManager_;
    FormSlot<ChartWindow> chartBrowser_;

    SkinPictures standard_;
    std::optional<SkinPictures> large_; // only when the large skin is first shown
    const SkinPictures& largeSkin();
    WindowMode mode_ = WindowMode::Full;
    QuoteCycle cycle_;
    RefreshCycle refresh_;
    float largeFactor_ = 1; // how the large skin scaled the standard one
    bool notOnTop_ = false;
    // How far the load got: an exit before a value was restored leaves its
    // saved value alone.
    enum class LoadStage {
        NotLoaded,
        ListOpened,
        Placed,        // Left and Top
        ModeKnown,     // Height
        DockedKnown,   // Docked
        OnTopKnown,    // Always On Top
        ChartsRestored // the chart browser reopened, or not
    };
    LoadStage loaded_ = LoadStage::NotLoaded;

    // Dragging: the double-click guard.
    bool doubleClick_ = false;
    QWidget* clickStart_ = nullptr;

    PictureBox* picSkin = nullptr;
    PictureBox* picWindow = nullptr;
    PictureBox* picOptions = nullptr;
    PictureBox* picExit = nullptr;
    PictureBox* picChart = nullptr;
    PictureBox* picSymbolEditor = nullptr;
    Label* lblCompactSymbol = nullptr;
    Label* lblCompactPrice = nullptr;
    Label* lblCompactChange = nullptr;
    Label* lblCurrentStock = nullptr;
    Label* lblLastPrice = nullptr;
    Label* lblChange = nullptr;
    Label* lblOpenPrice = nullptr;
    Label* lblDailyHigh = nullptr;
    Label* lblDailyLow = nullptr;
    Label* lblVolume = nullptr;
    Label* qCurrentStock = nullptr;
    Label* qLastPrice = nullptr;
    Label* qChange = nullptr;
    Label* qOpenPrice = nullptr;
    Label* qDailyHigh = nullptr;
    Label* qDailyLow = nullptr;
    Label* qVolume = nullptr;
    QTimer* refreshTimer_;
    Transfer* inetQuotes = nullptr;

    QMenu* optionsMenu = nullptr;
    QAction* PauseMenuItem = nullptr;
    QAction* AlwaysOnTopMenuItem = nullptr;
    QAction* ChartBrowserMenuItem = nullptr;
    QAction* SymbolManagerMenuItem = nullptr;
    QMenu* ResearchMenu = nullptr;
    QString ResearchSymbol;
};

} // namespace quoterra
