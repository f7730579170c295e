#include "symbol_manager_fixture.h"

#include "app/welcome.h"
#include "quotes/quote_get.h"
#include "symbols/symbol_dialogs.h"
#include "ticker/ticker.h"

#include <QDir>
#include <QMenu>
#include <QPushButton>

namespace quoterra::test {
namespace {

// ---- Opening --------------------------------------------------------------

TEST_F(SymbolManagerTest, TheTickerOpensAndClosesItOnTheFileRows)
{
    WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Height"), REG_SZ, QStringLiteral("Full"));
    writeSymbolFile(symbolFile(), {{"IBM", "International Business Machines"}, {"S&P 500", "S&P 500 Index"}, {"MSFT", ""}});
    Ticker* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
    ASSERT_NE(ticker, nullptr);
    QTest::mouseClick(ticker->picSymbolEditor, Qt::LeftButton);
    auto* e = Forms::find<SymbolEditor>();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->Caption(), QStringLiteral("Quoterra - Symbol Manager"));
    EXPECT_EQ(e->ListView1->columnText(0) + '|' + e->ListView1->columnText(1), QStringLiteral("Ticker Symbol|Symbol Name"));
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"IBM", "S&P 500", "MSFT"}));
    EXPECT_EQ(e->ListView1->Item(1).SubItems(1), QStringLiteral("International Business Machines"));

    ticker->ShowOptionsMenu();
    EXPECT_TRUE(ticker->SymbolManagerMenuItem->Checked());
    closePopups();
    ticker->SymbolManagerMenuItem->trigger();
    EXPECT_FALSE(Forms::isLoaded(SymbolEditor::kName));
    ticker->SymbolManagerMenuItem->trigger();
    EXPECT_TRUE(Forms::isLoaded(SymbolEditor::kName));
}

// ---- Adding and editing ---------------------------------------------------

TEST_F(SymbolManagerTest, AddIndexInsertsAfterTheSelectionOrAtTheEndAndSelectsTheNewRow)
{
    // Menu item, row selected before (0: none), where the new row goes, and what it holds.
    for (const auto& [menu, selected, row, text] : {
             std::tuple{"DJIAMenuItem2", 0, 6, "DJIA|Dow Jones Industrials Average"},
             std::tuple{"NASDAQMenuItem2", 3, 4, "NASDAQ|NASDAQ Composite"},
             std::tuple{"SP500MenuItem", 5, 6, "S&P 500|S&P 500 Index"},
             std::tuple{"Bond30YearMenuItem", 1, 2, "30YR|30 Year Bond"},
         }) {
        SCOPED_TRACE(menu);
        SymbolEditor* e = openEditor(numbered(5));
        if (selected)
            clickRow(e->ListView1, selected);
        ASSERT_EQ(selectedIndex(e->ListView1), selected);
        e->findChild<MenuItem*>(QLatin1String(menu))->trigger();
        ASSERT_EQ(e->ListView1->Count(), 6);
        EXPECT_EQ(e->ListView1->Item(row).Text() + '|' + e->ListView1->Item(row).SubItems(1), QLatin1String(text));
        EXPECT_EQ(selectedIndex(e->ListView1), row);
        Forms::reset();
    }

    // The same index twice on an empty list: two rows, both saved.
    SymbolEditor* e = openEditor({});
    e->DJIAMenuItem2->trigger();
    // The first row teaches the empty list how many rows it shows (dragging needs it).
    EXPECT_GT(e->VisibleRows, 5);
    e->DJIAMenuItem->trigger();
    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes(), QByteArray("DJIA      Dow Jones Industrials Average           ").repeated(2));
}

// Texts go in exactly as typed and show whole; only the file cuts them.
TEST_F(SymbolManagerTest, TheDialogsTakeTextsAsTypedAndTheFileCutsThemAtSave)
{
    SymbolEditor* e = openEditor(numbered(3));
    clickRow(e->ListView1, 1);
    e->AddSymbolMenuItem2->trigger();
    auto* add = Forms::find<NewSymbol>();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->Caption(), QStringLiteral("Quoterra - New Symbol"));
    EXPECT_TRUE(waitUntil([&] { return add->isActiveWindow() && add->focusWidget() == add->txtTickerSymbol->editor(); }));
    const QString name = QStringLiteral(" A name that runs on well past forty characters ");
    QTest::keyClicks(add->txtTickerSymbol->editor(), QStringLiteral("abcdefghijkl"));
    QTest::keyClicks(add->txtSymbolName->editor(), name);
    QTest::mouseClick(add->cmdOK->button(), Qt::LeftButton);
    EXPECT_FALSE(Forms::isLoaded(add));
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "abcdefghijkl", "S2", "S3"}));
    EXPECT_EQ(e->ListView1->Item(2).SubItems(1), name);
    EXPECT_EQ(selectedIndex(e->ListView1), 2);

    // Escape adds nothing.
    e->AddSymbolMenuItem->trigger();
    QTest::keyClicks(Forms::find<NewSymbol>()->txtTickerSymbol->editor(), QStringLiteral("XYZ"));
    QTest::keyClick(Forms::find<NewSymbol>()->txtTickerSymbol->editor(), Qt::Key_Escape);
    EXPECT_FALSE(Forms::isLoaded(NewSymbol::kName));
    EXPECT_EQ(e->ListView1->Count(), 4);

    // A double click edits the row under the pointer; Enter takes the edit.
    doubleClick(e->ListView1->tree()->viewport(), rowCentre(e->ListView1, 3));
    auto* edit = Forms::find<SymbolProperties>();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->Caption(), QStringLiteral("Quoterra - Symbol Properties"));
    EXPECT_EQ(edit->txtTickerSymbol->Text() + '|' + edit->txtSymbolName->Text(), QStringLiteral("S2|Name 2"));
    edit->txtTickerSymbol->setText(QStringLiteral("TWELVECHARSX"));
    QTest::keyClick(edit->txtTickerSymbol->editor(), Qt::Key_Return);
    EXPECT_FALSE(Forms::isLoaded(edit));
    EXPECT_EQ(e->ListView1->Item(3).Text(), QStringLiteral("TWELVECHARSX"));

    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes().mid(50, 100), QByteArray("abcdefghij A name that runs on well past forty cha")
                                            + QByteArray("TWELVECHARName 2").leftJustified(50, ' '));
}

// ---- The right-click menu and deleting ------------------------------------

TEST_F(SymbolManagerTest, PropertiesAndDeleteActOnlyOnTheSelectedRow)
{
    SymbolEditor* e = openEditor(numbered(4));
    QWidget* viewport = e->ListView1->tree()->viewport();
    const QPoint below(20, viewport->height() - 4);
    for (const auto& [at, enabled] : {std::pair{rowCentre(e->ListView1, 2), true}, std::pair{below, false}}) {
        SCOPED_TRACE(enabled);
        QTest::mouseClick(viewport, Qt::RightButton, {}, at);
        EXPECT_TRUE(e->EditorMenu->qmenu()->isVisible());
        EXPECT_EQ(selectedIndex(e->ListView1), enabled ? 2 : 0);
        EXPECT_EQ(e->PropertiesMenuItem->Enabled() && e->DeleteSymbolMenuItem->Enabled(), enabled);
        closePopups();
        e->SymbolMenu->qmenu()->popup(QPoint(0, 0));
        EXPECT_EQ(e->PropertiesMenuItem2->Enabled() && e->DeleteSymbolMenuItem2->Enabled(), enabled);
        closePopups();
    }
    // Below the rows a double click opens nothing, and Delete removes nothing.
    doubleClick(viewport, below);
    EXPECT_FALSE(Forms::isLoaded(SymbolProperties::kName));
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    e->DeleteSymbolMenuItem2->trigger();
    EXPECT_EQ(e->ListView1->Count(), 4);

    clickRow(e->ListView1, 2, Qt::RightButton);
    e->DeleteSymbolMenuItem->trigger();
    closePopups();
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3", "S4"}));
    clickRow(e->ListView1, 3);
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Backspace);
    QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"S1", "S3"}));
    EXPECT_EQ(fileBytes().size(), 4 * 50) << "nothing reaches the file before a save";
}

// ---- Dragging -------------------------------------------------------------

TEST_F(SymbolManagerTest, ADraggedRowFollowsThePointerOnePlaceAtATime)
{
    for (const auto& [from, to, order] : {
             std::tuple{4, 1, "S4 S1 S2 S3 S5 S6"}, // up
             std::tuple{2, 5, "S1 S3 S4 S5 S2 S6"}, // down
             std::tuple{3, 6, "S1 S2 S4 S5 S6 S3"}, // onto the last row
             std::tuple{6, 6, "S1 S2 S3 S4 S5 S6"}, // the last row resting on itself
             std::tuple{6, 5, "S1 S2 S3 S4 S6 S5"}, // the last row up one
         }) {
        SCOPED_TRACE(testing::Message() << from << " to " << to);
        SymbolEditor* e = openEditor(numbered(6));
        ListView* list = e->ListView1;
        QWidget* viewport = list->tree()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, from));
        QTest::mouseMove(viewport, rowCentre(list, from) + QPoint(3, 1));
        ASSERT_TRUE(list->isDragging());
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        int place = from;
        for (int step = 0; step < 2 * std::abs(to - from) + 4; ++step) {
            QTest::mouseMove(viewport, rowCentre(list, to) + QPoint(step % 2, 0));
            EXPECT_LE(std::abs(selectedIndex(list) - place), 1) << "step " << step;
            place = selectedIndex(list);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, to));
        EXPECT_EQ(symbolsOf(list).join(' '), QLatin1String(order));
        EXPECT_EQ(list->Item(to).SubItems(1), QStringLiteral("Name %1").arg(from));
        EXPECT_EQ(selectedIndex(list), to);
        // The drop ends it all: no highlight, no drag, the usual pointer.
        EXPECT_FALSE(e->Dragging || list->DropHighlight() || QGuiApplication::overrideCursor());
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, RestingOnTheLastOrFirstVisibleRowScrollsOneRowPerStep)
{
    ListView* list = openEditor(numbered(60))->ListView1;
    QWidget* viewport = list->tree()->viewport();
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
    // Over the header: held to the first row in sight, which scrolls back.
    for (int step = 1; step <= 5; ++step) {
        QTest::mouseMove(viewport, QPoint(30, -5));
        EXPECT_EQ(first(), 9 - step) << "step " << step;
    }
    ASSERT_TRUE(list->DropHighlight());
    // Dropped away from the list: the drag ends all the same.
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() + 200, 10));
    EXPECT_FALSE(list->isDragging() || list->DropHighlight() || QGuiApplication::overrideCursor());
    EXPECT_EQ(list->SelectedItem().SubItems(1), QStringLiteral("Name 2"));
    EXPECT_EQ(list->Count(), 60);
}

// ---- Saving and closing ---------------------------------------------------

// A save that fails keeps the window, the list and the ticker; once the
// file can be written the ticker restarts on it from its first entry.
TEST_F(SymbolManagerTest, SaveWritesTheFileAndRestartsTheTickerOrKeepsAllWhenItFails)
{
    writeSymbolFile(symbolFile(), {{"OLD1", "Old one"}, {"OLD2", "Old two"}});
    Ticker* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
    ASSERT_NE(ticker, nullptr);
    SymbolEditor* e = showEditor();
    e->ListView1->Item(1).setText(QStringLiteral("IBM"));
    e->ListView1->Item(1).setSubItems(1, QStringLiteral("International Business Machines"));
    e->SP500MenuItem2->trigger();

    // The list's place on disk turns into a folder: no file can go there.
    ASSERT_TRUE(QFile::remove(symbolFile()));
    ASSERT_TRUE(QDir().mkdir(symbolFile()));
    for (bool viaOk : {false, true}) {
        SCOPED_TRACE(viaOk);
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        viaOk ? QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton) : e->SaveMenuItem->trigger();
        ASSERT_FALSE(answerer.seen().isEmpty());
        EXPECT_EQ(answerer.seen().last().title, QStringLiteral("File Error"));
        EXPECT_TRUE(Forms::isLoaded(e));
        EXPECT_EQ(symbolsOf(e->ListView1), (QStringList{"IBM", "OLD2", "S&P 500"}));
        EXPECT_EQ(Forms::find<Ticker>(), ticker);
        EXPECT_TRUE(files::isOpen(quoteState().cursor.fileHandle)) << "the ticker reads on from its list";
    }

    ASSERT_TRUE(QDir().rmdir(symbolFile()));
    service->reset();
    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes(), QByteArray("IBM       International Business Machines         "
                                      "OLD2      Old two                                 "
                                      "S&P 500   S&P 500 Index                           "));
    EXPECT_NE(Forms::find<Ticker>(), ticker);
    EXPECT_EQ(quoteState().cursor.EntryCount, 3);
    const QStringList quotes = service->requests().filter(QStringLiteral("/d/quotes.csv"));
    EXPECT_TRUE(quotes.value(0).startsWith(QLatin1String("/d/quotes.csv?s=IBM&"))) << quotes.join(' ').toStdString();
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
        bool saved, stillOpen;
    };
    for (const Case& c : {Case{Ok, QMessageBox::Yes, true, false}, Case{Ok, QMessageBox::No, false, false},
                          Case{Ok, QMessageBox::Cancel, false, true}, Case{CancelButton, QMessageBox::Yes, false, false},
                          Case{ExitMenu, QMessageBox::Yes, false, false}, Case{EscapeKey, QMessageBox::Yes, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.how << " " << c.answer);
        writeSymbolFile(symbolFile(), {{"AAA", "A"}, {"BBB", "B"}});
        Ticker* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
        SymbolEditor* e = showEditor();
        e->ListView1->setSelectedItem(e->ListView1->Item(2));
        e->DeleteSymbolMenuItem2->trigger();

        MessageBoxAnswerer answerer(c.answer);
        switch (c.how) {
        case Ok: QTest::mouseClick(e->cmdOK->button(), Qt::LeftButton); break;
        case CancelButton: QTest::mouseClick(e->cmdCancel->button(), Qt::LeftButton); break;
        case ExitMenu: e->ExitMenuItem->trigger(); break;
        case EscapeKey: QTest::keyClick(e, Qt::Key_Escape); break;
        }
        // Only OK asks.
        EXPECT_EQ(answerer.seen().isEmpty() ? QString() : answerer.seen()[0].text,
                  c.how == Ok ? QStringLiteral("Save changes?") : QString());
        EXPECT_EQ(fileBytes().size(), c.saved ? 50 : 100);
        EXPECT_EQ(Forms::isLoaded(e), c.stillOpen);
        EXPECT_EQ(Forms::find<Ticker>() != ticker, c.saved) << "only a save restarts the ticker";
        Forms::reset();
    }
}

TEST_F(SymbolManagerTest, AnEmptiedListSavesAsAnEmptyFileAndTheNextStartWelcomesTheUser)
{
    SymbolEditor* e = openEditor(numbered(3));
    while (e->ListView1->Count() > 0) {
        clickRow(e->ListView1, 1);
        QTest::keyClick(e->ListView1->tree(), Qt::Key_Delete);
    }
    e->SaveMenuItem->trigger();
    EXPECT_EQ(fileBytes(), QByteArray());
    Forms::reset();
    ASSERT_TRUE(StartUp());
    EXPECT_NE(Forms::find<frmWelcome>(), nullptr);
    EXPECT_EQ(quoteState().cursor.EntryCount, 0);
}

// ---- Symbol lookup --------------------------------------------------------

TEST_F(SymbolManagerTest, LookupSendsTheTextWithSpacesAsPlusSignsToTheBrowser)
{
    for (const auto& [typed, query] : {std::pair{"General Motors", "General+Motors"},
                                       std::pair{"General  Motors", "General++Motors"}, std::pair{" Acme ", "+Acme+"}}) {
        SCOPED_TRACE(typed);
        UrlRecorder browser;
        auto* lookup = qobject_cast<SymbolLookup*>(Forms::show(SymbolLookup::kName));
        ASSERT_NE(lookup, nullptr);
        EXPECT_EQ(lookup->Caption(), QStringLiteral("Quoterra - Symbol Lookup"));
        QTest::keyClicks(lookup->Text1->editor(), QString::fromLatin1(typed));
        QTest::mouseClick(lookup->Command1->button(), Qt::LeftButton);
        EXPECT_EQ(browser.opened, QStringList{service->origin() + QStringLiteral("/l?s=") + QLatin1String(query)});
        EXPECT_FALSE(Forms::isLoaded(lookup));
    }
}

} // namespace
} // namespace quoterra::test
