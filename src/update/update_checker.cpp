#include "update_checker.h"

#include "platform/hosts.h"
#include "platform/hourglass.h"
#include "platform/inet.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "quotes/refresh_cycle.h"

#include <QPointer>

#include <version.h>

namespace quoterra {

namespace {

struct Version {
    int major = kVersionMajor;
    int minor = kVersionMinor;
    int revision = kVersionRevision;
};

Version& runningVersion()
{
    static Version v;
    return v;
}

// Reads a text of digits with at most one point; QString's conversion is
// the C locale's whatever the desktop's is.
double decimal(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    // Only a number too long for a double fails here; it reads as no number.
    return ok ? value : 0;
}

QPixmap productPicture()
{
    return QPixmap(QStringLiteral(":/about/product.png"));
}

} // namespace

double versionFileNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    QString number;
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digit = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number += c;
    }
    return digit ? decimal(number) : 0;
}

QString runningVersionText()
{
    const Version& v = runningVersion();
    return QString::number(v.major) + u'.' + QString::number(v.minor) + QString::number(v.revision);
}

double runningVersionNumber()
{
    return versionFileNumber(runningVersionText());
}

void setRunningVersion(int major, int minor, int revision)
{
    runningVersion() = Version{major, minor, revision};
}

// ---- UpdateChecker --------------------------------------------------------

UpdateChecker::UpdateChecker()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("Quoterra - Check For Updates"));
    Move(0, 0, 5160, 2100);

    Picture1 = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1->Move(240, 240, 960, 960);
    Picture1->setPicture(productPicture());

    Label1 = new Label(this, QStringLiteral("Label1"), QStringLiteral("Status:"));
    Label1->Move(1440, 300, 3480, 255);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    lblState = new Label(this, QStringLiteral("lblState"), QStringLiteral("Ready"));
    lblState->setWordWrap(true);
    lblState->Move(1440, 630, 3480, 510);

    cmdCheck = new CommandButton(this, QStringLiteral("cmdCheck"), QStringLiteral("Check for Updates"));
    cmdCheck->Move(1440, 1440, 2100, 375);
    cmdCheck->setDefault(true);
    cmdClose = new CommandButton(this, QStringLiteral("cmdClose"), QStringLiteral("Close"));
    cmdClose->Move(3720, 1440, 1200, 375);
    cmdClose->setCancel(true);

    inetUpdate = new Inet(this);
    inetUpdate->setObjectName(QStringLiteral("inetUpdate"));

    connect(inetUpdate, &Inet::StateChanged, this, [this](int state) {
        if (state == Inet::icError)
            lblState->setCaption(QStringLiteral("Failed to Connect"));
    });
    connect(cmdCheck, &CommandButton::Click, this, &UpdateChecker::check);
    connect(cmdClose, &CommandButton::Click, this, [this] {
        ConfigOpen = false;
        Unload();
    });
}

UpdateChecker::~UpdateChecker()
{
    // Destroyed without an unload (the program ending).
    if (holding_)
        ConfigOpen = false;
}

void UpdateChecker::Form_Load()
{
    // No quotes are fetched while the check may be talking to the network.
    ConfigOpen = true;
    holding_ = true;
    AlwaysOnTop(*this);
}

void UpdateChecker::Form_Unload(int&)
{
    ConfigOpen = false;
    holding_ = false;
}

void UpdateChecker::check()
{
    if (inetUpdate->StillExecuting())
        return;
    lblState->setCaption(QStringLiteral("Looking for a Newer Version..."));
    Show();

    QPointer<UpdateChecker> self(this);
    const QString answer = inetUpdate->OpenURL(hosts().updateSite + kVersionPath);
    // Closed while the answer was awaited: the user no longer asks.
    if (!self || !loaded())
        return;
    lastAnswer_ = answer;
    // The failure is already on show; an empty answer must not read as
    // "no update".
    if (inetUpdate->lastTransferFailed())
        return;

    if (versionFileNumber(lastAnswer_) <= runningVersionNumber()) {
        lblState->setCaption(QStringLiteral("No update is needed."));
        return;
    }
    Forms::show(UpdateAvailable::kName);
    Unload();
}

// ---- UpdateAvailable ------------------------------------------------------

UpdateAvailable::UpdateAvailable()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("Quoterra - Update Available"));
    Move(0, 0, 5760, 2160);

    Picture1 = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1->Move(240, 240, 960, 960);
    Picture1->setPicture(productPicture());

    Label1 = new Label(this, QStringLiteral("Label1"), QStringLiteral("A new version of Quoterra is available."));
    Label1->Move(1440, 240, 4080, 255);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new Label(this, QStringLiteral("Label2"),
                       QStringLiteral("You can go to the Quoterra Web Site to download the latest version by "
                                      "clicking the button below."));
    Label2->setWordWrap(true);
    Label2->Move(1440, 600, 4080, 780);

    Command1 = new CommandButton(this, QStringLiteral("Command1"), QStringLiteral("Go to the Quoterra Web Site"));
    Command1->Move(1440, 1560, 2760, 375);
    Command1->setDefault(true);
    Command2 = new CommandButton(this, QStringLiteral("Command2"), QStringLiteral("Cancel"));
    Command2->Move(4320, 1560, 1200, 375);
    Command2->setCancel(true);

    connect(Command1, &CommandButton::Click, this, [this] {
        {
            Hourglass busy;
            ShellOpen(hosts().makerSite);
        }
        Unload();
    });
    connect(Command2, &CommandButton::Click, this, &Form::Unload);
}

void UpdateAvailable::Form_Load()
{
    AlwaysOnTop(*this);
}

} // namespace quoterra
