#pragma once

#include "ui/form.h"

class QLineEdit;
class QPushButton;

namespace quoterra {

class Application;
class SymbolEditor;

// A symbol and its name in a "Properties" frame, with OK and Cancel: the
// face shared by the add-symbol and the properties dialogs. Texts are taken
// exactly as typed; the file cuts them to its widths when it saves.
class SymbolFieldsDialog : public Dialog {
    Q_OBJECT
public:
    QLineEdit* txtTickerSymbol;
    QLineEdit* txtSymbolName;

protected:
    SymbolFieldsDialog(Application& app, SymbolEditor& editor, const QString& caption);
    virtual void accepted() = 0;

    Application& app_;
    SymbolEditor& editor_;
};

// Adds a row to the Symbol Manager's list, after the selected row.
class NewSymbol : public SymbolFieldsDialog {
    Q_OBJECT
public:
    NewSymbol(Application& app, SymbolEditor& editor);

protected:
    void onLoad() override;
    void accepted() override;
};

// Edits the Symbol Manager's selected row; closes itself when there is none.
class SymbolProperties : public SymbolFieldsDialog {
    Q_OBJECT
public:
    SymbolProperties(Application& app, SymbolEditor& editor);

protected:
    void onLoad() override;
    void accepted() override;
};

// Sends a company-name search to the quote service's symbol lookup page in
// the user's browser.
class SymbolLookup : public Dialog {
    Q_OBJECT
public:
    explicit SymbolLookup(Application& app);

    // The lookup page for a search text: spaces become "+", nothing else is
    // changed.
    static QString lookupAddress(const QString& host, const QString& text);

protected:
    void onLoad() override;

private:
    Application& app_;
    QLineEdit* txtSearch;
};

} // namespace quoterra
