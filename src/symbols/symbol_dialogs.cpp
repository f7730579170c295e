#include "symbol_dialogs.h"

#include "layout.h"
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

constexpr float kBoxHeight = 345;
constexpr float kLabelHeight = 255;

// The end of every load: on top as the settings say, shown, typing in `box`.
void showTyping(Application& app, Dialog& dialog, QLineEdit* box)
{
    app.AlwaysOnTop(dialog);
    dialog.loadAndShow();
    box->setFocus(Qt::OtherFocusReason);
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
    auto* frame =
        make<QGroupBox>(this, "fraProperties", QStringLiteral("Properties"), kMargin, kMargin, frameWidth, frameHeight);
    const float labelOffset = (kBoxHeight - kLabelHeight) / 2;
    make<QLabel>(frame, "lblTickerSymbol", QStringLiteral("Ticker Symbol:"), 240, 405 + labelOffset, boxLeft - 300,
                 kLabelHeight);
    txtTickerSymbol = make<QLineEdit>(frame, "txtTickerSymbol", {}, boxLeft, 405, 1560, kBoxHeight);
    make<QLabel>(frame, "lblName", QStringLiteral("Symbol Name:"), 240, 855 + labelOffset, boxLeft - 300, kLabelHeight);
    txtSymbolName = make<QLineEdit>(frame, "txtSymbolName", {}, boxLeft, 855, frameWidth - boxLeft - 240, kBoxHeight);

    const float buttonTop = kMargin + frameHeight + kMargin;
    const auto [ok, cancel] = makeOkCancel(this, kMargin + frameWidth, buttonTop);
    ok->setDefault(true);
    setFixedSizeTwips(kMargin + frameWidth + kMargin, buttonTop + kButtonHeight + kMargin);

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
    showTyping(app_, *this, txtTickerSymbol);
}

void NewSymbol::accepted()
{
    editor_.addRow(txtTickerSymbol->text(), txtSymbolName->text());
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
    showTyping(app_, *this, txtTickerSymbol);
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
    make<QLabel>(this, "lblPrompt",
                 QStringLiteral("Enter any part of the company name, mutual fund, market index, or corporate bond:"),
                 kMargin, kMargin, width - 2 * kMargin, 2 * kLabelHeight)
        ->setWordWrap(true);
    const float boxTop = kMargin + 2 * kLabelHeight + kMargin;
    txtSearch = make<QLineEdit>(this, "txtSearch", {}, kMargin, boxTop, width - 2 * kMargin, kBoxHeight);
    const float buttonTop = boxTop + kBoxHeight + kMargin;
    auto* search = make<QPushButton>(this, "cmdSearch", QStringLiteral("Search"), width - kMargin - kButtonWidth,
                                     buttonTop, kButtonWidth, kButtonHeight);
    search->setDefault(true);
    setFixedSizeTwips(width, buttonTop + kButtonHeight + kMargin);

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
    showTyping(app_, *this, txtSearch);
}

} // namespace quoterra
