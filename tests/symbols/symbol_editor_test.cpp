#include "symbol_manager_fixture.h"

#include "app/startup.h"
#include "app/welcome.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "quotes/quote_get.h"
#include "symbols/symbol_dialogs.h"
#include "ticker/ticker.h"

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace quoterra::test {
namespace {

QStringList captionsOf(const MenuItem* menu)
{
    QStringList out;
    for (const MenuItem* item : menu->items())
        out << item->Caption() << (item->items().isEmpty() ? QStringList() : captionsOf(item));
    return out;
}

Ticker* showTicker()
{
    return qobject_cast<Ticker*>(Forms::show(Ticker::kName));
}

// ---- Opening --------------------------------------------------------------

TEST_F(SymbolManagerTest, OpensOnTheFileRowsWithItsCaptionsAndMenus)
{
    SymbolEditor* e = openEditor({{"IBM", "International Business Machines"}, {"S&P 500", "S&P 500 Index"}, {"MSFT", ""}});
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->Caption(), QStringLiteral("Quoterra - Symbol Manager"));
    EXPECT_EQ(e->ListView1->columnText(0), QStringLiteral("Ticker Symbol"));
    EXPECT_EQ(e->ListView1->columnText(1), QStringLiteral("Symbol Name"));
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"IBM", "S&P 500", "MSFT"}));
    EXPECT_EQ(e->ListView1->Item(1).SubItems(1), QStringLiteral("International Business Machines"));
    EXPECT_EQ(e->ListView1->Item(3).SubItems(1), QString());

    QStringList bar;
    for (QAction* a : e->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "S&ymbol"}));
    EXPECT_EQ(captionsOf(e->FileMenu), (QStringList{"&Save", "-", "E&xit"}));
    const QStringList commands{"&Add Symbol...", "Add &Index", "D&JIA", "&NASDAQ", "&S && P 500",
                               "30 Year &Bond", "-", "&Delete Symbol", "-", "&Properties..."};
    EXPECT_EQ(captionsOf(e->SymbolMenu), commands);
    EXPECT_EQ(captionsOf(e->EditorMenu), commands);
}

TEST_F(SymbolManagerTest, LoadFitsTheFontSizeAndObeysAlwaysOnTop)
{
    struct Case {
        int dpi;
        bool onTop;
        float listHeight;
        float buttonTop;
    };
    for (const Case& c : {Case{96, true, 3600, 3780}, Case{120, false, 4010, 4160}}) {
        SCOPED_TRACE(c.dpi);
        TestProfile fresh;
        FakeScreen fonts(c.dpi);
        CreateKey(HKEY_CURRENT_USER, kMainKey);
        WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Always On Top"), REG_SZ, c.onTop ? "True" : "False");
        SymbolEditor* e = openEditor(numbered(40));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->topmost(), c.onTop);
        EXPECT_FLOAT_EQ(e->ListView1->Height(), c.listHeight);
        EXPECT_FLOAT_EQ(e->cmdOK->Top(), c.buttonTop);
        EXPECT_FLOAT_EQ(e->cmdCancel->Top(), c.buttonTop);
        // Bottom right, under the list, inside the window.
        EXPECT_GT(e->cmdCancel->geometry().top(), e->ListView1->geometry().bottom());
        EXPECT_LE(e->cmdCancel->geometry().bottom(), e->height());
        EXPECT_EQ(e->cmdCancel->geometry().right(), e->ListView1->geometry().right());
        EXPECT_NEAR(e->ListView1->ColumnWidth(0), 0.3f * e->ListView1->Width(), 15);
        EXPECT_NEAR(e->ListView1->ColumnWidth(1), 0.62f * e->ListView1->Width(), 15);
        // VisibleRows: the whole rows in sight.
        QTreeWidget* tree = e->ListView1->tree();
        const int whole = tree->viewport()->height() / std::max(1, tree->visualItemRect(tree->topLevelItem(0)).height());
        EXPECT_NEAR(e->VisibleRows, whole, 1);
        EXPECT_TRUE(e->VisibleRowsText.startsWith(QString::number(e->VisibleRows) + QLatin1Char('.')));
    }
}

TEST_F(SymbolManagerTest, TheTickerListButtonAndOptionsItemOpenAndCloseIt)
{
    WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Height"), REG_SZ, QStringLiteral("Full"));
    writeSymbolFile(symbolFile(), numbered(2));
    Ticker* ticker = showTicker();
    ASSERT_NE(ticker, nullptr);
    QTest::mouseClick(ticker->picSymbolEditor, Qt::LeftButton);
    auto* e = Forms::find<SymbolEditor>();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S2"}));

    ticker->ShowOptionsMenu();
    EXPECT_TRUE(ticker->SymbolManagerMenuItem->Checked());
    closePopups();
    ticker->SymbolManagerMenuItem->trigger();
    EXPECT_FALSE(Forms::isLoaded(SymbolEditor::kName));
    ticker->SymbolManagerMenuItem->trigger();
    EXPECT_TRUE(Forms::isLoaded(SymbolEditor::kName));
}

// ---- Adding and editing ---------------------------------------------------

TEST_F(SymbolManagerTest, AddIndexAppendsOrInsertsAfterTheSelectionAndSelectsTheNewRow)
{
    struct Case {
        const char* menu;
        int selected;
        int row;
        const char* symbol;
        const char* name;
    };
    const Case cases[] = {
        {"DJIAMenuItem2", 0, 6, "DJIA", "Dow Jones Industrials Average"},
        {"NASDAQMenuItem2", 3, 4, "NASDAQ", "NASDAQ Composite"},
        {"SP500MenuItem", 5, 6, "S&P 500", "S&P 500 Index"},
        {"Bond30YearMenuItem", 1, 2, "30YR", "30 Year Bond"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menu);
        SymbolEditor* e = openEditor(numbered(5));
        ASSERT_NE(e, nullptr);
        if (c.selected)
            clickRow(e->ListView1, c.selected);
        ASSERT_EQ(selectedIndex(e->ListView1), c.selected);
        e->findChild<MenuItem*>(QLatin1String(c.menu))->trigger();
        ASSERT_EQ(e->ListView1->Count(), 6);
        EXPECT_EQ(e->ListView1->Item(c.row).Text(), QLatin1String(c.symbol));
        EXPECT_EQ(e->ListView1->Item(c.row).SubItems(1), QLatin1String(c.name));
        EXPECT_EQ(selectedIndex(e->ListView1), c.row);
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, TheSameIndexTwiceGivesTwoRowsAndBothAreSaved)
{
    SymbolEditor* e = openEditor({});
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->VisibleRows, 0);
    e->DJIAMenuItem2->trigger();
    // The first row teaches the empty list how many rows it shows.
    EXPECT_GT(e->VisibleRows, 5);
    e->ListView1->setSelectedItem({});
    e->DJIAMenuItem->trigger();
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"DJIA", "DJIA"}));
    e->SaveMenuItem->trigger();
    const QByteArray record("DJIA      Dow Jones Industrials Average           ");
    EXPECT_EQ(fileBytes(), record + record);
}

TEST_F(SymbolManagerTest, TheAddDialogTakesTextsAsTypedAndTheFileCutsThemAtSave)
{
    SymbolEditor* e = openEditor(numbered(4));
    ASSERT_NE(e, nullptr);
    clickRow(e->ListView1, 2);
    e->AddSymbolMenuItem2->trigger();
    auto* dialog = Forms::find<NewSymbol>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Caption(), QStringLiteral("Quoterra - New Symbol"));
    EXPECT_EQ(dialog->fraProperties->Caption(), QStringLiteral("Properties"));
    EXPECT_EQ(dialog->lblTickerSymbol->Caption(), QStringLiteral("Ticker Symbol:"));
    EXPECT_EQ(dialog->lblName->Caption(), QStringLiteral("Symbol Name:"));
    EXPECT_TRUE(focusedIn(dialog, dialog->txtTickerSymbol->editor()));

    const QString name = QStringLiteral(" A name that runs on well past forty characters ");
    QTest::keyClicks(dialog->txtTickerSymbol->editor(), QStringLiteral("abcdefghijkl"));
    QTest::keyClicks(dialog->txtSymbolName->editor(), name);
    QTest::mouseClick(dialog->cmdOK->button(), Qt::LeftButton);
    EXPECT_FALSE(Forms::isLoaded(dialog));
    // Shown whole and untouched, after the selected row, and selected.
    EXPECT_EQ(e->ListView1->Item(3).Text(), QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(e->ListView1->Item(3).SubItems(1), name);
    EXPECT_EQ(selectedIndex(e->ListView1), 3);

    // Enter adds even an empty symbol; Escape adds nothing.
    e->ListView1->setSelectedItem({});
    e->AddSymbolMenuItem->trigger();
    QTest::keyClick(Forms::find<NewSymbol>()->txtTickerSymbol->editor(), Qt::Key_Return);
    e->AddSymbolMenuItem->trigger();
    QTest::keyClicks(Forms::find<NewSymbol>()->txtTickerSymbol->editor(), QStringLiteral("XYZ"));
    QTest::keyClick(Forms::find<NewSymbol>()->txtTickerSymbol->editor(), Qt::Key_Escape);
    EXPECT_FALSE(Forms::isLoaded(NewSymbol::kName));
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S2", "abcdefghijkl", "S3", "S4", ""}));

    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes().mid(100, 50), QByteArray("abcdefghij A name that runs on well past forty cha"));
    Forms::reset();
    auto* again = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ListView1->Item(3).Text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(again->ListView1->Item(3).SubItems(1), QStringLiteral("A name that runs on well past forty cha"));
}

TEST_F(SymbolManagerTest, DoubleClickEditsTheRowAndA12CharacterSymbolShowsWhole)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    doubleClick(e->ListView1->tree()->viewport(), rowCentre(e->ListView1, 2));
    auto* dialog = Forms::find<SymbolProperties>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Caption(), QStringLiteral("Quoterra - Symbol Properties"));
    EXPECT_EQ(dialog->txtTickerSymbol->Text(), QStringLiteral("S2"));
    EXPECT_EQ(dialog->txtSymbolName->Text(), QStringLiteral("Name 2"));
    dialog->txtTickerSymbol->setText(QStringLiteral("TWELVECHARSX"));
    dialog->txtSymbolName->setText(QStringLiteral("Renamed"));
    QTest::mouseClick(dialog->cmdOK->button(), Qt::LeftButton);
    EXPECT_FALSE(Forms::isLoaded(dialog));
    EXPECT_EQ(e->ListView1->Item(2).Text(), QStringLiteral("TWELVECHARSX"));
    EXPECT_EQ(e->ListView1->Item(2).SubItems(1), QStringLiteral("Renamed"));

    e->SaveMenuItem->trigger();
    Forms::reset();
    auto* again = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(symbolsOf(again->ListView1), (QStringList{"S1", "TWELVECHAR", "S3"}));
}

TEST_F(SymbolManagerTest, ThePropertiesDialogShowsNothingWithoutARowAndCancelChangesNothing)
{
    SymbolEditor* e = openEditor({{"", "No symbol"}, {"S2", "Name 2"}});
    ASSERT_NE(e, nullptr);
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        e->ListView1->setSelectedItem(e->ListView1->Item(row));
        e->OpenProperties();
        EXPECT_FALSE(Forms::isLoaded(SymbolProperties::kName));
    }
    e->ListView1->setSelectedItem(e->ListView1->Item(2));
    e->PropertiesMenuItem2->trigger();
    auto* dialog = Forms::find<SymbolProperties>();
    ASSERT_NE(dialog, nullptr);
    dialog->txtTickerSymbol->setText(QStringLiteral("CHANGED"));
    QTest::mouseClick(dialog->cmdCancel->button(), Qt::LeftButton);
    EXPECT_EQ(e->ListView1->Item(2).Text(), QStringLiteral("S2"));
}

// ---- Deleting and the right-click menu -----------------------------------

TEST_F(SymbolManagerTest, PropertiesAndDeleteAreOfferedOnlyWithASelectedRow)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    QWidget* viewport = e->ListView1->tree()->viewport();
    struct Case {
        QPoint at;
        bool enabled;
    };
    for (const Case& c : {Case{rowCentre(e->ListView1, 2), true}, Case{QPoint(20, viewport->height() - 4), false}}) {
        SCOPED_TRACE(c.enabled);
        QTest::mouseClick(viewport, Qt::RightButton, {}, c.at);
        EXPECT_TRUE(e->EditorMenu->qmenu()->isVisible());
        EXPECT_EQ(selectedIndex(e->ListView1), c.enabled ? 2 : 0);
        EXPECT_EQ(e->PropertiesMenuItem->Enabled(), c.enabled);
        EXPECT_EQ(e->DeleteSymbolMenuItem->Enabled(), c.enabled);
        closePopups();
        e->SymbolMenu->qmenu()->popup(QPoint(0, 0));
        EXPECT_EQ(e->PropertiesMenuItem2->Enabled(), c.enabled);
        EXPECT_EQ(e->DeleteSymbolMenuItem2->Enabled(), c.enabled);
        closePopups();
    }
}

TEST_F(SymbolManagerTest, DeleteByMenuAndByTheDeleteKeyRemovesOnlyTheSelectedRow)
{
    SymbolEditor* e = openEditor(numbered(4));
    ASSERT_NE(e, nullptr);
    clickRow(e->ListView1, 2, Qt::RightButton);
    e->DeleteSymbolMenuItem->trigger();
    closePopups();
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3", "S4"}));
    clickRow(e->ListView1, 3);
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3"}));

    // Without a selection nothing goes; other keys never remove anything.
    e->ListView1->setSelectedItem({});
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    e->DeleteSymbolMenuItem2->trigger();
    e->ListView1->setSelectedItem(e->ListView1->Item(1));
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Backspace);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3"}));
    EXPECT_EQ(fileBytes().size(), 4 * 50) << "nothing reaches the file before a save";
}

// ---- Dragging -------------------------------------------------------------

TEST_F(SymbolManagerTest, ADraggedRowFollowsThePointerOnePlaceAtATime)
{
    struct Case {
        const char* what;
        int from;
        int to;
        QStringList order;
    };
    const Case cases[] = {
        {"up", 4, 1, {"S4", "S1", "S2", "S3", "S5", "S6"}},
        {"down", 2, 5, {"S1", "S3", "S4", "S5", "S2", "S6"}},
        {"onto the last row", 3, 6, {"S1", "S2", "S4", "S5", "S6", "S3"}},
        {"the last row resting on itself", 6, 6, {"S1", "S2", "S3", "S4", "S5", "S6"}},
        {"the last row up one", 6, 5, {"S1", "S2", "S3", "S4", "S6", "S5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SymbolEditor* e = openEditor(numbered(6));
        ASSERT_NE(e, nullptr);
        ListView* list = e->ListView1;
        QWidget* viewport = list->tree()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, c.from));
        QTest::mouseMove(viewport, rowCentre(list, c.from) + QPoint(3, 1));
        ASSERT_TRUE(list->isDragging());
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        int place = c.from;
        for (int step = 0; step < 2 * std::abs(c.to - c.from) + 4; ++step) {
            QTest::mouseMove(viewport, rowCentre(list, c.to) + QPoint(step % 2, 0));
            EXPECT_LE(std::abs(selectedIndex(list) - place), 1) << "step " << step;
            place = selectedIndex(list);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, c.to));
        EXPECT_EQ(symbolsOf(list), c.order);
        EXPECT_EQ(list->Item(c.to).SubItems(1), QStringLiteral("Name %1").arg(c.from));
        EXPECT_EQ(selectedIndex(list), c.to);
        // The drop ends it all: no highlight, no drag, the usual pointer.
        EXPECT_FALSE(e->Dragging);
        EXPECT_FALSE(list->DropHighlight());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, RestingOnTheLastOrFirstVisibleRowScrollsOneRowPerStep)
{
    SymbolEditor* e = openEditor(numbered(60));
    ASSERT_NE(e, nullptr);
    ListView* list = e->ListView1;
    QWidget* viewport = list->tree()->viewport();
    ASSERT_GT(e->VisibleRows, 5);
    auto first = [list] { return list->GetFirstVisible().Index(); };
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, 2));
    QTest::mouseMove(viewport, rowCentre(list, 2) + QPoint(2, 0));
    ASSERT_TRUE(list->isDragging());

    // On the bottom edge the list scrolls on a row per step; the row follows.
    for (int step = 1; step <= 8; ++step) {
        QTest::mouseMove(viewport, QPoint(30, viewport->height() - 3));
        EXPECT_EQ(first(), 1 + step) << "step " << step;
        EXPECT_EQ(selectedIndex(list), 1 + step) << "step " << step;
    }
    // In the middle nothing scrolls, and the row catches up.
    const QPoint middle(30, viewport->height() / 2);
    const int under = list->tree()->indexAt(middle).row() + 1;
    for (int step = 0; step < 2 * e->VisibleRows; ++step)
        QTest::mouseMove(viewport, middle + QPoint(step % 2, 0));
    EXPECT_EQ(first(), 9);
    EXPECT_EQ(selectedIndex(list), under);
    // Over the header: held to the first row in sight, which scrolls back.
    for (int step = 1; step <= 5; ++step) {
        QTest::mouseMove(viewport, QPoint(30, -5));
        EXPECT_EQ(first(), 9 - step) << "step " << step;
    }
    ASSERT_TRUE(list->DropHighlight());

    // Dropped away from the list: the drag ends all the same.
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() + 200, 10));
    EXPECT_FALSE(e->Dragging);
    EXPECT_FALSE(list->DropHighlight());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(list->SelectedItem().Text(), QStringLiteral("S2"));
    EXPECT_EQ(list->SelectedItem().SubItems(1), QStringLiteral("Name 2"));
    EXPECT_EQ(list->Count(), 60);
}

// ---- Saving ---------------------------------------------------------------

TEST_F(SymbolManagerTest, SaveWritesTheFileAndRestartsTheTickerOnItsFirstEntry)
{
    writeSymbolFile(symbolFile(), {{"OLD1", "Old one"}, {"OLD2", "Old two"}});
    Ticker* ticker = showTicker();
    ASSERT_NE(ticker, nullptr);
    auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(e, nullptr);
    e->ListView1->Item(1).setText(QStringLiteral("IBM"));
    e->ListView1->Item(1).setSubItems(1, QStringLiteral("International Business Machines"));
    e->SP500MenuItem2->trigger();
    service->reset();
    e->SaveMenuItem->trigger();

    EXPECT_EQ(fileBytes(), QByteArray("IBM       International Business Machines         "
                                      "OLD2      Old two                                 "
                                      "S&P 500   S&P 500 Index                           "));
    // A new ticker on the new file, asking first for its first entry.
    auto* restarted = Forms::find<Ticker>();
    ASSERT_NE(restarted, nullptr);
    EXPECT_NE(restarted, ticker);
    EXPECT_EQ(quoteState().cursor.EntryCount, 3);
    QStringList quotes = service->requests().filter(QStringLiteral("/d/quotes.csv"));
    ASSERT_FALSE(quotes.isEmpty());
    EXPECT_TRUE(quotes.first().startsWith(QLatin1String("/d/quotes.csv?s=IBM&"))) << quotes.first().toStdString();
    // The Symbol Manager stays open with its rows.
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->ListView1->Count(), 3);
}

TEST_F(SymbolManagerTest, OkAsksToSaveWhileCancelAndExitCloseAtOnce)
{
    enum How { Ok, CancelButton, ExitMenu, EscapeKey };
    struct Case {
        How how;
        QMessageBox::StandardButton answer;
        bool saved;
        bool stillOpen;
    };
    const Case cases[] = {
        {Ok, QMessageBox::Yes, true, false},     {Ok, QMessageBox::No, false, false},
        {Ok, QMessageBox::Cancel, false, true},  {CancelButton, QMessageBox::Yes, false, false},
        {ExitMenu, QMessageBox::Yes, false, false}, {EscapeKey, QMessageBox::Yes, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.how << " " << c.answer);
        writeSymbolFile(symbolFile(), {{"AAA", "A"}, {"BBB", "B"}});
        Ticker* ticker = showTicker();
        auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
        ASSERT_TRUE(ticker && e);
        e->ListView1->setSelectedItem(e->ListView1->Item(2));
        e->DeleteSymbolMenuItem2->trigger();

        MessageBoxAnswerer answerer(c.answer);
        switch (c.how) {
        case Ok: QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton); break;
        case CancelButton: QTest::mouseClick(e->cmdCancel->button(), Qt::LeftButton); break;
        case ExitMenu: e->ExitMenuItem->trigger(); break;
        case EscapeKey: QTest::keyClick(e, Qt::Key_Escape); break;
        }
        if (c.how == Ok) {
            ASSERT_EQ(answerer.seen().size(), 1);
            const auto& box = answerer.seen()[0];
            EXPECT_EQ(box.title, QStringLiteral("Quoterra"));
            EXPECT_EQ(box.text, QStringLiteral("Save changes?"));
            EXPECT_EQ(box.icon, QMessageBox::Warning);
            auto buttons = box.buttons;
            std::sort(buttons.begin(), buttons.end());
            EXPECT_EQ(buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));
        } else {
            EXPECT_TRUE(answerer.seen().isEmpty());
        }
        EXPECT_EQ(fileBytes().size(), c.saved ? 50 : 100);
        EXPECT_EQ(Forms::isLoaded(e), c.stillOpen);
        EXPECT_EQ(Forms::find<Ticker>() != ticker, c.saved) << "only a save restarts the ticker";
        if (c.stillOpen) {
            EXPECT_EQ(symbolsOf(e->ListView1), QStringList{"AAA"});
        }
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, AnEmptiedListSavesAsAnEmptyFileAndTheNextStartWelcomesTheUser)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    while (e->ListView1->Count() > 0) {
        clickRow(e->ListView1, 1);
        QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    }
    e->SaveMenuItem->trigger();
    EXPECT_TRUE(QFile::exists(symbolFile()));
    EXPECT_EQ(QFileInfo(symbolFile()).size(), 0);
    Forms::reset();
    ASSERT_TRUE(StartUp());
    EXPECT_NE(Forms::find<frmWelcome>(), nullptr);
    EXPECT_EQ(quoteState().cursor.EntryCount, 0);
}

TEST_F(SymbolManagerTest, AFailedSaveKeepsTheWindowTheListAndTheTicker)
{
    writeSymbolFile(symbolFile(), {{"KEEP", "Kept"}});
    Ticker* ticker = showTicker();
    auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_TRUE(ticker && e);
    e->NASDAQMenuItem2->trigger();
    // The list's place on disk turns into a folder: no file can go there.
    ASSERT_TRUE(QFile::remove(symbolFile()));
    ASSERT_TRUE(QDir().mkdir(symbolFile()));

    for (bool viaOk : {false, true}) {
        SCOPED_TRACE(viaOk);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        if (viaOk)
            QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton);
        else
            e->SaveMenuItem->trigger();
        ASSERT_FALSE(answerer.seen().isEmpty());
        EXPECT_EQ(answerer.seen().last().title, QStringLiteral("File Error"));
        EXPECT_TRUE(Forms::isLoaded(e));
        EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"KEEP", "NASDAQ"}));
        EXPECT_EQ(Forms::find<Ticker>(), ticker);
        EXPECT_TRUE(files::isOpen(quoteState().cursor.fileHandle)) << "the ticker reads on from its list";
    }
}

} // namespace
} // namespace quoterra::test
