#include "welcome.h"

namespace quoterra {

QString frmWelcome::welcomeText()
{
    const QString paragraph = QStringLiteral("\r\n\r\n");
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

frmWelcome::frmWelcome()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("Welcome to Quoterra"));
    Move(0, 0, 6300, 4500);
    txtInfo = new TextBox(this, QStringLiteral("txtInfo"), true);
    txtInfo->Move(180, 180, 5940, 3420);
    txtInfo->setLocked(true);
    // The text is for reading: it never takes the focus or shows a caret.
    txtInfo->editor()->setFocusPolicy(Qt::NoFocus);
    cmdOK = new CommandButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    cmdOK->Move(4740, 3780, 1380, 420);
    cmdOK->setDefault(true);

    connect(txtInfo, &TextBox::MouseDown, cmdOK, [this] { cmdOK->SetFocus(); });
    connect(txtInfo, &TextBox::Click, cmdOK, [this] { cmdOK->SetFocus(); });
    connect(cmdOK, &CommandButton::Click, this, &Form::Unload);
}

void frmWelcome::Form_Load()
{
    txtInfo->setText(welcomeText());
}

} // namespace quoterra
