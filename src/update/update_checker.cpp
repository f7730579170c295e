#include "update_checker.h"

#include "app/context/application.h"
#include "core/numbers.h"
#include "core/transfer.h"
#include "ui/controls.h"
#include "ui/shell.h"

#include <QPointer>
#include <QPushButton>

#include <version.h>

namespace quoterra {

namespace {

Label* boldLabel(QWidget* parent, const char* name, const QString& caption, float left, float top, float width)
{
    Label* l = label(parent, name, caption, left, top, width, 255);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    return l;
}

} // namespace

QString versionText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + QString::number(minor) + QString::number(revision);
}

// ---- UpdateChecker --------------------------------------------------------

UpdateChecker::UpdateChecker(Application& app)
    : Dialog(app.forms())
    , app_(app)
    , running_(QLatin1String(kVersionText))
    , available_([&app] { return new UpdateAvailable(app); })
    , fetching_(app)
{
    setObjectName(QStringLiteral("UpdateChecker"));
    setWindowTitle(QStringLiteral("Quoterra - Check For Updates"));
    setFixedSizeTwips(5160, 2100);
    picture(this, "picProduct", designPicture(app.forms().screen(), QStringLiteral(":/about/product.png")), 240, 240,
            960, 960);
    boldLabel(this, "lblStatus", QStringLiteral("Status:"), 1440, 300, 3480);
    lblState = label(this, "lblState", QStringLiteral("Ready"), 1440, 630, 3480, 510);
    lblState->setWordWrap(true);
    cmdCheck = make<QPushButton>(this, "cmdCheck", QStringLiteral("Check for Updates"), 1440, 1440, 2100, 375);
    cmdCheck->setDefault(true);
    auto* cmdClose = make<QPushButton>(this, "cmdClose", QStringLiteral("Close"), 3720, 1440, 1200, 375);

    inetUpdate = new Transfer(this);
    inetUpdate->setObjectName(QStringLiteral("inetUpdate"));
    connect(inetUpdate, &Transfer::StateChanged, this, [this](int state) {
        if (state == Transfer::kErrorState)
            lblState->setCaption(QStringLiteral("Failed to Connect"));
    });
    connect(cmdCheck, &QPushButton::clicked, this, &UpdateChecker::check);
    connect(cmdClose, &QPushButton::clicked, this, [this] { unload(); });
}

void UpdateChecker::onLoad()
{
    // No quotes are fetched while the check may be talking to the network.
    fetching_.hold();
    app_.AlwaysOnTop(*this);
}

bool UpdateChecker::onUnload()
{
    fetching_.release();
    return true;
}

void UpdateChecker::check()
{
    if (inetUpdate->StillExecuting())
        return;
    lblState->setCaption(QStringLiteral("Looking for a Newer Version..."));
    loadAndShow();

    QPointer<UpdateChecker> self(this);
    const QString answer = inetUpdate->OpenURL(app_.hosts().updateSite + kVersionPath);
    // Closed while the answer was awaited: the user no longer asks.
    if (!self || !isLoaded())
        return;
    lastAnswer_ = answer;
    // The failure is on show already; an empty answer must not read as "no
    // update".
    if (inetUpdate->lastTransferFailed())
        return;
    if (leadingNumber(lastAnswer_) <= leadingNumber(running_)) {
        lblState->setCaption(QStringLiteral("No update is needed."));
        return;
    }
    available_.loadAndShow();
    unload();
}

// ---- UpdateAvailable ------------------------------------------------------

UpdateAvailable::UpdateAvailable(Application& app)
    : Dialog(app.forms())
    , app_(app)
{
    setObjectName(QStringLiteral("UpdateAvailable"));
    setWindowTitle(QStringLiteral("Quoterra - Update Available"));
    setFixedSizeTwips(5760, 2160);
    picture(this, "picProduct", designPicture(app.forms().screen(), QStringLiteral(":/about/product.png")), 240, 240,
            960, 960);
    boldLabel(this, "lblNewVersion", QStringLiteral("A new version of Quoterra is available."), 1440, 240, 4080);
    label(this, "lblWhere",
          QStringLiteral("You can go to the Quoterra Web Site to download the latest version by clicking the button "
                         "below."),
          1440, 600, 4080, 780)
        ->setWordWrap(true);
    auto* go =
        make<QPushButton>(this, "cmdGoToSite", QStringLiteral("Go to the Quoterra Web Site"), 1440, 1560, 2760, 375);
    go->setDefault(true);
    auto* cancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"), 4320, 1560, 1200, 375);

    connect(go, &QPushButton::clicked, this, [this] {
        {
            Hourglass busy;
            openInBrowser(app_.hosts().makerSite);
        }
        unload();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { unload(); });
}

void UpdateAvailable::onLoad()
{
    app_.AlwaysOnTop(*this);
}

} // namespace quoterra
