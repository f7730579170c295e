#pragma once

#include "platform/controls.h"
#include "platform/forms.h"

namespace quoterra {

class SymbolEditor;

// A symbol and its name in a "Properties" frame, with OK and Cancel: the
// face shared by the add-symbol and the properties dialogs. Texts are
// taken exactly as typed; the file cuts them to its widths when it saves.
class SymbolFieldsDialog : public Form {
    Q_OBJECT
public:
    Frame* fraProperties;
    Label* lblTickerSymbol;
    TextBox* txtTickerSymbol;
    Label* lblName;
    TextBox* txtSymbolName;
    CommandButton* cmdOK;
    CommandButton* cmdCancel;

protected:
    SymbolFieldsDialog(const QString& name, const QString& caption);
    virtual void cmdOK_Click() = 0;
    // The Symbol Manager whose list the dialog works on, if it is open.
    static SymbolEditor* editor();
};

// Adds a row to the Symbol Manager's list, after the selected row.
class NewSymbol : public SymbolFieldsDialog {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("NewSymbol");
    NewSymbol();

protected:
    void Form_Load() override;
    void cmdOK_Click() override;
};

// Edits the Symbol Manager's selected row; closes itself when there is none.
class SymbolProperties : public SymbolFieldsDialog {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("SymbolProperties");
    SymbolProperties();

protected:
    void Form_Load() override;
    void cmdOK_Click() override;
};

// Sends a company-name search to the quote service's symbol lookup page in
// the user's browser.
class SymbolLookup : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("SymbolLookup");
    SymbolLookup();

    Label* Label1;
    TextBox* Text1;
    CommandButton* Command1;

    // The lookup page for a search text: spaces become "+", nothing else
    // is changed.
    static QString lookupAddress(const QString& text);

protected:
    void Form_Load() override;

private:
    void Command1_Click();
};

} // namespace quoterra
