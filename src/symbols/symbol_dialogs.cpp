#include "symbol_dialogs.h"

#include "symbol_editor.h"

#include "platform/hosts.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "quotes/quote_text.h"

namespace quoterra {

namespace {

constexpr float kMargin = 120;
constexpr float kButtonWidth = 1200;
constexpr float kButtonHeight = 360;
constexpr float kBoxHeight = 345;
constexpr float kLabelHeight = 255;

void fixSize(Form& form, float width, float height)
{
    form.Move(form.Left(), form.Top(), width, height);
    form.setFixedSize(form.size());
}

} // namespace

// ---- The shared face ------------------------------------------------------

SymbolFieldsDialog::SymbolFieldsDialog(const QString& name, const QString& caption)
    : Form(name, Dialog)
{
    setCaption(caption);
    constexpr float frameWidth = 4560;
    constexpr float frameHeight = 1380;
    constexpr float boxLeft = 1800;

    fraProperties = new Frame(this, QStringLiteral("fraProperties"), QStringLiteral("Properties"));
    fraProperties->Move(kMargin, kMargin, frameWidth, frameHeight);

    lblTickerSymbol = new Label(fraProperties, QStringLiteral("lblTickerSymbol"), QStringLiteral("Ticker Symbol:"));
    lblTickerSymbol->Move(240, 405 + (kBoxHeight - kLabelHeight) / 2, boxLeft - 300, kLabelHeight);
    txtTickerSymbol = new TextBox(fraProperties, QStringLiteral("txtTickerSymbol"));
    txtTickerSymbol->Move(boxLeft, 405, 1560, kBoxHeight);

    lblName = new Label(fraProperties, QStringLiteral("lblName"), QStringLiteral("Symbol Name:"));
    lblName->Move(240, 855 + (kBoxHeight - kLabelHeight) / 2, boxLeft - 300, kLabelHeight);
    txtSymbolName = new TextBox(fraProperties, QStringLiteral("txtSymbolName"));
    txtSymbolName->Move(boxLeft, 855, frameWidth - boxLeft - 240, kBoxHeight);

    const float buttonTop = kMargin + frameHeight + kMargin;
    const float cancelLeft = kMargin + frameWidth - kButtonWidth;
    cmdOK = new CommandButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    cmdOK->Move(cancelLeft - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    cmdOK->setDefault(true);
    cmdCancel = new CommandButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    cmdCancel->Move(cancelLeft, buttonTop, kButtonWidth, kButtonHeight);
    cmdCancel->setCancel(true);

    fixSize(*this, kMargin + frameWidth + kMargin, buttonTop + kButtonHeight + kMargin);

    connect(cmdOK, &CommandButton::Click, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &CommandButton::Click, this, &Form::Unload);
}

SymbolEditor* SymbolFieldsDialog::editor()
{
    return qobject_cast<SymbolEditor*>(Forms::find(SymbolEditor::kName));
}

// ---- NewSymbol ------------------------------------------------------------

NewSymbol::NewSymbol()
    : SymbolFieldsDialog(kName, QStringLiteral("Quoterra - New Symbol"))
{
}

void NewSymbol::Form_Load()
{
    AlwaysOnTop(*this);
    Show();
    txtTickerSymbol->SetFocus();
}

void NewSymbol::cmdOK_Click()
{
    if (SymbolEditor* e = editor())
        e->AddRow(txtTickerSymbol->Text(), txtSymbolName->Text());
    Unload();
}

// ---- SymbolProperties -----------------------------------------------------

SymbolProperties::SymbolProperties()
    : SymbolFieldsDialog(kName, QStringLiteral("Quoterra - Symbol Properties"))
{
}

void SymbolProperties::Form_Load()
{
    SymbolEditor* e = editor();
    const ListItem row = e ? e->ListView1->SelectedItem() : ListItem();
    // Nothing to edit: the dialog goes away before it is ever seen.
    if (!row || row.Text().isEmpty()) {
        Unload();
        return;
    }
    txtTickerSymbol->setText(row.Text());
    txtSymbolName->setText(row.SubItems(1));
    AlwaysOnTop(*this);
    Show();
    txtTickerSymbol->SetFocus();
}

void SymbolProperties::cmdOK_Click()
{
    SymbolEditor* e = editor();
    if (const ListItem row = e ? e->ListView1->SelectedItem() : ListItem()) {
        row.setText(txtTickerSymbol->Text());
        row.setSubItems(1, txtSymbolName->Text());
    }
    Unload();
}

// ---- SymbolLookup ---------------------------------------------------------

SymbolLookup::SymbolLookup()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("Quoterra - Symbol Lookup"));
    constexpr float width = 4800;
    Label1 = new Label(this, QStringLiteral("Label1"),
                       QStringLiteral("Enter any part of the company name, mutual fund, market index, or corporate bond:"));
    Label1->setWordWrap(true);
    Label1->Move(kMargin, kMargin, width - 2 * kMargin, 2 * kLabelHeight);
    Text1 = new TextBox(this, QStringLiteral("Text1"));
    Text1->Move(kMargin, kMargin + 2 * kLabelHeight + kMargin, width - 2 * kMargin, kBoxHeight);
    const float buttonTop = Text1->Top() + kBoxHeight + kMargin;
    Command1 = new CommandButton(this, QStringLiteral("Command1"), QStringLiteral("Search"));
    Command1->Move(width - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    Command1->setDefault(true);

    fixSize(*this, width, buttonTop + kButtonHeight + kMargin);

    connect(Command1, &CommandButton::Click, this, &SymbolLookup::Command1_Click);
}

QString SymbolLookup::lookupAddress(const QString& text)
{
    return hosts().symbolLookup + QStringLiteral("/l?s=") + ReplaceText(text, QStringLiteral(" "), QStringLiteral("+"));
}

void SymbolLookup::Form_Load()
{
    AlwaysOnTop(*this);
    Show();
    Text1->SetFocus();
}

void SymbolLookup::Command1_Click()
{
    // The browser reports its own failures; there is nothing to add here.
    ShellOpen(lookupAddress(Text1->Text()));
    Unload();
}

} // namespace quoterra
