#include "charts.h"

#include "app/context/application.h"
#include "ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace quoterra {

NewChartSymbol::NewChartSymbol(Application& app, Charts& charts, std::function<Form*()> symbolLookup)
    : Dialog(app.forms())
    , app_(app)
    , lookup_(std::move(symbolLookup))
{
    setObjectName(QStringLiteral("NewChartSymbol"));
    setWindowTitle(QStringLiteral("Quoterra - New Chart Symbol"));
    setGeometryTwips(0, 0, 4320, 1560);

    auto* caption = new QLabel(QStringLiteral("Ticker Symbol:"), this);
    caption->setObjectName(QStringLiteral("lblTickerSymbol"));
    // A little air between the caption and its box, as in the other dialogs.
    placeTwips(caption, 120, 165, 1380, 255);
    txtTickerSymbol = new QLineEdit(this);
    txtTickerSymbol->setObjectName(QStringLiteral("txtTickerSymbol"));
    placeTwips(txtTickerSymbol, 1560, 120, 2640, 345);

    auto* lookup = new Label(this, QStringLiteral("lblSymbolLookup"), QStringLiteral("Symbol Lookup"));
    lookup->setGeometryTwips(120, 1065, 1500, 255);
    lookup->setToolTip(
        QStringLiteral("Click to search for a stock or mutual fund symbol from Yahoo! Finance's database"));
    QFont underlined = lookup->font();
    underlined.setUnderline(true);
    lookup->setFont(underlined);
    lookup->setForeColor(palette().color(QPalette::Link));
    lookup->setCursor(Qt::PointingHandCursor);
    lookup->installEventFilter(this);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(ok, 1800, 1020, 1140, 360);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cancel, 3060, 1020, 1140, 360);

    connect(ok, &QPushButton::clicked, this, [this, &charts] {
        charts.setSymbol(txtTickerSymbol->text().toUpper());
        unload();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { unload(); });
    lookupLabel_ = lookup;
}

bool NewChartSymbol::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lookupLabel_ && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lookup_.loadAndShow();
        return true;
    }
    return Dialog::eventFilter(watched, event);
}

void NewChartSymbol::onLoad()
{
    app_.AlwaysOnTop(*this);
    loadAndShow();
    txtTickerSymbol->setFocus(Qt::OtherFocusReason);
}

} // namespace quoterra
