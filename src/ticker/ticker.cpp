#include "ticker.h"

#include "app/context/application.h"
#include "core/transfer.h"
#include "resizer/resizer.h"
#include "ui/controls.h"
#include "ui/drag_handles.h"

#include <QMouseEvent>

namespace quoterra {

namespace {

// Places of the standard skin, in twips.
constexpr float kCaptionRight = 1305; // captions of the full block end here
constexpr float kValueLeft = 1410;    // and values start here

QColor qcolor(const Rgb& c)
{
    return QColor(c.red, c.green, c.blue);
}

// A hostile answer may be a megabyte; a tool tip shows a line.
QString tip(const QString& text)
{
    constexpr qsizetype longest = 200;
    return text.size() > longest ? text.left(longest) + QChar(0x2026) : text;
}

} // namespace

Ticker::Ticker(Application& app, DockedPair& pair, TickerWindows windows)
    : Window(app.forms())
    , app_(app)
    , pair_(pair)
    , about_(std::move(windows.about))
    , configuration_(std::move(windows.configuration))
    , updateChecker_(std::move(windows.updateChecker))
    , symbolManager_(std::move(windows.symbolManager))
    , chartBrowser_(std::move(windows.chartBrowser))
{
    setObjectName(QStringLiteral("Ticker"));
    setFont(designFont(QStringLiteral("Arial"), 8.25, true));
    // Shown only where no picture covers the window.
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x1c, 0x25, 0x30));
    setPalette(p);

    buildControls();
    buildMenus();

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName(QStringLiteral("refreshTimer"));
    refreshTimer_->setInterval(1000);
    connect(refreshTimer_, &QTimer::timeout, this, &Ticker::refreshStep);
    inetQuotes = new Transfer(this);
    inetQuotes->setObjectName(QStringLiteral("inetQuotes"));
}

Ticker::~Ticker()
{
    pair_.leave(this);
}

const SkinPictures& Ticker::largeSkin()
{
    if (!large_)
        large_ = SkinPictures::large(app_.screen());
    return *large_;
}

void Ticker::buildControls()
{
    standard_ = SkinPictures::standard(app_.screen());

    picSkin = picture(this, "picSkin", 0, 0, standard_.shadeFace);
    picOptions = picture(this, "picOptions", 30, 30, standard_.options);
    picWindow = picture(this, "picWindow", 2790, 30, standard_.modeButtonShade);
    picExit = picture(this, "picExit", 2970, 30, standard_.exit);
    picChart = picture(this, "picChart", 2760, 660, standard_.chartBrowser);
    picSymbolEditor = picture(this, "picSymbolEditor", 2760, 1020, standard_.symbolManager);
    picWindow->setToolTip(QStringLiteral("Toggle Windowshade Mode"));
    picOptions->setToolTip(QStringLiteral("Options Menu"));
    picExit->setToolTip(QStringLiteral("Close"));
    picChart->setToolTip(QStringLiteral("Chart Browser"));
    picSymbolEditor->setToolTip(QStringLiteral("Symbol Manager"));

    const QFont arialBold = designFont(QStringLiteral("Arial"), 8.25, true);
    const QFont arialSmall = designFont(QStringLiteral("Arial"), 6.75);
    const QFont sansSerif = designFont(QStringLiteral("MS Sans Serif"), 8.25);
    lblCompactSymbol = label(this, "lblCompactSymbol", 220, 0, arialBold);
    lblCompactPrice = label(this, "lblCompactPrice", 1105, 25, arialSmall);
    lblCompactChange = label(this, "lblCompactChange", 1900, 25, arialSmall);

    struct Row {
        Label** caption;
        Label** value;
        const char* captionName;
        const char* valueName;
        const char* text;
        float captionLeft;
        float top;
    };
    const Row rows[] = {
        {&lblCurrentStock, &qCurrentStock, "lblCurrentStock", "qCurrentStock", "Current Symbol:", 195, 270},
        {&lblLastPrice, &qLastPrice, "lblLastPrice", "qLastPrice", "Last Price:", 555, 450},
        {&lblChange, &qChange, "lblChange", "qChange", "Change:", 705, 630},
        {&lblOpenPrice, &qOpenPrice, "lblOpenPrice", "qOpenPrice", "Open Price:", 465, 825},
        {&lblDailyHigh, &qDailyHigh, "lblDailyHigh", "qDailyHigh", "Daily High:", 540, 1035},
        {&lblDailyLow, &qDailyLow, "lblDailyLow", "qDailyLow", "Daily Low:", 570, 1245},
        {&lblVolume, &qVolume, "lblVolume", "qVolume", "Volume:", 735, 1440},
    };
    for (const Row& row : rows) {
        // Right-justified captions grow leftwards from a common right edge.
        Label* caption = new Label(this, QLatin1String(row.captionName), QLatin1String(row.text));
        caption->setFont(sansSerif);
        caption->setAlignment(Label::Alignment::Right);
        caption->setGeometryTwips(row.captionLeft, row.top, kCaptionRight - row.captionLeft, 0);
        caption->setAutoSize(true);
        *row.caption = caption;
        *row.value =
            label(this, row.valueName, kValueLeft, row.top, row.value == &qCurrentStock ? arialBold : sansSerif);
    }

    // Whatever a value holds, the buttons stay on top of it and usable.
    for (PictureBox* button : {picWindow, picOptions, picExit, picChart, picSymbolEditor})
        button->raise();

    for (QWidget* part :
         std::initializer_list<QWidget*>{this, picSkin, picWindow, picOptions, picExit, picChart, picSymbolEditor,
                                         lblCompactSymbol, lblCompactPrice, lblCompactChange, qCurrentStock})
        part->installEventFilter(this);

    // Installed last, so they see a press before the window's own handling.
    auto* drag = new DragHandles(
        this,
        [this](QWidget* part, QPointF at) {
            const Screen& s = app_.screen();
            QPointF grab(s.twipsX(at.x()), s.twipsY(at.y()));
            if (auto* compact = qobject_cast<Label*>(part))
                grab += QPointF(compact->leftTwips(), compact->topTwips());
            pair_.grabTicker(grab);
        },
        [this](QPoint globalPos) {
            if (!doubleClick_)
                pair_.dragTicker(globalPos);
        });
    for (QWidget* part :
         std::initializer_list<QWidget*>{this, picSkin, lblCompactSymbol, lblCompactPrice, lblCompactChange})
        drag->add(part);
}

void Ticker::showView()
{
    const QuoteView& v = cycle_.view;
    const std::pair<Label*, const LabelText*> shown[] = {
        {lblCompactSymbol, &v.compactSymbol},
        {lblCompactPrice, &v.compactPrice},
        {lblCompactChange, &v.compactChange},
        {qCurrentStock, &v.qCurrentStock},
        {qLastPrice, &v.qLastPrice},
        {qChange, &v.qChange},
        {qOpenPrice, &v.qOpenPrice},
        {qDailyHigh, &v.qDailyHigh},
        {qDailyLow, &v.qDailyLow},
        {qVolume, &v.qVolume},
    };
    for (const auto& [label, text] : shown) {
        label->setCaption(text->caption);
        label->setToolTip(tip(text->toolTip));
        label->setForeColor(qcolor(text->color));
    }
}

void Ticker::ApplyStandardSkin()
{
    TickerColors& colors = cycle_.colors;
    QuoteView& v = cycle_.view;
    colors = TickerColors{};
    lblCompactPrice->setTopTwips(25);
    lblCompactChange->setTopTwips(25);
    if (!v.compactChange.caption.isEmpty()) {
        const Rgb c = colorFromText(colors.forChange(firstCharacter(v.compactChange.caption)), v.compactChange.color);
        v.compactChange.color = c;
        v.qChange.color = c;
    }
    v.compactSymbol.color = colorFromText(colors.SymbolColor, v.compactSymbol.color);
    v.compactPrice.color = colorFromText(colors.TextColor, v.compactPrice.color);
    for (LabelText* value :
         {&v.qCurrentStock, &v.qLastPrice, &v.qChange, &v.qOpenPrice, &v.qDailyHigh, &v.qDailyLow, &v.qVolume})
        value->color = colorFromText(colors.TextColor, value->color);
    for (Label* caption :
         {lblCurrentStock, lblLastPrice, lblChange, lblOpenPrice, lblDailyHigh, lblDailyLow, lblVolume}) {
        const QColor old = caption->foreColor();
        caption->setForeColor(qcolor(colorFromText(colors.TextColor, Rgb{old.red(), old.green(), old.blue()})));
    }
    showView();

    picOptions->setPicture(standard_.options);
    picExit->setPicture(standard_.exit);
    const bool shade = mode_ == WindowMode::Shade;
    picSkin->setPicture(shade ? standard_.shadeFace : standard_.fullFace);
    picWindow->setPicture(shade ? standard_.modeButtonShade : standard_.modeButtonFull);
}

void Ticker::togglePause()
{
    refresh_.paused = !refresh_.paused;
    PauseMenuItem->setText(refresh_.pauseCaption());
}

void Ticker::fetchQuote()
{
    cycle_.FetchQuote(*inetQuotes, [this](const Transfer& answer) { return app_.serviceAnswered(answer); });
}

void Ticker::refreshStep()
{
    if (refresh_.tick(app_.fetchingHeld()) != RefreshCycle::Step::Fetch)
        return;
    // An empty list has no symbol to ask for.
    if (cycle_.cursor.EntryCount <= 0) {
        refresh_.fetched();
        return;
    }
    refreshTimer_->stop();
    cycle_.BuildQuoteRequest(app_.hosts().quotes);
    showView();
    QPointer<Ticker> self(this);
    fetchQuote();
    // The window may have been closed or reloaded while the answer was awaited.
    if (!self || !isLoaded())
        return;
    refresh_.fetched();
    cycle_.AdvanceSymbol();
    showView();
    refreshTimer_->start();
}

// ---- Mouse ----------------------------------------------------------------

// The face, the compact line and the window itself, besides dragging.
bool Ticker::mouseOnMovingPart(QWidget* part, QMouseEvent* event)
{
    const QEvent::Type type = event->type();
    // The research menu opens on a right press, the second of a double
    // click too.
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && event->button() == Qt::RightButton
        && part == lblCompactSymbol) {
        popupResearchMenu(lblCompactSymbol->caption(), event->globalPosition().toPoint());
        return true;
    }
    switch (type) {
    case QEvent::MouseButtonPress:
        if (part == picSkin)
            doubleClick_ = false;
        return true;
    case QEvent::MouseButtonRelease:
        doubleClick_ = false;
        // Letting go over the face decides whether the pair is docked.
        if (part == picSkin)
            pair_.releaseTickerOnFace();
        return true;
    case QEvent::MouseButtonDblClick:
        if (event->button() != Qt::LeftButton)
            return true;
        if (part == picSkin) {
            toggleWindowMode();
            doubleClick_ = true;
        } else if (part == lblCompactSymbol) {
            togglePause();
        }
        return true;
    default:
        return false;
    }
}

bool Ticker::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove
        && type != QEvent::MouseButtonDblClick)
        return Window::eventFilter(watched, event);
    auto* part = qobject_cast<QWidget*>(watched);
    if (!part)
        return Window::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    // A click is a press and a release of the left button on the same part;
    // the second press of a double click starts none.
    const bool click = type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && clickStart_ == part
        && part->rect().contains(mouse->position().toPoint());
    if (type == QEvent::MouseButtonPress)
        clickStart_ = part;
    else if (type != QEvent::MouseMove)
        clickStart_ = nullptr;

    if (part == this || part == picSkin || part == lblCompactSymbol || part == lblCompactPrice
        || part == lblCompactChange)
        return mouseOnMovingPart(part, mouse);
    if (part == qCurrentStock) {
        if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton)
            togglePause();
        else if (press && mouse->button() == Qt::RightButton)
            popupResearchMenu(qCurrentStock->caption(), mouse->globalPosition().toPoint());
        return true;
    }
    if (part == picOptions) {
        if (press)
            showOptionsMenu(mouse->globalPosition().toPoint());
        return true;
    }
    if (part == picExit) {
        if (type == QEvent::MouseButtonRelease)
            exitProgram();
        return true;
    }
    if (click && part == picWindow)
        toggleWindowMode();
    else if (click && part == picChart)
        chartBrowser_.loadAndShow();
    else if (click && part == picSymbolEditor)
        symbolManager_.loadAndShow();
    return true;
}

} // namespace quoterra
