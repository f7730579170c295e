#include "ticker.h"

#include "research_links.h"

#include "platform/shell.h"

namespace quoterra {

void Ticker::buildMenus()
{
    auto item = [this](const char* name, const char* caption, MenuItem* parentMenu) {
        return new MenuItem(this, QLatin1String(name), QString::fromUtf8(caption), parentMenu);
    };

    PMenu = item("PMenu", "PMenu", nullptr);
    AboutMenuItem = item("AboutMenuItem", "&About Quoterra...", PMenu);
    item("MenuDivider7", "-", PMenu);
    ConfiguartionMenuItem = item("ConfiguartionMenuItem", "&Configuation...", PMenu);
    CheckforUpdatesMenuItem = item("CheckforUpdatesMenuItem", "Check For &Updates...", PMenu);
    item("MenuDivider8", "-", PMenu);
    ChartBrowserMenuItem = item("ChartBrowserMenuItem", "Chart Browser", PMenu);
    SymbolManagerMenuItem = item("SymbolManagerMenuItem", "Symbol Manager", PMenu);
    item("MenuDivider6", "-", PMenu);
    AlwaysOnTopMenuItem = item("AlwaysOnTopMenuItem", "Always On &Top", PMenu);
    item("MenuDivider2", "-", PMenu);
    PauseMenuItem = item("PauseMenuItem", "&Pause", PMenu);
    item("MenuDivider", "-", PMenu);
    ExitMenuItem = item("ExitMenuItem", "E&xit", PMenu);

    ResearchMenu = item("ResearchMenu", "ResearchMenu", nullptr);
    NewsMenuItem = item("NewsMenuItem", "&News", ResearchMenu);
    ChartsMenuItem = item("ChartsMenuItem", "C&harts", ResearchMenu);
    SmallMenuItem = item("SmallMenuItem", "&Small", ChartsMenuItem);
    SOneDayMenuItem = item("SOneDayMenuItem", "1 Day", SmallMenuItem);
    SFiveDayMenuItem = item("SFiveDayMenuItem", "5 Day", SmallMenuItem);
    item("MenuDivider3", "-", SmallMenuItem);
    SOneYearMenuItem = item("SOneYearMenuItem", "1 Year", SmallMenuItem);
    LargeMenuItem = item("LargeMenuItem", "&Large", ChartsMenuItem);
    LOneDayMenuItem = item("LOneDayMenuItem", "1 Day", LargeMenuItem);
    LFiveDayMenuItem = item("LFiveDayMenuItem", "5 Day", LargeMenuItem);
    item("MenuDivider4", "-", LargeMenuItem);
    LThreeMonthMenuItem = item("LThreeMonthMenuItem", "3 Month", LargeMenuItem);
    item("MenuDivider5", "-", LargeMenuItem);
    LOneYearMenuItem = item("LOneYearMenuItem", "1 Year", LargeMenuItem);
    LTwoYearMenuITem = item("LTwoYearMenuITem", "2 Year", LargeMenuItem);
    LFiveYearMenuITem = item("LFiveYearMenuITem", "5 Year", LargeMenuItem);
    MessageBoardMenuItem = item("MessageBoardMenuItem", "&Message Board", ResearchMenu);
    CompanyProfileMenuItem = item("CompanyProfileMenuItem", "Company &Profile", ResearchMenu);
    SECMenuItem = item("SECMenuItem", "&SEC", ResearchMenu);
    ResearchMenuItem = item("ResearchMenuItem", "&Research", ResearchMenu);
    InsiderMenuItem = item("InsiderMenuItem", "&Insider", ResearchMenu);

    connect(AboutMenuItem, &MenuItem::Click, this, [] { Forms::show(QStringLiteral("About")); });
    connect(ConfiguartionMenuItem, &MenuItem::Click, this, [] { Forms::show(QStringLiteral("Config")); });
    connect(CheckforUpdatesMenuItem, &MenuItem::Click, this, [] { Forms::show(QStringLiteral("UpdateChecker")); });
    connect(ChartBrowserMenuItem, &MenuItem::Click, this,
            [this] { toggleWindow(ChartBrowserMenuItem, QStringLiteral("Charts")); });
    connect(SymbolManagerMenuItem, &MenuItem::Click, this,
            [this] { toggleWindow(SymbolManagerMenuItem, QStringLiteral("SymbolEditor")); });
    connect(AlwaysOnTopMenuItem, &MenuItem::Click, this, &Ticker::ToggleAlwaysOnTop);
    connect(PauseMenuItem, &MenuItem::Click, this, &Ticker::TogglePause);
    connect(ExitMenuItem, &MenuItem::Click, this, &Ticker::ExitProgram);

    const int chart = int(ResearchLink::Chart);
    const std::pair<MenuItem*, int> links[] = {
        {NewsMenuItem, int(ResearchLink::News)},
        {CompanyProfileMenuItem, int(ResearchLink::Profile)},
        {SECMenuItem, int(ResearchLink::Filings)},
        {ResearchMenuItem, int(ResearchLink::Research)},
        {InsiderMenuItem, int(ResearchLink::Insider)},
        {MessageBoardMenuItem, int(ResearchLink::MessageBoard)},
    };
    for (const auto& [menuItem, link] : links)
        connect(menuItem, &MenuItem::Click, this, [this, link = link] { openResearch(link); });
    const std::pair<MenuItem*, const char*> charts[] = {
        {SOneDayMenuItem, "&d=1b"},  {SFiveDayMenuItem, "&d=2b"}, {SOneYearMenuItem, "&d=0b"},
        {LOneDayMenuItem, "&d=1d"},  {LFiveDayMenuItem, "&d=5d"}, {LThreeMonthMenuItem, "&d=3m"},
        {LOneYearMenuItem, "&d=1y"}, {LTwoYearMenuITem, "&d=2y"}, {LFiveYearMenuITem, "&d=5y"},
    };
    for (const auto& [menuItem, code] : charts)
        connect(menuItem, &MenuItem::Click, this,
                [this, chart, code = code] { openResearch(chart, QLatin1String(code)); });
}

void Ticker::ShowOptionsMenu()
{
    PauseMenuItem->setCaption(QString::fromLatin1(cycle.pauseCaption()));
    AlwaysOnTopMenuItem->setChecked(!notOnTop);
    ChartBrowserMenuItem->setChecked(Forms::isLoaded(QStringLiteral("Charts")));
    SymbolManagerMenuItem->setChecked(Forms::isLoaded(QStringLiteral("SymbolEditor")));
    PopupMenu(PMenu);
}

void Ticker::ToggleAlwaysOnTop()
{
    if (notOnTop) {
        setTopmost(true);
        notOnTop = false;
    } else {
        setTopmost(false);
        notOnTop = true;
    }
}

void Ticker::toggleWindow(MenuItem* item, const QString& formName)
{
    if (item->Checked()) {
        Forms::unload(formName);
        item->setChecked(false);
    } else if (Forms::show(formName)) {
        item->setChecked(true);
    }
}

void Ticker::openResearch(int link, const QString& chartCode)
{
    ShellOpen(researchAddress(ResearchLink(link), ResearchSymbol, chartCode));
}

} // namespace quoterra
