#pragma once

#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/menus.h"
#include "quotes/quote_get.h"
#include "quotes/refresh_cycle.h"

#include <memory>

namespace quoterra {

class Inet;
class Resizer;

// The main window: a borderless strip drawn from skin pictures that shows
// one quote of the user's list at a time, shaded (one line) or full (seven
// values), and cycles through the list on its one-second timer.
class Ticker : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("Ticker");

    // Places of the skin's buttons, standard skin, in twips.
    static constexpr float kOptionsLeft = 30;
    static constexpr float kWindowLeft = 2790;
    static constexpr float kExitLeft = 2970;
    static constexpr float kChartLeft = 2760;
    static constexpr float kChartTop = 660;
    static constexpr float kSymbolEditorTop = 1020;

    Ticker();
    ~Ticker() override;

    // The face and its buttons.
    PictureBox* picSkin;
    PictureBox* picWindow;
    PictureBox* picOptions;
    PictureBox* picExit;
    PictureBox* picChart;
    PictureBox* picSymbolEditor;

    // Hidden holders of the skin pictures.
    PictureBox* picDefaultShade;
    PictureBox* picDefaultFull;
    PictureBox* picDefaultWIndowShade;
    PictureBox* picDefaultWindowFull;
    PictureBox* picDefaultOptions;
    PictureBox* picDefaultExit;
    PictureBox* picLargeShade;
    PictureBox* picLargeFull;
    PictureBox* picLargeWindowShade;
    PictureBox* picLargeWindowFull;
    PictureBox* picLargeOptions;
    PictureBox* picLargeExit;
    PictureBox* picLargeChartBrowser;
    PictureBox* picLargeSymbolManager;

    // The compact line.
    Label* Label1;
    Label* Label2;
    Label* Label3;

    // The full block: captions and values.
    Label* lblCurrentStock;
    Label* qCurrentStock;
    Label* lblLastPrice;
    Label* qLastPrice;
    Label* lblChange;
    Label* qChange;
    Label* lblOpenPrice;
    Label* qOpenPrice;
    Label* lblDailyHigh;
    Label* qDailyHigh;
    Label* lblDailyLow;
    Label* qDailyLow;
    Label* lblVolume;
    Label* qVolume;

    Timer* Timer2;
    Inet* inetQuotes;

    // The options menu.
    MenuItem* PMenu;
    MenuItem* AboutMenuItem;
    MenuItem* ConfiguartionMenuItem;
    MenuItem* CheckforUpdatesMenuItem;
    MenuItem* ChartBrowserMenuItem;
    MenuItem* SymbolManagerMenuItem;
    MenuItem* AlwaysOnTopMenuItem;
    MenuItem* PauseMenuItem;
    MenuItem* ExitMenuItem;

    // The research menu.
    MenuItem* ResearchMenu;
    MenuItem* NewsMenuItem;
    MenuItem* ChartsMenuItem;
    MenuItem* SmallMenuItem;
    MenuItem* SOneDayMenuItem;
    MenuItem* SFiveDayMenuItem;
    MenuItem* SOneYearMenuItem;
    MenuItem* LargeMenuItem;
    MenuItem* LOneDayMenuItem;
    MenuItem* LFiveDayMenuItem;
    MenuItem* LThreeMonthMenuItem;
    MenuItem* LOneYearMenuItem;
    MenuItem* LTwoYearMenuITem;
    MenuItem* LFiveYearMenuITem;
    MenuItem* MessageBoardMenuItem;
    MenuItem* CompanyProfileMenuItem;
    MenuItem* SECMenuItem;
    MenuItem* ResearchMenuItem;
    MenuItem* InsiderMenuItem;

    // Values other windows read and write.
    RefreshCycle cycle;       // interval, tick counter, paused flag
    bool hold = false;        // the next step keeps the current symbol once
    QString ResearchSymbol;
    bool notOnTop = false;
    TickerColors colors;

    // Dragging: the grab point and the double-click guard.
    float FormPosX = 0;
    float FormPosY = 0;
    bool DoubleClick = false;

    // Window-shade switching near the work-area bottom.
    bool movedUp = false;
    qint32 rememberedTop = 0;

    TickerLabels labels() const;

    void ApplyStandardSkin();
    // Shaded <-> full (the mode button, or a double click on the face).
    void ToggleWindowMode();
    // Pause <-> run (double click on the symbol, or the menu).
    void TogglePause();
    // One tick of Timer2.
    void RefreshStep();
    // Brings the options menu up to date and pops it up.
    void ShowOptionsMenu();
    void ToggleAlwaysOnTop();
    // Saves the ticker's and the chart browser's state (exit steps 1-8).
    void SaveState();
    // Saves and ends the program at once.
    void ExitProgram();

    // Heights of the two modes for the skin the settings name now.
    float fullHeight() const;
    float shadeHeight() const;

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void useLargeFontPictures();
    void growToLargeSkin();
    void placeChartBrowserAfterModeSwitch(float leavingHeight);
    void openResearch(int link, const QString& chartCode = {});
    void toggleWindow(MenuItem* item, const QString& formName);

    // Mouse protocol of the parts that move the window.
    void grab(float x, float y);
    void dragMove(int button);
    void releaseOver(int button);

    std::unique_ptr<Resizer> resizer_;
};

} // namespace quoterra
