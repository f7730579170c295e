#include "symbol_dialogs.h"

#include "symbol_editor.h"
#include "symbol_list.h"

#include "app/context/application.h"
#include "ui/controls.h"
#include "ui/shell.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quoterra {

namespace {

constexpr float kMargin = 120;
constexpr float kButtonWidth = 1200;
constexpr float kButtonHeight = 360;
constexpr float kBoxHeight = 345;
constexpr float kLabelHeight = 255;

template <class W>
W* make(QWidget* parent, const char* name, float left, float top, float width, float height, const QString& text = {})
{
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (std::is_same_v<W, QLabel> || std::is_same_v<W, QLineEdit> || std::is_same_v<W, QPushButton>)
        w->setText(text);
    placeTwips(w, left, top, width, height);
    return w;
}

void fixSize(Dialog& dialog, float width, float height)
{
    dialog.setGeometryTwips(dialog.leftTwips(), dialog.topTwips(), width, height);
    dialog.setFixedSize(dialog.size());
}

} // namespace

// ---- The shared face ------------------------------------------------------

SymbolFieldsDialog::SymbolFieldsDialog(Application& app, SymbolEditor& editor, const QString& caption)
    : Dialog(app.forms())
    , app_(app)
    , editor_(editor)
{
    setWindowTitle(caption);
    constexpr float frameWidth = 4560;
    constexpr float frameHeight = 1380;
    constexpr float boxLeft = 1800;
    auto* frame = new QGroupBox(QStringLiteral("Properties"), this);
    frame->setObjectName(QStringLiteral("fraProperties"));
    placeTwips(frame, kMargin, kMargin, frameWidth, frameHeight);
    const float labelOffset = (kBoxHeight - kLabelHeight) / 2;
    make<QLabel>(frame, "lblTickerSymbol", 240, 405 + labelOffset, boxLeft - 300, kLabelHeight,
                 QStringLiteral("Ticker Symbol:"));
    txtTickerSymbol = make<QLineEdit>(frame, "txtTickerSymbol", boxLeft, 405, 1560, kBoxHeight);
    make<QLabel>(frame, "lblName", 240, 855 + labelOffset, boxLeft - 300, kLabelHeight, QStringLiteral("Symbol Name:"));
    txtSymbolName = make<QLineEdit>(frame, "txtSymbolName", boxLeft, 855, frameWidth - boxLeft - 240, kBoxHeight);

    const float buttonTop = kMargin + frameHeight + kMargin;
    const float cancelLeft = kMargin + frameWidth - kButtonWidth;
    auto* ok = make<QPushButton>(this, "cmdOK", cancelLeft - kMargin - kButtonWidth, buttonTop, kButtonWidth,
                                 kButtonHeight, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = make<QPushButton>(this, "cmdCancel", cancelLeft, buttonTop, kButtonWidth, kButtonHeight,
                                     QStringLiteral("Cancel"));
    fixSize(*this, kMargin + frameWidth + kMargin, buttonTop + kButtonHeight + kMargin);

    connect(ok, &QPushButton::clicked, this, [this] { accepted(); });
    connect(cancel, &QPushButton::clicked, this, [this] { unload(); });
}

// ---- NewSymbol ------------------------------------------------------------

NewSymbol::NewSymbol(Application& app, SymbolEditor& editor)
    : SymbolFieldsDialog(app, editor, QStringLiteral("Quoterra - New Symbol"))
{
    setObjectName(QStringLiteral("NewSymbol"));
}

void NewSymbol::onLoad()
{
    app_.AlwaysOnTop(*this);
    loadAndShow();
    txtTickerSymbol->setFocus(Qt::OtherFocusReason);
}

void NewSymbol::accepted()
{
    editor_.AddRow(txtTickerSymbol->text(), txtSymbolName->text());
    unload();
}

// ---- SymbolProperties -----------------------------------------------------

SymbolProperties::SymbolProperties(Application& app, SymbolEditor& editor)
    : SymbolFieldsDialog(app, editor, QStringLiteral("Quoterra - Symbol Properties"))
{
    setObjectName(QStringLiteral("SymbolProperties"));
}

void SymbolProperties::onLoad()
{
    const QTreeWidgetItem* row = editor_.list().selectedRow();
    // Nothing to edit: the dialog goes away before it is ever seen.
    if (!row || row->text(0).isEmpty()) {
        unload();
        return;
    }
    txtTickerSymbol->setText(row->text(0));
    txtSymbolName->setText(row->text(1));
    app_.AlwaysOnTop(*this);
    loadAndShow();
    txtTickerSymbol->setFocus(Qt::OtherFocusReason);
}

void SymbolProperties::accepted()
{
    if (QTreeWidgetItem* row = editor_.list().selectedRow()) {
        row->setText(0, txtTickerSymbol->text());
        row->setText(1, txtSymbolName->text());
    }
    unload();
}

// ---- SymbolLookup ---------------------------------------------------------

SymbolLookup::SymbolLookup(Application& app)
    : Dialog(app.forms())
    , app_(app)
{
    setObjectName(QStringLiteral("SymbolLookup"));
    setWindowTitle(QStringLiteral("Quoterra - Symbol Lookup"));
    constexpr float width = 4800;
    auto* prompt = make<QLabel>(
        this, "lblPrompt", kMargin, kMargin, width - 2 * kMargin, 2 * kLabelHeight,
        QStringLiteral("Enter any part of the company name, mutual fund, market index, or corporate bond:"));
    prompt->setWordWrap(true);
    const float boxTop = kMargin + 2 * kLabelHeight + kMargin;
    txtSearch = make<QLineEdit>(this, "txtSearch", kMargin, boxTop, width - 2 * kMargin, kBoxHeight);
    const float buttonTop = boxTop + kBoxHeight + kMargin;
    auto* search = make<QPushButton>(this, "cmdSearch", width - kMargin - kButtonWidth, buttonTop, kButtonWidth,
                                     kButtonHeight, QStringLiteral("Search"));
    search->setDefault(true);
    fixSize(*this, width, buttonTop + kButtonHeight + kMargin);

    connect(search, &QPushButton::clicked, this, [this] {
        // The browser reports its own failures; there is nothing to add here.
        openInBrowser(lookupAddress(app_.hosts().symbolLookup, txtSearch->text()));
        unload();
    });
}

QString SymbolLookup::lookupAddress(const QString& host, const QString& text)
{
    return host + QStringLiteral("/l?s=") + QString(text).replace(u' ', u'+');
}

void SymbolLookup::onLoad()
{
    app_.AlwaysOnTop(*this);
    loadAndShow();
    txtSearch->setFocus(Qt::OtherFocusReason);
}

} // namespace quoterra
