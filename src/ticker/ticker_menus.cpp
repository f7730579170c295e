#include "ticker.h"

#include "research_links.h"

#include "app/context/application.h"
#include "ui/controls.h"
#include "ui/shell.h"

#include <QMenu>

namespace quoterra {

void Ticker::buildMenus()
{
    optionsMenu = new QMenu(this);
    optionsMenu->setObjectName(QStringLiteral("optionsMenu"));
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    connect(item(optionsMenu, "AboutMenuItem", "&About Quoterra..."), &QAction::triggered, this,
            [this] { about_.loadAndShow(); });
    optionsMenu->addSeparator();
    connect(item(optionsMenu, "ConfigurationMenuItem", "&Configuation..."), &QAction::triggered, this,
            [this] { configuration_.loadAndShow(); });
    connect(item(optionsMenu, "CheckforUpdatesMenuItem", "Check For &Updates..."), &QAction::triggered, this,
            [this] { updateChecker_.loadAndShow(); });
    optionsMenu->addSeparator();
    ChartBrowserMenuItem = item(optionsMenu, "ChartBrowserMenuItem", "Chart Browser");
    SymbolManagerMenuItem = item(optionsMenu, "SymbolManagerMenuItem", "Symbol Manager");
    optionsMenu->addSeparator();
    AlwaysOnTopMenuItem = item(optionsMenu, "AlwaysOnTopMenuItem", "Always On &Top");
    optionsMenu->addSeparator();
    PauseMenuItem = item(optionsMenu, "PauseMenuItem", "&Pause");
    optionsMenu->addSeparator();
    connect(item(optionsMenu, "ExitMenuItem", "E&xit"), &QAction::triggered, this, &Ticker::exitProgram);
    connect(AlwaysOnTopMenuItem, &QAction::triggered, this, &Ticker::toggleAlwaysOnTop);
    connect(PauseMenuItem, &QAction::triggered, this, &Ticker::togglePause);

    // A marked item closes its window, an unmarked one opens it. Only a
    // marked item can be checked, so the mark it had is whether it is
    // checkable.
    auto toggles = [this](QAction* action, auto& slot) {
        connect(action, &QAction::triggered, this, [action, &slot] {
            if (action->isCheckable()) {
                slot.unload();
                setCheckMark(action, false);
            } else if (slot.loadAndShow()) {
                setCheckMark(action, true);
            }
        });
    };
    toggles(ChartBrowserMenuItem, chartBrowser_);
    toggles(SymbolManagerMenuItem, symbolManager_);

    ResearchMenu = new QMenu(this);
    ResearchMenu->setObjectName(QStringLiteral("ResearchMenu"));
    auto link = [this, item](QMenu* menu, const char* name, const char* caption, ResearchLink to,
                             const char* code = "") {
        connect(item(menu, name, caption), &QAction::triggered, this, [this, to, code] {
            // Nothing is sent to another program that took the service's place.
            if (app_.serviceTrusted())
                openInBrowser(researchAddress(app_.hosts(), to, ResearchSymbol, QLatin1String(code)));
        });
    };
    link(ResearchMenu, "NewsMenuItem", "&News", ResearchLink::News);
    QMenu* charts = ResearchMenu->addMenu(QStringLiteral("C&harts"));
    charts->menuAction()->setObjectName(QStringLiteral("ChartsMenuItem"));
    QMenu* small = charts->addMenu(QStringLiteral("&Small"));
    small->menuAction()->setObjectName(QStringLiteral("SmallMenuItem"));
    link(small, "SOneDayMenuItem", "1 Day", ResearchLink::Chart, "&d=1b");
    link(small, "SFiveDayMenuItem", "5 Day", ResearchLink::Chart, "&d=2b");
    small->addSeparator();
    link(small, "SOneYearMenuItem", "1 Year", ResearchLink::Chart, "&d=0b");
    QMenu* large = charts->addMenu(QStringLiteral("&Large"));
    large->menuAction()->setObjectName(QStringLiteral("LargeMenuItem"));
    link(large, "LOneDayMenuItem", "1 Day", ResearchLink::Chart, "&d=1d");
    link(large, "LFiveDayMenuItem", "5 Day", ResearchLink::Chart, "&d=5d");
    large->addSeparator();
    link(large, "LThreeMonthMenuItem", "3 Month", ResearchLink::Chart, "&d=3m");
    large->addSeparator();
    link(large, "LOneYearMenuItem", "1 Year", ResearchLink::Chart, "&d=1y");
    link(large, "LTwoYearMenuItem", "2 Year", ResearchLink::Chart, "&d=2y");
    link(large, "LFiveYearMenuItem", "5 Year", ResearchLink::Chart, "&d=5y");
    link(ResearchMenu, "MessageBoardMenuItem", "&Message Board", ResearchLink::MessageBoard);
    link(ResearchMenu, "CompanyProfileMenuItem", "Company &Profile", ResearchLink::Profile);
    link(ResearchMenu, "SECMenuItem", "&SEC", ResearchLink::Filings);
    link(ResearchMenu, "ResearchMenuItem", "&Research", ResearchLink::Research);
    link(ResearchMenu, "InsiderMenuItem", "&Insider", ResearchLink::Insider);
}

void Ticker::showOptionsMenu(QPoint globalPos)
{
    PauseMenuItem->setText(refresh_.pauseCaption());
    setCheckMark(AlwaysOnTopMenuItem, !notOnTop_);
    setCheckMark(ChartBrowserMenuItem, chartBrowser_.loaded() != nullptr);
    setCheckMark(SymbolManagerMenuItem, symbolManager_.loaded() != nullptr);
    optionsMenu->popup(globalPos);
}

void Ticker::popupResearchMenu(const QString& symbol, QPoint globalPos)
{
    ResearchSymbol = symbol;
    ResearchMenu->popup(globalPos);
}

void Ticker::toggleAlwaysOnTop()
{
    setTopmost(notOnTop_);
    notOnTop_ = !notOnTop_;
}

} // namespace quoterra
