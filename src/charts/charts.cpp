#include "charts.h"

#include "app/context/application.h"
#include "core/numbers.h"
#include "core/transfer.h"
#include "ui/controls.h"
#include "ui/drag_handles.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>

#include <utility>

namespace quoterra {

namespace {

constexpr int kHeaderPixels = 40; // the header covers the frame pieces' top

QPixmap art(const Screen& screen, const QString& name)
{
    return designPicture(screen, QStringLiteral(":/charts/%1.png").arg(name));
}

} // namespace

Charts::Charts(Application& app, DockedPair& pair, ResearchMenu researchMenu, std::function<Form*()> symbolLookup)
    : ChartWindow(app.forms())
    , app_(app)
    , pair_(pair)
    , researchMenu_(std::move(researchMenu))
    , newSymbol_([this, symbolLookup] { return new NewChartSymbol(app_, *this, symbolLookup); })
{
    setObjectName(QStringLiteral("Charts"));
    setFont(designFont(QStringLiteral("Arial"), 8.25, true));
    buildControls();
    inetCharts = new Transfer(this);
    inetCharts->setObjectName(QStringLiteral("inetCharts"));
}

Charts::~Charts()
{
    pair_.leave(this);
}

void Charts::buildControls()
{
    // Made in the order they stack: the header lies over the frame pieces'
    // tops, the buttons and labels over the header.
    const auto art = [this](const char* name) { return quoterra::art(app_.screen(), QLatin1String(name)); };
    picLeft = picture(this, "picLeft", 0, 240, art("picLeft"));
    picRight = picture(this, "picRight", 3015, 240, art("picRight"));
    picCharts = picture(this, "picCharts", 150, 240, art("picCharts"));
    gifCharts = new PictureBox(picCharts, QStringLiteral("gifCharts"));
    picBottom = picture(this, "picBottom", 0, 1650, art("picBottom"));
    picTop = picture(this, "picTop", 0, 0, art("picTop"));
    picSymbol = picture(this, "picSymbol", 105, 75, art("picSymbolUp"));
    picChartType = picture(this, "picChartType", 105, 375, art("picChartTypeUp"));
    picUpdate = picture(this, "picUpdate", 2160, 180, art("picUpdateUp"));
    picExit =
        picture(this, "picExit", 2955, 30, designPicture(app_.screen(), QStringLiteral(":/skins/picDefaultExit.png")));
    picSymbol->setToolTip(QStringLiteral("Change the Chart Symbol"));
    picChartType->setToolTip(QStringLiteral("Change the Chart Type"));
    picUpdate->setToolTip(QStringLiteral("Update the Chart"));
    picExit->setToolTip(QStringLiteral("Close"));
    for (PictureBox* button : {picSymbol, picChartType, picUpdate}) {
        const QString name = button->objectName();
        faces_[button] = {quoterra::art(app_.screen(), name + QStringLiteral("Up")),
                          quoterra::art(app_.screen(), name + QStringLiteral("Down"))};
    }

    auto label = [this](const char* name, float left, float top, const QString& caption) {
        Label* l = quoterra::label(this, name, left, top, font(), caption);
        l->setForeColor(Qt::white);
        return l;
    };
    lblSymbol = label("lblSymbol", 1275, 105, {});
    lblChartType = label("lblChartType", 1275, 390, {});
    lblLoading = label("lblLoading", 1050, 600, QStringLiteral("Loading..."));
    lblLoading->setFont(designFont(QStringLiteral("Arial"), 8.25));
    lblLoading->hide();

    mnuChartType = new QMenu(QStringLiteral("ChartType"), this);
    mnuChartType->setObjectName(QStringLiteral("mnuChartType"));
    for (const auto& [name, range] :
         {std::pair{"mnu1Day", "1 Day"}, {"mnu5Day", "5 Day"}, {"", ""}, {"mnu1Year", "1 Year"}}) {
        if (!*name) {
            mnuChartType->addSeparator();
            continue;
        }
        QAction* item = mnuChartType->addAction(QLatin1String(range));
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, [this, range = QLatin1String(range)] { setChartType(range); });
    }

    for (QWidget* part : std::initializer_list<QWidget*>{picSymbol, picChartType, picUpdate, picExit, lblSymbol})
        part->installEventFilter(this);

    auto* drag = new DragHandles(
        this,
        [this](QWidget*, QPointF at) {
            const Screen& s = app_.screen();
            pair_.grabChart(QPoint(qint16(roundHalfEven(s.twipsX(at.x()))), qint16(roundHalfEven(s.twipsY(at.y())))));
        },
        [this](QPoint globalPos) { pair_.dragChart(globalPos); });
    drag->add(picTop);
}

// The chart browser is laid out in pixels; at 120 dpi the same pixels are
// other twips.
void Charts::moveForLargeFonts()
{
    picLeft->setTopTwips(192);
    picRight->moveTwips(2412, 192);
    picCharts->moveTwips(120, 192);
    lblLoading->moveTwips(840, 480);
    picBottom->setTopTwips(1320);
    picExit->moveTwips(2360, 20);
    picSymbol->moveTwips(80, 65);
    picChartType->moveTwips(80, 300);
    lblSymbol->moveTwips(1020, 80);
    lblSymbol->setFontSize(7);
    lblChartType->moveTwips(1020, 310);
    lblChartType->setFontSize(7);
    picUpdate->moveTwips(1730, 140);
}

QString Charts::symbolCaption() const
{
    return lblSymbol->caption();
}

QString Charts::chartTypeCaption() const
{
    return lblChartType->caption();
}

void Charts::setSymbol(const QString& symbol)
{
    lblSymbol->setCaption(symbol);
}

void Charts::showChartOf(const QString& symbol)
{
    setSymbol(symbol.toUpper());
    raise();
    activateWindow();
    updateChart();
}

void Charts::setChartType(const QString& range)
{
    lblChartType->setCaption(range);
}

QString Charts::chartAddress(const ServiceHosts& hosts, const QString& range, const QString& symbol)
{
    if (range == QLatin1String("1 Day"))
        return hosts.charts + QStringLiteral("/t?s=") + symbol;
    if (range == QLatin1String("5 Day"))
        return hosts.charts + QStringLiteral("/v?s=") + symbol;
    if (range == QLatin1String("1 Year")) {
        const QString lower = symbol.toLower();
        return hosts.chartArchive + QStringLiteral("/c/0b/") + lower.left(1) + u'/' + lower + QStringLiteral(".gif");
    }
    return {};
}

QString Charts::chartFile() const
{
    return QDir(app_.applicationDirectory()).filePath(QStringLiteral("chart.gif"));
}

bool Charts::chartShown() const
{
    return gifCharts->isVisible() && !gifCharts->picture().isNull();
}

QImage Charts::fittedChart(const QByteArray& bytes, QSize area)
{
    QBuffer buffer;
    buffer.setData(bytes);
    const QImage chart = QImageReader(&buffer, "gif").read();
    if (chart.isNull() || area.isEmpty())
        return {};
    QImage shown(area, QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    QPainter painter(&shown);
    const QImage fitted = chart.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawImage((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2, fitted);
    return shown;
}

void Charts::showChartFile()
{
    QFile file(chartFile());
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    gifCharts->setPicture(QPixmap::fromImage(fittedChart(bytes, gifCharts->size())));
}

void Charts::onLoad()
{
    const Screen& screen = app_.screen();
    setBorderless(true);
    if (screen.dpiX() == 120)
        moveForLargeFonts();
    const int below = kHeaderPixels - picCharts->y();
    gifCharts->setGeometry(0, below, picCharts->width(), picCharts->height() - below);
    setGeometryTwips(leftTwips(), topTwips(), picTop->widthTwips(), picBottom->topTwips() + picBottom->heightTwips());

    Settings& s = app_.settings();
    moveTwips(float(s.chartLeft()), float(s.chartTop()));
    pair_.setChart(this);
    pair_.chartRestored();

    setSymbol(s.GetString(Setting::ChartSymbol));
    setChartType(s.GetString(Setting::ChartType));
    app_.AlwaysOnTop(*this);
    showChartFile();
    gifCharts->show();

    const RectTwips kept = KeepInWorkArea(placeTwips(), workAreaTwips(screen));
    moveTwips(kept.left, kept.top);
    pair_.checkDocking();
}

void Charts::saveState()
{
    Settings& s = app_.settings();
    app_.settingsFile().createKey(kChartsKey);
    s.WriteValue(Setting::ChartSymbol, symbolCaption());
    s.WriteValue(Setting::ChartType, chartTypeCaption());
    s.setPlace(Setting::ChartLeft, Setting::ChartTop, leftTwips(), topTwips());
}

bool Charts::onUnload()
{
    saveState();
    pair_.leave(this);
    return true;
}

void Charts::updateChart()
{
    const QString address = chartAddress(app_.hosts(), chartTypeCaption(), symbolCaption());
    gifCharts->hide();
    lblLoading->show();
    QPointer<Charts> self(this);
    const QByteArray body = inetCharts->openUrlBytes(address);
    // Closed while the chart was awaited: nobody looks at it any more.
    if (!self || !isLoaded())
        return;
    if (!inetCharts->lastTransferFailed())
        lastResponse_ = body;
    // An answer of 150 or 151 bytes is no chart: the one on disk stays.
    if (lastResponse_.size() / 2 != 75) {
        QSaveFile file(chartFile());
        if (file.open(QIODevice::WriteOnly) && file.write(lastResponse_) == lastResponse_.size())
            file.commit();
    }
    lblLoading->hide();
    showChartFile();
    gifCharts->show();
}

bool Charts::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove
        && type != QEvent::MouseButtonDblClick)
        return ChartWindow::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const bool release = type == QEvent::MouseButtonRelease;
    const QPoint global = mouse->globalPosition().toPoint();

    if (watched == lblSymbol) {
        if (press && mouse->button() == Qt::RightButton && researchMenu_)
            researchMenu_(global);
        return true;
    }
    // The buttons show their pressed picture while a button is held; a
    // left click inside acts.
    auto* button = qobject_cast<PictureBox*>(watched);
    if (!button)
        return true;
    if (const auto f = faces_.find(button); f != faces_.end() && (press || release))
        button->setPicture(press ? f->second.down : f->second.up);
    if (!release || mouse->button() != Qt::LeftButton || !button->rect().contains(mouse->position().toPoint()))
        return true;
    if (button == picSymbol)
        newSymbol_.loadAndShow();
    else if (button == picChartType)
        mnuChartType->popup(global);
    else if (button == picUpdate)
        updateChart();
    else if (button == picExit)
        unload();
    return true;
}

namespace {

bool isEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat();
}

} // namespace

// Enter fetches when it is let go, and only an Enter pressed here: the one
// that confirmed the symbol dialog is let go over this window too.
void Charts::keyPressEvent(QKeyEvent* event)
{
    if (isEnter(event))
        enterPressed_ = true;
    ChartWindow::keyPressEvent(event);
}

void Charts::keyReleaseEvent(QKeyEvent* event)
{
    if (isEnter(event) && std::exchange(enterPressed_, false))
        updateChart();
    ChartWindow::keyReleaseEvent(event);
}

} // namespace quoterra
