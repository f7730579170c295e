#include "symbol_manager_fixture.h"

#include "app/startup.h"
#include "app/welcome.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/settings.h"
#include "quotes/quote_get.h"
#include "symbols/symbol_dialogs.h"
#include "ticker/ticker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

namespace quoterra::test {
namespace {

QStringList captionsOf(const MenuItem* menu)
{
    QStringList out;
    for (const MenuItem* item : menu->items()) {
        out.append(item->Caption());
        if (!item->items().isEmpty())
            out.append(captionsOf(item));
    }
    return out;
}

void closePopups()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

QString lastQuoteRequest(const ServiceProcess& service)
{
    QString last;
    for (const QString& r : service.requests()) {
        if (r.startsWith(QLatin1String("/d/quotes.csv")))
            last = r;
    }
    return last;
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
    EXPECT_EQ(e->ListView1->Item(2).SubItems(1), QStringLiteral("S&P 500 Index"));
    EXPECT_EQ(e->ListView1->Item(3).SubItems(1), QString());
    EXPECT_FALSE(e->ListView1->SelectedItem());

    QStringList bar;
    for (QAction* a : e->menuBar()->actions())
        bar.append(a->text());
    EXPECT_EQ(bar, (QStringList{"&File", "S&ymbol"}));
    EXPECT_EQ(captionsOf(e->FileMenu), (QStringList{"&Save", "-", "E&xit"}));
    const QStringList symbolCommands{"&Add Symbol...", "Add &Index", "D&JIA", "&NASDAQ", "&S && P 500",
                                     "30 Year &Bond", "-", "&Delete Symbol", "-", "&Properties..."};
    EXPECT_EQ(captionsOf(e->SymbolMenu), symbolCommands);
    EXPECT_EQ(captionsOf(e->EditorMenu), symbolCommands);
    EXPECT_EQ(e->EditorMenu->Caption(), QStringLiteral("Editor Menu"));
}

TEST_F(SymbolManagerTest, LoadFitsListButtonsAndColumnsToTheFontSizeAndObeysAlwaysOnTop)
{
    struct Case {
        int dpi;
        const char* onTop;
        float listHeight;
        float buttonTop;
    };
    for (const Case& c : {Case{96, "True", 3600, 3780}, Case{120, "False", 4010, 4160}}) {
        SCOPED_TRACE(c.dpi);
        TestProfile fresh;
        FakeScreen fonts(c.dpi);
        CreateKey(HKEY_CURRENT_USER, kMainKey);
        WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Always On Top"), REG_SZ, QString::fromLatin1(c.onTop));
        SymbolEditor* e = openEditor(numbered(40));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->topmost(), QLatin1String(c.onTop) == QLatin1String("True"));
        EXPECT_FLOAT_EQ(e->ListView1->Height(), c.listHeight);
        EXPECT_FLOAT_EQ(e->cmdOK->Top(), c.buttonTop);
        EXPECT_FLOAT_EQ(e->cmdCancel->Top(), c.buttonTop);
        // The buttons sit inside the window, bottom right, under the list.
        EXPECT_GT(e->cmdCancel->geometry().bottom(), e->ListView1->geometry().bottom());
        EXPECT_LE(e->cmdCancel->geometry().bottom(), e->height());
        EXPECT_EQ(e->cmdCancel->geometry().right(), e->ListView1->geometry().right());

        const float width = e->ListView1->Width();
        EXPECT_NEAR(e->ListView1->ColumnWidth(0), 0.3f * width, 15);
        EXPECT_NEAR(e->ListView1->ColumnWidth(1), 0.62f * width, 15);

        // VisibleRows is the number of whole rows in sight.
        QTreeWidget* tree = e->ListView1->tree();
        const int rowPixels = tree->visualItemRect(tree->topLevelItem(0)).height();
        ASSERT_GT(rowPixels, 0);
        const int whole = tree->viewport()->height() / rowPixels;
        EXPECT_GE(e->VisibleRows, whole - 1);
        EXPECT_LE(e->VisibleRows, whole + 1);
        EXPECT_TRUE(e->VisibleRowsText.startsWith(QString::number(e->VisibleRows) + QLatin1Char('.')));
    }
}

TEST_F(SymbolManagerTest, AnEmptyListOpensEmptyAndLearnsItsVisibleRowsWithTheFirstRow)
{
    SymbolEditor* e = openEditor({});
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ListView1->Count(), 0);
    EXPECT_EQ(e->VisibleRows, 0);
    e->DJIAMenuItem2->trigger();
    EXPECT_EQ(symbolsOf(e->ListView1), QStringList{"DJIA"});
    EXPECT_GT(e->VisibleRows, 5);
}

// ---- Adding ---------------------------------------------------------------

TEST_F(SymbolManagerTest, AddIndexAppendsOrInsertsAfterTheSelectionAndSelectsTheNewRow)
{
    struct Case {
        const char* menu;
        int selected;
        int expectedRow;
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
            QTest::mouseClick(e->ListView1->tree()->viewport(), Qt::LeftButton, {}, rowCentre(e->ListView1, c.selected));
        ASSERT_EQ(selectedIndex(e->ListView1), c.selected);

        auto* item = e->findChild<MenuItem*>(QLatin1String(c.menu));
        ASSERT_NE(item, nullptr);
        item->trigger();

        ASSERT_EQ(e->ListView1->Count(), 6);
        const ListItem added = e->ListView1->Item(c.expectedRow);
        EXPECT_EQ(added.Text(), QLatin1String(c.symbol));
        EXPECT_EQ(added.SubItems(1), QLatin1String(c.name));
        EXPECT_EQ(selectedIndex(e->ListView1), c.expectedRow);
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, TheSameIndexTwiceGivesTwoRowsAndBothAreSaved)
{
    SymbolEditor* e = openEditor({});
    ASSERT_NE(e, nullptr);
    e->ListView1->setSelectedItem({});
    e->DJIAMenuItem2->trigger();
    e->ListView1->setSelectedItem({});
    e->DJIAMenuItem->trigger();
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"DJIA", "DJIA"}));
    e->SaveMenuItem->trigger();
    const QByteArray record = QByteArray("DJIA      Dow Jones Industrials Average           ");
    ASSERT_EQ(record.size(), 50);
    EXPECT_EQ(fileBytes(), record + record);
}

TEST_F(SymbolManagerTest, TheAddDialogTakesTextsAsTypedAndTheFileCutsThemAtSave)
{
    SymbolEditor* e = openEditor(numbered(4));
    ASSERT_NE(e, nullptr);
    QTest::mouseClick(e->ListView1->tree()->viewport(), Qt::LeftButton, {}, rowCentre(e->ListView1, 2));
    e->AddSymbolMenuItem2->trigger();
    auto* dialog = Forms::find<NewSymbol>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Caption(), QStringLiteral("Quoterra - New Symbol"));
    EXPECT_EQ(dialog->fraProperties->Caption(), QStringLiteral("Properties"));
    EXPECT_EQ(dialog->lblTickerSymbol->Caption(), QStringLiteral("Ticker Symbol:"));
    EXPECT_EQ(dialog->lblName->Caption(), QStringLiteral("Symbol Name:"));
    EXPECT_TRUE(focusedIn(dialog, dialog->txtTickerSymbol->editor()));

    const QString twelve = QStringLiteral("abcdefghijkl");
    const QString name = QStringLiteral(" A name that runs on well past forty characters ");
    QTest::keyClicks(dialog->txtTickerSymbol->editor(), twelve);
    QTest::keyClicks(dialog->txtSymbolName->editor(), name);
    QTest::mouseClick(dialog->cmdOK->button(), Qt::LeftButton);
    EXPECT_FALSE(Forms::isLoaded(dialog));

    // Shown whole and untouched: no trimming, no change of case.
    ASSERT_EQ(e->ListView1->Count(), 5);
    EXPECT_EQ(e->ListView1->Item(3).Text(), twelve);
    EXPECT_EQ(e->ListView1->Item(3).SubItems(1), name);
    EXPECT_EQ(selectedIndex(e->ListView1), 3);

    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes().mid(100, 50), QByteArray("abcdefghij A name that runs on well past forty cha"));
    Forms::reset();
    SymbolEditor* again = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ListView1->Item(3).Text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(again->ListView1->Item(3).SubItems(1), QStringLiteral("A name that runs on well past forty cha"));
}

TEST_F(SymbolManagerTest, AnEmptySymbolIsAddedAndCancelAddsNothing)
{
    SymbolEditor* e = openEditor(numbered(2));
    ASSERT_NE(e, nullptr);
    e->AddSymbolMenuItem->trigger();
    auto* dialog = Forms::find<NewSymbol>();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dialog->txtTickerSymbol->editor(), Qt::Key_Return);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S2", ""}));

    e->AddSymbolMenuItem->trigger();
    dialog = Forms::find<NewSymbol>();
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dialog->txtTickerSymbol->editor(), QStringLiteral("XYZ"));
    QTest::keyClick(dialog->txtTickerSymbol->editor(), Qt::Key_Escape);
    EXPECT_FALSE(Forms::isLoaded(NewSymbol::kName));
    EXPECT_EQ(e->ListView1->Count(), 3);
}

// ---- Editing --------------------------------------------------------------

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

    dialog->txtTickerSymbol->setText(QString());
    QTest::keyClicks(dialog->txtTickerSymbol->editor(), QStringLiteral("TWELVECHARSX"));
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

TEST_F(SymbolManagerTest, ThePropertiesDialogShowsNothingWithoutARowToEdit)
{
    SymbolEditor* e = openEditor({{"", "No symbol"}, {"S2", "Name 2"}});
    ASSERT_NE(e, nullptr);
    struct Case {
        const char* what;
        int row;
    };
    for (const Case& c : {Case{"no selection", 0}, Case{"a row without a symbol", 1}}) {
        SCOPED_TRACE(c.what);
        e->ListView1->setSelectedItem(e->ListView1->Item(c.row));
        e->OpenProperties();
        EXPECT_FALSE(Forms::isLoaded(SymbolProperties::kName));
    }
    // Cancel leaves the row as it was.
    e->ListView1->setSelectedItem(e->ListView1->Item(2));
    e->PropertiesMenuItem2->trigger();
    auto* dialog = Forms::find<SymbolProperties>();
    ASSERT_NE(dialog, nullptr);
    dialog->txtTickerSymbol->setText(QStringLiteral("CHANGED"));
    QTest::mouseClick(dialog->cmdCancel->button(), Qt::LeftButton);
    EXPECT_EQ(e->ListView1->Item(2).Text(), QStringLiteral("S2"));
}

// ---- Deleting and the right-click menu -----------------------------------

TEST_F(SymbolManagerTest, RightClickOffersPropertiesAndDeleteOnlyOnARow)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    QWidget* viewport = e->ListView1->tree()->viewport();
    struct Case {
        const char* where;
        QPoint at;
        bool enabled;
        int selected;
    };
    const Case cases[] = {
        {"on row 2", rowCentre(e->ListView1, 2), true, 2},
        {"below the rows", QPoint(20, viewport->height() - 4), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        QTest::mouseClick(viewport, Qt::RightButton, {}, c.at);
        EXPECT_TRUE(e->EditorMenu->qmenu()->isVisible());
        EXPECT_EQ(e->PropertiesMenuItem->Enabled(), c.enabled);
        EXPECT_EQ(e->DeleteSymbolMenuItem->Enabled(), c.enabled);
        EXPECT_TRUE(e->AddSymbolMenuItem->Enabled());
        EXPECT_EQ(selectedIndex(e->ListView1), c.selected);
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
    QWidget* viewport = e->ListView1->tree()->viewport();

    QTest::mouseClick(viewport, Qt::RightButton, {}, rowCentre(e->ListView1, 2));
    ASSERT_TRUE(e->DeleteSymbolMenuItem->Enabled());
    e->DeleteSymbolMenuItem->trigger();
    closePopups();
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3", "S4"}));

    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(e->ListView1, 3));
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3"}));

    // Without a selection neither removes anything; other keys never do.
    e->ListView1->setSelectedItem({});
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    e->DeleteSymbolMenuItem2->trigger();
    e->ListView1->setSelectedItem(e->ListView1->Item(1));
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Backspace);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3"}));
    // Nothing reaches the file before a save.
    EXPECT_EQ(fileBytes().size(), 4 * 50);
}

// ---- Dragging -------------------------------------------------------------

// Presses on a row, starts the drag, then moves onto `to` until the row
// stops moving, checking that it never moves more than one place per step.
void dragRow(ListView* list, int from, int to, int steps)
{
    QWidget* viewport = list->tree()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, from));
    QTest::mouseMove(viewport, rowCentre(list, from) + QPoint(3, 1));
    ASSERT_TRUE(list->isDragging());
    EXPECT_EQ(QGuiApplication::overrideCursor()->pixmap().cacheKey() != 0, true);
    int place = selectedIndex(list);
    for (int i = 0; i < steps; ++i) {
        QTest::mouseMove(viewport, rowCentre(list, to) + QPoint(i % 2, 0));
        const int now = selectedIndex(list);
        EXPECT_LE(std::abs(now - place), 1) << "step " << i;
        place = now;
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, to));
}

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
        dragRow(e->ListView1, c.from, c.to, 2 * std::abs(c.to - c.from) + 4);
        EXPECT_EQ(symbolsOf(e->ListView1), c.order);
        EXPECT_EQ(e->ListView1->Item(c.to).SubItems(1), QStringLiteral("Name %1").arg(c.from));
        EXPECT_EQ(selectedIndex(e->ListView1), c.to);
        // The drop ends it all: no highlight, no drag, the usual pointer.
        EXPECT_FALSE(e->Dragging);
        EXPECT_FALSE(e->ListView1->isDragging());
        EXPECT_FALSE(e->ListView1->DropHighlight());
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

    // Resting on the bottom edge: the list scrolls on one row per step and
    // the row follows one place per step.
    const QPoint bottom(30, viewport->height() - 3);
    for (int step = 1; step <= 8; ++step) {
        QTest::mouseMove(viewport, bottom);
        EXPECT_EQ(first(), 1 + step) << "step " << step;
        EXPECT_EQ(selectedIndex(list), 1 + step) << "step " << step;
    }

    // Resting in the middle: no scrolling, and the row catches up.
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
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_FALSE(list->isDragging());
    // The row still holds its own name wherever it went; nothing was lost.
    EXPECT_EQ(list->SelectedItem().Text(), QStringLiteral("S2"));
    EXPECT_EQ(list->SelectedItem().SubItems(1), QStringLiteral("Name 2"));
    EXPECT_EQ(list->Count(), 60);
    QStringList sorted = symbolsOf(list);
    sorted.sort();
    QStringList all;
    for (const auto& row : numbered(60))
        all.append(row.first);
    all.sort();
    EXPECT_EQ(sorted, all);
}

TEST_F(SymbolManagerTest, ADropAwayFromTheListEndsTheDragWithoutAHighlight)
{
    SymbolEditor* e = openEditor(numbered(5));
    ASSERT_NE(e, nullptr);
    QWidget* viewport = e->ListView1->tree()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(e->ListView1, 1));
    QTest::mouseMove(viewport, rowCentre(e->ListView1, 1) + QPoint(2, 0));
    QTest::mouseMove(viewport, rowCentre(e->ListView1, 3));
    ASSERT_TRUE(e->ListView1->DropHighlight());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() + 200, 10));
    EXPECT_FALSE(e->Dragging);
    EXPECT_FALSE(e->ListView1->DropHighlight());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// ---- Saving ---------------------------------------------------------------

TEST_F(SymbolManagerTest, SaveWritesTheFileAndRestartsTheTickerOnItsFirstEntry)
{
    writeSymbolFile(symbolFile(), {{"OLD1", "Old one"}, {"OLD2", "Old two"}});
    auto* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
    ASSERT_NE(ticker, nullptr);
    auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(e, nullptr);

    e->ListView1->Item(1).setText(QStringLiteral("IBM"));
    e->ListView1->Item(1).setSubItems(1, QStringLiteral("International Business Machines"));
    e->ListView1->setSelectedItem({});
    e->SP500MenuItem2->trigger();
    service->reset();
    e->SaveMenuItem->trigger();

    EXPECT_EQ(fileBytes(), QByteArray("IBM       International Business Machines         "
                                      "OLD2      Old two                                 "
                                      "S&P 500   S&P 500 Index                           "));
    // A new ticker, on the new file, asked first for its first entry.
    auto* restarted = Forms::find<Ticker>();
    ASSERT_NE(restarted, nullptr);
    EXPECT_NE(restarted, ticker);
    EXPECT_TRUE(restarted->isVisible());
    EXPECT_EQ(quoteState().cursor.EntryCount, 3);
    EXPECT_TRUE(lastQuoteRequest(*service).startsWith(QLatin1String("/d/quotes.csv?s=IBM&")))
        << lastQuoteRequest(*service).toStdString();
    // The Symbol Manager stays open with its rows.
    EXPECT_TRUE(Forms::isLoaded(e));
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->ListView1->Count(), 3);
}

TEST_F(SymbolManagerTest, OkAsksToSaveAndEachAnswerDoesItsOwnThing)
{
    struct Case {
        QMessageBox::StandardButton answer;
        bool saved;
        bool stillOpen;
    };
    const Case cases[] = {
        {QMessageBox::Yes, true, false},
        {QMessageBox::No, false, false},
        {QMessageBox::Cancel, false, true},
    };
    const Rows before{{"AAA", "A"}, {"BBB", "B"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        writeSymbolFile(symbolFile(), before);
        auto* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
        ASSERT_NE(ticker, nullptr);
        auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
        ASSERT_NE(e, nullptr);
        e->ListView1->setSelectedItem(e->ListView1->Item(2));
        e->DeleteSymbolMenuItem2->trigger();

        MessageBoxAnswerer answerer(c.answer);
        QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton);
        ASSERT_EQ(answerer.seen().size(), 1);
        const auto& box = answerer.seen()[0];
        EXPECT_EQ(box.title, QStringLiteral("Quoterra"));
        EXPECT_EQ(box.text, QStringLiteral("Save changes?"));
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        auto buttons = box.buttons;
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}));

        EXPECT_EQ(fileBytes().size(), c.saved ? 50 : 100);
        EXPECT_EQ(Forms::isLoaded(e), c.stillOpen);
        // Only a save restarts the ticker.
        EXPECT_EQ(Forms::find<Ticker>() != ticker, c.saved);
        if (c.stillOpen) {
            EXPECT_EQ(symbolsOf(e->ListView1), QStringList{"AAA"});
        }
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, CancelAndExitCloseWithoutAQuestionOrASave)
{
    for (const char* how : {"cancel", "exit", "escape"}) {
        SCOPED_TRACE(how);
        SymbolEditor* e = openEditor(numbered(2));
        ASSERT_NE(e, nullptr);
        e->DJIAMenuItem2->trigger();
        MessageBoxAnswerer answerer;
        if (QLatin1String(how) == QLatin1String("cancel"))
            QTest::mouseClick(e->cmdCancel->button(), Qt::LeftButton);
        else if (QLatin1String(how) == QLatin1String("exit"))
            e->ExitMenuItem->trigger();
        else
            QTest::keyClick(e, Qt::Key_Escape);
        EXPECT_FALSE(Forms::isLoaded(SymbolEditor::kName));
        EXPECT_TRUE(answerer.seen().isEmpty());
        EXPECT_EQ(fileBytes().size(), 100);
    }
}

TEST_F(SymbolManagerTest, AnEmptiedListSavesAsAnEmptyFileAndTheNextStartWelcomesTheUser)
{
    SymbolEditor* e = openEditor(numbered(3));
    ASSERT_NE(e, nullptr);
    while (e->ListView1->Count() > 0) {
        QTest::mouseClick(e->ListView1->tree()->viewport(), Qt::LeftButton, {}, rowCentre(e->ListView1, 1));
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
    auto* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
    ASSERT_NE(ticker, nullptr);
    auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
    ASSERT_NE(e, nullptr);
    e->NASDAQMenuItem2->trigger();

    // The list's place on disk turns into a folder: no file can go there.
    ASSERT_TRUE(QFile::remove(symbolFile()));
    ASSERT_TRUE(QDir().mkdir(symbolFile()));

    for (const char* how : {"save", "ok-yes"}) {
        SCOPED_TRACE(how);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        if (QLatin1String(how) == QLatin1String("save"))
            e->SaveMenuItem->trigger();
        else
            QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton);
        ASSERT_FALSE(answerer.seen().isEmpty());
        EXPECT_EQ(answerer.seen().last().title, QStringLiteral("File Error"));
        EXPECT_TRUE(Forms::isLoaded(e));
        EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"KEEP", "NASDAQ"}));
        EXPECT_EQ(Forms::find<Ticker>(), ticker);
        // The ticker reads on from the list it had.
        EXPECT_TRUE(files::isOpen(quoteState().cursor.fileHandle));
    }
}

} // namespace
} // namespace quoterra::test
