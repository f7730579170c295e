// The Symbol Manager and its dialogs: editing the list, dragging rows, and
// saving it for the ticker.
#include "window_fixture.h"

#include "symbols/symbol_dialogs.h"
#include "symbols/symbol_editor.h"
#include "symbols/symbol_list.h"

namespace quoterra::test {
namespace {

QList<QPair<QString, QString>> numbered(int count)
{
    QList<QPair<QString, QString>> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({u"S%1"_s.arg(i), u"Name %1"_s.arg(i)});
    return rows;
}

class SymbolManagerTest : public WindowTest {
protected:
    SymbolEditor* openEditor(const QList<QPair<QString, QString>>& rows)
    {
        t->profile.writeSymbols(rows);
        return editor = show<SymbolEditor>();
    }
    SymbolList& list() { return editor->list(); }
    QStringList symbols()
    {
        QStringList s;
        for (int i = 1; i <= list().count(); ++i)
            s << list().row(i)->text(0);
        return s;
    }
    int selected() { return list().indexOf(list().selectedRow()); }
    QPoint rowCentre(int index) { return list().visualItemRect(list().row(index)).center(); }
    void press(int index) { QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, rowCentre(index)); }
    QString rowText(int index) { return list().row(index)->text(0) + u'|' + list().row(index)->text(1); }
    QAction* action(const char* name) { return editor->findChild<QAction*>(QLatin1String(name)); }

    SymbolEditor* editor = nullptr;
};

TEST_F(SymbolManagerTest, TheTickersListButtonOpensItOnTheFileRows)
{
    t->profile.writeSymbols({{"IBM", "International Business Machines"}, {"S&P 500", "S&P 500 Index"}, {"MSFT", ""}});
    ASSERT_TRUE(openTicker());
    ticker->toggleWindowMode(); // the list button shows on the full face
    QTest::mouseClick(part<PictureBox>(ticker, "picSymbolEditor"), Qt::LeftButton);
    editor = window<SymbolEditor>("SymbolEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), u"Quoterra - Symbol Manager"_s);
    EXPECT_EQ(list().headerItem()->text(0) + u'|' + list().headerItem()->text(1), u"Ticker Symbol|Symbol Name"_s);
    EXPECT_EQ(symbols(), (QStringList{"IBM", "S&P 500", "MSFT"}));
    EXPECT_EQ(rowText(1), u"IBM|International Business Machines"_s);
}

struct IndexRow {
    const char* what;
    const char* item;
    int selectedBefore, row; // 0: none selected
    const char* text;
};
const IndexRow kIndexRows[] = {
    {"DJIA at the end with nothing selected", "DJIAMenuItem2", 0, 6, "DJIA|Dow Jones Industrials Average"},
    {"NASDAQ after the third row", "NASDAQMenuItem2", 3, 4, "NASDAQ|NASDAQ Composite"},
    {"S&P 500 after the last row", "SP500MenuItem", 5, 6, "S&P 500|S&P 500 Index"},
    {"30YR after the first row", "Bond30YearMenuItem", 1, 2, "30YR|30 Year Bond"},
};
class IndexRows : public SymbolManagerTest, public ::testing::WithParamInterface<IndexRow> { };
TEST_P(IndexRows, GoesAfterTheSelectionAndIsSelected)
{
    const IndexRow& c = GetParam();
    openEditor(numbered(5));
    if (c.selectedBefore)
        press(c.selectedBefore);
    action(c.item)->trigger();
    ASSERT_EQ(list().count(), 6);
    EXPECT_EQ(rowText(c.row), QLatin1String(c.text));
    EXPECT_EQ(selected(), c.row);
}
INSTANTIATE_TEST_SUITE_P(Indices, IndexRows, ::testing::ValuesIn(kIndexRows), rowName<IndexRow>);

TEST_F(SymbolManagerTest, NewSymbolAddsTheTextsAsTypedAfterTheSelection)
{
    openEditor(numbered(3));
    press(2);
    action("AddSymbolMenuItem2")->trigger();
    auto* add = window<NewSymbol>("NewSymbol");
    ASSERT_NE(add, nullptr);
    add->txtTickerSymbol->setText(u" twelve chars"_s);
    add->txtSymbolName->setText(QString(45, u'n'));
    add->findChild<QPushButton*>(u"cmdOK"_s)->click();
    EXPECT_EQ(rowText(3), u" twelve chars|"_s + QString(45, u'n'));
    EXPECT_EQ(selected(), 3);
}

TEST_F(SymbolManagerTest, ADoubleClickedRowIsEditedInItsProperties)
{
    openEditor(numbered(3));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, rowCentre(1));
    auto* properties = window<SymbolProperties>("SymbolProperties");
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(properties->txtTickerSymbol->text(), u"S1"_s);
    properties->txtTickerSymbol->setText(u"ibm"_s);
    QTest::keyClick(properties->txtTickerSymbol, Qt::Key_Return);
    EXPECT_EQ(list().row(1)->text(0), u"ibm"_s);
}

// Delete acts on the selected row only, and nothing is selected after it:
// pressing Delete again deletes nothing more.
TEST_F(SymbolManagerTest, DeleteRemovesTheSelectedRowAndNothingElse)
{
    openEditor(numbered(25));
    press(3);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(&list(), Qt::Key_Delete);
    EXPECT_EQ(list().count(), 24);
    EXPECT_FALSE(symbols().contains(u"S3"_s));
    EXPECT_EQ(selected(), 0);
}

TEST_F(SymbolManagerTest, WithoutASelectionDeleteAndPropertiesAreOff)
{
    openEditor(numbered(3));
    auto* symbolMenu = editor->findChild<QMenuBar*>()->actions().value(1)->menu();
    emit symbolMenu->aboutToShow();
    EXPECT_FALSE(action("DeleteSymbolMenuItem2")->isEnabled());
    EXPECT_FALSE(action("PropertiesMenuItem2")->isEnabled());
    action("PropertiesMenuItem2")->trigger();
    EXPECT_EQ(window("SymbolProperties"), nullptr);
}

TEST_F(SymbolManagerTest, ADraggedRowFollowsThePointerOnePlaceAStep)
{
    openEditor(numbered(8));
    QWidget* rows = list().viewport();
    QTest::mousePress(rows, Qt::LeftButton, {}, rowCentre(2));
    QTest::mouseMove(rows, rowCentre(2) + QPoint(0, 2)); // starts the drag
    ASSERT_TRUE(list().dragging());
    QStringList trail;
    for (int target : {3, 4, 5, 6, 6, 6}) {
        QTest::mouseMove(rows, rowCentre(target));
        trail << QString::number(selected());
    }
    QTest::mouseRelease(rows, Qt::LeftButton, {}, rowCentre(6));
    // The row lags a step behind the pointer and comes to rest under it.
    EXPECT_EQ(trail.join(u' '), u"2 3 4 5 6 6"_s);
    EXPECT_EQ(symbols(), (QStringList{"S1", "S3", "S4", "S5", "S6", "S2", "S7", "S8"}));
    EXPECT_FALSE(list().dragging());
    EXPECT_EQ(list().dropHighlight(), nullptr);
}

TEST_F(SymbolManagerTest, SaveRestartsTheTickerOnTheNewList)
{
    t->profile.writeSymbols({{"OLD", ""}});
    ASSERT_TRUE(openTicker());
    ticker->findChild<QAction*>(u"SymbolManagerMenuItem"_s)->trigger();
    editor = window<SymbolEditor>("SymbolEditor");
    ASSERT_NE(editor, nullptr);
    list().clear();
    editor->addRow(u"IBM"_s, u"International"_s);
    editor->addRow(u"MSFT"_s, QString());
    ASSERT_TRUE(editor->Save());
    EXPECT_EQ(readFile(t->profile.symbolFile()).size(), 100);
    ticker = program->ticker();
    ASSERT_NE(ticker, nullptr);
    EXPECT_EQ(part(ticker, "lblCompactSymbol")->caption(), u"IBM"_s);
    EXPECT_TRUE(editor->isLoaded());
}

TEST_F(SymbolManagerTest, AListThatCannotBeWrittenStaysInTheEditor)
{
    openEditor(numbered(2));
    QFile::remove(t->profile.symbolFile());
    QDir().mkpath(t->profile.symbolFile() + u"/blocked"_s);
    MessageBoxAnswerer answer;
    EXPECT_FALSE(editor->Save());
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].title, u"File Error"_s);
    EXPECT_EQ(list().count(), 2);
    EXPECT_TRUE(editor->isLoaded());
}

struct OkRow {
    const char* what;
    QMessageBox::StandardButton answer;
    bool saved, open;
};
const OkRow kOkRows[] = {
    {"yes saves and closes", QMessageBox::Yes, true, false},
    {"no closes without saving", QMessageBox::No, false, false},
    {"cancel stays", QMessageBox::Cancel, false, true},
};
class OkRows : public SymbolManagerTest, public ::testing::WithParamInterface<OkRow> { };
TEST_P(OkRows, AsksFirst)
{
    const OkRow& c = GetParam();
    openEditor({{"OLD", ""}});
    action("DJIAMenuItem")->trigger();
    MessageBoxAnswerer answer(c.answer);
    editor->findChild<QPushButton*>(u"cmdOK"_s)->click();
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].text, u"Save changes?"_s);
    EXPECT_EQ(answer.seen()[0].title, u"Quoterra"_s);
    EXPECT_EQ(readFile(t->profile.symbolFile()).size(), c.saved ? 100 : 50);
    // A save reloads the ticker, whose first quote lets the closed editor go.
    EXPECT_EQ(window("SymbolEditor") != nullptr, c.open);
}
INSTANTIATE_TEST_SUITE_P(Answers, OkRows, ::testing::ValuesIn(kOkRows), rowName<OkRow>);

struct LeaveRow {
    const char* what; // the button, the menu item, or the key
};
const LeaveRow kLeaveRows[] = {{"cmdCancel"}, {"ExitMenuItem"}, {"escape"}};
class LeaveRows : public SymbolManagerTest, public ::testing::WithParamInterface<LeaveRow> { };
TEST_P(LeaveRows, CloseAtOnceWithoutSaving)
{
    const char* how = GetParam().what;
    openEditor({{"OLD", ""}});
    action("DJIAMenuItem")->trigger();
    if (QLatin1String(how) == QLatin1String("escape")) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
        QTest::keyClick(editor, Qt::Key_Escape);
    } else if (auto* button = editor->findChild<QPushButton*>(QLatin1String(how))) {
        button->click();
    } else {
        action(how)->trigger();
    }
    EXPECT_EQ(window("SymbolEditor"), nullptr);
    EXPECT_EQ(readFile(t->profile.symbolFile()).size(), 50);
}
INSTANTIATE_TEST_SUITE_P(Ways, LeaveRows, ::testing::ValuesIn(kLeaveRows), rowName<LeaveRow>);

TEST_F(SymbolManagerTest, ARightClickOnTheHeaderNamesTheColumn)
{
    openEditor(numbered(2));
    QWidget* header = list().header()->viewport();
    const int firstWidth = list().header()->sectionSize(0);
    for (const auto& [x, column] : {std::pair{5, "0"}, {firstWidth + 5, "1"}, {header->width() - 2, "-1"}}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(x, 5), header->mapToGlobal(QPoint(x, 5)));
        QApplication::sendEvent(header, &click);
        EXPECT_EQ(editor->windowTitle(), u"Right Click on Column "_s + QLatin1String(column));
    }
}

TEST_F(SymbolManagerTest, LookupSendsTheTextWithSpacesAsPlusSignsToTheBrowser)
{
    EXPECT_EQ(SymbolLookup::lookupAddress(u"http://h"_s, u"big  blue &co"_s), u"http://h/l?s=big++blue+&co"_s);
    UrlRecorder browser;
    auto* lookup = show<SymbolLookup>();
    auto* box = lookup->findChild<QLineEdit*>(u"txtSearch"_s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(lookup->focusWidget(), box);
    box->setText(u"international business"_s);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(browser.opened, QStringList{service->origin() + u"/l?s=international+business"_s});
    EXPECT_EQ(window("SymbolLookup"), nullptr);
}

} // namespace
} // namespace quoterra::test
