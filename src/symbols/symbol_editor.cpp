#include "symbol_editor.h"

#include "layout.h"
#include "symbol_dialogs.h"
#include "symbol_list.h"

#include "app/context/application.h"
#include "ui/controls.h"
#include "ui/msgbox.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

#include <tuple>

namespace quoterra {

namespace {

// Places at normal fonts, in twips; large fonts give the list and the
// buttons their own heights at load.
constexpr float kListWidth = 6000;
constexpr float kListHeight = 3600;
constexpr float kButtonTop = 3780;
constexpr float kLargeFontListHeight = 4010;
constexpr float kLargeFontButtonTop = 4160;

// The four market indices offered as ready-made rows, with their menu items.
struct IndexEntry {
    const char* item;
    const char* caption;
    const char* symbol;
    const char* name;
};
constexpr IndexEntry kIndexEntries[] = {
    {"DJIAMenuItem", "D&JIA", "DJIA", "Dow Jones Industrials Average"},
    {"NASDAQMenuItem", "&NASDAQ", "NASDAQ", "NASDAQ Composite"},
    {"SP500MenuItem", "&S && P 500", "S&P 500", "S&P 500 Index"},
    {"Bond30YearMenuItem", "30 Year &Bond", "30YR", "30 Year Bond"},
};

} // namespace

SymbolEditor::SymbolEditor(Application& app)
    : Window(app.forms())
    , app_(app)
    , newSymbol_([this] { return new NewSymbol(app_, *this); })
    , properties_([this] { return new SymbolProperties(app_, *this); })
{
    setObjectName(QStringLiteral("SymbolEditor"));
    setWindowTitle(QStringLiteral("Quoterra - Symbol Manager"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quoterra.png")));

    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    QAction* save = file->addAction(QStringLiteral("&Save"));
    save->setObjectName(QStringLiteral("SaveMenuItem"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("ExitMenuItem"));
    SymbolMenu = buildSymbolMenu(QStringLiteral("S&ymbol"), QStringLiteral("2"));
    bar->addMenu(SymbolMenu);
    // The right-click menu of the list; never in the menu bar.
    EditorMenu = buildSymbolMenu(QStringLiteral("Editor Menu"), QString());
    bar->setGeometry(0, 0, bar->sizeHint().width(), bar->sizeHint().height());

    client_ = new QWidget(this);
    client_->move(0, bar->height());
    lstSymbols = new SymbolList(client_);
    placeTwips(lstSymbols, kMargin, kMargin, kListWidth, kListHeight);
    std::tie(cmdOK, cmdCancel) = makeOkCancel(client_, kMargin + kListWidth, kButtonTop);

    // The header's right click names the column under the pointer.
    headerWatcher_ = new Subclass(this);
    headerWatcher_->setWindow(lstSymbols->header()->viewport());
    headerWatcher_->setMessages(QEvent::ContextMenu, true);
    headerWatcher_->setHandler([this](QEvent* event) { return onHeaderEvent(event); });

    connect(save, &QAction::triggered, this, [this] { Save(); });
    connect(exit, &QAction::triggered, this, [this] { unload(); });
    connect(cmdOK, &QPushButton::clicked, this, &SymbolEditor::OK);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { unload(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, cmdCancel, &QPushButton::click);
    connect(SymbolMenu, &QMenu::aboutToShow, this, [this] { enableSelectionCommands(SymbolMenu); });
    connect(lstSymbols, &SymbolList::pressed, this, &SymbolEditor::onListPressed);
    connect(lstSymbols, &SymbolList::rowDoubleClicked, this, [this] { properties_.loadAndShow(); });
    connect(lstSymbols, &SymbolList::deleteReleased, this, &SymbolEditor::deleteSymbol);
}

QMenu* SymbolEditor::buildSymbolMenu(const QString& title, const QString& suffix)
{
    auto* menu = new QMenu(title, this);
    auto add = [&](QMenu* to, const char* name, const char* caption) {
        QAction* a = to->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name) + suffix);
        return a;
    };
    connect(add(menu, "AddSymbolMenuItem", "&Add Symbol..."), &QAction::triggered, this,
            [this] { newSymbol_.loadAndShow(); });
    QMenu* indices = menu->addMenu(QStringLiteral("Add &Index"));
    indices->menuAction()->setObjectName(QStringLiteral("AddIndexMenuItem") + suffix);
    for (int which = 0; which < int(std::size(kIndexEntries)); ++which)
        connect(add(indices, kIndexEntries[which].item, kIndexEntries[which].caption), &QAction::triggered, this,
                [this, which] { addIndex(which); });
    menu->addSeparator();
    connect(add(menu, "DeleteSymbolMenuItem", "&Delete Symbol"), &QAction::triggered, this,
            &SymbolEditor::deleteSymbol);
    menu->addSeparator();
    connect(add(menu, "PropertiesMenuItem", "&Properties..."), &QAction::triggered, this,
            [this] { properties_.loadAndShow(); });
    return menu;
}

void SymbolEditor::onLoad()
{
    QDir::setCurrent(app_.applicationDirectory());
    SymbolCursor cursor;
    app_.LoadSymbolFile(cursor, this);
    QList<QTreeWidgetItem*> rows;
    for (const SymbolEntry& entry : cursor.entries()) {
        auto* item = new QTreeWidgetItem(QStringList{entry.TickerSymbol, entry.SymbolName});
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        rows.append(item);
    }
    lstSymbols->addTopLevelItems(rows);

    const Screen& screen = app_.screen();
    float buttonTop = kButtonTop;
    if (screen.dpiX() == 120) {
        placeTwips(lstSymbols, kMargin, kMargin, kListWidth, kLargeFontListHeight);
        buttonTop = kLargeFontButtonTop;
        placeOkCancel(cmdOK, cmdCancel, kMargin + kListWidth, buttonTop);
    }
    const float width = kMargin + kListWidth + kMargin;
    const float clientHeight = buttonTop + kButtonHeight + kMargin;
    client_->resize(screen.pixelsX(width), screen.pixelsY(clientHeight));
    setFixedSizeTwips(width, screen.twipsY(client_->y()) + clientHeight);

    if (lstSymbols->count() >= 1)
        lstSymbols->computeVisibleRows();
    lstSymbols->setColumnWidth(0, screen.pixelsX(0.3 * kListWidth));
    lstSymbols->setColumnWidth(1, screen.pixelsX(0.62 * kListWidth));

    app_.AlwaysOnTop(*this);
    loadAndShow();
}

QList<SymbolEntry> SymbolEditor::Entries() const
{
    QList<SymbolEntry> entries;
    entries.reserve(lstSymbols->count());
    for (int i = 1; i <= lstSymbols->count(); ++i)
        entries.append(SymbolEntry{lstSymbols->row(i)->text(0), lstSymbols->row(i)->text(1)});
    return entries;
}

void SymbolEditor::addRow(const QString& symbol, const QString& name)
{
    const QTreeWidgetItem* selected = lstSymbols->selectedRow();
    QTreeWidgetItem* row = lstSymbols->addRow(selected ? lstSymbols->indexOf(selected) + 1 : 0, symbol, name);
    lstSymbols->selectRow(row);
    if (lstSymbols->count() == 1)
        lstSymbols->computeVisibleRows();
    // The user sees what was added, even at the end of a long list.
    lstSymbols->scrollToItem(row);
}

void SymbolEditor::addIndex(int which)
{
    if (which >= 0 && which < int(std::size(kIndexEntries)))
        addRow(QString::fromUtf8(kIndexEntries[which].symbol), QString::fromUtf8(kIndexEntries[which].name));
}

void SymbolEditor::deleteSymbol()
{
    if (const QTreeWidgetItem* row = lstSymbols->selectedRow()) {
        lstSymbols->removeRow(lstSymbols->indexOf(row));
        // Nothing is selected afterwards: a second Delete deletes nothing.
        lstSymbols->selectRow(nullptr);
        lstSymbols->setCurrentItem(nullptr);
    }
}

void SymbolEditor::enableSelectionCommands(QMenu* menu)
{
    const bool any = lstSymbols->selectedRow() != nullptr;
    for (QAction* a : menu->actions()) {
        if (a->objectName().startsWith(QLatin1String("PropertiesMenuItem"))
            || a->objectName().startsWith(QLatin1String("DeleteSymbolMenuItem")))
            a->setEnabled(any);
    }
}

void SymbolEditor::onListPressed(Qt::MouseButton button, QPoint globalPos)
{
    if (button != Qt::RightButton)
        return;
    enableSelectionCommands(EditorMenu);
    EditorMenu->popup(globalPos);
}

bool SymbolEditor::onHeaderEvent(QEvent* event)
{
    const auto* menu = static_cast<QContextMenuEvent*>(event);
    setWindowTitle(QStringLiteral("Right Click on Column ")
                   + QString::number(lstSymbols->header()->logicalIndexAt(menu->pos())));
    return true;
}

bool SymbolEditor::writeList()
{
    if (const auto failed = SaveSymbolList(app_.applicationDirectory(), Entries())) {
        messageBox(
            this,
            QStringLiteral("Quoterra could not save the symbol list to\n%1\n\n%2.\n\nThe list on disk is unchanged.")
                .arg(symbolFilePath(app_.applicationDirectory()), *failed),
            QMessageBox::Warning, QMessageBox::Ok, QStringLiteral("File Error"));
        return false;
    }
    QDir::setCurrent(app_.applicationDirectory());
    return true;
}

bool SymbolEditor::Save()
{
    if (!writeList())
        return false;
    QPointer<SymbolEditor> self(this);
    emit listSaved();
    // The ticker took the front when it came back; the user was working here.
    if (self && isVisible()) {
        raise();
        activateWindow();
    }
    return true;
}

void SymbolEditor::OK()
{
    switch (messageBox(this, QStringLiteral("Save changes?"), QMessageBox::Warning,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        // A failed save keeps the window and everything typed in it.
        if (!writeList())
            return;
        unload();
        emit listSaved();
        break;
    case QMessageBox::No:
        unload();
        break;
    default:
        break;
    }
}

} // namespace quoterra
