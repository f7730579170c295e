#pragma once

#include "subclass.h"

#include "symbols/file/symbol_file.h"
#include "ui/form.h"

class QAction;
class QMenu;
class QPushButton;

namespace quoterra {

class Application;
class SymbolList;

// The Symbol Manager: the user's list in a two-column list, edited with
// menus, dialogs, the Delete key and row dragging, and written back to the
// file on Save or OK. Nothing reaches the file or the ticker before then.
class SymbolEditor : public Window {
    Q_OBJECT
public:
    explicit SymbolEditor(Application& app);

    SymbolList& list() const { return *lstSymbols; }
    // The rows as they would be saved.
    QList<SymbolEntry> Entries() const;
    // Adds a row after the selected one (at the end without a selection)
    // and selects it: the add-symbol and add-index commands.
    void addRow(const QString& symbol, const QString& name);

    void addIndex(int which);
    void deleteSymbol();
    // Writes the list; the ticker restarts on it. False (window and list
    // untouched) when the file could not be written.
    bool Save();
    void OK();

signals:
    // The list on disk was replaced.
    void listSaved();

protected:
    void onLoad() override;

private:
    bool writeList();
    QMenu* buildSymbolMenu(const QString& title, const QString& suffix);
    void enableSelectionCommands(QMenu* menu);
    void onListPressed(Qt::MouseButton button, QPoint globalPos);
    bool onHeaderEvent(QEvent* event);

    Application& app_;
    SymbolList* lstSymbols;
    QWidget* client_;
    Subclass* headerWatcher_;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QMenu* EditorMenu;
    QMenu* SymbolMenu;
    FormSlot<Form> newSymbol_;
    FormSlot<Form> properties_;
};

} // namespace quoterra
