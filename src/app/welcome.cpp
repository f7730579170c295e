#include "welcome.h"

#include "app/context/application.h"
#include "ui/controls.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace quoterra {

namespace {

QString welcomeText()
{
    const QString paragraph = QStringLiteral("\n\n");
    return QStringLiteral("Welcome to Quoterra!") + paragraph
        + QStringLiteral("To begin using Quoterra, you must first build a list of symbols to receive quotes for. "
                         "To do this:")
        + paragraph
        + QStringLiteral("1.  Either click on the button that resembles a list (the second button down on the right "
                         "hand side of the ticker) OR click on the Options button (the button on the top left-hand "
                         "side of the ticker) and click on Symbol Manager in the Options menu.")
        + paragraph
        + QStringLiteral("2.  While in the Symbol Manager, use the Symbol menu at the top to add, modify, or delete "
                         "symbols.");
}

} // namespace

Welcome::Welcome(Application& app)
    : Dialog(app.forms())
{
    setObjectName(QStringLiteral("Welcome"));
    setWindowTitle(QStringLiteral("Welcome to Quoterra"));
    setGeometryTwips(0, 0, 6300, 4500);
    auto* info = make<QPlainTextEdit>(this, "txtInfo", welcomeText(), 180, 180, 5940, 3420);
    info->setReadOnly(true);
    // The text is for reading: a click leaves the keyboard on OK.
    info->setFocusPolicy(Qt::NoFocus);
    info->viewport()->setFocusPolicy(Qt::NoFocus);
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"), 4740, 3780, 1380, 420);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { unload(); });
}

void Welcome::onLoad()
{
    cmdOK->setFocus(Qt::OtherFocusReason);
}

} // namespace quoterra
