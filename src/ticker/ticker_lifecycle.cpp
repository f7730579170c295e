#include "ticker.h"

#include "placement/placement.h"
#include "skin_pictures.h"

#include "platform/inet.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platform/settings.h"
#include "resizer/resizer.h"

namespace quoterra {

namespace {

QString captionOf(Form* form, const char* controlName)
{
    auto* label = qobject_cast<Label*>(form->control(QString::fromLatin1(controlName)));
    return label ? label->Caption() : QString();
}

} // namespace

void Ticker::useLargeFontPictures()
{
    for (PictureBox* holder : {picDefaultShade, picDefaultFull, picDefaultWIndowShade, picDefaultWindowFull,
                               picDefaultOptions, picDefaultExit, picLargeShade, picLargeFull, picLargeWindowShade,
                               picLargeWindowFull, picLargeOptions, picLargeExit, picLargeChartBrowser,
                               picLargeSymbolManager, picChart, picSymbolEditor})
        holder->setPicture(skinPicture(largeFontName(holder->Name())));
}

void Ticker::growToLargeSkin()
{
    resizer_ = std::make_unique<Resizer>();
    connect(resizer_.get(), &Resizer::ResizeError, this,
            [] { MsgBox(QStringLiteral("Resize Error"), vbOKOnly, kApplicationTitle); });
    resizer_->Resize(this);
    setWidth(Width() * 4 / 3);
    setHeight(Height() * 4 / 3);
    resizer_->Resize(this);

    picOptions->setPicture(picLargeOptions->Picture());
    picExit->setPicture(picLargeExit->Picture());
    picChart->setPicture(picLargeChartBrowser->Picture());
    picSymbolEditor->setPicture(picLargeSymbolManager->Picture());

    for (Label* l : {lblCurrentStock, lblLastPrice, lblChange, lblOpenPrice, lblDailyHigh, lblDailyLow, lblVolume,
                     qCurrentStock, qLastPrice, qChange, qOpenPrice, qDailyHigh, qDailyLow, qVolume})
        l->setFontSize(11);
    Label1->setTop(15);
    Label2->setTop(30);
    Label3->setTop(30);
    Label1->setFontSize(11);
    Label2->setFontSize(10);
    Label3->setFontSize(10);
    if (DPI() == 120) {
        picExit->setTop(50);
        picWindow->setTop(50);
        picOptions->setTop(50);
    }
    if (picWindow->Tag == QLatin1String("Shade")) {
        picWindow->setPicture(picLargeWindowShade->Picture());
        picSkin->setPicture(picLargeShade->Picture());
    } else {
        picWindow->setPicture(picLargeWindowFull->Picture());
        picSkin->setPicture(picLargeFull->Picture());
    }
}

void Ticker::Form_Load()
{
    Timer2->setEnabled(false);
    makeApplicationDirectoryCurrent();
    LoadSymbolFile(quoteState().cursor);
    setBorderless(true);
    Move(float(GetNumber(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left"))),
         float(GetNumber(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Top"))));

    if (DPI() == 120) {
        useLargeFontPictures();
        for (Label* l : {Label1, Label2, Label3})
            l->setTop(15);
    }

    picWindow->Tag = MainSetting("Height");
    const bool standard = MainSetting("Size") == QLatin1String("Standard");
    if (picWindow->Tag == QLatin1String("Shade"))
        setHeight(standard ? picDefaultShade->Height() : picLargeShade->Height());
    else
        setHeight(standard ? picDefaultFull->Height() : picLargeFull->Height());
    setWidth(picSkin->Width());
    if (picWindow->Tag == QLatin1String("Full")) {
        for (Label* l : {Label1, Label2, Label3})
            l->hide();
    }

    ApplyStandardSkin();
    setWidth(picSkin->Width());
    KeepInWorkArea(*this);

    cycle.paused = false;
    cycle.Interval = short(roundHalfEven(GetNumber(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval"), -32768, 32767)));

    for (PictureBox* button : {picOptions, picWindow, picExit})
        button->setTop((picDefaultShade->Height() - button->Height()) / 2);

    if (MainSetting("Size") == QLatin1String("Large"))
        growToLargeSkin();

    setHeight(picSkin->Height());
    placement().docked = MainSetting("Docked") == QLatin1String("True");
    AlwaysOnTop(*this);
    notOnTop = MainSetting("Always On Top") != QLatin1String("True");
    inetQuotes->setRequestTimeout(int(roundHalfEven(GetNumber(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Timeout"), 0))));

    if (ChartsSetting(QStringLiteral("StartUp")) == QLatin1String("True"))
        Forms::show(kChartBrowserName);
    if (Form* c = loadedChartBrowser())
        CheckDocking(*this, *c);

    const SymbolCursor& cursor = quoteState().cursor;
    if (!cursor.CurrentSymbol.isEmpty() && cursor.EntryCount >= 2) {
        hold = true;
        AdvanceSymbol(hold);
        BuildQuoteRequest(labels());
    }

    Show();

    QPointer<Ticker> self(this);
    FetchQuote(*inetQuotes, labels(), colors);
    if (!self || !loaded())
        return;
    AdvanceSymbol(hold);
    Timer2->setEnabled(true);
}

void Ticker::SaveState()
{
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    WriteMainSetting("Left", formatCoordinate(Left()));
    WriteMainSetting("Top", formatCoordinate(Top()));
    WriteMainSetting("Height", picWindow->Tag == QLatin1String("Shade") ? "Shade" : "Full");
    WriteMainSetting("Docked", placement().docked ? "True" : "False");
    WriteMainSetting("Always On Top", notOnTop ? "False" : "True");

    Form* chart = loadedChartBrowser();
    const bool chartOpen = chart != nullptr;
    if (chartOpen) {
        WriteChartsSetting("Symbol", captionOf(chart, "lblSymbol"));
        WriteChartsSetting("Chart Type", captionOf(chart, "lblChartType"));
    }
    WriteChartsSetting("StartUp", chartOpen ? "True" : "False");
    // A closed chart browser is loaded (not shown) to ask its place, which
    // its load restores from the saved one; without it the saved place stays.
    if (!chart)
        chart = Forms::load(kChartBrowserName);
    if (chart) {
        WriteChartsSetting("Left", formatCoordinate(chart->Left()));
        WriteChartsSetting("Top", formatCoordinate(chart->Top()));
    } else {
        WriteChartsSetting("Left", ChartsSetting(QStringLiteral("Left")));
        WriteChartsSetting("Top", ChartsSetting(QStringLiteral("Top")));
    }
}

void Ticker::ExitProgram()
{
    SaveState();
    Forms::endApplication();
}

void Ticker::Form_Unload(int&)
{
    SaveState();
    Forms::unload(kChartBrowserName);
}

} // namespace quoterra
