#include "program.h"

#include "about.h"
#include "config.h"

#include "app/context/application.h"
#include "charts/charts.h"
#include "symbols/file/symbol_file.h"
#include "symbols/symbol_dialogs.h"
#include "symbols/symbol_editor.h"
#include "ui/msgbox.h"
#include "update/update_checker.h"

#include <QFileInfo>
#include <QPushButton>

namespace quoterra {

Program::Program(Application& app)
    : app_(app)
    , pair_(app.screen(), app.settings())
    , ticker_([this] { return makeTicker(); })
    , welcome_([&app] { return new Welcome(app); })
{
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
    return new Ticker(app_, pair_, std::move(windows));
}

bool Program::StartUp()
{
    app_.settings().createKeys();
    const int dpi = app_.screen().dpiX();
    if (dpi != 96 && dpi != 120) {
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
