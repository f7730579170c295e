#pragma once

#include "service_test.h"

#include "app/startup.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "symbols/subclass.h"
#include "symbols/symbol_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTreeWidget>

#include <stdexcept>

namespace quoterra::test {

using Rows = QList<QPair<QString, QString>>;

// A fresh profile, a fake screen and the quote service; every window of
// the program is registered, so a save can restart the ticker.
class SymbolManagerTest : public ServiceTest {
protected:
    static void SetUpTestSuite()
    {
        ServiceTest::SetUpTestSuite();
        registerForms();
    }
    void TearDown() override
    {
        Forms::reset();
        // Windows closed by their own buttons go once the event loop is
        // idle; none may leave a window procedure hooked.
        EXPECT_TRUE(waitUntil([] { return WinProc::EntryCount() == 0; }, 2000));
        files::closeAll();
        ServiceTest::TearDown();
    }

    // The list file of the profile in force (a test may make its own).
    static QString symbolFile() { return applicationDirectory() + QStringLiteral("/stockdata.std"); }
    static QByteArray fileBytes()
    {
        QFile f(symbolFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    // Opens the Symbol Manager; a window that does not open fails the test
    // (GoogleTest reports the exception).
    static SymbolEditor* showEditor()
    {
        auto* e = qobject_cast<SymbolEditor*>(Forms::show(SymbolEditor::kName));
        if (!e)
            throw std::runtime_error("the Symbol Manager did not open");
        return e;
    }
    static SymbolEditor* openEditor(const Rows& rows)
    {
        writeSymbolFile(symbolFile(), rows);
        return showEditor();
    }

    FakeScreen screen{96, QRect(0, 0, 1024, 738)};
};

// "S1".."Sn" named "Name 1".."Name n".
inline Rows numbered(int count)
{
    Rows rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("S%1").arg(i), QStringLiteral("Name %1").arg(i)});
    return rows;
}

inline QStringList symbolsOf(const ListView* list)
{
    QStringList out;
    for (int i = 1; i <= list->Count(); ++i)
        out.append(list->Item(i).Text());
    return out;
}

// The middle of a row, in the list's viewport pixels.
inline QPoint rowCentre(const ListView* list, int index)
{
    return list->tree()->visualItemRect(list->tree()->topLevelItem(index - 1)).center();
}

inline void clickRow(ListView* list, int index, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(list->tree()->viewport(), button, {}, rowCentre(list, index));
}

// The selected row's index, 0 for none.
inline int selectedIndex(const ListView* list)
{
    const ListItem row = list->SelectedItem();
    return row ? row.Index() : 0;
}

// A double click as the system delivers it: press, release, double click, release.
inline void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

inline void closePopups()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace quoterra::test
