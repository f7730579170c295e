#pragma once

#include "subclass.h"
#include "symbol_file.h"

#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/listview.h"
#include "platform/menus.h"

namespace quoterra {

// The Symbol Manager: the user's list in a two-column list view, edited
// with menus, dialogs, the Delete key and row dragging, and written back to
// stockdata.std on Save or OK. Nothing reaches the file or the ticker
// before then.
class SymbolEditor : public Form {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("SymbolEditor");
    static inline const QString kCaption = QStringLiteral("Quoterra - Symbol Manager");

    // Places at normal fonts, in twips; large fonts give the list and the
    // buttons their own heights at load.
    static constexpr float kMargin = 120;
    static constexpr float kListWidth = 6000;
    static constexpr float kListHeight = 3600;
    static constexpr float kButtonTop = 3780;
    static constexpr float kLargeFontListHeight = 4010;
    static constexpr float kLargeFontButtonTop = 4160;
    static constexpr float kButtonWidth = 1200;
    static constexpr float kButtonHeight = 360;

    SymbolEditor();
    ~SymbolEditor() override;

    ListView* ListView1;
    PictureBox* Picture1;
    Subclass* Subclass1;
    CommandButton* cmdOK;
    CommandButton* cmdCancel;

    MenuItem* FileMenu;
    MenuItem* SaveMenuItem;
    MenuItem* ExitMenuItem;

    // The right-click menu of the list; never in the menu bar.
    MenuItem* EditorMenu;
    MenuItem* AddSymbolMenuItem;
    MenuItem* AddIndexMenuItem;
    MenuItem* DJIAMenuItem;
    MenuItem* NASDAQMenuItem;
    MenuItem* SP500MenuItem;
    MenuItem* Bond30YearMenuItem;
    MenuItem* DeleteSymbolMenuItem;
    MenuItem* PropertiesMenuItem;

    MenuItem* SymbolMenu;
    MenuItem* AddSymbolMenuItem2;
    MenuItem* AddIndexMenuItem2;
    MenuItem* DJIAMenuItem2;
    MenuItem* NASDAQMenuItem2;
    MenuItem* SP500MenuItem2;
    MenuItem* Bond30YearMenuItem2;
    MenuItem* DeleteSymbolMenuItem2;
    MenuItem* PropertiesMenuItem2;

    // How many whole rows the list shows, and the text it is cut from;
    // the add-symbol dialog recomputes them when it fills an empty list.
    QString VisibleRowsText;
    qint16 VisibleRows = 0;
    void ComputeVisibleRows();

    // Row dragging.
    bool Dragging = false;
    QString DraggedIndex;
    float DragHeight = 0;

    // Walks every row, making each selected one the list's selected item in
    // turn (so the last selected in list order ends up acted on); returns
    // how many are selected.
    int CountSelected();

    // Adds a row directly after the selected one (at the end without a
    // selection) and selects it: the add-symbol and add-index commands.
    ListItem AddRow(const QString& symbol, const QString& name);

    // The rows as they would be saved.
    QList<SymbolEntry> Entries() const;

    // The commands.
    void AddIndex(int which);
    void DeleteSymbol();
    void OpenAddSymbol();
    void OpenProperties();
    // Writes the list and restarts the ticker on it; false (with the window
    // and its list untouched) when the file could not be written.
    bool Save();
    void OK();

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    void buildMenus();
    void connectHandlers();
    void placeButtons(float top);

    void ListView1_MouseDown(int button, int shift, float x, float y);
    void ListView1_MouseMove(int button, int shift, float x, float y);
    void ListView1_KeyUp(int keyCode, int shift);
    void ListView1_DragOver(float x, float y);
    void ListView1_DragDrop();
    void Subclass1_WndProc(UINT& msg, WPARAM& wParam, LPARAM& lParam, LRESULT& result);
    void enableSelectionCommands(MenuItem* properties, MenuItem* deleteSymbol);
    static void reloadTicker();

    SymbolCursor cursor_;
};

// The four market indices the Symbol Manager offers as ready-made rows.
struct IndexEntry {
    const char* symbol;
    const char* name;
};
inline constexpr IndexEntry kIndexEntries[] = {
    {"DJIA", "Dow Jones Industrials Average"},
    {"NASDAQ", "NASDAQ Composite"},
    {"S&P 500", "S&P 500 Index"},
    {"30YR", "30 Year Bond"},
};

} // namespace quoterra
