#include "symbol_editor.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platform/settings.h"

#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

#include <algorithm>

namespace quoterra {

namespace {

const QString kTickerForm = QStringLiteral("Ticker");
const QString kNewSymbolForm = QStringLiteral("NewSymbol");
const QString kPropertiesForm = QStringLiteral("SymbolProperties");
const QString kDragIcon = QStringLiteral(":/icons/drag-row.png");

} // namespace

SymbolEditor::SymbolEditor()
    : Form(kName, Window)
{
    setCaption(kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/icons/quoterra.png")));
    buildMenus();

    ListView1 = new ListView(this, QStringLiteral("ListView1"));
    ListView1->Move(kMargin, kMargin, kListWidth, kListHeight);
    ListView1->addColumnHeader(QStringLiteral("Ticker Symbol"));
    ListView1->addColumnHeader(QStringLiteral("Symbol Name"));
    ListView1->tree()->setAlternatingRowColors(true);

    Picture1 = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1->setAutoSize(true);
    Picture1->setPicture(QPixmap(kDragIcon));
    Picture1->setVisible(false);

    Subclass1 = new Subclass(this, QStringLiteral("Subclass1"));

    cmdOK = new CommandButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    cmdCancel = new CommandButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    cmdCancel->setCancel(true);
    placeButtons(kButtonTop);

    connectHandlers();
}

SymbolEditor::~SymbolEditor()
{
    // The controls outlive this part of the window while they are torn
    // down: none of their signals may reach the handlers below any more.
    ListView1->disconnect(this);
    Subclass1->disconnect(this);
}

void SymbolEditor::buildMenus()
{
    auto item = [this](const char* name, const char* caption, MenuItem* parentMenu) {
        return new MenuItem(this, QLatin1String(name), QString::fromUtf8(caption), parentMenu);
    };

    FileMenu = item("FileMenu", "&File", nullptr);
    SaveMenuItem = item("SaveMenuItem", "&Save", FileMenu);
    item("MenuDivider5", "-", FileMenu);
    ExitMenuItem = item("ExitMenuItem", "E&xit", FileMenu);

    struct SymbolItems {
        MenuItem** addSymbol;
        MenuItem** addIndex;
        MenuItem** djia;
        MenuItem** nasdaq;
        MenuItem** sp500;
        MenuItem** bond;
        MenuItem** deleteSymbol;
        MenuItem** properties;
    };
    // The right-click menu and the Symbol menu hold the same commands.
    auto fill = [&](MenuItem* menu, const SymbolItems& to, const QString& suffix, const char* divider1,
                    const char* divider2) {
        auto named = [&](const char* base) { return QLatin1String(base) + suffix; };
        auto make = [&](const char* base, const char* caption, MenuItem* parentMenu) {
            return new MenuItem(this, named(base), QString::fromUtf8(caption), parentMenu);
        };
        *to.addSymbol = make("AddSymbolMenuItem", "&Add Symbol...", menu);
        *to.addIndex = make("AddIndexMenuItem", "Add &Index", menu);
        *to.djia = make("DJIAMenuItem", "D&JIA", *to.addIndex);
        *to.nasdaq = make("NASDAQMenuItem", "&NASDAQ", *to.addIndex);
        *to.sp500 = make("SP500MenuItem", "&S && P 500", *to.addIndex);
        *to.bond = make("Bond30YearMenuItem", "30 Year &Bond", *to.addIndex);
        new MenuItem(this, QLatin1String(divider1), QStringLiteral("-"), menu);
        *to.deleteSymbol = make("DeleteSymbolMenuItem", "&Delete Symbol", menu);
        new MenuItem(this, QLatin1String(divider2), QStringLiteral("-"), menu);
        *to.properties = make("PropertiesMenuItem", "&Properties...", menu);
    };

    EditorMenu = item("EditorMenu", "Editor Menu", nullptr);
    fill(EditorMenu,
         {&AddSymbolMenuItem, &AddIndexMenuItem, &DJIAMenuItem, &NASDAQMenuItem, &SP500MenuItem,
          &Bond30YearMenuItem, &DeleteSymbolMenuItem, &PropertiesMenuItem},
         QString(), "MenuDivider1", "MenuDivider2");

    SymbolMenu = item("SymbolMenu", "S&ymbol", nullptr);
    fill(SymbolMenu,
         {&AddSymbolMenuItem2, &AddIndexMenuItem2, &DJIAMenuItem2, &NASDAQMenuItem2, &SP500MenuItem2,
          &Bond30YearMenuItem2, &DeleteSymbolMenuItem2, &PropertiesMenuItem2},
         QStringLiteral("2"), "MenuDivider3", "MenuDivider4");

    addMenu(FileMenu);
    addMenu(SymbolMenu);
}

void SymbolEditor::placeButtons(float top)
{
    const float cancelLeft = kMargin + kListWidth - kButtonWidth;
    cmdCancel->Move(cancelLeft, top, kButtonWidth, kButtonHeight);
    cmdOK->Move(cancelLeft - kMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
}

void SymbolEditor::connectHandlers()
{
    connect(SaveMenuItem, &MenuItem::Click, this, [this] { Save(); });
    connect(ExitMenuItem, &MenuItem::Click, this, &Form::Unload);
    connect(cmdOK, &CommandButton::Click, this, &SymbolEditor::OK);
    connect(cmdCancel, &CommandButton::Click, this, &Form::Unload);

    const std::pair<MenuItem*, MenuItem*> twins[] = {
        {DJIAMenuItem, DJIAMenuItem2},
        {NASDAQMenuItem, NASDAQMenuItem2},
        {SP500MenuItem, SP500MenuItem2},
        {Bond30YearMenuItem, Bond30YearMenuItem2},
    };
    for (int which = 0; which < 4; ++which) {
        for (MenuItem* m : {twins[which].first, twins[which].second})
            connect(m, &MenuItem::Click, this, [this, which] { AddIndex(which); });
    }
    for (MenuItem* m : {AddSymbolMenuItem, AddSymbolMenuItem2})
        connect(m, &MenuItem::Click, this, &SymbolEditor::OpenAddSymbol);
    for (MenuItem* m : {DeleteSymbolMenuItem, DeleteSymbolMenuItem2})
        connect(m, &MenuItem::Click, this, &SymbolEditor::DeleteSymbol);
    for (MenuItem* m : {PropertiesMenuItem, PropertiesMenuItem2})
        connect(m, &MenuItem::Click, this, &SymbolEditor::OpenProperties);
    connect(SymbolMenu, &MenuItem::AboutToShow, this,
            [this] { enableSelectionCommands(PropertiesMenuItem2, DeleteSymbolMenuItem2); });

    connect(ListView1, &ListView::MouseDown, this, &SymbolEditor::ListView1_MouseDown);
    connect(ListView1, &ListView::MouseMove, this, &SymbolEditor::ListView1_MouseMove);
    connect(ListView1, &ListView::KeyUp, this, &SymbolEditor::ListView1_KeyUp);
    connect(ListView1, &ListView::DblClick, this, &SymbolEditor::OpenProperties);
    connect(ListView1, &ListView::ItemClick, this, [this] { ListView1->setDropHighlight({}); });
    connect(ListView1, &ListView::DragOver, this,
            [this](ListView*, float x, float y, int) { ListView1_DragOver(x, y); });
    connect(ListView1, &ListView::DragDrop, this, &SymbolEditor::ListView1_DragDrop);
    // A drop away from the list ends the drag as well: nothing is left
    // highlighted and the next drag starts afresh.
    connect(ListView1, &ListView::DropOutside, this, &SymbolEditor::ListView1_DragDrop);
    connect(Subclass1, &Subclass::WndProc, this, &SymbolEditor::Subclass1_WndProc, Qt::DirectConnection);
}

void SymbolEditor::Form_Load()
{
    makeApplicationDirectoryCurrent();
    LoadSymbolFile(cursor_);
    ListView1->tree()->setUpdatesEnabled(false);
    for (qint32 i = 1; i <= cursor_.EntryCount; ++i) {
        cursor_.CurrentIndex = i;
        ReadEntry(cursor_);
        ListView1->Add(0, cursor_.CurrentSymbol).setSubItems(1, cursor_.CurrentName);
    }
    ListView1->tree()->setUpdatesEnabled(true);

    if (DPI() == 120) {
        ListView1->setHeight(kLargeFontListHeight);
        placeButtons(kLargeFontButtonTop);
    }
    Move(Left(), Top(), kMargin + kListWidth + kMargin,
         twipsY(clientOffsetY()) + cmdOK->Top() + kButtonHeight + kMargin);
    setFixedSize(size());

    if (ListView1->Count() >= 1)
        ComputeVisibleRows();

    ListView1->setColumnWidth(0, 0.3f * ListView1->Width());
    ListView1->setColumnWidth(1, 0.62f * ListView1->Width());

    AlwaysOnTop(*this);
    Show();

    Subclass1->setHWnd(ListView1->hWnd());
    Subclass1->setMessages(WM_NOTIFY, true);
}

void SymbolEditor::Form_Unload(int&)
{
    ListView1->Drag(vbDragCancel);
    // The list was read at load; the file need not stay open behind it.
    if (cursor_.fileHandle != 0) {
        files::close(cursor_.fileHandle);
        cursor_.fileHandle = 0;
    }
}

void SymbolEditor::ComputeVisibleRows()
{
    const ListItem first = ListView1->Item(1);
    if (!first)
        return;
    const float rowHeight = first.Height();
    const float ratio = rowHeight > 0 ? (ListView1->Height() - first.Top()) / rowHeight : 0.0f;
    VisibleRowsText = formatGeneral(ratio, 7) + QLatin1Char('.');
    const QString whole = VisibleRowsText.left(VisibleRowsText.indexOf(QLatin1Char('.')));
    VisibleRows = qint16(std::clamp(parseNumber(whole).value_or(0.0), 0.0, 32767.0));
}

int SymbolEditor::CountSelected()
{
    int selected = 0;
    const int count = ListView1->Count();
    for (int i = 1; i <= count; ++i) {
        const ListItem row = ListView1->Item(i);
        if (row.Selected()) {
            ListView1->setSelectedItem(row);
            ++selected;
        }
    }
    return selected;
}

ListItem SymbolEditor::AddRow(const QString& symbol, const QString& name)
{
    const int selected = CountSelected();
    const ListItem row = selected == 0 ? ListView1->Add(0, symbol)
                                       : ListView1->Add(ListView1->SelectedItem().Index() + 1, symbol);
    row.setSubItems(1, name);
    ListView1->setSelectedItem(row);
    if (ListView1->Count() == 1)
        ComputeVisibleRows();
    // The user sees what was added, even at the end of a long list.
    row.EnsureVisible();
    return row;
}

QList<SymbolEntry> SymbolEditor::Entries() const
{
    QList<SymbolEntry> entries;
    const int count = ListView1->Count();
    entries.reserve(count);
    for (int i = 1; i <= count; ++i) {
        const ListItem row = ListView1->Item(i);
        entries.append(SymbolEntry{row.Text(), row.SubItems(1)});
    }
    return entries;
}

void SymbolEditor::AddIndex(int which)
{
    if (which < 0 || which >= int(std::size(kIndexEntries)))
        return;
    AddRow(QString::fromUtf8(kIndexEntries[which].symbol), QString::fromUtf8(kIndexEntries[which].name));
}

void SymbolEditor::DeleteSymbol()
{
    CountSelected();
    if (const ListItem row = ListView1->SelectedItem())
        ListView1->Remove(row.Index());
}

void SymbolEditor::OpenAddSymbol()
{
    Forms::show(kNewSymbolForm);
}

void SymbolEditor::OpenProperties()
{
    CountSelected();
    Forms::show(kPropertiesForm);
}

bool SymbolEditor::Save()
{
    if (!SaveSymbolList(Entries(), cursor_))
        return false;
    QPointer<SymbolEditor> self(this);
    reloadTicker();
    // The ticker took the front when it came back; the user was working here.
    if (self && self->isVisible()) {
        self->raise();
        self->activateWindow();
    }
    return true;
}

void SymbolEditor::OK()
{
    const int answer = MsgBox(QStringLiteral("Save changes?"), vbYesNoCancel + vbExclamation, kApplicationTitle, this);
    switch (answer) {
    case vbYes:
        // A failed save keeps the window and everything typed in it.
        if (!SaveSymbolList(Entries(), cursor_))
            return;
        makeApplicationDirectoryCurrent();
        Unload();
        reloadTicker();
        break;
    case vbNo:
        Unload();
        break;
    default:
        break;
    }
}

void SymbolEditor::reloadTicker()
{
    if (!Forms::isLoaded(kTickerForm))
        return;
    Forms::unload(kTickerForm);
    Forms::show(kTickerForm);
}

void SymbolEditor::enableSelectionCommands(MenuItem* properties, MenuItem* deleteSymbol)
{
    const bool any = CountSelected() >= 1;
    properties->setEnabled(any);
    deleteSymbol->setEnabled(any);
}

void SymbolEditor::ListView1_MouseDown(int button, int, float x, float y)
{
    ListView1->setSelectedItem(ListView1->HitTest(x, y));
    QPointer<SymbolEditor> self(this);
    DoEvents();
    if (!self || !loaded() || button != vbRightButton)
        return;
    enableSelectionCommands(PropertiesMenuItem, DeleteSymbolMenuItem);
    PopupMenu(EditorMenu);
}

void SymbolEditor::ListView1_MouseMove(int button, int, float, float)
{
    if (button != vbLeftButton || ListView1->Count() == 0)
        return;
    CountSelected();
    const ListItem row = ListView1->SelectedItem();
    if (!row)
        return;
    Dragging = true;
    DraggedIndex = QString::number(row.Index());
    ListView1->setDragIcon(Picture1->Picture());
    ListView1->Drag(vbBeginDrag);
}

void SymbolEditor::ListView1_KeyUp(int keyCode, int)
{
    if (CountSelected() >= 1 && keyCode == vbKeyDelete)
        ListView1->Remove(ListView1->SelectedItem().Index());
}

void SymbolEditor::ListView1_DragOver(float, float y)
{
    if (!Dragging)
        return;
    DragHeight = y;
    const int count = ListView1->Count();
    const ListItem first = ListView1->GetFirstVisible();
    if (count == 0 || !first)
        return;

    // Keep the pointer's height on the rows in sight.
    if (y < first.Top())
        y = first.Top();
    const int span = std::min<int>(count, VisibleRows);
    if (const ListItem last = ListView1->Item(first.Index() - 1 + span); last && y > last.Top())
        y = last.Top();

    const float left = ListView1->Item(1).Left();
    ListItem target = ListView1->HitTest(left, y);
    if (!target)
        return;
    const int targetIndex = target.Index();
    // Resting on the first or last row in sight scrolls one row on.
    (targetIndex == 1 ? target : ListView1->Item(targetIndex - 1)).EnsureVisible();
    (targetIndex == count ? target : ListView1->Item(targetIndex + 1)).EnsureVisible();

    const ListItem selected = ListView1->SelectedItem();
    if (selected && DraggedIndex != QString::number(selected.Index())) {
        // One place toward the target per event.
        const int index = selected.Index();
        const QString symbol = selected.Text();
        const QString name = selected.SubItems(1);
        ListItem moved;
        if (targetIndex < index) {
            moved = ListView1->Add(index - 1, symbol);
            ListView1->Remove(index + 1);
        } else if (index == count) {
            // The last row stays last.
            moved = ListView1->Add(index, symbol);
            ListView1->Remove(index + 1);
        } else {
            moved = ListView1->Add(index + 2, symbol);
            ListView1->Remove(index);
        }
        moved.setSubItems(1, name);
        ListView1->setSelectedItem(moved);
    }
    DraggedIndex = QString::number(targetIndex);
    ListView1->setDropHighlight(ListView1->HitTest(left, y));
}

void SymbolEditor::ListView1_DragDrop()
{
    ListView1->setDropHighlight({});
    Dragging = false;
}

void SymbolEditor::Subclass1_WndProc(UINT& msg, WPARAM& wParam, LPARAM& lParam, LRESULT& result)
{
    if (msg == WM_NOTIFY && lParam != 0) {
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        switch (notice->code) {
        case HDN_BEGINTRACKA:
        case HDN_BEGINTRACKW: {
            const int column = reinterpret_cast<const NMHEADER*>(lParam)->iItem;
            if (column == 0 || column == 1) {
                // The columns keep the widths the window gave them.
                result = -1;
                return;
            }
            break;
        }
        case NM_RCLICK:
            if (notice->hwndFrom == ListView1->headerHWnd()) {
                const QPoint at = quoterra::screen().cursorPos();
                HDHITTESTINFO hit;
                hit.pt = POINT{at.x(), at.y()};
                ScreenToClient(notice->hwndFrom, &hit.pt);
                const LRESULT column = SendMessage(notice->hwndFrom, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                setCaption(QStringLiteral("Right Click on Column ") + QString::number(column));
                return;
            }
            break;
        default:
            break;
        }
    }
    result = Subclass1->CallWndProc(msg, wParam, lParam);
}

} // namespace quoterra
