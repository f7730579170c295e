#include "symbol_manager_fixture.h"

#include "app/startup.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "symbols/subclass.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTreeWidget>

namespace quoterra::test {

void SymbolManagerTest::SetUpTestSuite()
{
    service = new ServiceProcess;
    registerForms();
}

void SymbolManagerTest::TearDownTestSuite()
{
    delete service;
    service = nullptr;
}

void SymbolManagerTest::SetUp()
{
    ASSERT_TRUE(service->isRunning());
    qputenv("QUOTERRA_SERVICE", service->origin().toUtf8());
    service->reset();
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    CreateKey(HKEY_CURRENT_USER, kChartsKey);
}

void SymbolManagerTest::TearDown()
{
    Forms::reset();
    // Windows closed by their own buttons go once the event loop is idle;
    // none may leave a window procedure hooked.
    EXPECT_TRUE(QTest::qWaitFor([] { return WinProc::EntryCount() == 0; }, 2000));
    files::closeAll();
    qunsetenv("QUOTERRA_SERVICE");
}

QString SymbolManagerTest::symbolFile()
{
    return applicationDirectory() + QStringLiteral("/stockdata.std");
}

QByteArray SymbolManagerTest::fileBytes()
{
    QFile f(symbolFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

SymbolEditor* SymbolManagerTest::openEditor(const Rows& rows)
{
    writeSymbolFile(symbolFile(), rows);
    return qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
}

Rows numbered(int count)
{
    Rows rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("S%1").arg(i), QStringLiteral("Name %1").arg(i)});
    return rows;
}

QStringList symbolsOf(const ListView* list)
{
    QStringList out;
    for (int i = 1; i <= list->Count(); ++i)
        out.append(list->Item(i).Text());
    return out;
}

QPoint rowCentre(const ListView* list, int index)
{
    return list->tree()->visualItemRect(list->tree()->topLevelItem(index - 1)).center();
}

void clickRow(ListView* list, int index, Qt::MouseButton button)
{
    QTest::mouseClick(list->tree()->viewport(), button, {}, rowCentre(list, index));
}

int selectedIndex(const ListView* list)
{
    const ListItem row = list->SelectedItem();
    return row ? row.Index() : 0;
}

void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

bool focusedIn(QWidget* dialog, QWidget* editor)
{
    return QTest::qWaitForWindowActive(dialog) && dialog->focusWidget() == editor;
}

void closePopups()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace quoterra::test
