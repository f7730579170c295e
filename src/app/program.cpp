#include "program.h"

#include "about.h"
#include "config.h"

#include "app/context/application.h"
#include "charts/charts.h"
#include "core/paths.h"
#include "symbols/file/symbol_file.h"
#include "symbols/symbol_dialogs.h"
#include "symbols/symbol_editor.h"
#include "ui/msgbox.h"
#include "update/update_checker.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>

namespace quoterra {

namespace {

// What every notification carries besides its text: the program's icon and
// its menu entry.
QVariantMap notificationHints()
{
    const QImage icon = QImage(QStringLiteral(":/icons/quoterra.png")).convertToFormat(QImage::Format_RGBA8888);
    QByteArray rgba;
    for (int y = 0; y < icon.height(); ++y)
        rgba.append(reinterpret_cast<const char*>(icon.constScanLine(y)), qsizetype(icon.width()) * 4);
    return {{QStringLiteral("desktop-entry"), QStringLiteral("quoterra")},
            {QStringLiteral("image-data"), DesktopNotifier::imageHint(icon.width(), icon.height(), rgba)}};
}

} // namespace

Program::Program(Application& app)
    : app_(app)
    , pair_(app.screen(), app.settings())
    , ticker_([this] { return makeTicker(); })
    , welcome_([&app] { return new Welcome(app); })
    , watch_(app.settingsFile(), app.applicationDirectory(),
             {[&app] { return app.hosts().quotes; },
              [&app](const Transfer& answer) { return app.serviceAnswered(answer); }})
    , notifier_(notificationHints)
    , alerts_([this] { return new PriceAlertsDialog(app_, watch_); })
{
    connect(&watch_, &PriceWatch::crossed, &notifier_, &DesktopNotifier::notify);
    connect(&notifier_, &DesktopNotifier::delivered, this,
            [this](const AlertNotice& notice) { alertTold(notice, QStringLiteral("shown on the desktop")); });
    connect(&notifier_, &DesktopNotifier::undelivered, this, [this](const AlertNotice& notice, const QString& why) {
        if (Ticker* t = ticker())
            t->flashAlert(notice.flashSymbol, notice.flashPrice);
        alertTold(notice, QStringLiteral("no notification service (%1); flashed on the ticker").arg(why));
    });
    connect(&notifier_, &DesktopNotifier::chartAsked, this, [this](const QString& symbol) {
        if (Ticker* t = ticker())
            t->showChartOf(symbol);
    });
}

void Program::alertTold(const AlertNotice& notice, const QString& outcome)
{
    appendAlertLog(stateDirectory() + QStringLiteral("/alerts.log"),
                   alertLogLine(QDateTime::currentDateTime(), notice, outcome));
}

void Program::openAlerts(const QString& symbol)
{
    if (PriceAlertsDialog* dialog = alerts_.loadAndShow(); dialog && !symbol.isEmpty())
        dialog->editSymbol(symbol);
}

Ticker* Program::makeTicker()
{
    TickerWindows windows;
    windows.about = [this] { return new About(app_); };
    windows.configuration = [this] { return new Config(app_, *this); };
    windows.updateChecker = [this] { return new UpdateChecker(app_); };
    windows.symbolManager = [this] {
        auto* editor = new SymbolEditor(app_);
        // The ticker restarts on a saved list, when it is running.
        connect(editor, &SymbolEditor::listSaved, this, [this] {
            if (ticker())
                reloadTicker();
        });
        return editor;
    };
    windows.chartBrowser = [this] {
        const auto researchMenu = [this](QPoint at) {
            if (Ticker* t = ticker())
                t->popupResearchMenu(t->currentSymbol(), at);
        };
        return new Charts(app_, pair_, researchMenu, [this] { return new SymbolLookup(app_); });
    };
    auto* ticker = new Ticker(app_, pair_, std::move(windows));
    connect(ticker, &Ticker::quoteAnswered, &watch_, &PriceWatch::quoteAnswered);
    connect(ticker, &Ticker::alertsDue, &watch_, &PriceWatch::refreshDue);
    connect(ticker, &Ticker::alertsAsked, this, &Program::openAlerts);
    return ticker;
}

bool Program::StartUp()
{
    app_.settings().createKeys();
    if (!app_.screen().supported()) {
        messageBox(nullptr, kFontSizeMessage, QMessageBox::Warning);
        return false;
    }
    // Read only so that a first start writes their defaults.
    app_.settings().GetString(Setting::Size);
    app_.settings().GetString(Setting::Interval);

    ticker_.loadAndShow();
    if (app_.forms().ending())
        return true;
    if (QFileInfo(symbolFilePath(app_.applicationDirectory())).size() == 0) {
        if (Welcome* welcome = welcome_.loadAndShow())
            welcome->okButton()->setFocus(Qt::ActiveWindowFocusReason);
    }
    return true;
}

void Program::reloadTicker()
{
    ticker_.unload();
    ticker_.loadAndShow();
}

void Program::exitLikeTheTicker()
{
    if (Ticker* t = ticker())
        t->exitProgram();
    else
        app_.forms().endApplication();
}

void Program::saveWithoutDisplay()
{
    if (Ticker* t = ticker())
        t->saveState(false);
    app_.settingsFile().flush();
}

} // namespace quoterra
