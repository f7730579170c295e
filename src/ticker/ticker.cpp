#include "ticker.h"

#include "placement/placement.h"
#include "research_links.h"
#include "skin_pictures.h"

#include "platform/inet.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "resizer/resizer.h"

namespace quoterra {

namespace {

PictureBox* picture(QWidget* form, const QString& name, float left, float top, const QString& pictureName,
                    bool visible = true)
{
    auto* box = new PictureBox(form, name);
    box->setAutoSize(true);
    box->Move(left, top);
    box->setPicture(skinPicture(pictureName));
    box->setVisible(visible);
    return box;
}

Label* label(QWidget* form, const QString& name, float left, float top, const QFont& font,
             const QString& caption = {}, Label::Alignment alignment = Label::LeftJustify)
{
    auto* l = new Label(form, name, caption);
    l->setFont(font);
    l->Move(left, top);
    l->setAlignment(alignment);
    l->setAutoSize(true);
    return l;
}

// Captions of the full block end here; values start at kValueLeft.
constexpr float kCaptionRight = 1305;
constexpr float kValueLeft = 1410;

} // namespace

Ticker::Ticker()
    : Form(kName, Window)
{
    setFont(vbFont(QStringLiteral("Arial"), 8.25, true));
    // Shown only where no picture covers the window.
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x1c, 0x25, 0x30));
    setPalette(p);

    buildControls();
    buildMenus();
    connectHandlers();
}

Ticker::~Ticker() = default;

void Ticker::buildControls()
{
    picSkin = picture(this, QStringLiteral("picSkin"), 0, 0, QStringLiteral("picDefaultShade"));

    const QStringList holders = {
        QStringLiteral("picDefaultShade"),      QStringLiteral("picDefaultFull"),
        QStringLiteral("picDefaultWIndowShade"), QStringLiteral("picDefaultWindowFull"),
        QStringLiteral("picDefaultOptions"),    QStringLiteral("picDefaultExit"),
        QStringLiteral("picLargeShade"),        QStringLiteral("picLargeFull"),
        QStringLiteral("picLargeWindowShade"),  QStringLiteral("picLargeWindowFull"),
        QStringLiteral("picLargeOptions"),      QStringLiteral("picLargeExit"),
        QStringLiteral("picLargeChartBrowser"), QStringLiteral("picLargeSymbolManager"),
    };
    QList<PictureBox*> made;
    for (const QString& name : holders)
        made.append(picture(this, name, 0, 0, name, false));
    picDefaultShade = made[0];
    picDefaultFull = made[1];
    picDefaultWIndowShade = made[2];
    picDefaultWindowFull = made[3];
    picDefaultOptions = made[4];
    picDefaultExit = made[5];
    picLargeShade = made[6];
    picLargeFull = made[7];
    picLargeWindowShade = made[8];
    picLargeWindowFull = made[9];
    picLargeOptions = made[10];
    picLargeExit = made[11];
    picLargeChartBrowser = made[12];
    picLargeSymbolManager = made[13];

    picOptions = picture(this, QStringLiteral("picOptions"), kOptionsLeft, 30, QStringLiteral("picDefaultOptions"));
    picWindow = picture(this, QStringLiteral("picWindow"), kWindowLeft, 30, QStringLiteral("picDefaultWIndowShade"));
    picExit = picture(this, QStringLiteral("picExit"), kExitLeft, 30, QStringLiteral("picDefaultExit"));
    picChart = picture(this, QStringLiteral("picChart"), kChartLeft, kChartTop, QStringLiteral("picChart"));
    picSymbolEditor = picture(this, QStringLiteral("picSymbolEditor"), kChartLeft, kSymbolEditorTop,
                              QStringLiteral("picSymbolEditor"));
    picWindow->setToolTipText(QStringLiteral("Toggle Windowshade Mode"));
    picOptions->setToolTipText(QStringLiteral("Options Menu"));
    picExit->setToolTipText(QStringLiteral("Close"));
    picChart->setToolTipText(QStringLiteral("Chart Browser"));
    picSymbolEditor->setToolTipText(QStringLiteral("Symbol Manager"));

    const QFont arialBold = vbFont(QStringLiteral("Arial"), 8.25, true);
    const QFont arialSmall = vbFont(QStringLiteral("Arial"), 6.75);
    const QFont sansSerif = vbFont(QStringLiteral("MS Sans Serif"), 8.25);

    Label1 = label(this, QStringLiteral("Label1"), 220, 0, arialBold);
    Label2 = label(this, QStringLiteral("Label2"), 1105, 25, arialSmall);
    Label3 = label(this, QStringLiteral("Label3"), 1900, 25, arialSmall);

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
        Label* caption = label(this, QLatin1String(row.captionName), row.captionLeft, row.top, sansSerif,
                               QLatin1String(row.text), Label::RightJustify);
        // Right-justified captions grow leftwards from a common right edge.
        caption->Move(row.captionLeft, row.top, kCaptionRight - row.captionLeft);
        caption->setAutoSize(true);
        *row.caption = caption;
        const bool symbol = row.value == &qCurrentStock;
        *row.value = label(this, QLatin1String(row.valueName), kValueLeft, row.top, symbol ? arialBold : sansSerif);
    }

    Timer2 = new Timer(this, QStringLiteral("Timer2"), 1000);
    inetQuotes = new Inet(this);
    inetQuotes->setObjectName(QStringLiteral("inetQuotes"));
}

TickerLabels Ticker::labels() const
{
    return TickerLabels{Label1, Label2, Label3, qCurrentStock, qLastPrice, qChange,
                        qOpenPrice, qDailyHigh, qDailyLow, qVolume};
}

void Ticker::connectHandlers()
{
    connect(Timer2, &Timer::Tick, this, &Ticker::RefreshStep);

    // The form, the compact labels and the face move the window.
    connect(this, &Ticker::MouseDown, this, [this](int button, int, float x, float y) {
        if (button == vbLeftButton) {
            setMousePointer(vbDefault);
            grab(x, y);
        }
    });
    for (Label* l : {Label1, Label2, Label3}) {
        connect(l, &Label::MouseDown, this, [this, l](int button, int, float x, float y) {
            if (button == vbLeftButton) {
                l->setMousePointer(vbDefault);
                grab(l->Left() + x, l->Top() + y);
            } else if (button == vbRightButton && l == Label1) {
                ResearchSymbol = Label1->Caption();
                PopupMenu(ResearchMenu);
            }
        });
        connect(l, &Label::MouseMove, this, [this](int button, int, float, float) { dragMove(button); });
        connect(l, &Label::MouseUp, this, [this, l](int button, int, float, float) {
            if (button == vbLeftButton)
                l->setMousePointer(vbDefault);
            DoubleClick = false;
        });
    }
    connect(this, &Ticker::MouseMove, this, [this](int button, int, float, float) { dragMove(button); });
    connect(this, &Ticker::MouseUp, this, [this](int button, int, float, float) {
        if (button == vbLeftButton)
            setMousePointer(vbDefault);
        DoubleClick = false;
    });

    connect(picSkin, &PictureBox::MouseDown, this, [this](int button, int, float x, float y) {
        DoubleClick = false;
        if (button == vbLeftButton) {
            picSkin->setMousePointer(vbDefault);
            grab(x, y);
        }
    });
    connect(picSkin, &PictureBox::MouseMove, this, [this](int button, int, float, float) { dragMove(button); });
    connect(picSkin, &PictureBox::MouseUp, this, [this](int button, int, float, float) {
        DoubleClick = false;
        if (button == vbLeftButton)
            picSkin->setMousePointer(vbDefault);
        // Letting go over the face decides whether the pair is docked.
        placement().docked = placement().magnet;
    });
    connect(picSkin, &PictureBox::DblClick, this, [this] {
        ToggleWindowMode();
        DoubleClick = true;
    });

    connect(Label1, &Label::DblClick, this, &Ticker::TogglePause);
    connect(qCurrentStock, &Label::DblClick, this, &Ticker::TogglePause);
    connect(qCurrentStock, &Label::MouseDown, this, [this](int button, int, float, float) {
        if (button != vbRightButton)
            return;
        ResearchSymbol = qCurrentStock->Caption();
        PopupMenu(ResearchMenu);
    });

    connect(picWindow, &PictureBox::Click, this, &Ticker::ToggleWindowMode);
    connect(picOptions, &PictureBox::MouseDown, this, [this](int, int, float, float) { ShowOptionsMenu(); });
    connect(picExit, &PictureBox::MouseUp, this, [this](int, int, float, float) { ExitProgram(); });
    connect(picChart, &PictureBox::Click, this, [] { Forms::show(QStringLiteral("Charts")); });
    connect(picSymbolEditor, &PictureBox::Click, this, [] { Forms::show(QStringLiteral("SymbolEditor")); });
}

void Ticker::grab(float x, float y)
{
    FormPosX = x;
    FormPosY = y;
    TakeChartOffsets(*this);
}

void Ticker::dragMove(int button)
{
    // Exactly the left button: left and right held together do not drag.
    if (button == vbLeftButton && !DoubleClick)
        DragTicker(*this, QPointF(FormPosX, FormPosY));
}

void Ticker::ApplyStandardSkin()
{
    colors = TickerColors{};
    Label2->setTop(25);
    Label3->setTop(25);
    if (!Label3->Caption().isEmpty()) {
        const QColor c = colorFromText(colors.forChange(firstCharacter(Label3->Caption())), Label3->ForeColor());
        Label3->setForeColor(c);
        qChange->setForeColor(c);
    }
    Label1->setForeColor(colorFromText(colors.SymbolColor, Label1->ForeColor()));
    Label2->setForeColor(colorFromText(colors.TextColor, Label2->ForeColor()));
    for (Label* l : {lblCurrentStock, qCurrentStock, lblLastPrice, qLastPrice, lblChange, qChange,
                     lblOpenPrice, qOpenPrice, lblDailyHigh, qDailyHigh, lblDailyLow, qDailyLow, lblVolume,
                     qVolume})
        l->setForeColor(colorFromText(colors.TextColor, l->ForeColor()));

    picOptions->setPicture(picDefaultOptions->Picture());
    picExit->setPicture(picDefaultExit->Picture());
    if (picWindow->Tag == QLatin1String("Shade")) {
        picSkin->setPicture(picDefaultShade->Picture());
        picWindow->setPicture(picDefaultWIndowShade->Picture());
    } else {
        picSkin->setPicture(picDefaultFull->Picture());
        picWindow->setPicture(picDefaultWindowFull->Picture());
    }
}

void Ticker::TogglePause()
{
    PauseMenuItem->setCaption(QString::fromLatin1(cycle.togglePause()));
}

void Ticker::RefreshStep()
{
    if (cycle.tick(ConfigOpen) != RefreshCycle::Step::Fetch)
        return;
    Timer2->setEnabled(false);
    BuildQuoteRequest(labels());
    QPointer<Ticker> self(this);
    FetchQuote(*inetQuotes, labels(), colors);
    // The window may have been closed or reloaded while the answer was awaited.
    if (!self || !loaded())
        return;
    cycle.fetched();
    AdvanceSymbol(hold);
    Timer2->setEnabled(true);
}

} // namespace quoterra
