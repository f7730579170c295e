#include "startup.h"

#include "about.h"
#include "config.h"
#include "welcome.h"

#include "platform/msgbox.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platform/settings.h"
#include "symbols/symbol_dialogs.h"
#include "symbols/symbol_editor.h"
#include "symbols/symbol_file.h"
#include "ticker/ticker.h"
#include "update/update_checker.h"

#include <QFileInfo>

namespace quoterra {

void registerForms()
{
    Forms::registerForm<Ticker>(Ticker::kName);
    Forms::registerForm<frmWelcome>(frmWelcome::kName);
    Forms::registerForm<Config>(Config::kName);
    Forms::registerForm<About>(About::kName);
    Forms::registerForm<UpdateChecker>(UpdateChecker::kName);
    Forms::registerForm<UpdateAvailable>(UpdateAvailable::kName);
    Forms::registerForm<SymbolEditor>(SymbolEditor::kName);
    Forms::registerForm<NewSymbol>(NewSymbol::kName);
    Forms::registerForm<SymbolProperties>(SymbolProperties::kName);
    Forms::registerForm<SymbolLookup>(SymbolLookup::kName);
}

bool StartUp()
{
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    CreateKey(HKEY_CURRENT_USER, kChartsKey);

    const int dpi = DPI();
    if (dpi != 96 && dpi != 120) {
        MsgBox(kFontSizeMessage, vbExclamation + vbOKOnly, kApplicationTitle);
        return false;
    }

    // Read only so that a first start writes their defaults.
    GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Size"));
    GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval"));

    Forms::show(Ticker::kName);

    if (QFileInfo(applicationDirectory() + QLatin1Char('/') + kSymbolFileName).size() == 0) {
        if (Form* welcome = Forms::show(frmWelcome::kName)) {
            welcome->activateWindow();
            welcome->setFocus(Qt::ActiveWindowFocusReason);
            static_cast<frmWelcome*>(welcome)->cmdOK->SetFocus();
        }
    }
    return true;
}

} // namespace quoterra
