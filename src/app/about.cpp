#include "about.h"

#include "app/context/application.h"
#include "ui/controls.h"
#include "ui/shell.h"

#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>

#include <version.h>

namespace quoterra {

namespace {

// Only the left button follows a link.
class Link : public QObject {
public:
    Link(QWidget* target, std::function<QString()> address)
        : QObject(target)
        , address_(std::move(address))
    {
        target->setCursor(Qt::PointingHandCursor);
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Hourglass busy;
            openInBrowser(address_());
            return true;
        }
        return false;
    }

private:
    std::function<QString()> address_;
};

} // namespace

About::About(Application& app)
    : Dialog(app.forms())
    , app_(app)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Quoterra"));
    setGeometryTwips(0, 0, 5820, 4980);

    picture(this, "picProduct", designPicture(app.forms().screen(), QStringLiteral(":/about/product.png")), 240, 300,
            960, 960);

    auto* title = make<QGroupBox>(this, "fraTitle", {}, 1440, 120, 4260, 2760);
    Label* name = label(title, "lblTitle", QStringLiteral("Quoterra - King of Stock Tickers"), 180, 240, 3900, 300);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);
    name->setFont(bold);
    label(title, "lblVersion",
          QStringLiteral("Version %1 - %2").arg(QLatin1String(kVersionText), QLatin1String(kReleaseDate)), 180, 600,
          3900, 255);
    label(title, "lblDisclaimer",
          QStringLiteral("The quotes and other data shown are for information only and are not meant for trading. "
                         "Neither the maker of Quoterra nor its data providers are liable for any delays or errors in "
                         "the content, or for any actions taken on it."),
          180, 1020, 3900, 1620)
        ->setWordWrap(true);

    auto* links = make<QGroupBox>(this, "fraLinks", {}, 120, 3000, 5580, 1260);
    label(links, "lblPoweredBy", QStringLiteral("Powered By"), 180, 240, 1800, 255);
    PictureBox* dataService =
        picture(links, "picDataService",
                designPicture(app.forms().screen(), QStringLiteral(":/about/data-service.png")), 180, 570, 1560, 480);
    label(links, "lblWebSiteCaption", QStringLiteral("Quoterra Web Site:"), 2280, 240, 3180, 255);
    Label* site = label(links, "lblWebSite", app.hosts().makerSite, 2280, 540, 3180, 255);
    Label* contact = label(links, "lblContact", app.hosts().makerName, 2280, 840, 3180, 255);
    site->setToolTip(app.hosts().makerSite);
    contact->setToolTip(app.hosts().makerMail);
    dataService->setToolTip(app.hosts().dataProvider + u'/');
    for (Label* link : {site, contact}) {
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        link->setForeColor(link->palette().color(QPalette::Link));
    }
    new Link(dataService, [&app] { return app.hosts().dataProvider + u'/'; });
    new Link(site, [&app] { return app.hosts().makerSite; });
    new Link(contact, [&app] { return QStringLiteral("mailto:") + app.hosts().makerMail; });

    auto* ok = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"), 4500, 4440, 1200, 375);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { unload(); });
}

void About::onLoad()
{
    app_.AlwaysOnTop(*this);
}

} // namespace quoterra
